// What the telemetry link has done so far: a snapshot the pages read.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// What the link has done so far, for the no-data overlay and the link page to read between frames: counters, the last sender and the last
// errors. Plain values, so a reader never reaches into the input itself.
struct LinkStatus {
  static constexpr std::size_t kErrorsKept = 3;
  std::uint64_t applied = 0;   // messages that reached the record without an error
  std::uint64_t rejected = 0;  // messages or datagrams dropped or cut short by an error
  std::optional<std::chrono::steady_clock::time_point> lastApplied;
  std::string lastSender;      // "address:port" (or "--feed") of the last applied message
  // Newest first; "sender: field N: message". errorCount says how many are set.
  std::array<std::string, kErrorsKept> errors;
  std::size_t errorCount = 0;
  // How the display is found: filled in by the composition root.
  struct Discovery {
    std::string name;        // the name announced; empty with --no-announce
    std::string beacon;      // "every 2 s to UDP 20084 (2 networks)", "off (--no-announce)", a failure
    std::string dnsSd;       // "registered '...' _velmora._udp", or why not
    bool beaconWorking = false;
    bool dnsSdWorking = false;
  } discovery;
};

// Applied and rejected messages a second, over the last whole second: what
// the link page shows as "per second now". Sampled once a frame; each sample
// a second or more after the last one gives the rates since then and starts
// the next second afresh.
class LinkRates {
 public:
  using Clock = std::chrono::steady_clock;
  explicit LinkRates(Clock::time_point started) : since_(started) {}
  void Sample(const LinkStatus& status, Clock::time_point now) {
    const auto elapsed = now - since_;
    if (elapsed < std::chrono::seconds(1)) return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    applied_ = static_cast<double>(status.applied - appliedBefore_) / seconds;
    rejected_ = static_cast<double>(status.rejected - rejectedBefore_) / seconds;
    appliedBefore_ = status.applied;
    rejectedBefore_ = status.rejected;
    since_ = now;
  }
  double Applied() const { return applied_; }
  double Rejected() const { return rejected_; }

 private:
  Clock::time_point since_;
  std::uint64_t appliedBefore_ = 0, rejectedBefore_ = 0;
  double applied_ = 0, rejected_ = 0;
};

}  // namespace velmora
