// Frame timer: tick rules on an injectable counter.
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

void FrameClock::Fire(std::int64_t now) {
  // A throwing handler leaves the last tick where it was, so the next pass
  // tries the frame again.
  if (onTimer_) onTimer_();
  lastTick_ = now;
  ++frameCount_;
}

void FrameClock::Poll() {
  if (!enabled_ || !onTimer_) return;
  const std::int64_t now = clock_.now();
  if (now - windowStart_ >= clock_.frequency) {
    frameRate_ = frameCount_;
    frameCount_ = 0;
    windowStart_ = now;
  }
  const std::int64_t elapsed = now - lastTick_;
  // The frame's length as Delta sees it: never longer than 1 / MinFPS.
  std::int64_t counted = elapsed;
  if (minFPS_ > 0 && elapsed > cpfMin_) {
    ++slowFrames_;
    counted = cpfMin_;
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
  if (maxFPS_ != 0 && elapsed < cpfMax_) return;
  const double freq = static_cast<double>(clock_.frequency);
  if (targetFPS_ < 1) {
    delta_ = elapsedTime_ = static_cast<float>(static_cast<double>(counted) / freq);
    Fire(now);
  } else if (elapsed >= cpfTarget_) {
    delta_ = cpfTarget_ > 0 ? static_cast<float>(static_cast<double>(counted) / static_cast<double>(cpfTarget_)) : 0.0f;
    elapsedTime_ = static_cast<float>(static_cast<double>(counted) / freq);
    Fire(now);
  }
}

double FrameClock::TimeUntilNextTick() const {
  if (!enabled_ || !onTimer_) return -1.0;
  const std::int64_t now = clock_.now();
  std::int64_t need = 0;
  if (maxFPS_ != 0) need = std::max(need, cpfMax_);
  if (targetFPS_ >= 1) need = std::max(need, cpfTarget_);
  const std::int64_t remaining = need - (now - lastTick_);
  return remaining <= 0 ? 0.0 : static_cast<double>(remaining) / static_cast<double>(clock_.frequency);
}

}  // namespace velmora
