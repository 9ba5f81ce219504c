// The main loop on a fake desktop: window events choose the page or quit,
// telemetry handed over between frames or during a frame's pacing wait is
// drawn by that frame, every frame keeps its pacing wait, a failing frame is
// reported and the next one runs.
#include "app/MainLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <sstream>
#include <thread>

#include "app/Display.h"
#include "app/ErrorReporter.h"
#include "window/Platform.h"
#include "app/Stats.h"
#include "canvas/RecordingCanvas.h"
#include "link/Handover.h"
#include "support/FakeWindow.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Canvas& canvas) : window_(&canvas) {}
  bool PollEvent(InputEvent& event) override {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
  }
  void Wait(std::chrono::milliseconds timeout) override {
    if (waitHook) return waitHook(timeout);
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, timeout, [this] { return wake_; });
    wake_ = false;
  }
  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      wake_ = true;
    }
    woken_.notify_one();
  }
  WindowHost& Window() override { return window_; }
  ImageDecoder& Decoder() override { return decoder_; }
  void ShowWindow() override {}
  void FrameStarting() override { ++framesStarted; }
  bool SaveScreenshot(const std::string&) override { return true; }
  void CloseWindow(int window) override { closed.push_back(window); }
  bool ShowErrorBox(std::string_view, std::string_view) override { return false; }

  std::deque<InputEvent> events;
  std::vector<int> closed;
  int framesStarted = 0;
  std::function<void(std::chrono::milliseconds)> waitHook;  // instead of a real wait

 private:
  testing::FakeWindow window_;
  testing::WhiteHeaderDecoder decoder_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool wake_ = false;
};

struct LoopRig {
  explicit LoopRig(LoopOptions options = {}, PacingWait* pacing = nullptr)
      : loop(platform, handover, display, stats, reporter, options, stop, pacing) {
    display.Start(display.RestoreWindow(std::nullopt));
  }
  RecordingCanvas canvas;
  FakePlatform platform{canvas};
  HandoverQueue handover{[this] { platform.Wake(); }};
  FlightData flight;
  Display display{platform.Window(), platform.Decoder(), flight};
  RunStats stats;
  std::vector<std::string> boxes;
  ErrorReporter reporter{"velmora", [this](std::string_view, std::string_view t) { boxes.emplace_back(t); }};
  std::atomic<bool> stop{false};
  MainLoop loop;
};

TEST(MainLoop, WindowEventsChooseThePageOrQuit) {
  struct Case {
    std::vector<InputEvent> events;
    Page page;
  } cases[] = {
      {{{InputEvent::ShowTacticalPage}}, Page::Tactical},
      {{{InputEvent::ShowTacticalPage}, {InputEvent::ShowFlightPage}}, Page::Flight},
      {{{InputEvent::ShowLinkPage}}, Page::Link},
      {{{InputEvent::ShowLinkPage}, {InputEvent::ShowTacticalPage}}, Page::Tactical},
      {{{InputEvent::Click, 634 + 10, 592 + 10}}, Page::Tactical},           // the "ТО" button
      {{{InputEvent::ShowTacticalPage}, {InputEvent::Click, 318, 592}}, Page::Flight},  // "ПИЛ"
      {{{InputEvent::Click, 634 - 1, 592 + 10}}, Page::Flight},              // beside it
  };
  for (const auto& c : cases) {
    LoopRig rig;
    for (const auto& e : c.events) rig.platform.events.push_back(e);
    rig.platform.events.push_back({InputEvent::Quit});
    rig.loop.Run();
    EXPECT_EQ(rig.display.CurrentPage(), c.page);
    EXPECT_EQ(rig.loop.Frames(), 0) << "events are served before any frame";
  }
}

