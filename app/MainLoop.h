// The display's main loop: window events → telemetry hand-overs → a frame
// when the frame clock says one is due → wait until the next frame is due, a
// hand-over arrives or a window event comes. With --sync timer a frame's
// pacing wait serves hand-overs too, so a frame draws what arrived while it
// waited; it ends in time for the drawing to finish within the frame's
// period, so frames keep their rate. With --sync telemetry a frame starts as
// soon as a message has been applied (at most --fps a second) and draws at
// once. It never spins.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/FrameClock.h"

namespace velmora {

class Display;
class ErrorReporter;
class HandoverQueue;
class Platform;
class RunStats;
struct InputEvent;

// The loop's clock (the frame clock counts on it too) and a frame's pacing
// wait: it ends when a telemetry hand-over is queued or the time is up. The
// real one is the steady clock and the queue's own wait; tests drive both.
class PacingWait {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~PacingWait() = default;
  virtual Clock::time_point Now() = 0;
  // True when a hand-over is queued.
  virtual bool WaitForHandover(HandoverQueue& handover, Clock::duration timeout) = 0;
};

// Something beside the window that takes part in every frame, such as the
// browser view: asked just before a frame starts, told once it is presented.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  virtual void FrameStarting(Display& display) = 0;
  virtual void FramePresented(Platform& platform) = 0;
};

struct LoopOptions {
  std::optional<long> frames;      // stop after this many frames
  std::string screenshot;          // PNG written every screenshotInterval seconds
  double screenshotInterval = 0;   // 0: none while running
  int fps = 30;                    // frames a second: 30 or 60 (with --sync telemetry the cap)
  FrameSync sync = FrameSync::Timer;
};

class MainLoop {
 public:
  // stop is set from a signal handler (Ctrl-C, SIGTERM). pacing null: the
  // steady clock. The frame clock starts counting here: the first frame is
  // due a period later.
  MainLoop(Platform& platform, HandoverQueue& handover, Display& display, RunStats& stats, ErrorReporter& reporter,
           LoopOptions options, const std::atomic<bool>& stop, PacingWait* pacing = nullptr);

  // Runs until the window closes, stop is set, a terminate is requested or
  // the frame limit is reached.
  void Run();

  // One frame: the aspect ratio, the pacing wait (which serves telemetry),
  // the drawing. The frame timer calls it.
  void RunFrame();

  // Another window's display (window 1, 2, ... of the platform, in the
  // order added): drawn in every frame after the first window's, its events
  // acting on it alone.
  void AddWindow(Display& display) { displays_.push_back(&display); }
  // False once the user has closed that window (0 the first).
  bool WindowOpen(int window) const {
    return window >= 0 && window < static_cast<int>(displays_.size()) && displays_[window] != nullptr;
  }

  // Every open window's last picture: --screenshot's FILE for the first,
  // FILE-2.png and so on for the others.
  void SaveScreenshots();

  long Frames() const { return frames_; }
  const FrameClock& FrameTimer() const { return timer_; }

  void SetFrameObserver(FrameObserver* observer) { observer_ = observer; }

 private:
  // Returns false when the event asks to quit.
  bool Handle(const InputEvent& event);
  void ServeTelemetry();
  void Pace(std::int64_t frameStart);
  // A message has been applied since the last frame started.
  bool NewTelemetry() const;
  void Tick();
  void WaitForNextFrame(std::chrono::microseconds wait);
  std::chrono::microseconds TimeToWait(double secondsRunning);

  Platform& platform_;
  HandoverQueue& handover_;
  Display& display_;
  std::vector<Display*> displays_;  // [0] is display_; null once closed
  RunStats& stats_;
  ErrorReporter& reporter_;
  LoopOptions options_;
  const std::atomic<bool>& stop_;
  PacingWait& pacing_;
  FrameObserver* observer_ = nullptr;
  FrameClock timer_;  // on pacing_'s clock, in nanoseconds
  std::uint64_t appliedAtFrameStart_ = 0;
  long frames_ = 0;
  double nextShot_ = 0;
};

}  // namespace velmora
