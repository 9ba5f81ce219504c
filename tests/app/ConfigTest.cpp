#include "app/Config.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/Files.h"

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

TEST(Config, SixthLineTurnsThePicture) {
  struct Case { const char* text; std::optional<int> rotation; } cases[] = {
      {"10\n20\n800\n2\nudp\n", std::nullopt},
      {"10\n20\n800\n2\nudp\n90\n", 90},
      {"10\r\n20\r\n800\r\n2\r\nudp\r\n270  \r\n", 270},
      {"10\n20\n800\n2\nudp\n180\nmore\n", 180},
      {"10\n20\n800\n2\nudp\n0\n", 0},
      // Not a turn: the five lines still count, the picture stays upright.
      {"10\n20\n800\n2\nudp\n45\n", std::nullopt},
      {"10\n20\n800\n2\nudp\n$5A\n", std::nullopt},
      {"10\n20\n800\n2\nudp\nextra\n", std::nullopt},
  };
  for (const auto& c : cases) {
    auto r = ParseConfig(c.text);
    ASSERT_TRUE(r) << c.text;
    EXPECT_EQ(r->rotation, c.rotation) << c.text;
  }
}

class ConfigFile : public ::testing::Test {
 protected:
  platform::TempDir temp_{"velmora-config-"};
  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Slurp() {
    std::ifstream f(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  const std::filesystem::path dir_ = temp_.path(), path_ = dir_ / "config.txt";
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

TEST_F(ConfigFile, FiveLinesStayFiveUnlessTurned) {
  WindowConfig c{1, 2, 640, 1, "tcp"};
  ASSERT_TRUE(WriteConfigFile(path_, c));
  EXPECT_EQ(Slurp(), "1\r\n2\r\n640\r\n1\r\ntcp\r\n");
  c.rotation = 90;
  ASSERT_TRUE(WriteConfigFile(path_, c));
  EXPECT_EQ(Slurp(), "1\r\n2\r\n640\r\n1\r\ntcp\r\n90\r\n");
  auto back = ReadConfigFile(path_);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->rotation, 90);
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

}  // namespace
}  // namespace velmora
