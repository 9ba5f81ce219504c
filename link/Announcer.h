// The announcer: sends the display's beacon (link/Beacon.h) every two
// seconds to each IPv4 network's broadcast address and to 127.0.0.1, from a
// socket of its own on a thread of its own that sleeps between beacons. It
// binds nothing: whoever holds the announce port (a finder, another
// display's tools) cannot keep the display from running. A beacon that
// cannot be sent is reported once per address, never fatal. The socket
// library stays out of this header.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct AnnouncerConfig {
  std::uint16_t port = 20084;
  std::chrono::milliseconds interval{2000};
  std::string networkLine;   // the beacon sent to the broadcast addresses
  std::string loopbackLine;  // the beacon sent to 127.0.0.1 (may name a loopback-only browser view)
  // The broadcast addresses to use, asked again before every beacon so a
  // network that comes up or changes is followed.
  std::function<std::vector<std::string>()> broadcastAddresses;
  // Called on the announcer's thread: one line for the user, no "velmora: ".
  std::function<void(const std::string&)> report;
};

// How the beacon fares, for the link page.
struct AnnouncerState {
  std::uint64_t beaconsSent = 0;   // datagrams that went out
  std::size_t networksReached = 0; // broadcast addresses the last beacon reached
  bool loopbackReached = false;    // the last beacon reached 127.0.0.1
  std::string lastError;           // "192.168.1.255: Network is unreachable"; empty when none
};

class Announcer {
 public:
  explicit Announcer(AnnouncerConfig config);  // the first beacon goes at once
  ~Announcer();                                // stops the thread; never blocks long
  Announcer(const Announcer&) = delete;
  Announcer& operator=(const Announcer&) = delete;

  // Any thread.
  AnnouncerState State() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
