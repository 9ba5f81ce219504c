// Frame timing on a scripted counter: the timer's tick rules, the frames
// that messages start, the pacing wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "app/FrameClock.h"

namespace velmora {
namespace {

struct FakeClock {
  std::int64_t now = 1'000'000;
  TimeSource Clock(std::int64_t freq = 10'000'000) {
    return TimeSource{freq, [this] { return now; }};
  }
};

struct Rig {
  FakeClock fake;
  FrameClock timer{fake.Clock()};
  int ticks = 0;
  Rig(int target = 30, int minFps = 1, int maxFps = 30, int warn = 0) {
    timer.SetTargetFPS(target);
    timer.SetMinFPS(minFps);
    timer.SetMaxFPS(maxFps);
    timer.SetFPSWarningFrames(warn);
    timer.SetOnTimer([this] { ++ticks; });
    timer.SetEnabled(true);
  }
  void PassAt(std::int64_t sinceStart, bool newTelemetry = false) {
    fake.now += sinceStart;
    timer.Poll(newTelemetry);
  }
};

TEST(FrameClock, ConstructorAndCountsPerFrame) {
  FakeClock fake;
  FrameClock t(fake.Clock());
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.MinFPS(), 10);
  EXPECT_EQ(t.MaxFPS(), 120);
  EXPECT_EQ(t.FPSWarningFrames(), 10);
  t.SetTargetFPS(30);
  EXPECT_EQ(t.CountsPerFrame(0), 333'333);
  t.SetTargetFPS(0);
  EXPECT_EQ(t.CountsPerFrame(0), 333'333) << "values below 1 keep the old count";
}

TEST(FrameClock, TicksOnePeriodAfterTheLastFrame) {
  struct Pass {
    std::int64_t after;  // counts since the previous pass
    bool ticks;
  };
  struct Case {
    const char* what;
    std::vector<Pass> passes;
  } cases[] = {
      {"one count early, then exactly on time", {{333'332, false}, {1, true}}},
      {"late frame not made up", {{500'000, true}, {333'332, false}, {1, true}}},
  };
  for (const auto& c : cases) {
    Rig r;
    int wantTicks = 0;
    for (const auto& p : c.passes) {
      r.PassAt(p.after);
      wantTicks += p.ticks;
      EXPECT_EQ(r.ticks, wantTicks) << c.what;
    }
  }
}

// --sync telemetry at 60 frames a second (166,666 counts a period): a frame
// as soon as a message has been applied, never two within a period, and the
// timer drawing on its own while the link is silent.
TEST(FrameClock, MessagesStartFramesAtMostOnceAPeriod) {
  constexpr std::int64_t P = 166'666;
  struct Pass {
    std::int64_t after;  // counts since the previous pass
    bool newTelemetry;
    int ticks;           // 0 none, 1 started by the message, 2 by the timer
  };
  struct Case {
    const char* what;
    std::vector<Pass> passes;
  } cases[] = {
      {"a message a period after the last frame is drawn at once", {{P - 1, false, 0}, {1, true, 1}}},
      {"one within the period waits for its end", {{P / 3, true, 0}, {P - P / 3 - 1, true, 0}, {1, true, 1}}},
      {"a silent link: the timer draws every period", {{P, false, 2}, {P - 1, false, 0}, {1, false, 2}}},
      {"after a message's frame the timer waits two periods", {{P, true, 1}, {2 * P - 1, false, 0}, {1, false, 2}, {P, false, 2}}},
      {"or two of the link's own intervals: 30 messages a second",
       {{P, true, 1}, {2 * P, true, 1}, {4 * P - 1, false, 0}, {1, false, 2}}},
      {"a message then starts a frame a period after the timer's",
       {{P, false, 2}, {P / 2, true, 0}, {P / 2, true, 1}}},
      {"120 messages a second: one frame a period",
       {{P, true, 1}, {P / 2, true, 0}, {P / 2, true, 1}, {P / 2, true, 0}, {P / 2, true, 1}}},
      {"a frame up to a quarter period late keeps the messages' pace", {{P + P / 8, true, 1}, {P - P / 8, true, 1}}},
  };
  for (const auto& c : cases) {
    Rig r(60, 1, 60, 0);
    r.timer.SetSync(FrameSync::Telemetry);
    int ticks = 0;
    for (std::size_t i = 0; i < c.passes.size(); ++i) {
      const Pass& p = c.passes[i];
      r.PassAt(p.after, p.newTelemetry);
      EXPECT_EQ(r.ticks, ticks + (p.ticks != 0)) << c.what << ", pass " << i;
      if (p.ticks) {
        EXPECT_EQ(r.timer.LastFrameByTelemetry(), p.ticks == 1) << c.what << ", pass " << i;
      }
      ticks = r.ticks;
    }
  }
  Rig r(60, 1, 60, 0);
  r.timer.SetSync(FrameSync::Telemetry);
  r.fake.now += P / 4;
  EXPECT_NEAR(r.timer.TimeUntilNextTick(true), (P - P / 4) / 1e7, 1e-7) << "the loop sleeps until the period ends";
  EXPECT_NEAR(r.timer.TimeUntilNextTick(false), (P - P / 4) / 1e7, 1e-7);
  EXPECT_EQ(r.timer.PacingDeadline(0, r.fake.now), r.fake.now) << "a message's frame draws at once";
}

// The main loop's part on the scripted counter: a pass at each message and
// whenever the clock says a frame is due, until end; when each frame started.
std::vector<std::int64_t> FrameStarts(Rig& r, const std::vector<std::int64_t>& messages, std::int64_t end) {
  std::vector<std::int64_t> starts;
  bool fresh = false;
  for (std::size_t next = 0; r.fake.now < end;) {
    const std::int64_t due = r.fake.now + std::max<std::int64_t>(1, std::llround(r.timer.TimeUntilNextTick(fresh) * 1e7));
    if (next < messages.size() && messages[next] <= due) {
      r.fake.now = std::max(r.fake.now, messages[next++]);
      fresh = true;
    } else {
      r.fake.now = due;
    }
    const int ticks = r.ticks;
    r.timer.Poll(fresh);
    if (r.ticks != ticks) {
      starts.push_back(r.fake.now);
      fresh = false;
    }
  }
  return starts;
}

// An exporter a third of a period out of step with the timer's last frame.
// At the frame rate its messages first wait for the cap, then the frames
// fall into step with them; at twice the rate the cap holds.
TEST(FrameClock, FramesFallIntoStepWithAnExporterAndTheCapHolds) {
  constexpr std::int64_t P = 166'666, second = 10'000'000;
  for (const std::int64_t interval : {P, P / 2}) {
    Rig r(60, 1, 60, 0);
    r.timer.SetSync(FrameSync::Telemetry);
    r.PassAt(P);  // the timer's frame
    const std::int64_t t0 = r.fake.now;
    std::vector<std::int64_t> messages;
    for (std::int64_t m = t0 + P / 3; m < t0 + 2 * second; m += interval) messages.push_back(m);
    const auto starts = FrameStarts(r, messages, t0 + 2 * second);
    auto wait = [&](std::size_t k) { return *std::lower_bound(starts.begin(), starts.end(), messages[k]) - messages[k]; };
    if (interval == P) {
      EXPECT_GT(wait(0), P / 2) << "the first message waits for the cap";
      for (std::size_t k = 70; k < messages.size() - 1; ++k) EXPECT_EQ(wait(k), 0) << "in step after 64 frames: " << k;
    } else {
      EXPECT_LE(starts.size(), 2u * 61) << "at most one frame a second over --fps";
      EXPECT_GE(starts.size(), 2u * 60);
    }
  }
}

TEST(FrameClock, SlowFrameWarning) {
  Rig r(30, 1, 30, 0);
  r.PassAt(25'000'000);
  EXPECT_TRUE(r.timer.FPSWarning());
  r.PassAt(333'333);
  EXPECT_FALSE(r.timer.FPSWarning()) << "the next on-time frame clears it";

  Rig r3(30, 1, 30, 3);
  for (int i = 0; i < 2; ++i) {
    r3.PassAt(20'000'000);
    EXPECT_FALSE(r3.timer.FPSWarning()) << i;
  }
  r3.PassAt(20'000'000);
  EXPECT_TRUE(r3.timer.FPSWarning());
  r3.PassAt(20'000'000);
  EXPECT_TRUE(r3.timer.FPSWarning()) << "stays raised while frames stay slow";
  r3.timer.SetFPSWarningFrames(3);
  EXPECT_FALSE(r3.timer.FPSWarning());
}

TEST(FrameClock, EnablingTwiceResetsTheTimeBaseOnce) {
  Rig r;
  r.fake.now += 200'000;
  r.timer.SetEnabled(true);
  r.PassAt(133'333);
  EXPECT_EQ(r.ticks, 1) << "time base kept from the first enabling";
  r.timer.SetEnabled(false);
  r.PassAt(10'000'000);
  EXPECT_EQ(r.ticks, 1) << "disabled";
}

TEST(FrameClock, UnlimitedTicksOnEveryPass) {
  Rig r(0, 1, 0, 0);
  for (int i = 0; i < 5; ++i) r.PassAt(1);
  EXPECT_EQ(r.ticks, 5);
}

TEST(FrameClock, FrameRateCountsTheLastWholeSecond) {
  Rig r;
  for (int i = 0; i < 29; ++i) r.PassAt(333'334);
  EXPECT_EQ(r.timer.FrameRate(), 0) << "no whole second yet";
  r.PassAt(333'334);  // 1.00002 s: 29 frames fell inside the first second
  EXPECT_EQ(r.timer.FrameRate(), 29);
  for (int i = 0; i < 30; ++i) r.PassAt(333'334);
  EXPECT_EQ(r.timer.FrameRate(), 30);
}

TEST(FrameClock, TimeUntilNextTickLetsTheLoopSleep) {
  Rig r;
  EXPECT_NEAR(r.timer.TimeUntilNextTick(), 0.0333333, 1e-7);
  r.fake.now += 300'000;
  EXPECT_NEAR(r.timer.TimeUntilNextTick(), 0.0033333, 1e-7);
  r.fake.now += 40'000;
  EXPECT_EQ(r.timer.TimeUntilNextTick(), 0.0);
  r.timer.SetEnabled(false);
  EXPECT_LT(r.timer.TimeUntilNextTick(), 0.0);
  FrameClock noHandler;
  noHandler.SetEnabled(true);
  EXPECT_LT(noHandler.TimeUntilNextTick(), 0.0);
}

TEST(FrameClock, MinFpsAboveMaxFpsDoesNotStopFrames) {
  Rig r(0, 60, 30, 0);
  r.PassAt(333'334);
  EXPECT_EQ(r.ticks, 1);
}

TEST(FrameClock, HandlerExceptionsReachTheCallerAndTheFrameIsRetried) {
  Rig r;
  bool fail = true;
  r.timer.SetOnTimer([&] {
    ++r.ticks;
    if (fail) throw std::runtime_error("boom");
  });
  r.fake.now += 333'333;
  EXPECT_THROW(r.timer.Poll(), std::runtime_error);
  fail = false;
  r.timer.Poll();
  EXPECT_EQ(r.ticks, 2) << "the next pass ticks again at once";
}

}  // namespace
}  // namespace velmora
