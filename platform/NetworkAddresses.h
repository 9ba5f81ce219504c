// This machine's IPv4 addresses, as a sender elsewhere on the network would
// write them: what the display tells the pilot to type into the exporter.
#pragma once

#include <string>
#include <vector>

namespace velmora::platform {

// The IPv4 addresses of the interfaces that are up, in the order the system
// lists them, without duplicates. Loopback (127.x) only when there is
// nothing else, so a machine without a network still names one address.
std::vector<std::string> SendToAddresses();

// The broadcast address of every IPv4 network the machine is on (interfaces
// that are up and can broadcast; loopback not), without duplicates.
std::vector<std::string> BroadcastAddresses();

// This machine's name as the network knows it ("cockpit-pc"); "velmora"
// when the system will not say.
std::string HostName();

// Keeps the non-loopback addresses when there are any; otherwise the
// loopback ones. Duplicates go.
std::vector<std::string> PreferNetworkAddresses(const std::vector<std::string>& found);

}  // namespace velmora::platform
