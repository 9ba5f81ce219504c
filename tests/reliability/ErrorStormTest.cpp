// An exporter that writes an unreadable value 30 times a second over TCP:
// stderr gets one line a second naming the sender and the field, the lines
// held back are counted, and the display keeps drawing at its normal rate (a
// headless run never waits on a box).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <string>
#include <thread>

#include "tests/reliability/ChildProcess.h"

namespace velmora::reliability {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ErrorStorm, NanThirtyTimesASecondGoesToStderrAndFramesContinue) {
  TempDir dir;
  dir.Write("config.txt", ConfigText("tcp"));
  const PortPair ports = SparePorts();
  auto args = DisplayArgs(ports);
  args.push_back("--stats");
  args.push_back("--null-render");  // the frame rate then shows the loop, not the rasteriser
  Child display(args, {dir.path(), dir.File("stats.txt"), dir.File("stderr.txt")});
  ASSERT_TRUE(WaitForListeners(ports, true, false, 10s));

  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(ports.tcp);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  const std::string bad = "3250 450 nan 5 25 $\r\n";
  constexpr int kSent = 150;  // five seconds
  auto next = Clock::now();
  for (int i = 0; i < kSent; ++i) {
    ASSERT_EQ(::send(fd, bad.data(), bad.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bad.size()));
    next += 33ms;
    std::this_thread::sleep_until(next);
  }
  std::this_thread::sleep_for(300ms);
  ::close(fd);
  ASSERT_TRUE(display.Running());
  const ExitInfo done = display.Terminate(15s);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe();

  const std::string err = ReadFileText(dir.File("stderr.txt"));
  const int lines = CountLinesContaining(err, "field 3: 'nan' is not a valid floating point value");
  EXPECT_GE(lines, 4) << err.substr(0, 2000);
  EXPECT_LE(lines, 7) << "one stderr line a second\n" << err.substr(0, 2000);
  // Every error is either a line or counted in one ("(N more ...)" or, at close, "N more errors").
  long held = 0;
  for (std::size_t at = err.find(" more "); at != std::string::npos; at = err.find(" more ", at + 1)) {
    std::size_t digits = at;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(err[digits - 1]))) --digits;
    held += std::stol(err.substr(digits, at - digits));
  }
  EXPECT_EQ(lines + held, kSent) << err.substr(0, 2000);
  EXPECT_EQ(CountLinesContaining(err, "velmora: TCP 127.0.0.1:"), CountLinesContaining(err, "127.0.0.1"))
      << "each line names the transport and the sender";
  auto stats = ParseStats(ReadFileText(dir.File("stats.txt")));
  std::printf("[ error storm ] %d stderr lines, fps %.2f, rejected %.0f\n", lines, stats["fps"],
              stats["messages_rejected"]);
  EXPECT_EQ(stats["messages_rejected"], kSent);
  EXPECT_GE(stats["fps"], FrameRateFloor(25.0));
}

}  // namespace
}  // namespace velmora::reliability