// A second window: its keys, clicks, brightness and close act on it alone,
// and every frame draws both until it is closed.
TEST(MainLoop, EachWindowsEventsActOnThatWindowAlone) {
  auto on = [](InputEvent::Kind kind, int window, int x = 0, int y = 0) {
    InputEvent e{kind, x, y};
    e.window = window;
    return e;
  };
  struct Case {
    std::vector<InputEvent> events;
    Page first, second;
    int firstBrightness, secondBrightness;
    bool secondOpen;
  } cases[] = {
      {{on(InputEvent::ShowTacticalPage, 1)}, Page::Flight, Page::Tactical, 100, 100, true},
      {{on(InputEvent::ShowLinkPage, 0)}, Page::Link, Page::Flight, 100, 100, true},
      {{on(InputEvent::Click, 1, 644, 602)}, Page::Flight, Page::Tactical, 100, 100, true},
      {{on(InputEvent::Dimmer, 1), on(InputEvent::Dimmer, 1), on(InputEvent::Brighter, 0)}, Page::Flight, Page::Flight,
       100, 80, true},
      {{on(InputEvent::Quit, 1), on(InputEvent::ShowTacticalPage, 1)}, Page::Flight, Page::Flight, 100, 100, false},
      {{on(InputEvent::ShowTacticalPage, 7)}, Page::Flight, Page::Flight, 100, 100, true},  // no such window
  };
  for (const auto& c : cases) {
    LoopRig rig;
    RecordingCanvas device2;
    testing::FakeWindow window2{&device2};
    Display second(window2, rig.platform.Decoder(), rig.flight);
    second.Start(second.RestoreWindow(std::nullopt));
    rig.loop.AddWindow(second);
    for (const auto& e : c.events) rig.platform.events.push_back(e);
    rig.platform.events.push_back({InputEvent::Quit});
    rig.loop.Run();
    EXPECT_EQ(rig.display.CurrentPage(), c.first);
    EXPECT_EQ(second.CurrentPage(), c.second);
    EXPECT_EQ(rig.display.Brightness(), c.firstBrightness);
    EXPECT_EQ(second.Brightness(), c.secondBrightness);
    EXPECT_EQ(rig.loop.WindowOpen(1), c.secondOpen);
    EXPECT_EQ(rig.platform.closed, c.secondOpen ? std::vector<int>{} : std::vector<int>{1});
  }
  LoopRig rig(LoopOptions{2, {}, 0});
  RecordingCanvas device2;
  testing::FakeWindow window2{&device2};
  Display second(window2, rig.platform.Decoder(), rig.flight);
  second.Start(second.RestoreWindow(std::nullopt));
  rig.loop.AddWindow(second);
  rig.loop.Run();
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 2);
  EXPECT_EQ(device2.CountOf(CanvasCall::Kind::Present), 2);
}

