#include "link/Telemetry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace std::string_literals;

struct StreamRun {
  FlightData rec;
  std::vector<std::string> errors;
  std::size_t messages = 0;
  std::size_t pending = 0;
};

StreamRun Feed(const std::vector<std::string_view>& reads) {
  StreamRun run;
  ApplyStartupValues(run.rec);
  TcpStreamFramer framer;
  for (auto chunk : reads)
    framer.FeedEach(chunk, run.rec, [&](const TcpStreamFramer::Outcome& o) {
      if (o.scanned) ++run.messages;
      if (o.error) run.errors.push_back(o.error->message);
    });
  run.pending = framer.PendingBytes();
  return run;
}

std::string Full(int base) {
  std::string s;
  for (int k = 1; k <= 33; ++k) s += std::to_string(base + k) + (k % 3 ? ",5 " : " ");
  return s + "$";
}

void ExpectSameRecord(const FlightData& a, const FlightData& b, const std::string& where) {
  for (const auto& f : kFlightFields) EXPECT_EQ(a.*f.member, b.*f.member) << where << " " << f.name;
}

// A stream the way exporters write it, with the faults they make: CR LF line
// ends, two messages in one write, a bad field, a short message, a tail.
const std::string kStream = Full(100) + "\r\n" + "1 2 x 4 $\n" + Full(200) + "\r\n" + Full(300) +
                            "\r\n7 8 $\r\n" + "\t 9 1e999 $" + "55 66 ";

TEST(TcpStreamFramer, WholeStreamAppliesEveryMessageInOrder) {
  const StreamRun run = Feed({kStream});
  EXPECT_EQ(run.messages, 6u);
  EXPECT_EQ(run.errors, (std::vector<std::string>{"'x' is not a valid floating point value",
                                                  "'1e999' is not a valid floating point value"}));
  EXPECT_EQ(run.rec.Altitude, 9);
  EXPECT_EQ(run.rec.IndicatedAirspeed, 8);
  EXPECT_EQ(run.rec.LeftEngineRpm, 303);  // from the last full message
  EXPECT_EQ(run.rec.TripleLampState, 333);
  EXPECT_EQ(run.pending, 6u);  // "55 66 " waits for its "$"
}

TEST(TcpStreamFramer, EverySplitIntoTwoAndThreeReadsGivesTheSameResult) {
  const StreamRun whole = Feed({kStream});
  const std::string_view s = kStream;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    const StreamRun two = Feed({s.substr(0, i), s.substr(i)});
    const std::string where = "split at " + std::to_string(i);
    ExpectSameRecord(two.rec, whole.rec, where);
    ASSERT_EQ(two.errors, whole.errors) << where;
    ASSERT_EQ(two.pending, whole.pending) << where;
  }
  // Three reads: every pair of cut points (the stream is a few hundred bytes).
  for (std::size_t i = 0; i <= s.size(); i += 1)
    for (std::size_t j = i; j <= s.size(); j += 3) {
      const StreamRun three = Feed({s.substr(0, i), s.substr(i, j - i), s.substr(j)});
      const std::string where = "split at " + std::to_string(i) + "," + std::to_string(j);
      ExpectSameRecord(three.rec, whole.rec, where);
      ASSERT_EQ(three.errors, whole.errors) << where;
      ASSERT_EQ(three.messages, whole.messages) << where;
    }
}

TEST(TcpStreamFramer, LeadingBlankBytesAreNotPartOfTheFirstField) {
  const StreamRun run = Feed({"\r\n\t\x01 \0"s + "12 $"});
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(run.rec.Altitude, 12);
  // Inside a message they still are part of a field.
  const StreamRun inner = Feed({"12 \r\n13 $"});
  EXPECT_EQ(inner.errors, std::vector<std::string>{"'\r\n13' is not a valid floating point value"});
}

TEST(TcpStreamFramer, BlankOnlyReadsAreSilent) {
  const StreamRun run = Feed({"\r\n", "   ", "\n"});
  EXPECT_TRUE(run.errors.empty());
  EXPECT_EQ(run.messages, 0u);
  EXPECT_EQ(run.pending, 0u);
}

TEST(TcpStreamFramer, OverlongTailIsDiscardedReportedAndSkippedToItsEnd) {
  const std::string junk(TcpStreamFramer::kMaxPending + 1, '7');
  const StreamRun run = Feed({junk.substr(0, 40000), junk.substr(40000), "1 2 $\r\n", "3 4 $"});
  EXPECT_EQ(run.errors, std::vector<std::string>{"Range check error"});
  EXPECT_EQ(run.messages, 1u);  // the end of the broken message is not scanned as one
  EXPECT_EQ(run.rec.Altitude, 3);
  EXPECT_EQ(run.pending, 0u);

  const std::string limit(TcpStreamFramer::kMaxPending, ' ');
  const StreamRun atLimit = Feed({"5" + std::string(TcpStreamFramer::kMaxPending - 1, '0'), " $"});
  ASSERT_EQ(atLimit.errors.size(), 1u);  // the 65536-digit field overflows, but is scanned
  EXPECT_NE(atLimit.errors[0].find("is not a valid floating point value"), std::string::npos);
}

TEST(TcpStreamFramer, ResetDropsTheTailSilently) {
  FlightData rec;
  ApplyStartupValues(rec);
  TcpStreamFramer framer;
  std::vector<std::string> errors;
  auto onOutcome = [&](const TcpStreamFramer::Outcome& o) {
    if (o.error) errors.push_back(o.error->message);
  };
  framer.FeedEach("1 2 $5 6", rec, onOutcome);
  EXPECT_EQ(framer.PendingBytes(), 3u);
  framer.Reset();
  EXPECT_EQ(framer.PendingBytes(), 0u);
  framer.FeedEach(" 7 $", rec, onOutcome);  // a new connection's first message
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(rec.Altitude, 7);
  EXPECT_EQ(rec.IndicatedAirspeed, 2);
}

}  // namespace
}  // namespace velmora
