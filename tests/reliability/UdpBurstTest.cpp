// A burst of 10,000 valid datagrams, far faster than the display draws
// frames: the network thread takes what waits in the socket in batches and
// the frames' pacing waits serve them, so every message is applied and the
// kernel drops none.
#include <gtest/gtest.h>

#include <thread>

#include "tests/reliability/ChildProcess.h"

namespace velmora::reliability {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(UdpBurst, EveryMessageIsCounted) {
  constexpr long kMessages = 10000;
  TempDir dir;
  dir.Write("config.txt", ConfigText("udp"));
  const PortPair ports = SparePorts();
  auto args = DisplayArgs(ports);
  args.insert(args.end(), {"--stats", "--null-render"});
  Child display(args, {dir.path(), dir.File("stats.txt"), dir.File("stderr.txt")});
  ASSERT_TRUE(WaitForListeners(ports, false, true, 10s)) << ReadFileText(dir.File("stderr.txt"));

  UdpSender udp(ports.udp);
  const long probes = WaitUntilTheLoopServes(udp, ports.udp, 20s);

  // Back to back in bursts of a hundred, ten thousand a second: a few frames'
  // worth of messages reach the socket while one frame draws.
  auto next = Clock::now();
  for (long i = 0; i < kMessages; ++i) {
    ASSERT_TRUE(udp.Send(ValidMessage(static_cast<double>(i))));
    if (i % 100 == 99) std::this_thread::sleep_until(next += 10ms);
  }
  // Wait until the socket's queue is empty, then for the last batch's frame.
  const auto limit = Clock::now() + 10s;
  UdpSocketState socket = UdpSocketOnPort(ports.udp);
  while (socket.queuedBytes > 0 && Clock::now() < limit) {
    std::this_thread::sleep_for(20ms);
    socket = UdpSocketOnPort(ports.udp);
  }
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(display.Running()) << display.Wait(0ms).Describe();
  const ExitInfo done = display.Terminate(15s);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe();

  auto stats = ParseStats(ReadFileText(dir.File("stats.txt")));
  std::printf("[ burst ] applied %.0f of %ld; kernel drops %ld; fps %.1f; latency p50 %.1f p99 %.1f ms\n",
              stats["messages_applied"], kMessages + probes, socket.drops, stats["fps"], stats["latency_ms_p50"],
              stats["latency_ms_p99"]);
  EXPECT_TRUE(socket.found);
  EXPECT_EQ(socket.drops, 0) << "the socket's queue overflowed";
  EXPECT_EQ(stats["messages_applied"], static_cast<double>(kMessages + probes));
  EXPECT_EQ(stats["messages_rejected"], 0.0);
}

}  // namespace
}  // namespace velmora::reliability
