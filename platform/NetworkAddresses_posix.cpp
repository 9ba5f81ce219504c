// Interface addresses on Linux and other POSIX systems: getifaddrs.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "platform/NetworkAddresses.h"

namespace velmora::platform {

std::vector<std::string> SendToAddresses() {
  std::vector<std::string> found;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return found;
  for (const ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN];
    const auto* in = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) found.emplace_back(text);
  }
  freeifaddrs(list);
  return PreferNetworkAddresses(found);
}

}  // namespace velmora::platform
