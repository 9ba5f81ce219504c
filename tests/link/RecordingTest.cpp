// Recording line format: every byte string survives a write and a read, also
// after the file went through an editor; malformed lines say what is wrong.
#include "link/Recording.h"
#include "link/RecordingFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>

#include "tests/reliability/WriteFaults.h"

namespace velmora {
namespace {

RecordedMessage RoundTrip(std::int64_t ms, const std::string& transport, const std::string& bytes) {
  const std::string line = FormatRecordLine(ms, transport, bytes);
  std::string error;
  auto m = ParseRecordLine(line, &error);
  EXPECT_TRUE(m.has_value()) << error << " in " << line;
  return m.value_or(RecordedMessage{});
}

// What an editor or a mail program may do to a text file.
std::string Mangle(std::string_view text) {
  std::string out;
  std::size_t lineStart = 0;
  for (char c : text) {
    if (c == '\n') {
      while (out.size() > lineStart && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
      out += "\r\n";
      lineStart = out.size();
    } else {
      out += c;
    }
  }
  return out;
}

TEST(RecordingTest, EveryByteValueSurvivesAloneAndTogether) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    all += one;
    EXPECT_EQ(RoundTrip(7, "udp", one).bytes, one) << "byte " << b;
    // Alone at the end of the line, and between other bytes.
    EXPECT_EQ(RoundTrip(7, "tcp", "a" + one + "b").bytes, "a" + one + "b") << "byte " << b;
  }
  EXPECT_EQ(RoundTrip(0, "udp", all).bytes, all);
  EXPECT_EQ(RoundTrip(0, "udp", all + all).bytes, all + all);
  const std::int64_t latest = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(RoundTrip(latest, "tcp", ""), (RecordedMessage{latest, "tcp", ""}));
}

TEST(RecordingTest, LinesHoldOnlyPrintableAsciiAndEndInOneLineFeed) {
  std::string all;
  for (int b = 255; b >= 0; --b) all += static_cast<char>(b);
  const std::string line = FormatRecordLine(123, "udp", all);
  ASSERT_FALSE(line.empty());
  EXPECT_EQ(line.back(), '\n');
  for (std::size_t i = 0; i + 1 < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(c) << " at " << i;
  }
  // A message reads as itself: the common case stays legible.
  EXPECT_EQ(FormatRecordLine(1532, "udp", "1200.5 734 98 $\r\n"), "1532 udp 1200.5 734 98 $\\r\\n\n");
}

TEST(RecordingTest, RandomMessagesSurviveAWholeFileThroughAnEditor) {
  std::mt19937 rng(20083);
  // Biased towards the bytes that matter to the escaping.
  const std::string interesting = " \\x0123456789abcdefABCDEF$,.\r\n\t";
  std::vector<RecordedMessage> written;
  std::string file(kRecordingHeader);
  for (int i = 0; i < 3000; ++i) {
    RecordedMessage m;
    m.ms = static_cast<std::int64_t>(rng() % 100000000);
    m.transport = rng() % 2 ? "udp" : "tcp";
    const std::size_t n = rng() % 48;
    for (std::size_t k = 0; k < n; ++k)
      m.bytes += rng() % 3 ? interesting[rng() % interesting.size()] : static_cast<char>(rng() % 256);
    if (i % 10 == 0) m.bytes += ' ';  // trailing blanks are the fragile case
    file += FormatRecordLine(m.ms, m.transport, m.bytes);
    written.push_back(std::move(m));
  }
  for (const std::string& text : {file, Mangle(file)}) {
    std::vector<RecordedMessage> read;
    std::string error;
    ASSERT_TRUE(ParseRecording(text, read, &error)) << error;
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) ASSERT_EQ(read[i], written[i]) << "message " << i;
  }
}

TEST(RecordingTest, WritingRejectsWhatCouldNotBeReadBack) {
  EXPECT_THROW(FormatRecordLine(-1, "udp", "x"), std::invalid_argument);
  for (const char* transport : {"", "UDP", "serial", "udp ", "tc"})
    EXPECT_THROW(FormatRecordLine(0, transport, "x"), std::invalid_argument) << transport;
}

