// DNS-SD registration through the system's own service, so tablets and
// browsers that list local services find the display by name: Avahi on
// Linux (its client library loaded at run time, so the display runs where
// avahi-daemon or the library is missing), the DNS-SD registration API on
// Windows 10/11 (also looked up at run time).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora::platform {

struct ServiceAdvert {
  std::string name;  // the instance name people see: "Velmora on cockpit-pc"
  std::string type;  // "_velmora._udp", "_http._tcp"
  std::uint16_t port = 0;
  std::vector<std::pair<std::string, std::string>> txt;  // key=value records
};

struct ServiceDiscoveryState {
  enum class Phase { Registering, Registered, Unavailable, Failed };
  Phase phase = Phase::Registering;
  std::string detail;  // the names registered, or why not
};

class ServicePublisher {
 public:
  virtual ~ServicePublisher() = default;  // withdraws the services
  // Any thread.
  virtual ServiceDiscoveryState State() const = 0;
};

// Starts registering; never throws and never blocks for long. report gets
// one line for the user (no "velmora: ") when registration fails or is not
// available, on whichever thread learns it.
std::unique_ptr<ServicePublisher> PublishServices(std::vector<ServiceAdvert> adverts,
                                                  std::function<void(const std::string&)> report);

}  // namespace velmora::platform
