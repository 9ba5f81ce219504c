// The main loop.
#include "app/MainLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "app/Display.h"
#include "app/ErrorReporter.h"
#include "window/Platform.h"
#include "app/Stats.h"
#include "assets/BezelButtons.h"
#include "window/MessageBox.h"
#include "link/Handover.h"
#include "panels/WindowSetup.h"

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

// The frame clock counts nanoseconds on the loop's clock.
TimeSource LoopTime(PacingWait& pacing) {
  return TimeSource{1'000'000'000, [&pacing] {
                      return static_cast<std::int64_t>(
                          std::chrono::duration_cast<std::chrono::nanoseconds>(pacing.Now().time_since_epoch()).count());
                    }};
}

}  // namespace

MainLoop::MainLoop(Platform& platform, HandoverQueue& handover, Display& display, RunStats& stats,
                   ErrorReporter& reporter, LoopOptions options, const std::atomic<bool>& stop, PacingWait* pacing)
    : platform_(platform),
      handover_(handover),
      display_(display),
      displays_{&display},
      stats_(stats),
      reporter_(reporter),
      options_(std::move(options)),
      stop_(stop),
      pacing_(pacing ? *pacing : DefaultPacing()),
      timer_(LoopTime(pacing_)) {
  // The display's values: no slow-frame warning, a frame is on time up to a
  // second late.
  timer_.SetTargetFPS(options_.fps);
  timer_.SetMaxFPS(options_.fps);
  timer_.SetMinFPS(1);
  timer_.SetFPSWarningFrames(0);
  timer_.SetSync(options_.sync);
  timer_.SetOnTimer([this] { RunFrame(); });
  timer_.SetEnabled(true);
  // What --stats says is what the clock was given.
  stats_.SetFrameTiming(timer_.TargetFPS(), FrameSyncName(timer_.Sync()));
}

bool MainLoop::Handle(const InputEvent& event) {
  // Keys and clicks act on the window they come from.
  if (!WindowOpen(event.window)) return true;
  Display& display = *displays_[static_cast<std::size_t>(event.window)];
  switch (event.kind) {
    case InputEvent::Quit:
      // Closing the first window ends the program; another closes alone.
      if (event.window == 0) return false;
      displays_[static_cast<std::size_t>(event.window)] = nullptr;
      platform_.CloseWindow(event.window);
      break;
    case InputEvent::ShowFlightPage:
      display.ShowFlightPage();
      break;
    case InputEvent::ShowTacticalPage:
      display.ShowTacticalPage();
      break;
    case InputEvent::ShowLinkPage:
      display.ShowPage(Page::Link);
      break;
    case InputEvent::Click:
      if (const BezelButton* b = PageButtonAt(event.x, event.y)) display.ShowPage(static_cast<Page>(b->page));
      break;
    case InputEvent::Brighter:
      display.SetBrightness(SteppedBrightness(display.Brightness(), 1));
      break;
    case InputEvent::Dimmer:
      display.SetBrightness(SteppedBrightness(display.Brightness(), -1));
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

// The frame's pacing wait (timer mode: 30 ms at 30 frames a second),
// spent serving telemetry: a message that arrives while the frame waits is
// drawn by this frame, not the next one. The frame clock ends it early
// enough for the rest of the frame to finish within the frame's period.
// Once the time is up nothing more is applied until the frame has been
// presented, so the frame reads one consistent record.
void MainLoop::Pace(std::int64_t frameStart) {
  const std::int64_t deadline = timer_.PacingDeadline(frameStart, timer_.Now());
  for (auto now = timer_.Now(); now < deadline; now = timer_.Now()) {
    if (pacing_.WaitForHandover(handover_, std::chrono::nanoseconds(deadline - now))) handover_.RunPending();
  }
}

void MainLoop::RunFrame() {
  const std::int64_t start = timer_.Now();
  appliedAtFrameStart_ = stats_.applied();
  if (observer_) observer_->FrameStarting(display_);
  platform_.FrameStarting();
  for (Display* d : displays_)
    if (d) d->PrepareFrame();
  // The start-up picture has no frame before it to be paced against: it is
  // drawn at once, and the frames after it keep the period.
  if (frames_ > 0) Pace(start);
  const std::int64_t paced = timer_.Now();
  const auto t0 = Clock::now();
  display_.DrawFrame();
  // A failing page in a further window costs that window its frame, not the others theirs.
  for (std::size_t i = 1; i < displays_.size(); ++i) {
    if (!displays_[i]) continue;
    try {
      displays_[i]->DrawFrame();
    } catch (const std::exception& ex) {
      reporter_.ReportError(ex.what());
    }
  }
  const auto t1 = Clock::now();
  stats_.FrameDrawn(std::chrono::duration<double, std::milli>(t1 - t0).count(), timer_.LastFrameByTelemetry());
  stats_.Presented(t1);
  ++frames_;
  if (observer_) observer_->FramePresented(platform_);
  // What the next frames' pacing leaves for this part: measured from the
  // end of the wait, not from the frame's start.
  timer_.FrameFinished(timer_.Now() - paced);
}

bool MainLoop::NewTelemetry() const { return stats_.applied() != appliedAtFrameStart_; }

void MainLoop::Tick() {
  try {
    timer_.Poll(NewTelemetry());
  } catch (const std::exception& ex) {
    // The frame ends where it failed; the next tick draws a fresh one.
    reporter_.ReportError(ex.what());
  }
}

std::chrono::microseconds MainLoop::TimeToWait(double secondsRunning) {
  const double wait = timer_.TimeUntilNextTick(NewTelemetry());
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

void MainLoop::SaveScreenshots() {
  for (int k = 0; k < static_cast<int>(displays_.size()); ++k) {
    if (!displays_[static_cast<std::size_t>(k)]) continue;
    const std::string file = WindowScreenshotFile(options_.screenshot, k);
    if (!platform_.SaveWindowScreenshot(k, file))
      std::fprintf(stderr, "velmora: cannot write the screenshot %s\n", file.c_str());
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
      SaveScreenshots();
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