TEST(MainLoop, EveryFrameWaitsItsPacingAndDrawsWhatArrivedBeforeIt) {
  LoopRig rig(LoopOptions{3, {}, 0});
  // A network thread hands one message over while the loop runs.
  std::thread net([&] { rig.handover.RunOnMain([&] { rig.flight.Altitude = 1234; }); });
  const auto start = std::chrono::steady_clock::now();
  rig.loop.Run();
  const auto took = std::chrono::steady_clock::now() - start;
  net.join();
  EXPECT_EQ(rig.loop.Frames(), 3);
  EXPECT_EQ(rig.platform.framesStarted, 3);
  EXPECT_EQ(rig.stats.frames(), 3u);
  // The first frame is drawn at once; each of the next two starts a frame
  // period (1/30 s) after the one before it, however much of that period a
  // slow draw (a sanitized build, a loaded machine) leaves to the pacing.
  EXPECT_GE(took, 2 * std::chrono::nanoseconds(1'000'000'000 / 30));
  EXPECT_EQ(rig.flight.Altitude, 1234);
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 3);
}

// Fake time for the pacing wait: each wait plays the next step of a script,
// which may hand messages over from other threads, and moves the clock.
class ScriptedPacing : public PacingWait {
 public:
  using Step = std::function<bool(HandoverQueue&, Clock::duration)>;
  Clock::time_point Now() override { return now; }
  bool WaitForHandover(HandoverQueue& q, Clock::duration timeout) override {
    timeouts.push_back(timeout);
    if (timeouts.size() > steps.size()) {
      now += timeout;
      return false;
    }
    return steps[timeouts.size() - 1](q, timeout);
  }
  Clock::time_point now{};
  std::vector<Step> steps;
  std::vector<Clock::duration> timeouts;
};

TEST(MainLoop, TheFrameDrawsWhatArrivedDuringItsPacingAndNothingAfterIt) {
  ScriptedPacing pacing;
  LoopRig rig({}, &pacing);
  std::vector<double> drawn;
  rig.display.Frames().SetFlightPage([&] { drawn.push_back(rig.flight.Altitude); });
  std::vector<std::thread> exporters;
  auto handOver = [&](HandoverQueue& q, double altitude) {
    exporters.emplace_back([&rig, altitude] { rig.handover.RunOnMain([&rig, altitude] { rig.flight.Altitude = altitude; }); });
    ASSERT_TRUE(q.WaitForWork(2s));
  };
  rig.loop.RunFrame();  // the start-up picture: drawn at once, no pacing wait
  EXPECT_TRUE(pacing.timeouts.empty());
  drawn.clear();
  pacing.steps = {
      [&](HandoverQueue& q, auto) {  // 10 ms into the pacing a message arrives
        handOver(q, 1000);
        pacing.now += 10ms;
        return true;
      },
      [&](HandoverQueue& q, auto timeout) {  // one arrives just as the pacing ends
        handOver(q, 2000);
        pacing.now += timeout;
        return false;
      },
  };
  rig.loop.RunFrame();
  EXPECT_EQ(drawn, std::vector<double>{1000});
  EXPECT_EQ(pacing.timeouts, (std::vector<PacingWait::Clock::duration>{30ms, 20ms})) << "30 ms from the start";
  EXPECT_EQ(rig.loop.Frames(), 2);
  EXPECT_EQ(rig.handover.RunPending(), 1u);  // the late one waits for the next pass of the loop
  EXPECT_EQ(rig.flight.Altitude, 2000);
  for (auto& t : exporters) t.join();
}

TEST(MainLoop, ThePacingWaitLeavesTheRestOfTheFrameItsTimeWithinThePeriod) {
  struct Case {
    int fps;
    FrameSync sync;
    std::chrono::microseconds drawing;  // what each frame takes after its wait
    std::chrono::microseconds wait;     // 0: none
  } cases[] = {
      {30, FrameSync::Timer, 0us, 30000us},                     // the classic wait when the drawing is quick
      {30, FrameSync::Timer, 6000us, 33333us - 6000us - 500us},  // cut so that the frame ends within 1/30 s
      {60, FrameSync::Timer, 0us, 15000us},                     // halved at 60 frames a second
      {60, FrameSync::Timer, 4000us, 16667us - 4000us - 500us},
      {60, FrameSync::Telemetry, 4000us, 0us},  // a message's frame draws at once
  };
  for (const auto& c : cases) {
    ScriptedPacing pacing;
    LoopRig rig(LoopOptions{{}, {}, 0, c.fps, c.sync}, &pacing);
    rig.display.Frames().SetFlightPage([&] { pacing.now += c.drawing; });
    // Four frames: what the drawing took, not the wait before it, is what
    // the next frames leave room for.
    for (int i = 0; i < 4; ++i) rig.loop.RunFrame();
    ASSERT_EQ(pacing.timeouts.size(), c.wait.count() ? 3u : 0u);  // the first frame is not paced
    for (std::size_t i = 0; i < pacing.timeouts.size(); ++i) {
      const double waitedUs = std::chrono::duration<double, std::micro>(pacing.timeouts[i]).count();
      EXPECT_NEAR(waitedUs, static_cast<double>(c.wait.count()), 1.0)
          << c.fps << " frames/s, drawing " << c.drawing.count() << " us, frame " << i + 2;
    }
  }
}

// Time that moves only when the loop waits, and an exporter on it: each
// message is handed over (from a thread of its own, as the network's) when
// a wait reaches its time, and the wait ends there.
class FakeTime : public PacingWait {
 public:
  struct Message {
    std::chrono::microseconds at;
    double altitude;
  };
  explicit FakeTime(std::vector<Message> messages = {}) : messages_(std::move(messages)) {}
  ~FakeTime() override {
    for (auto& t : exporters_) t.join();
  }
  void Attach(LoopRig& rig) {
    rig_ = &rig;
    rig.platform.waitHook = [this](std::chrono::milliseconds timeout) { Advance(timeout); };
  }
  Clock::time_point Now() override { return now_; }
  bool WaitForHandover(HandoverQueue&, Clock::duration timeout) override { return Advance(timeout); }
  std::chrono::microseconds Since() const { return std::chrono::duration_cast<std::chrono::microseconds>(now_ - Clock::time_point{}); }

 private:
  bool Advance(Clock::duration timeout) {
    if (next_ < messages_.size() && Clock::time_point{} + messages_[next_].at <= now_ + timeout) {
      now_ = Clock::time_point{} + messages_[next_].at;
      const double altitude = messages_[next_++].altitude;
      LoopRig& rig = *rig_;
      exporters_.emplace_back([&rig, altitude] {
        rig.handover.RunOnMain([&rig, altitude] {
          rig.flight.Altitude = altitude;
          rig.stats.MessageHandled(RunStats::Clock::now(), true);
        });
      });
      return rig.handover.WaitForWork(2s);
    }
    now_ += timeout;
    return false;
  }
  std::vector<Message> messages_;
  std::size_t next_ = 0;
  Clock::time_point now_{};
  LoopRig* rig_ = nullptr;
  std::vector<std::thread> exporters_;
};

struct DrawnFrame {
  double startMs;
  double altitude;
  bool operator==(const DrawnFrame&) const = default;
  friend void PrintTo(const DrawnFrame& f, std::ostream* os) { *os << f.altitude << " at " << f.startMs << " ms"; }
};

// The frames a loop draws on fake time: when each started (to 10 us) and
// what it drew.
std::vector<DrawnFrame> RunOnFakeTime(LoopRig& rig, FakeTime& time) {
  struct Starts : FrameObserver {
    explicit Starts(FakeTime& t) : time(t) {}
    void FrameStarting(Display&) override { ms.push_back(std::round(static_cast<double>(time.Since().count()) / 10) / 100); }
    void FramePresented(Platform&) override {}
    FakeTime& time;
    std::vector<double> ms;
  } starts(time);
  std::vector<DrawnFrame> drawn;
  time.Attach(rig);
  rig.loop.SetFrameObserver(&starts);
  rig.display.Frames().SetFlightPage([&] { drawn.push_back({starts.ms.back(), rig.flight.Altitude}); });
  rig.loop.Run();
  return drawn;
}

TEST(MainLoop, FramesComeAtTheRateAskedFor) {
  struct Case {
    int fps;
    FrameSync sync;
  } cases[] = {{30, FrameSync::Timer}, {60, FrameSync::Timer}, {60, FrameSync::Telemetry}};
  for (const auto& c : cases) {
    FakeTime time;
    LoopRig rig(LoopOptions{c.fps + 1, {}, 0, c.fps, c.sync}, &time);
    const auto drawn = RunOnFakeTime(rig, time);
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(c.fps + 1));
    EXPECT_NEAR(drawn.back().startMs - drawn.front().startMs, 1000.0, 0.1)
        << c.fps << " frames a second should take a second";
    std::ostringstream stats;
    rig.stats.Print(stats, 1.0);
    EXPECT_NE(stats.str().find("fps_target: " + std::to_string(c.fps) + "\nsync: " +
                               std::string(FrameSyncName(c.sync)) + "\n"),
              std::string::npos)
        << stats.str();
  }
}

