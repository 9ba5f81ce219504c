// The disk fills up under a running display: config.txt and the screenshot
// keep what they held, the recording holds whole lines only and resumes when
// there is room again, every failure is told on stderr, and the display runs
// on. A file-size limit must not end it either.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/WriteFaults.h"

namespace velmora::reliability {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Page 2 on line 4: the display always starts on page 1, so a rewrite shows.
const std::string kOldConfig = "100\r\n50\r\n800\r\n2\r\nudp\r\n";
const std::string kOldPicture = "the previous screenshot";

std::vector<std::string> RecordingDisplay(PortPair ports) {
  auto args = DisplayArgs(ports);
  args.insert(args.end(), {"--record", "flight.rec", "--screenshot", "shot.png"});
  return args;
}

long LineEnds(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

bool WholeLines(const std::string& text) { return text.empty() || text.back() == '\n'; }

// Sends messages until the display's stderr says needle; false after 15 s.
bool SendUntilTold(UdpSender& udp, const std::string& stderrPath, const std::string& needle, double& seed) {
  const auto until = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < until) {
    if (ReadFileText(stderrPath).find(needle) != std::string::npos) return true;
    udp.Send(ValidMessage(seed += 1));
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

void ExpectKeptAndTold(const TempDir& dir, const std::string& err, int error) {
  EXPECT_EQ(ReadFileText(dir.File("config.txt")), kOldConfig);
  EXPECT_EQ(ReadFileText(dir.File("shot.png")), kOldPicture);
  for (const char* tmp : {"config.txt.tmp", "shot.png.tmp"}) EXPECT_FALSE(fs::exists(dir.File(tmp))) << tmp;
  EXPECT_NE(err.find(std::string("velmora: cannot write config.txt: ") + std::strerror(error) + "\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("velmora: cannot write the screenshot shot.png\n"), std::string::npos) << err;
  EXPECT_TRUE(WholeLines(ReadFileText(dir.File("flight.rec"))));
}

TEST(DiskFull, NothingIsLostAndTheRecordingResumes) {
  TempDir dir;
  TempDir home;  // stderr and font caches, off the small disk
  auto disk = testing::ScopedMount::Tmpfs(dir.path(), 64 << 10);
  if (!disk.error().empty()) GTEST_SKIP() << disk.error();
  dir.Write("config.txt", kOldConfig);
  dir.Write("shot.png", kOldPicture);
  testing::FillUp(dir.path());
  fs::remove(dir.File("fill0"));  // one page: the start of the recording

  SpawnOptions spawn;
  spawn.cwd = dir.path();
  spawn.stderrPath = home.File("stderr.txt");
  spawn.env = {"HOME=" + home.path(), "XDG_CACHE_HOME=" + home.path()};
  const PortPair ports = SparePorts();
  Child display(RecordingDisplay(ports), spawn);
  ASSERT_TRUE(WaitForListeners(ports, false, true, 10s)) << ReadFileText(spawn.stderrPath);
  UdpSender udp(ports.udp);
  double seed = 0;

  const std::string full = "velmora: cannot write the --record file flight.rec after ";
  ASSERT_TRUE(SendUntilTold(udp, spawn.stderrPath, full, seed)) << ReadFileText(spawn.stderrPath);
  for (int i = 0; i < 20; ++i) udp.Send(ValidMessage(seed += 1));
  std::this_thread::sleep_for(300ms);
  std::string err = ReadFileText(spawn.stderrPath);
  EXPECT_EQ(CountLinesContaining(err, full), 1) << "told once, not per message:\n" << err;
  const std::size_t at = err.find(full) + full.size();
  const std::string told = err.substr(at, err.find('\n', at) - at);
  EXPECT_EQ(told.substr(told.find(' ')), " messages: No space left on device; trying again with every message");
  std::string rec = ReadFileText(dir.File("flight.rec"));
  EXPECT_TRUE(WholeLines(rec));
  EXPECT_EQ(LineEnds(rec), 1 + std::stol(told)) << "the header and every message told as written";

  // Room again: recording goes on where it stopped.
  fs::remove(dir.File("fill1"));
  fs::remove(dir.File("fill2"));
  ASSERT_TRUE(SendUntilTold(udp, spawn.stderrPath, "flight.rec again;", seed)) << ReadFileText(spawn.stderrPath);
  rec = ReadFileText(dir.File("flight.rec"));
  EXPECT_TRUE(WholeLines(rec));
  EXPECT_GT(LineEnds(rec), 1 + std::stol(told));

  // Full again when the display closes: config.txt and the screenshot cannot be written.
  testing::FillUp(dir.path());
  const ExitInfo done = display.Terminate(30s);
  err = ReadFileText(spawn.stderrPath);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe() << "\n" << err;
  ExpectKeptAndTold(dir, err, ENOSPC);
}

TEST(FileSizeLimit, TheDisplayRunsOnAndKeepsEveryFileWhole) {
  TempDir dir;
  TempDir home;
  dir.Write("config.txt", kOldConfig);
  dir.Write("shot.png", kOldPicture);
  // stderr through a pipe: a file would be held to the limit too.
  const std::string pipe = home.File("stderr");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);

  SpawnOptions spawn;
  spawn.cwd = dir.path();
  spawn.stderrPath = pipe;
  spawn.env = {"HOME=" + home.path(), "XDG_CACHE_HOME=" + home.path()};
  spawn.fileSizeLimit = 10;
  auto args = RecordingDisplay(SparePorts());
  args.insert(args.end(), {"--frames", "3"});
  Child display(args, spawn);
  const ExitInfo done = display.Wait(30s);
  std::string err;
  char buf[4096];
  for (ssize_t n; (n = ::read(reader, buf, sizeof buf)) > 0;) err.append(buf, static_cast<std::size_t>(n));
  ::close(reader);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe() << "\n" << err;
  ExpectKeptAndTold(dir, err, EFBIG);
  EXPECT_EQ(ReadFileText(dir.File("flight.rec")), "") << "not even half a header";
  EXPECT_NE(err.find("cannot write the --record file flight.rec after 0 messages: File too large"), std::string::npos)
      << err;
}

}  // namespace
}  // namespace velmora::reliability
