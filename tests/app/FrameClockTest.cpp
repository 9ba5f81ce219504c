// Frame timer: tick rules on a scripted counter.
#include <gtest/gtest.h>

#include <stdexcept>

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
  void PassAt(std::int64_t sinceStart) {
    fake.now += sinceStart;
    timer.Poll();
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
    float delta;
  };
  struct Case {
    const char* what;
    std::vector<Pass> passes;
  } cases[] = {
      {"one count early, then exactly on time", {{333'332, false, 0}, {1, true, 1.0f}}},
      {"late frame not made up", {{500'000, true, 1.5f}, {333'332, false, 0}, {1, true, 1.0f}}},
      {"clamped at 1 / MinFPS", {{25'000'000, true, 30.00003f}}},
  };
  for (const auto& c : cases) {
    Rig r;
    int wantTicks = 0;
    for (const auto& p : c.passes) {
      r.PassAt(p.after);
      wantTicks += p.ticks;
      EXPECT_EQ(r.ticks, wantTicks) << c.what;
      if (p.ticks) {
        EXPECT_NEAR(r.timer.Delta(), p.delta, 1e-4) << c.what;
      }
    }
  }
}

TEST(FrameClock, SlowFrameWarning) {
  Rig r(30, 1, 30, 0);
  r.PassAt(25'000'000);
  EXPECT_TRUE(r.timer.FPSWarning());
  EXPECT_NEAR(r.timer.ElapsedTime(), 1.0f, 1e-6);
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
  EXPECT_NEAR(r.timer.Delta(), 1e-7f, 1e-9);
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
