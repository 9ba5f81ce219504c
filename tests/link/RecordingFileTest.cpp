// The --record file through a file-size limit (a Linux resource limit
// stands in for a full disk).
#include "link/Recording.h"
#include "link/RecordingFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/reliability/WriteFaults.h"

namespace velmora {
namespace {

// A file-size limit stands in for a full disk: the recording never holds
// half a line, the failure is told once with the count so far, and writing
// resumes with the next line that fits.
TEST(RecordingFileTest, AFullFileKeepsWholeLinesSaysSoOnceAndResumes) {
  platform::TempDir temp("velmora-rec-");
  const std::string dir = temp.path().string();
  const std::string path = dir + "/flight.rec";
  auto slurp = [&] {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  };
  std::vector<std::string> reports;
  const std::string line = FormatRecordLine(40, "udp", "1 2 3 $\r\n");
  std::string expected(kRecordingHeader);
  {
    RecordingFile file([&](const std::string& m) { reports.push_back(m); });
    EXPECT_EQ(file.Open(dir, kRecordingHeader), "cannot open --record file " + dir + ": Is a directory");
    ASSERT_EQ(file.Open(path, kRecordingHeader), "");
    EXPECT_TRUE(file.Append(line));
    {
      testing::ScopedFileSizeLimit limit(expected.size() + 2 * line.size() + line.size() / 2);
      EXPECT_TRUE(file.Append(line));
      EXPECT_FALSE(file.Append(line));  // half of it would fit
      EXPECT_FALSE(file.Append(line));
    }
    expected += line + line;
    EXPECT_EQ(slurp(), expected);
    EXPECT_TRUE(file.Append(line));
    expected += line;
    // Appending to an earlier recording adds no second header.
    ASSERT_EQ(file.Open(path, kRecordingHeader), "");
    EXPECT_TRUE(file.Append(line));
    expected += line;
  }
  EXPECT_EQ(slurp(), expected);
  EXPECT_EQ(reports, (std::vector<std::string>{
                         "cannot write the --record file " + path +
                             " after 2 messages: File too large; trying again with every message",
                         "writing the --record file " + path + " again; 2 messages could not be recorded"}));
}

}  // namespace
}  // namespace velmora
