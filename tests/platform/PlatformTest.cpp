// The platform room on whichever system the tests run: a durable replace
// over an existing file, appending and cutting back, the bundled face's
// file names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Files.h"
#include "platform/Fonts.h"

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