TEST(RecordingTest, CommentsAndBlankLinesAreSkippedWithoutError) {
  for (std::string_view line : {std::string_view(kRecordingHeader), std::string_view(""),
                                std::string_view("\n"), std::string_view("\r\n"),
                                std::string_view("   \t"), std::string_view("  # indented note")}) {
    std::string error = "stale";
    EXPECT_FALSE(ParseRecordLine(line, &error).has_value()) << line;
    EXPECT_EQ(error, "") << line;
  }
}

TEST(RecordingTest, MalformedLinesSayWhatIsWrong) {
  struct Case {
    std::string_view line;
    std::string_view reason;
  };
  const Case cases[] = {
      {"abc udp 1 $", "time in milliseconds"},
      {" 12 udp 1 $", "time in milliseconds"},
      {"-5 udp 1 $", "time in milliseconds"},
      {"1.5 udp 1 $", "not a whole number"},
      {"12x udp 1 $", "not a whole number"},
      {"99999999999999999999 udp 1 $", "too large"},
      {"12", "missing transport"},
      {"12 ftp 1 $", "neither udp"},
      {"12 UDP 1 $", "neither udp"},
      {"12  udp 1 $", "neither udp"},
      {"1 udp 1 $\\", "lone"},
      {"1 udp \\x4", "two hex digits"},
      {"1 udp \\xg0", "two hex digits"},
      {"1 udp \\x", "two hex digits"},
      {"1 udp \\q", "unknown escape"},
      {"1 udp \\ ", "unknown escape"},
      {"12 tcp/0 1 $", "neither udp"},
      {"12 tcp/03 1 $", "neither udp"},
      {"12 tcp/ 1 $", "neither udp"},
      {"12 tcp/4x 1 $", "neither udp"},
      {"12 udp/4 1 $", "neither udp"},
      {"12 tcp/4/close 1 $", "nothing may follow"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseRecordLine(c.line, &error).has_value()) << c.line;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << " gave: " << error;
    EXPECT_FALSE(ParseRecordLine(c.line, nullptr).has_value()) << c.line;
  }
}

TEST(RecordingTest, FileErrorNamesTheLineAndKeepsWhatCameBefore) {
  const std::string text = std::string(kRecordingHeader) +
                           "0 udp 1 2 3 $\r\n"
                           "\r\n"
                           "33 tcp 4 5 6 $\\r\\n\r\n"
                           "66 udp 7 \\y 9 $\r\n"
                           "99 udp 10 $\r\n";
  std::vector<RecordedMessage> read;
  std::string error;
  EXPECT_FALSE(ParseRecording(text, read, &error));
  EXPECT_EQ(error, "line 5: unknown escape \"\\y\"");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1], (RecordedMessage{33, "tcp", "4 5 6 $\r\n"}));

  // A last line without its line feed still counts.
  read.clear();
  EXPECT_TRUE(ParseRecording("5 udp $", read, &error)) << error;
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].bytes, "$");
}

TEST(RecordingTest, TcpLinesKeepTheirConnectionAndItsClose) {
  struct Case {
    std::string line;
    RecordedMessage expected;
  };
  const Case cases[] = {
      {FormatRecordLine(5, "tcp", "1 $", 3), {5, "tcp", "1 $", 3, false}},
      {FormatRecordLine(6, "tcp", "2 ", 4000000000u), {6, "tcp", "2 ", 4000000000u, false}},
      {FormatCloseLine(7, 3), {7, "tcp", "", 3, true}},
      {FormatRecordLine(8, "udp", "3 $", 9), {8, "udp", "3 $", 0, false}},  // a datagram has no connection
      {"9 tcp 4 $", {9, "tcp", "4 $", 0, false}},                           // written before connections were
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(ParseRecordLine(c.line, &error), c.expected) << c.line << error;
  }
  EXPECT_EQ(FormatCloseLine(7, 3), "7 tcp/3/close\n");
  EXPECT_THROW(FormatCloseLine(7, 0), std::invalid_argument);
}

// A file-size limit stands in for a full disk: the recording never holds
// half a line, the failure is told once with the count so far, and writing
// resumes with the next line that fits.
TEST(RecordingFileTest, AFullFileKeepsWholeLinesSaysSoOnceAndResumes) {
  char tmpl[] = "/tmp/velmora-rec-XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
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
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velmora
