#include "app/Config.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/reliability/WriteFaults.h"

namespace velmora {
namespace {

TEST(Config, IntegerLineRule) {
  struct Case { const char* line; std::optional<std::int32_t> value; } cases[] = {
      {"100", 100}, {"  100", 100}, {"-5", -5}, {"+7", 7}, {"$64", 100}, {"x64", 100},
      {"X64", 100}, {"0x64", 100}, {"0X6a", 106}, {"-$10", -16}, {"$FFFFFFFF", -1},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"0", 0}, {"007", 7},
      {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"$100000000", std::nullopt},
      {"100 ", std::nullopt}, {"10.5", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
      {"$", std::nullopt}, {"0x", std::nullopt}, {"\t100", std::nullopt}, {"\xEF\xBB\xBF" "100", std::nullopt},
      {"1e3", std::nullopt}, {"$6G", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIntegerLine(c.line), c.value) << '"' << c.line << '"';
}

TEST(Config, LineSplitting) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
  EXPECT_EQ(SplitLines("a\n\rb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), V{});
}

TEST(Config, AllOrNothing) {
  struct Case { const char* text; bool ok; const char* transport; } cases[] = {
      {"10\r\n20\r\n800\r\n2\r\nudp\r\n", true, "udp"},
      {"10\n20\n800\n2\nudp   \n", true, "udp"},
      {"10\n20\n800\n2\n udp\n", true, " udp"},
      {"10\n20\n800\n2\nUDP", true, "UDP"},
      {"10\n20\n800\n2\n\n", true, ""},  // an empty fifth line is an empty transport
      {"10\n20\n800\n2\n\nextra\n", true, ""},
      {"10\n20\n800\n2\n", false, ""},
      {"10 \n20\n800\n2\nudp\n", false, ""},
      {"10\n20\n800\n2.5\nudp\n", false, ""},
      {"\xEF\xBB\xBF" "10\n20\n800\n1\ntcp\n", false, ""},
      {"$64\n20\n800\n1\ntcp\nignored\nlines\n", true, "tcp"},
  };
  for (const auto& c : cases) {
    auto r = ParseConfig(c.text);
    ASSERT_EQ(r.has_value(), c.ok) << c.text;
    if (r) {
      EXPECT_EQ(r->transport, c.transport) << c.text;
    }
  }
  auto r = ParseConfig("$64\n-20\n800\n2\ntcp\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->left, 100);
  EXPECT_EQ(r->top, -20);
  EXPECT_EQ(r->width, 800);
  EXPECT_EQ(r->pageMode, 2);
}

class ConfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/velmora-config-XXXXXX";
    dir_ = mkdtemp(tmpl);
    path_ = dir_ / "config.txt";
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0755);
    std::filesystem::remove_all(dir_);
  }
  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Slurp() {
    std::ifstream f(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  std::filesystem::path dir_, path_;
};

TEST_F(ConfigFile, WritesFiveCrLfLinesAndReadsThemBack) {
  WindowConfig c{-7, 30, 1000, 1, "udp"};
  ASSERT_TRUE(WriteConfigFile(path_, c));
  EXPECT_EQ(Slurp(), "-7\r\n30\r\n1000\r\n1\r\nudp\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "config.txt.tmp"));
  auto back = ReadConfigFile(path_);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->left, -7);
  EXPECT_EQ(back->transport, "udp");
}

TEST_F(ConfigFile, MissingOrDirectoryFallsBack) {
  EXPECT_FALSE(ReadConfigFile(path_));
  std::filesystem::create_directory(path_);
  EXPECT_FALSE(ReadConfigFile(path_));
  // Writing cannot replace a directory: reported, nothing thrown.
  EXPECT_FALSE(WriteConfigFile(path_, WindowConfig{0, 0, 1024, 1, "tcp"}));
}

TEST_F(ConfigFile, HugeFileReadsOnlyItsHead) {
  {
    std::ofstream f(path_, std::ios::binary);
    f << "1\r\n2\r\n640\r\n1\r\ntcp\r\n";
    std::string junk(1 << 20, '\x01');
    for (int i = 0; i < 4; ++i) f << junk;
  }
  auto r = ReadConfigFile(path_);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->width, 640);
}

// A rewrite that cannot be completed leaves the user's file as it was and
// says which file and why; a direct rewrite (which would cut the file short
// on a full disk) is only for a directory that takes no new file.
TEST_F(ConfigFile, EveryWriteFaultKeepsThePreviousBytesAndNamesTheReason) {
  const std::string old = "1\r\n2\r\n640\r\n1\r\ntcp\r\n";
  struct Held {
    std::optional<testing::ScopedMount> mount;
    std::optional<testing::ScopedFileSizeLimit> limit;
  };
  struct Fault {
    const char* name;
    int error;
    // Puts the old file in place and the fault in force; the reason when it cannot.
    std::function<std::string(Held&)> inflict;
  };
  const Fault faults[] = {
      {"disk full", ENOSPC,
       [&](Held& h) {
         h.mount.emplace(testing::ScopedMount::Tmpfs(dir_, 64 << 10));
         if (!h.mount->error().empty()) return h.mount->error();
         Put(old);
         testing::FillUp(dir_);
         return std::string();
       }},
      {"file-size limit of 10 bytes", EFBIG,
       [&](Held& h) {
         Put(old);
         h.limit.emplace(10);
         return std::string();
       }},
      {"read-only file system", EROFS,
       [&](Held& h) {
         Put(old);
         h.mount.emplace(testing::ScopedMount::ReadOnly(dir_));
         return h.mount->error();
       }},
      {"read-only directory and file", EACCES,
       [&](Held&) {
         if (::geteuid() == 0) return std::string("root ignores permissions (the read-only mount stands in)");
         Put(old);
         ::chmod(dir_.c_str(), 0555);
         ::chmod(path_.c_str(), 0444);
         return std::string();
       }},
  };
  for (const auto& f : faults) {
    Held held;
    if (std::string why = f.inflict(held); !why.empty()) {
      std::printf("%s: not run here: %s\n", f.name, why.c_str());
      continue;
    }
    std::string error;
    EXPECT_FALSE(WriteConfigFile(path_, WindowConfig{9, 9, 900, 2, "udp"}, &error)) << f.name;
    held.limit.reset();
    EXPECT_EQ(Slurp(), old) << f.name;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "config.txt.tmp")) << f.name;
    EXPECT_EQ(error, "cannot write " + path_.string() + ": " + std::strerror(f.error)) << f.name;
    held.mount.reset();
    ::chmod(dir_.c_str(), 0755);
    std::filesystem::remove(path_);
  }
}

}  // namespace
}  // namespace velmora
