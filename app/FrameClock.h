// Frame timing, in one place: when a frame is due (the frame timer's tick
// rules, and with --sync telemetry the arrival of a message), and how long
// a frame's pacing wait lasts. The main loop calls Poll() on every pass and
// sleeps TimeUntilNextTick() in between; a frame asks PacingDeadline() when
// its wait ends and tells FrameFinished() how long the rest of it took.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

namespace velmora {

struct TimeSource {
  std::int64_t frequency = 0;          // counts per second
  std::function<std::int64_t()> now;   // current count
  // The process's monotonic clock in nanoseconds.
  static TimeSource Steady();
};

// What starts a frame. Timer: the frame timer alone, each frame first
// waiting its pacing wait while it serves telemetry. Telemetry: a frame as
// soon as a message has been applied, at most --fps a second, with no
// pacing wait; while the link is silent the timer goes on drawing.
enum class FrameSync { Timer, Telemetry };
std::string_view FrameSyncName(FrameSync sync);

class FrameClock {
 public:
  // The wait every frame takes at 30 frames a second in timer mode; a faster
  // rate waits in proportion.
  static constexpr std::chrono::milliseconds kPacingAt30{30};

  explicit FrameClock(TimeSource clock = TimeSource::Steady());

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  int TargetFPS() const { return targetFPS_; }
  void SetTargetFPS(int value);
  int MinFPS() const { return minFPS_; }
  void SetMinFPS(int value);
  int MaxFPS() const { return maxFPS_; }
  void SetMaxFPS(int value);
  int FPSWarningFrames() const { return fpsWarningFrames_; }
  void SetFPSWarningFrames(int value);
  FrameSync Sync() const { return sync_; }
  void SetSync(FrameSync sync) { sync_ = sync; }
  // Exceptions thrown by the handler reach the caller of Poll;
  // the frame does not count and the next pass tries again.
  void SetOnTimer(std::function<void()> handler);

  int FrameRate() const { return frameRate_; }
  bool FPSWarning() const { return fpsWarning_; }
  // Whether the last frame was started by a message (telemetry mode).
  bool LastFrameByTelemetry() const { return lastByTelemetry_; }

  // One pass of the loop: ticks when a frame is due. newTelemetry: a message
  // has been applied since the last frame started (only telemetry mode
  // looks at it).
  void Poll(bool newTelemetry = false);

  // Seconds until a pass would tick: 0 when due now, negative when the timer
  // cannot tick (disabled, no handler).
  double TimeUntilNextTick(bool newTelemetry = false) const;

  std::int64_t CountsPerFrame(int which) const;  // 0 target, 1 min, 2 max
  std::int64_t Frequency() const { return clock_.frequency; }
  std::int64_t Now() const { return clock_.now(); }

  // The pacing wait of a frame (timer mode) that started at frameStart,
  // asked at now: when it ends, in counts. It is the pacing wait counted from
  // now, but ends early enough for the rest of the frame (as long as the
  // slowest of the last few took) to finish within the frame's period.
  // Telemetry mode: now (the frame draws at once).
  std::int64_t PacingDeadline(std::int64_t frameStart, std::int64_t now) const;
  // How long the frame took from the end of its pacing wait to its end.
  void FrameFinished(std::int64_t afterWait);

 private:
  void Fire(std::int64_t now, bool byTelemetry);
  // When the next frame is due, in counts.
  std::int64_t DueAt(bool newTelemetry) const;
  // The shortest time between two frames (MaxFPS), 0 for none.
  std::int64_t Cap() const;
  // The timer's period.
  std::int64_t Period() const;
  // The pacing wait in counts at the target rate.
  std::int64_t PacingWait() const;

  TimeSource clock_;
  bool enabled_ = false;
  int targetFPS_ = 0, minFPS_ = 10, maxFPS_ = 120, fpsWarningFrames_ = 10;
  FrameSync sync_ = FrameSync::Timer;
  std::function<void()> onTimer_;
  std::int64_t lastTick_ = 0, windowStart_ = 0;
  std::int64_t lastAllowed_ = 0;  // when the last frame was allowed to start
  int frameCount_ = 0, frameRate_ = 0;
  int slowFrames_ = 0;
  bool fpsWarning_ = false;
  bool lastByTelemetry_ = false;
  // Between the last two frames that messages started.
  bool telemetryTicked_ = false;
  std::int64_t lastTelemetryTick_ = 0, messageGap_ = 0;
  std::int64_t cpfTarget_ = 0, cpfMin_ = 0, cpfMax_ = 0;
  std::array<std::int64_t, 8> tails_{};
  std::size_t nextTail_ = 0;
};

}  // namespace velmora
