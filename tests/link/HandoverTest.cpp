#include "link/Handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora {
namespace {

using namespace std::chrono_literals;

// Runs hand-overs on this (the "main") thread until done() or two seconds.
template <class F>
bool PumpUntil(HandoverQueue& q, F done) {
  const auto limit = std::chrono::steady_clock::now() + 2s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    q.WaitForWork(1ms);
    q.RunPending();
  }
  return true;
}

TEST(HandoverQueue, PosterWaitsUntilMainRanItsWorkInOrder) {
  std::atomic<int> wakes{0};
  HandoverQueue q([&] { ++wakes; });
  std::vector<int> ran;  // main thread only
  std::atomic<int> posted{0};
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i) {
      int local = i;  // lives on the poster's stack: must not be read after RunOnMain returns
      EXPECT_TRUE(q.RunOnMain([&] { ran.push_back(local); }));
      local = -1;
      ++posted;
    }
  });
  EXPECT_TRUE(PumpUntil(q, [&] { return posted == 5; }));
  poster.join();
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(wakes, 5);
  EXPECT_EQ(q.RunPending(), 0u);
}

TEST(HandoverQueue, ShutdownReleasesAPosterWhoseWorkNeverRan) {
  HandoverQueue q(nullptr);
  bool ran = false;
  auto result = std::async(std::launch::async, [&] { return q.RunOnMain([&] { ran = true; }); });
  ASSERT_TRUE(q.WaitForWork(2000ms));
  q.Shutdown();
  ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
  EXPECT_FALSE(result.get());
  EXPECT_EQ(q.RunPending(), 0u);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(q.RunOnMain([&] { ran = true; }));  // at once, without a main loop
  EXPECT_FALSE(ran);
}

TEST(HandoverQueue, WorkThatIsRunningFinishesBeforeShutdownReleasesItsPoster) {
  HandoverQueue q(nullptr);
  bool finished = false;
  auto result = std::async(std::launch::async, [&] {
    return q.RunOnMain([&] {
      q.Shutdown();  // e.g. the window closes from inside a handler
      finished = true;
    });
  });
  EXPECT_TRUE(PumpUntil(q, [&] { return result.wait_for(0s) == std::future_status::ready; }));
  EXPECT_TRUE(result.get());
  EXPECT_TRUE(finished);
}

TEST(HandoverQueue, ExceptionOfTheWorkReachesThePoster) {
  HandoverQueue q(nullptr);
  auto result = std::async(std::launch::async, [&] {
    try {
      q.RunOnMain([] { throw std::runtime_error("Range check error"); });
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
    return std::string("no exception");
  });
  EXPECT_TRUE(PumpUntil(q, [&] { return result.wait_for(0s) == std::future_status::ready; }));
  EXPECT_EQ(result.get(), "Range check error");
}

}  // namespace
}  // namespace velmora
