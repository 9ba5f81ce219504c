// Frame timing: the timer's tick rules, the telemetry-started frames and
// the pacing wait, on an injectable counter.
#include "app/FrameClock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace velmora {

TimeSource TimeSource::Steady() {
  TimeSource c;
  c.frequency = 1'000'000'000;
  c.now = [] {
    return static_cast<std::int64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  };
  return c;
}

std::string_view FrameSyncName(FrameSync sync) { return sync == FrameSync::Telemetry ? "telemetry" : "timer"; }

FrameClock::FrameClock(TimeSource clock) : clock_(std::move(clock)) {
  if (clock_.frequency <= 0 || !clock_.now) clock_ = TimeSource::Steady();
  SetMinFPS(10);
  SetMaxFPS(120);
  SetFPSWarningFrames(10);
}

void FrameClock::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (value) {
    lastTick_ = windowStart_ = clock_.now();
    lastAllowed_ = lastTick_ + Cap() / 64;  // the first frame a period after this
    frameCount_ = 0;
    frameRate_ = 0;
  }
}

void FrameClock::SetTargetFPS(int value) {
  targetFPS_ = value;
  if (value >= 1) cpfTarget_ = clock_.frequency / value;
}

void FrameClock::SetMinFPS(int value) {
  minFPS_ = value;
  if (value >= 1) cpfMin_ = clock_.frequency / value;
}

void FrameClock::SetMaxFPS(int value) {
  maxFPS_ = value;
  if (value >= 1) cpfMax_ = clock_.frequency / value;
}

void FrameClock::SetFPSWarningFrames(int value) {
  fpsWarningFrames_ = value;
  slowFrames_ = 0;
  fpsWarning_ = false;
}

void FrameClock::SetOnTimer(std::function<void()> handler) {
  onTimer_ = std::move(handler);
}

std::int64_t FrameClock::CountsPerFrame(int which) const {
  return which == 0 ? cpfTarget_ : which == 1 ? cpfMin_ : cpfMax_;
}

void FrameClock::Fire(std::int64_t now, bool byTelemetry) {
  // A throwing handler leaves the last tick where it was, so the next pass
  // tries the frame again.
  lastByTelemetry_ = byTelemetry;
  if (onTimer_) onTimer_();
  if (byTelemetry) {
    messageGap_ = telemetryTicked_ ? now - lastTelemetryTick_ : 0;
    lastTelemetryTick_ = now;
    telemetryTicked_ = true;
  }
  // The next frame a message starts is allowed a step after this one was
  // (a frame that started late, up to a quarter of a period, does not push
  // it back). The step is a 64th of a period short of the cap: a display
  // that started out of step with an exporter sending at the frame rate
  // itself falls into step with it within 64 frames, at the cost of at most
  // one frame a second over --fps.
  const std::int64_t cap = Cap();
  lastAllowed_ = std::max(lastAllowed_ + cap - cap / 64, now - cap / 4);
  lastTick_ = now;
  ++frameCount_;
}

std::int64_t FrameClock::Cap() const { return maxFPS_ != 0 ? cpfMax_ : 0; }

// The timer's own period is the later of the MaxFPS and TargetFPS bounds;
// MaxFPS alone caps the frames a message starts.
std::int64_t FrameClock::Period() const { return std::max(Cap(), targetFPS_ >= 1 ? cpfTarget_ : 0); }

std::int64_t FrameClock::DueAt(bool newTelemetry) const {
  const std::int64_t period = Period();
  if (sync_ == FrameSync::Timer) return lastTick_ + period;
  if (newTelemetry) return lastAllowed_ + Cap() - Cap() / 64;
  if (!lastByTelemetry_) return lastTick_ + period;  // a silent link: the timer keeps the rate
  // Just after a frame that a message started, the timer waits twice as
  // long as the last two messages were apart (that at least a period, at
  // most a quarter of a second) before it draws on its own: a timer frame
  // just ahead of a late message would push that message a whole period
  // back and cost a frame that shows nothing new.
  return lastTick_ + 2 * std::clamp(messageGap_, period, clock_.frequency / 4);
}

void FrameClock::Poll(bool newTelemetry) {
  if (!enabled_ || !onTimer_) return;
  const std::int64_t now = clock_.now();
  if (now - windowStart_ >= clock_.frequency) {
    frameRate_ = frameCount_;
    frameCount_ = 0;
    windowStart_ = now;
  }
  const std::int64_t elapsed = now - lastTick_;
  if (minFPS_ > 0 && elapsed > cpfMin_) {
    ++slowFrames_;
    if (slowFrames_ >= fpsWarningFrames_) {
      fpsWarning_ = true;
      --slowFrames_;
    }
  } else {
    fpsWarning_ = false;
    slowFrames_ = 0;
  }
  // Whether a frame is due is decided on the real time since the last one,
  // so a MinFPS above MaxFPS or TargetFPS cannot hold frames back for ever.
  if (now >= DueAt(newTelemetry)) Fire(now, sync_ == FrameSync::Telemetry && newTelemetry);
}

double FrameClock::TimeUntilNextTick(bool newTelemetry) const {
  if (!enabled_ || !onTimer_) return -1.0;
  const std::int64_t remaining = DueAt(newTelemetry) - clock_.now();
  return remaining <= 0 ? 0.0 : static_cast<double>(remaining) / static_cast<double>(clock_.frequency);
}

std::int64_t FrameClock::PacingWait() const {
  const int fps = targetFPS_ >= 1 ? targetFPS_ : 30;
  const std::int64_t at30 = clock_.frequency * kPacingAt30.count() / 1000;
  return at30 * 30 / fps;
}

std::int64_t FrameClock::PacingDeadline(std::int64_t frameStart, std::int64_t now) const {
  if (sync_ == FrameSync::Telemetry) return now;
  // Timed waits wake a little late; this much is kept in hand for it.
  const std::int64_t wakeMargin = clock_.frequency / 2000;  // 0.5 ms
  const std::int64_t tail = *std::max_element(tails_.begin(), tails_.end());
  return std::min(now + PacingWait(), frameStart + Period() - tail - wakeMargin);
}

void FrameClock::FrameFinished(std::int64_t afterWait) {
  tails_[nextTail_] = afterWait;
  nextTail_ = (nextTail_ + 1) % tails_.size();
}

}  // namespace velmora
