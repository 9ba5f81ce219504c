// The error box throttle: one box at a time, a quiet period after each.
#include "app/ErrorReporter.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

struct ThrottleStep {
  int atMs;
  enum { Error, Close } what;
  bool opens;  // for Error: whether a box may open
};

TEST(ErrorBoxThrottle, OneBoxAtATimeAndQuietAfterClosing) {
  const std::vector<ThrottleStep> steps = {
      {0, ThrottleStep::Error, true},        // first error opens a box
      {10, ThrottleStep::Error, false},      // one is open: stderr only
      {3000, ThrottleStep::Error, false},
      {4000, ThrottleStep::Close, false},    // user presses OK
      {4001, ThrottleStep::Error, false},    // quiet period
      {8999, ThrottleStep::Error, false},
      {9000, ThrottleStep::Error, true},     // 5 s after closing
      {9500, ThrottleStep::Close, false},
      {9500, ThrottleStep::Close, false},    // a second close changes nothing
      {14499, ThrottleStep::Error, false},
      {20000, ThrottleStep::Error, true},
  };
  ErrorBoxThrottle::Clock::time_point now{};
  ErrorBoxThrottle throttle([&] { return now; });
  for (const auto& s : steps) {
    now = ErrorBoxThrottle::Clock::time_point{} + std::chrono::milliseconds(s.atMs);
    if (s.what == ThrottleStep::Close) {
      throttle.Closed();
      EXPECT_FALSE(throttle.BoxOpen()) << s.atMs;
    } else {
      EXPECT_EQ(throttle.TryOpen(), s.opens) << "error at " << s.atMs << " ms";
    }
  }
}

}  // namespace
}  // namespace velmora
