// The main loop.
#include "app/MainLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/Display.h"
#include "app/ErrorReporter.h"
#include "app/Platform.h"
#include "app/Stats.h"
#include "assets/BezelButtons.h"
#include "engine/FrameClock.h"
#include "app/MessageBox.h"
#include "link/Handover.h"

namespace velmora {

using Clock = std::chrono::steady_clock;

namespace {

class SteadyPacing : public PacingWait {
 public:
  Clock::time_point Now() override { return Clock::now(); }
  bool WaitForHandover(HandoverQueue& handover, Clock::duration timeout) override {
    // Rounded up: a wait cut to zero would spin through the last microsecond.
    return handover.WaitForWork(std::chrono::ceil<std::chrono::microseconds>(timeout));
  }
};

PacingWait& DefaultPacing() {
  static SteadyPacing pacing;
  return pacing;
}

}  // namespace

MainLoop::MainLoop(Platform& platform, HandoverQueue& handover, Display& display, RunStats& stats,
                   ErrorReporter& reporter, LoopOptions options, const std::atomic<bool>& stop, PacingWait* pacing)
    : platform_(platform),
      handover_(handover),
      display_(display),
      stats_(stats),
      reporter_(reporter),
      options_(std::move(options)),
      stop_(stop),
      pacing_(pacing ? *pacing : DefaultPacing()),
      period_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options_.fps))),
      // The classic 30 ms at 30 frames a second; a faster rate waits in proportion.
      pacingWait_(FrameCycle::kPacing * 30 / options_.fps) {
  FrameClock& timer = display_.FrameTimer();
  timer.SetTargetFPS(options_.fps);
  timer.SetMaxFPS(options_.fps);
  timer.SetOnTimer([this] { RunFrame(); });
}

bool MainLoop::Handle(const InputEvent& event) {
  switch (event.kind) {
    case InputEvent::Quit:
      return false;
    case InputEvent::ShowFlightPage:
      display_.ShowFlightPage();
      break;
    case InputEvent::ShowTacticalPage:
      display_.ShowTacticalPage();
      break;
    case InputEvent::ShowLinkPage:
      display_.ShowPage(Page::Link);
      break;
    case InputEvent::Click:
      if (const BezelButton* b = PageButtonAt(event.x, event.y)) display_.ShowPage(static_cast<Page>(b->page));
      break;
  }
  return true;
}

void MainLoop::ServeTelemetry() {
  // The network thread hands a batch over and waits for it; after one has
  // run, the next (what arrived meanwhile) is usually only microseconds
  // away. Serving those before the next frame keeps a fast exporter's
  // messages from piling up in the socket's queue, while the budget keeps a
  // flood from starving the frames.
  constexpr auto kBudget = std::chrono::milliseconds(1);
  constexpr auto kGrace = std::chrono::microseconds(200);
  const auto until = Clock::now() + kBudget;
  while (handover_.RunPending() > 0 && Clock::now() < until) {
    if (!handover_.WaitForWork(kGrace)) break;
  }
}

// The frame's pacing wait (30 ms at 30 frames a second), counted from its
// start, spent serving telemetry: a message that arrives while the frame
// waits is drawn by this frame, not the next one. It ends early enough for
// the rest of the frame (as long as the slowest of the last few took) to
// finish within the frame's period, so the wait and the drawing never make
// a frame late. Once the time is up nothing more is applied until the frame
// has been presented, so the frame reads one consistent record.
void MainLoop::Pace(Clock::time_point frameStart) {
  // Timed waits wake a little late; this much is kept in hand for it.
  constexpr auto kWakeMargin = std::chrono::microseconds(500);
  const auto tail = *std::max_element(tails_.begin(), tails_.end());
  const auto deadline = std::min(pacing_.Now() + pacingWait_, frameStart + period_ - tail - kWakeMargin);
  for (auto now = pacing_.Now(); now < deadline; now = pacing_.Now()) {
    if (pacing_.WaitForHandover(handover_, deadline - now)) handover_.RunPending();
  }
}

void MainLoop::RunFrame() {
  const auto start = pacing_.Now();
  if (observer_) observer_->FrameStarting(display_);
  platform_.FrameStarting();
  display_.PrepareFrame();
  // The start-up picture has no frame before it to be paced against: it is
  // drawn at once, and the frames after it keep the period.
  if (frames_ > 0) Pace(start);
  const auto paced = pacing_.Now();
  const auto t0 = Clock::now();
  display_.DrawFrame();
  const auto t1 = Clock::now();
  stats_.FrameDrawn(std::chrono::duration<double, std::milli>(t1 - t0).count());
  stats_.Presented(t1);
  ++frames_;
  if (observer_) observer_->FramePresented(platform_);
  tails_[nextTail_] = pacing_.Now() - paced;
  nextTail_ = (nextTail_ + 1) % tails_.size();
}

void MainLoop::Tick() {
  try {
    display_.FrameTimer().Poll();
  } catch (const std::exception& ex) {
    // The frame ends where it failed; the next tick draws a fresh one.
    reporter_.ReportError(ex.what());
  }
}

std::chrono::microseconds MainLoop::TimeToWait(double secondsRunning) {
  const double wait = display_.FrameTimer().TimeUntilNextTick();
  auto us = wait < 0 ? std::chrono::microseconds(100000)
                     : std::chrono::microseconds(static_cast<std::int64_t>(std::ceil(wait * 1e6)));
  if (options_.screenshotInterval > 0 && frames_ > 0)
    us = std::min(us, std::chrono::microseconds(
                          std::max<std::int64_t>(1000, static_cast<std::int64_t>((nextShot_ - secondsRunning) * 1e6))));
  return us;
}

// The window's wait counts whole milliseconds and may wake one late; a frame
// that starts a millisecond late every time loses one frame a second in
// thirty. So the window's wait stops short, and the last stretch before the
// frame is waited on the clock, still woken by telemetry.
void MainLoop::WaitForNextFrame(std::chrono::microseconds wait) {
  constexpr auto kFine = std::chrono::milliseconds(2);
  if (wait >= kFine) {
    platform_.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(wait) - std::chrono::milliseconds(1));
  } else if (wait.count() > 0) {
    pacing_.WaitForHandover(handover_, wait);
  }
}

void MainLoop::Run() {
  const auto start = Clock::now();
  auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  nextShot_ = options_.screenshotInterval;
  for (;;) {
    InputEvent event{};
    bool quit = false;
    while (!quit && platform_.PollEvent(event)) quit = !Handle(event);
    if (quit || stop_) break;
    ServeTelemetry();
    Tick();
    // Pictures only once a frame has been drawn: before it the back buffer
    // holds nothing worth writing.
    if (options_.screenshotInterval > 0 && frames_ > 0 && seconds() >= nextShot_) {
      if (!platform_.SaveScreenshot(options_.screenshot))
        std::fprintf(stderr, "velmora: cannot write the screenshot %s\n", options_.screenshot.c_str());
      // Pictures missed meanwhile (a slow start, a slow disk) are not made up.
      nextShot_ += options_.screenshotInterval;
      if (const double now = seconds(); nextShot_ <= now) nextShot_ = now + options_.screenshotInterval;
    }
    if (options_.frames && frames_ >= *options_.frames) break;
    if (TerminateRequested()) break;
    WaitForNextFrame(TimeToWait(seconds()));
  }
}

}  // namespace velmora
