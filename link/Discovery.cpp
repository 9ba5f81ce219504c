// The beacon's lines and the DNS-SD services of this display.
#include "link/Discovery.h"

#include <cstdio>

#include "link/Announcer.h"
#include "link/Beacon.h"
#include "platform/NetworkAddresses.h"
#include "platform/ServiceDiscovery.h"
#include "velmora/Version.h"

namespace velmora {
namespace {

void Say(const std::string& line) { std::fprintf(stderr, "velmora: %s\n", line.c_str()); }

bool LoopbackOnly(const std::string& address) { return address.rfind("127.", 0) == 0 || address == "localhost"; }

}  // namespace

Discovery::Discovery(DiscoverySetup setup) : setup_(std::move(setup)) {
  // UDP when it listens (an exporter needs no connection then), else TCP.
  const bool udp = setup_.udpPort != 0;
  BeaconInfo info{setup_.name, udp ? "udp" : "tcp", udp ? setup_.udpPort : setup_.tcpPort, 0,
                  udp ? setup_.udpGroup : std::string()};
  // A browser view on loopback is named only to this machine.
  const bool webForNetwork = setup_.webPort != 0 && !LoopbackOnly(setup_.webAddress);
  BeaconInfo local = info;
  local.webPort = setup_.webPort;
  if (webForNetwork) info.webPort = setup_.webPort;
  announcer_ = std::make_unique<Announcer>(AnnouncerConfig{setup_.announcePort, kBeaconInterval, FormatBeacon(info),
                                                           FormatBeacon(local), &platform::BroadcastAddresses, &Say});

  std::vector<platform::ServiceAdvert> adverts;
  const auto telemetry = [&](const char* transport, std::uint16_t port) {
    platform::ServiceAdvert a{setup_.name, std::string("_velmora._") + transport, port,
                              {{"transport", transport}, {"port", std::to_string(port)}, {"version", std::string(kVersion)}}};
    if (webForNetwork) a.txt.emplace_back("web", std::to_string(setup_.webPort));
    if (!setup_.udpGroup.empty() && std::string(transport) == "udp") a.txt.emplace_back("group", setup_.udpGroup);
    adverts.push_back(std::move(a));
  };
  if (setup_.udpPort) telemetry("udp", setup_.udpPort);
  if (setup_.tcpPort) telemetry("tcp", setup_.tcpPort);
  if (webForNetwork)
    adverts.push_back({"Velmora on " + setup_.name, "_http._tcp", setup_.webPort, {{"path", "/"}}});
  services_ = platform::PublishServices(std::move(adverts), &Say);
}

Discovery::~Discovery() = default;

LinkStatus::Discovery Discovery::Status() const {
  LinkStatus::Discovery d;
  d.name = setup_.name;
  const AnnouncerState beacon = announcer_->State();
  const std::string where = "UDP " + std::to_string(setup_.announcePort);
  if (beacon.networksReached > 0) {
    d.beacon = "every 2 s to " + where + " (" + std::to_string(beacon.networksReached) + " network" +
               (beacon.networksReached > 1 ? "s" : "") + ")";
    d.beaconWorking = true;
  } else if (beacon.loopbackReached) {
    d.beacon = "every 2 s to " + where + ", this computer only (no network)";
    d.beaconWorking = true;
  } else {
    d.beacon = "not sent: " + (beacon.lastError.empty() ? std::string("starting") : beacon.lastError);
  }
  const platform::ServiceDiscoveryState dns = services_->State();
  using Phase = platform::ServiceDiscoveryState::Phase;
  d.dnsSdWorking = dns.phase == Phase::Registered;
  d.dnsSd = dns.phase == Phase::Registered ? "registered " + dns.detail
            : dns.phase == Phase::Registering ? std::string("registering")
                                              : "off: " + dns.detail;
  return d;
}

}  // namespace velmora
