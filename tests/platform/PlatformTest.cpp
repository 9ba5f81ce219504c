// The platform room on whichever system the tests run: a durable replace
// over an existing file, appending and cutting back, the bundled face's
// file names, the log kept small.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Files.h"
#include "platform/Fonts.h"
#include "platform/Log.h"

namespace velmora::platform {
namespace {

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

TEST(PlatformFiles, ReplaceOverwritesAnExistingFileAndLeavesNoTemporary) {
  TempDir dir("velmora-platform-");
  const auto path = dir.path() / "config.txt";
  std::ofstream(path, std::ios::binary) << "an older and longer content";
  const ReplaceOutcome outcome = ReplaceFileDurably(path, "new\r\n");
  EXPECT_FALSE(outcome.error) << outcome.error.message();
  EXPECT_EQ(Slurp(path), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "config.txt.tmp"));
}

TEST(PlatformFiles, AppendKeepsWhatWasThereAndTruncateCutsBack) {
  TempDir dir("velmora-platform-");
  const auto path = dir.path() / "flight.rec";
  std::error_code error;
  {
    File file;
    ASSERT_FALSE(file.Open(path, File::Mode::Append));
    EXPECT_EQ(file.Write("one\n", error), 4u);
  }
  File file;
  ASSERT_FALSE(file.Open(path, File::Mode::Append));
  EXPECT_TRUE(file.IsRegular());
  EXPECT_EQ(file.Size(), 4u);
  EXPECT_EQ(file.Write("two, cut short", error), 14u);
  EXPECT_TRUE(file.Truncate(4));
  EXPECT_EQ(file.Write("three\n", error), 6u);  // still at the end after the cut
  EXPECT_FALSE(error);
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(Slurp(path), "one\nthree\n");
  EXPECT_TRUE(file.Open(dir.path() / "missing" / "x", File::Mode::Read));
}

TEST(PlatformLog, ContinuesAnEarlierRunAndKeepsOnePreviousFileUnderTheCap) {
  TempDir dir("velmora-platform-");
  const auto log = dir.path() / "velmora.log", old = dir.path() / "velmora.old.log";
  std::ofstream(log, std::ios::binary) << "run1\n";
  {
    CappedLog capped(log, old, 12);
    capped.Write("run2 a\n");  // 12 bytes: still fits
    EXPECT_EQ(Slurp(log), "run1\nrun2 a\n");
    EXPECT_FALSE(std::filesystem::exists(old));
    capped.Write("b\n");  // would pass the cap: a new file
    capped.Write("c\n");
    EXPECT_EQ(Slurp(old), "run1\nrun2 a\n");
    EXPECT_EQ(Slurp(log), "b\nc\n");
    capped.Write("0123456789abcdef");  // longer than the cap: its end only, and the older file goes
    EXPECT_EQ(Slurp(old), "b\nc\n");
    EXPECT_EQ(Slurp(log), "456789abcdef");
  }
  CappedLog again(log, old, 12);  // a full file from the last run is set aside at the first line
  again.Write("x\n");
  EXPECT_EQ(Slurp(old), "456789abcdef");
  EXPECT_EQ(Slurp(log), "x\n");
}

TEST(PlatformFonts, BundledFaceFilePerStyle) {
  const struct {
    bool bold, italic;
    const char* name;
  } cases[] = {
      {false, false, "LiberationSans-Regular.ttf"},
      {true, false, "LiberationSans-Bold.ttf"},
      {false, true, "LiberationSans-Italic.ttf"},
      {true, true, "LiberationSans-BoldItalic.ttf"},
  };
  for (const auto& c : cases) {
    const std::filesystem::path file = BundledFontFile("fonts", c.bold, c.italic);
    EXPECT_EQ(file.filename().string(), c.name);
    EXPECT_EQ(file.parent_path().string(), "fonts");
  }
}

}  // namespace
}  // namespace velmora::platform