TEST(MainLoop, WithTelemetrySyncAMessageStartsAFrameAndSeveralInAPeriodMakeOne) {
  // 60 frames a second: a period is 16.67 ms. The first frame is the
  // timer's, a period after the loop starts.
  FakeTime time({{20000us, 1}, {25000us, 2}, {30000us, 3}, {55000us, 4}});
  LoopRig rig(LoopOptions{3, {}, 0, 60, FrameSync::Telemetry}, &time);
  EXPECT_EQ(RunOnFakeTime(rig, time), (std::vector<DrawnFrame>{
                                          {16.67, 0},  // the timer's: no message yet
                                          {33.07, 3},  // three messages within a period (less a 64th): one frame, the last
                                          {55.00, 4},  // more than a period later: at once
                                      }));
  EXPECT_EQ(rig.stats.applied(), 4u);
}

// Frame start times, as the browser view sees them.
class FrameStarts : public FrameObserver {
 public:
  void FrameStarting(Display&) override { starts.push_back(std::chrono::steady_clock::now()); }
  void FramePresented(Platform&) override {}
  std::vector<std::chrono::steady_clock::time_point> starts;
};

TEST(MainLoop, TelemetryThatNeverPausesDoesNotHoldTheFramesBack) {
  LoopRig rig(LoopOptions{4, {}, 0});
  FrameStarts frames;
  rig.loop.SetFrameObserver(&frames);
  // An exporter handing messages over back to back (for two seconds at most).
  const auto start = std::chrono::steady_clock::now();
  std::atomic<bool> done{false};
  std::thread exporter([&] {
    while (!done && std::chrono::steady_clock::now() - start < 2s)
      rig.handover.RunOnMain([&] { rig.flight.Altitude += 1; });
  });
  rig.loop.Run();
  done = true;
  rig.handover.Shutdown();
  exporter.join();
  ASSERT_EQ(frames.starts.size(), 4u);
  EXPECT_GT(rig.flight.Altitude, 4) << "the messages were served meanwhile";
  for (std::size_t i = 0; i < frames.starts.size(); ++i)
    EXPECT_LT(frames.starts[i] - start, static_cast<int>(i + 1) * 34ms + 300ms) << "frame " << i;
}

TEST(MainLoop, AFailedFrameIsReportedAndTheNextOneRuns) {
  LoopRig rig(LoopOptions{2, {}, 0});
  int calls = 0;
  rig.display.Frames().SetFlightPage([&] {
    if (++calls == 1) throw std::range_error("Range check error");
  });
  rig.loop.Run();
  EXPECT_EQ(rig.boxes, std::vector<std::string>{"Range check error."});
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(rig.loop.Frames(), 2);
}

TEST(MainLoop, TheStopFlagEndsIt) {
  LoopRig rig;
  rig.stop = true;
  rig.loop.Run();
  EXPECT_EQ(rig.loop.Frames(), 0);
}

}  // namespace
}  // namespace velmora
