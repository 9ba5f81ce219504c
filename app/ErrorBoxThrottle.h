// Keeps telemetry error boxes from stacking up: an exporter that sends a bad
// field 30 times a second must not bury the display under modal boxes. A box
// may open only while none is open and not within the quiet period after the
// last one closed; every other error goes to stderr only.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace velmora {

class ErrorBoxThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kQuietPeriod = std::chrono::seconds(5);

  explicit ErrorBoxThrottle(std::function<Clock::time_point()> now = &Clock::now,
                            Clock::duration quiet = kQuietPeriod);

  // True if a box may open now; the caller then shows it and calls Closed()
  // when the user dismissed it. False: report to stderr only.
  bool TryOpen();
  void Closed();
  bool BoxOpen() const { return open_; }

 private:
  std::function<Clock::time_point()> now_;
  Clock::duration quiet_;
  bool open_ = false;
  std::optional<Clock::time_point> closedAt_;
};

}  // namespace velmora
