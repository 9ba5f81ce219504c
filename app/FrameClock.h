// The frame timer: calls OnTimer at most MaxFPS and, with TargetFPS set, at
// TargetFPS times a second, counts frames per second and flags sustained
// slow frames. The main loop calls Poll() on every pass and sleeps
// TimeUntilNextTick() in between.
#pragma once

#include <cstdint>
#include <functional>

namespace velmora {

struct TimeSource {
  std::int64_t frequency = 0;          // counts per second
  std::function<std::int64_t()> now;   // current count
  // The process's monotonic clock in nanoseconds.
  static TimeSource Steady();
};

class FrameClock {
 public:
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
  // Exceptions thrown by the handler reach the caller of Poll;
  // the frame does not count and the next pass tries again.
  void SetOnTimer(std::function<void()> handler);

  int FrameRate() const { return frameRate_; }
  float Delta() const { return delta_; }
  float ElapsedTime() const { return elapsedTime_; }
  bool FPSWarning() const { return fpsWarning_; }

  // One pass of the loop: ticks when a frame is due.
  void Poll();

  // Seconds until a pass would tick: 0 when due now, negative when the timer
  // cannot tick (disabled, no handler).
  double TimeUntilNextTick() const;

  std::int64_t CountsPerFrame(int which) const;  // 0 target, 1 min, 2 max
  std::int64_t Frequency() const { return clock_.frequency; }

 private:
  void Fire(std::int64_t now);

  TimeSource clock_;
  bool enabled_ = false;
  int targetFPS_ = 0, minFPS_ = 10, maxFPS_ = 120, fpsWarningFrames_ = 10;
  std::function<void()> onTimer_;
  std::int64_t lastTick_ = 0, windowStart_ = 0;
  int frameCount_ = 0, frameRate_ = 0;
  float delta_ = 0, elapsedTime_ = 0;
  int slowFrames_ = 0;
  bool fpsWarning_ = false;
  std::int64_t cpfTarget_ = 0, cpfMin_ = 0, cpfMax_ = 0;
};

}  // namespace velmora
