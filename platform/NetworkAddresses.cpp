// Choosing among the addresses the system lists.
#include "platform/NetworkAddresses.h"

#include <algorithm>

namespace velmora::platform {

std::vector<std::string> PreferNetworkAddresses(const std::vector<std::string>& found) {
  std::vector<std::string> network, loopback;
  for (const std::string& a : found) {
    auto& into = a.rfind("127.", 0) == 0 ? loopback : network;
    if (std::find(into.begin(), into.end(), a) == into.end()) into.push_back(a);
  }
  return network.empty() ? loopback : network;
}

}  // namespace velmora::platform
