// A UDP flood of 10,000 datagrams a second for 10 s, mixing valid messages,
// garbage and oversized datagrams: the display stays up, keeps its frame
// rate, and afterwards shows the last valid message sent.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "tests/reliability/ChildProcess.h"

namespace velmora::reliability {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct FloodCounts {
  long valid = 0, garbage = 0, oversized = 0;
};

// Ten datagrams a millisecond: six valid, two garbage, two of 9000 bytes.
FloodCounts Flood(std::uint16_t port, std::chrono::seconds duration) {
  UdpSender udp(port);
  std::mt19937 rng(8);
  std::string garbage(300, '\0');
  std::string oversized(9000, '7');
  FloodCounts n;
  const auto start = Clock::now();
  auto next = start;
  long tick = 0;
  while (Clock::now() - start < duration) {
    for (int k = 0; k < 10; ++k) {
      if (k < 6) {
        udp.Send(ValidMessage(static_cast<double>(tick * 10 + k)));
        ++n.valid;
      } else if (k < 8) {
        for (auto& c : garbage) c = static_cast<char>(rng());
        garbage[5] = ' ';  // a field boundary, so the scanner has work to do
        udp.Send(garbage.substr(0, 20 + rng() % 280));
        ++n.garbage;
      } else {
        oversized[k] = '$';
        udp.Send(oversized);
        ++n.oversized;
      }
    }
    ++tick;
    next += 1ms;
    std::this_thread::sleep_until(next);
  }
  return n;
}

struct FloodCase {
  const char* name;
  bool nullRender;
  double minFps;  // the software renderer on a small machine draws ~22 frames/s even when idle
};

// Names instead of bytes in test listings.
void PrintTo(const FloodCase& c, std::ostream* os) { *os << c.name; }

class UdpFlood : public ::testing::TestWithParam<FloodCase> {};

TEST_P(UdpFlood, StaysUpKeepsFrameRateAndShowsTheLastValidMessage) {
  const FloodCase& c = GetParam();
  TempDir dir;
  dir.Write("config.txt", ConfigText("udp"));
  const std::string last = ValidMessage(4242.5);
  dir.Write("last.txt", last);
  const PortPair ports = SparePorts();

  auto args = DisplayArgs(ports);
  args.push_back("--stats");
  if (c.nullRender)
    args.push_back("--null-render");
  else
    args.insert(args.end(), {"--screenshot", dir.File("flood.png")});
  Child display(args, {dir.path(), dir.File("stats.txt"), dir.File("stderr.txt")});
  ASSERT_TRUE(WaitForListeners(ports, false, true, 10s)) << ReadFileText(dir.File("stderr.txt"));

  const FloodCounts sent = Flood(ports.udp, 10s);
  // Let the socket's backlog drain, then the final state, sent three times
  // (same bytes) so one loss cannot decide the outcome.
  std::this_thread::sleep_for(1s);
  UdpSender udp(ports.udp);
  for (int i = 0; i < 3; ++i) {
    udp.Send(last);
    std::this_thread::sleep_for(100ms);
  }
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(display.Running()) << "the display died during the flood: " << display.Wait(0ms).Describe();
  const ExitInfo done = display.Terminate(15s);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe();

  auto stats = ParseStats(ReadFileText(dir.File("stats.txt")));
  std::printf("[ flood %s ] sent valid %ld garbage %ld oversized %ld; fps %.2f applied %.0f rejected %.0f "
              "frame_ms_p99 %.2f latency_ms_p50 %.2f p99 %.2f\n",
              c.name, sent.valid, sent.garbage, sent.oversized, stats["fps"], stats["messages_applied"],
              stats["messages_rejected"], stats["frame_ms_p99"], stats["latency_ms_p50"], stats["latency_ms_p99"]);
  EXPECT_GE(stats["fps"], FrameRateFloor(c.minFps)) << "frame rate under the flood";
  // Most of the flood is dropped by the kernel's socket buffer (that is UDP);
  // what gets through keeps being scanned, the good applied, the bad rejected.
  EXPECT_GT(stats["messages_applied"], 200.0);
  EXPECT_GT(stats["messages_rejected"], 20.0) << "garbage reached the scanner and was rejected";

  if (!c.nullRender) {
    // The picture after the flood must be the picture of the last message
    // alone: a fresh display fed only that message draws the same pixels.
    const PortPair refPorts = SparePorts();
    auto ref = DisplayArgs(refPorts);
    ref.insert(ref.end(), {"--feed", dir.File("last.txt"), "--frames", "5", "--screenshot", dir.File("ref.png")});
    Child reference(ref, {dir.path(), "", dir.File("ref-stderr.txt")});
    const ExitInfo r = reference.Wait(20s);
    ASSERT_TRUE(r.exited && r.status == 0) << r.Describe();
    const std::string flood = ReadFileText(dir.File("flood.png"));
    ASSERT_FALSE(flood.empty());
    const bool same = flood == ReadFileText(dir.File("ref.png"));
    if (!same) {
      // Keep both pictures for a person to compare.
      const char* out = std::getenv("VELMORA_TEST_OUT");
      std::string keep = out && *out ? out : "/tmp";
      std::filesystem::create_directories(keep);
      std::filesystem::copy_file(dir.File("flood.png"), keep + "/udp-flood-seen.png",
                                 std::filesystem::copy_options::overwrite_existing);
      std::filesystem::copy_file(dir.File("ref.png"), keep + "/udp-flood-expected.png",
                                 std::filesystem::copy_options::overwrite_existing);
    }
    EXPECT_TRUE(same) << "the display does not show the last valid message (pictures kept as udp-flood-*.png)";
  }
}

INSTANTIATE_TEST_SUITE_P(Renderers, UdpFlood,
                         ::testing::Values(FloodCase{"software", false, 15.0}, FloodCase{"null", true, 25.0}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace velmora::reliability
