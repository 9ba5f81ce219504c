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
#include "engine/MessageBox.h"
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
      pacing_(pacing ? *pacing : DefaultPacing()) {
  display_.FrameTimer().SetOnTimer([this] { RunFrame(); });
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

// The frame's 30 ms pacing, counted from its start, spent serving telemetry:
// a message that arrives while the frame waits is drawn by this frame, not
// the next one. Once the time is up nothing more is applied until the frame
// has been presented, so the frame reads one consistent record.
void MainLoop::Pace() {
  const auto deadline = pacing_.Now() + FrameCycle::kPacing;
  for (auto now = pacing_.Now(); now < deadline; now = pacing_.Now()) {
    if (pacing_.WaitForHandover(handover_, deadline - now)) handover_.RunPending();
  }
}

void MainLoop::RunFrame() {
  if (observer_) observer_->FrameStarting(display_);
  platform_.FrameStarting();
  display_.PrepareFrame();
  Pace();
  const auto t0 = Clock::now();
  display_.DrawFrame();
  const auto t1 = Clock::now();
  stats_.FrameDrawn(std::chrono::duration<double, std::milli>(t1 - t0).count());
  stats_.Presented(t1);
  ++frames_;
  if (observer_) observer_->FramePresented(platform_);
}

void MainLoop::Tick() {
  try {
    display_.FrameTimer().Poll();
  } catch (const std::exception& ex) {
    // The frame ends where it failed; the next tick draws a fresh one.
    reporter_.ReportError(ex.what());
  }
}

std::chrono::milliseconds MainLoop::TimeToWait(double secondsRunning) {
  const double wait = display_.FrameTimer().TimeUntilNextTick();
  int ms = wait < 0 ? 100 : static_cast<int>(std::ceil(wait * 1000.0));
  if (options_.screenshotInterval > 0)
    ms = std::min(ms, std::max(1, static_cast<int>((nextShot_ - secondsRunning) * 1000)));
  return std::chrono::milliseconds(ms);
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
    if (options_.screenshotInterval > 0 && seconds() >= nextShot_) {
      if (!platform_.SaveScreenshot(options_.screenshot))
        std::fprintf(stderr, "velmora: cannot write the screenshot %s\n", options_.screenshot.c_str());
      nextShot_ += options_.screenshotInterval;
    }
    if (options_.frames && frames_ >= *options_.frames) break;
    if (TerminateRequested()) break;
    const auto wait = TimeToWait(seconds());
    if (wait.count() > 0) platform_.Wait(wait);
  }
}

}  // namespace velmora
