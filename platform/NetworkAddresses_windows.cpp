// Interface addresses on Windows: GetAdaptersAddresses, the adapters that
// are up (a disconnected Wi-Fi or an unplugged cable lists no address).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>
#include <vector>

#include "platform/NetworkAddresses.h"

namespace velmora::platform {

namespace {

// Each adapter that is up, with its IPv4 unicast addresses.
template <class F>
void ForEachAddress(F&& each) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  // The list can grow between the two calls: a few tries with the size asked for.
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
  }
  if (result != NO_ERROR) return;
  for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    if (a->OperStatus != IfOperStatusUp) continue;
    for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u; u = u->Next) {
      if (!u->Address.lpSockaddr || u->Address.lpSockaddr->sa_family != AF_INET) continue;
      each(*a, *u, *reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr));
    }
  }
}

std::string Text(in_addr address) {
  char text[INET_ADDRSTRLEN];
  return inet_ntop(AF_INET, &address, text, sizeof text) ? std::string(text) : std::string();
}

}  // namespace

std::vector<std::string> SendToAddresses() {
  std::vector<std::string> found;
  ForEachAddress([&](const IP_ADAPTER_ADDRESSES&, const IP_ADAPTER_UNICAST_ADDRESS&, const sockaddr_in& in) {
    if (std::string t = Text(in.sin_addr); !t.empty()) found.push_back(std::move(t));
  });
  return PreferNetworkAddresses(found);
}

std::vector<std::string> BroadcastAddresses() {
  std::vector<std::string> found;
  ForEachAddress([&](const IP_ADAPTER_ADDRESSES& a, const IP_ADAPTER_UNICAST_ADDRESS& u, const sockaddr_in& in) {
    if (a.IfType == IF_TYPE_SOFTWARE_LOOPBACK || u.OnLinkPrefixLength == 0 || u.OnLinkPrefixLength > 30) return;
    // The host part all ones: the network's broadcast address.
    const ULONG host = u.OnLinkPrefixLength >= 32 ? 0 : (0xFFFFFFFFu >> u.OnLinkPrefixLength);
    in_addr b = in.sin_addr;
    b.s_addr = htonl(ntohl(in.sin_addr.s_addr) | host);
    std::string t = Text(b);
    if (!t.empty() && std::find(found.begin(), found.end(), t) == found.end()) found.push_back(std::move(t));
  });
  return found;
}

std::string HostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  // The DNS host name keeps its case as the user typed it; NetBIOS would shout.
  if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size) || size == 0) return "velmora";
  return std::string(name, size);
}

}  // namespace velmora::platform
