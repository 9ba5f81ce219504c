#include "link/Announcer.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "tests/support/LoopbackSockets.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// A beacon each way, again and again; an address it cannot send to is said
// once and the rest still go.
TEST(Announcer, SendsBothLinesEveryIntervalAndReportsAFailingAddressOnce) {
  test::UdpSocket finder;
  std::mutex mutex;
  std::vector<std::string> reports;
  AnnouncerConfig cfg;
  cfg.port = finder.Port();
  cfg.interval = 20ms;
  cfg.networkLine = "network\n";
  cfg.loopbackLine = "loopback\n";
  // 127.0.0.1 stands in for a network's broadcast address.
  cfg.broadcastAddresses = [] { return std::vector<std::string>{"no-such-address", "127.0.0.1"}; };
  cfg.report = [&](const std::string& line) {
    std::lock_guard lock(mutex);
    reports.push_back(line);
  };
  Announcer announcer(cfg);
  std::multiset<std::string> heard;
  for (int i = 0; i < 10; ++i) {
    const auto d = finder.Receive(3000ms);
    ASSERT_TRUE(d) << "beacon " << i << " never came";
    heard.insert(*d);
  }
  EXPECT_GE(heard.count("network\n"), 4u);
  EXPECT_GE(heard.count("loopback\n"), 4u);
  const AnnouncerState state = announcer.State();
  EXPECT_EQ(state.networksReached, 1u);
  EXPECT_TRUE(state.loopbackReached);
  EXPECT_GE(state.beaconsSent, 8u);
  EXPECT_NE(state.lastError.find("no-such-address"), std::string::npos);
  std::lock_guard lock(mutex);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("no-such-address:" + std::to_string(finder.Port())), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("goes on"), std::string::npos) << reports[0];
}

}  // namespace
}  // namespace velmora
