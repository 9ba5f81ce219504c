// The LAN beacon: one line of text a display sends every two seconds so that
// exporters, the relay and velmora-send --find can find it without an
// address typed in. The line is a stable contract (the README documents it):
//
//   VELMORA/1 name=Cockpit%20PC transport=tcp port=20081 web=8083
//
// "VELMORA/1" first; then space-separated key=value pairs in any order.
// Values are percent-encoded (every byte outside A-Z a-z 0-9 - . _ ~), so a
// name with spaces, "=" or non-ASCII letters survives. A finder ignores keys
// it does not know; a later VELMORA/1 may add keys, a change that old
// finders cannot read gets a new version number. Nothing secret is in it.
// No socket here: formatting, parsing and the finders' table are pure.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::uint16_t kDefaultAnnouncePort = 20084;
inline constexpr std::chrono::seconds kBeaconInterval{2};
inline constexpr std::string_view kBeaconVersion = "VELMORA/1";
// Longer lines are not beacons (they fit one small datagram).
inline constexpr std::size_t kMaxBeaconLength = 512;
// A name is cut to this many bytes (at a character boundary) before sending.
inline constexpr std::size_t kMaxBeaconName = 63;

struct BeaconInfo {
  std::string name;
  std::string transport;        // "udp" or "tcp": what the exporter should send
  std::uint16_t port = 0;       // the telemetry port of that transport
  std::uint16_t webPort = 0;    // the browser view; 0 when off
  std::string group;            // the multicast group the display joined; empty when none
};

// The line the display sends (with a closing "\n").
std::string FormatBeacon(const BeaconInfo& info);

// A datagram as a finder receives it: the beacon, or nullopt for anything
// that is not a VELMORA/1 beacon with a name, a transport and a port.
std::optional<BeaconInfo> ParseBeacon(std::string_view datagram);

// The name cut to kMaxBeaconName bytes without splitting a UTF-8 character,
// control characters dropped.
std::string BeaconName(std::string_view name);

// True for an IPv4 multicast address (224.0.0.0 to 239.255.255.255) written
// as four decimal numbers, "239.20.0.83".
bool IsIpv4MulticastAddress(std::string_view text);

// The displays a finder has heard, keyed by name, transport and port, each
// with the address it was last heard from. Bounded: at most kMaxDisplays
// (the one heard longest ago goes to make room) and a display not heard for
// kForgetAfter is forgotten, so thousands of forged beacons cost a fixed
// amount of memory. Datagrams that are not beacons are counted, not kept.
class BeaconTable {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::size_t kMaxDisplays = 64;
  static constexpr Clock::duration kForgetAfter = std::chrono::seconds(7);

  struct Display {
    BeaconInfo info;
    std::string address;  // where the beacon came from, "a.b.c.d"
    Clock::time_point firstHeard, lastHeard;
  };

  // What one datagram did to the table.
  enum class Heard { Ignored, New, Moved, Again };
  Heard Hear(std::string_view datagram, std::string_view fromAddress, Clock::time_point now);
  // Drops the displays not heard for kForgetAfter; returns them.
  std::vector<Display> Expire(Clock::time_point now);

  const std::vector<Display>& Displays() const { return displays_; }
  // The display the last Hear was about; null when it ignored the datagram.
  const Display* LastHeard() const { return last_ < displays_.size() ? &displays_[last_] : nullptr; }
  std::uint64_t Ignored() const { return ignored_; }

 private:
  std::vector<Display> displays_;
  std::uint64_t ignored_ = 0;
  std::size_t last_ = static_cast<std::size_t>(-1);
};

// "http://ADDRESS:PORT/" for a display's browser view; empty when it has none.
std::string BrowserUrl(const BeaconTable::Display& display);

}  // namespace velmora
