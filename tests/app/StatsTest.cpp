#include "app/Stats.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velmora {
namespace {

TEST(Stats, PercentilesOfAHistogram) {
  MsHistogram h;
  EXPECT_EQ(h.Percentile(0.5), 0);
  for (int i = 1; i <= 100; ++i) h.Add(i);  // 1..100 ms
  EXPECT_NEAR(h.Percentile(0.50), 50, 0.1);
  EXPECT_NEAR(h.Percentile(0.99), 99, 0.1);
  h.Add(1e9);  // absurd sample is kept in the last bucket, not lost
  EXPECT_EQ(h.Count(), 101u);
}

TEST(Stats, LatencyRunsFromReceiveToTheNextPresent) {
  RunStats s;
  auto t0 = RunStats::Clock::now();
  s.MessageHandled(t0, true);
  s.MessageHandled(t0 + std::chrono::milliseconds(10), true);
  s.MessageHandled(t0, false);  // rejected: never shown
  s.Presented(t0 + std::chrono::milliseconds(40));
  s.Presented(t0 + std::chrono::milliseconds(80));  // nothing new: no sample
  s.SetUdpReceiveBuffer(1048576);
  std::ostringstream out;
  s.Print(out, 1.0);
  EXPECT_NE(out.str().find("udp_receive_buffer_bytes: 1048576\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("messages_applied: 2\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("messages_rejected: 1\n"), std::string::npos);
  EXPECT_NE(out.str().find("latency_ms_p50: 30."), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("latency_ms_p99: 40."), std::string::npos) << out.str();
}

}  // namespace
}  // namespace velmora
