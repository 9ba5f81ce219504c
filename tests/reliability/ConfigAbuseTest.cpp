// Damaged or hostile config.txt: the display starts with the fallback or
// keeps what it read, never crashes, exits 0, and leaves the user's files
// either intact or replaced by a complete five-line file.
#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "tests/reliability/ChildProcess.h"

namespace velmora::reliability {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// As root, file permissions mean nothing; the display then runs as nobody so
// that unreadable files and read-only directories are real.
constexpr uid_t kNobody = 65534;

enum class After {
  Rewritten,  // config.txt replaced by a complete small file
  KeptOld,    // config.txt byte for byte what the user had
  Untouched   // config.txt still a directory
};

struct ConfigCase {
  const char* name;
  std::function<void(const TempDir&)> prepare;
  After after;
  const char* transport;  // of the rewritten file: "tcp" when the fallback was used
};

const std::string kUserConfig = "100\r\n50\r\n800\r\n1\r\nudp\r\n";

bool IsCompleteConfig(const std::string& text, const char* transport) {
  auto lines = CountLinesContaining(text, "\r");
  return lines == 5 && text.size() > 10 && text.substr(text.size() - 2) == "\r\n" &&
         text.find(std::string("\r\n") + transport + "\r\n") != std::string::npos;
}

const ConfigCase kCases[] = {
    {"Unreadable",
     [](const TempDir& d) {
       d.Write("config.txt", kUserConfig);
       ::chmod(d.File("config.txt").c_str(), 0);
     },
     After::Rewritten, "tcp"},
    {"DirectoryNamedConfigTxt", [](const TempDir& d) { fs::create_directory(d.File("config.txt")); },
     After::Untouched, ""},
    {"OneGigabyteSparse",
     [](const TempDir& d) {
       d.Write("config.txt", "");
       fs::resize_file(d.File("config.txt"), 1ull << 30);
     },
     After::Rewritten, "tcp"},
    // Only the first five lines count: the user's settings survive.
    {"OneGigabyteAfterFiveGoodLines",
     [](const TempDir& d) {
       d.Write("config.txt", kUserConfig);
       fs::resize_file(d.File("config.txt"), 1ull << 30);
     },
     After::Rewritten, "udp"},
    {"BinaryGarbage",
     [](const TempDir& d) {
       std::mt19937 rng(3);
       std::string junk(4096, '\0');
       for (auto& c : junk) c = static_cast<char>(rng());
       d.Write("config.txt", junk);
     },
     After::Rewritten, "tcp"},
    {"ReadOnlyDirectoryAndFile",
     [](const TempDir& d) {
       d.Write("config.txt", kUserConfig);
       ::chmod(d.File("config.txt").c_str(), 0444);
       ::chmod(d.path().c_str(), 0555);
     },
     After::KeptOld, ""},
};

// A display of three frames in dir, with home for its font caches; as root
// it runs as nobody, from where nobody can reach it. The reason when that
// cannot be arranged, else empty.
std::string Prepare(const TempDir& dir, const TempDir& home, SpawnOptions& spawn, std::vector<std::string>& args) {
  spawn.cwd = dir.path();
  spawn.stderrPath = home.File("stderr.txt");
  spawn.env = {"HOME=" + home.path(), "XDG_CACHE_HOME=" + home.path()};
  args.insert(args.end(), {"--frames", "3"});
  if (::geteuid() != 0) return {};
  spawn.runAs = kNobody;
  std::string why;
  args[0] = RunnableBy(kNobody, args[0], &why);
  if (args[0].empty()) return why;
  for (const TempDir* d : {&dir, &home}) {
    if (::chown(d->path().c_str(), kNobody, kNobody) != 0) return "cannot give " + d->path() + " to user nobody";
    if (!Reachable(kNobody, d->path(), R_OK | W_OK | X_OK))
      return "user nobody cannot reach " + d->path() + ": point TMPDIR at a folder it can enter";
  }
  return {};
}

// Names instead of bytes in test listings.
void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.name; }

class ConfigAbuse : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigAbuse, NeverCrashesAndNeverLeavesAHalfFile) {
  const ConfigCase& c = GetParam();
  const bool root = ::geteuid() == 0;
  TempDir dir;
  TempDir home;  // font caches and the like, writable by whoever runs the display
  SpawnOptions spawn;
  auto args = DisplayArgs(SparePorts());
  if (std::string why = Prepare(dir, home, spawn, args); !why.empty()) GTEST_SKIP() << why;
  c.prepare(dir);
  if (root) {
    ASSERT_EQ(::lchown(dir.File("config.txt").c_str(), kNobody, kNobody), 0);
  }

  Child display(args, spawn);
  const ExitInfo done = display.Wait(30s);
  const std::string err = ReadFileText(home.File("stderr.txt"));
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe() << "\n" << err;
  EXPECT_LT(done.usage.ru_maxrss, 200 * 1024) << "the display read far more of config.txt than five lines";

  ::chmod(dir.path().c_str(), 0700);
  const std::string path = dir.File("config.txt");
  switch (c.after) {
    case After::Rewritten:
      ASSERT_TRUE(fs::is_regular_file(path));
      EXPECT_LT(fs::file_size(path), 100u);
      EXPECT_TRUE(IsCompleteConfig(ReadFileText(path), c.transport)) << ReadFileText(path);
      break;
    case After::KeptOld:
      EXPECT_EQ(ReadFileText(path), kUserConfig);
      break;
    case After::Untouched:
      EXPECT_TRUE(fs::is_directory(path)) << "the user's directory was replaced";
      break;
  }
  EXPECT_FALSE(fs::exists(dir.File("config.txt.tmp"))) << "temporary file left behind";
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigAbuse, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Read-only directory whose config.txt may still be written: the file ends
// up complete, with either the old or the rewritten contents.
TEST(ConfigAbuseDirect, ReadOnlyDirectoryWritableFileStaysComplete) {
  TempDir dir;
  TempDir home;
  SpawnOptions spawn;
  auto args = DisplayArgs(SparePorts());
  if (std::string why = Prepare(dir, home, spawn, args); !why.empty()) GTEST_SKIP() << why;
  dir.Write("config.txt", kUserConfig);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.File("config.txt").c_str(), kNobody, kNobody), 0);
  }
  ::chmod(dir.path().c_str(), 0555);
  Child display(args, spawn);
  const ExitInfo done = display.Wait(30s);
  ASSERT_TRUE(done.exited && done.status == 0) << done.Describe();
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_TRUE(IsCompleteConfig(ReadFileText(dir.File("config.txt")), "udp")) << ReadFileText(dir.File("config.txt"));
}

}  // namespace
}  // namespace velmora::reliability
