// Being found on the network: the LAN beacon and the DNS-SD services, built
// from what the display listens on, and how both fare for the link page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/LinkStatus.h"

namespace velmora {

class Announcer;
namespace platform {
class ServicePublisher;
}

struct DiscoverySetup {
  std::string name;            // announced under
  std::uint16_t udpPort = 0;   // 0: UDP off
  std::uint16_t tcpPort = 0;   // 0: TCP off
  std::string webAddress;      // --web's address
  std::uint16_t webPort = 0;   // 0: no --web
  std::string udpGroup;        // empty: none
  std::uint16_t announcePort = 20084;
};

class Discovery {
 public:
  // Starts the beacon and the DNS-SD registration; problems go to stderr.
  explicit Discovery(DiscoverySetup setup);
  ~Discovery();
  // For the link page.
  LinkStatus::Discovery Status() const;

 private:
  DiscoverySetup setup_;
  std::unique_ptr<Announcer> announcer_;
  std::unique_ptr<platform::ServicePublisher> services_;
};

}  // namespace velmora
