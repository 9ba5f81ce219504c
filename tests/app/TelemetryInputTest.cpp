// The telemetry input: each TCP connection framed on its own, a closed
// connection's unfinished message forgotten, every arrival recorded and
// counted, TCP errors reported with their peer.
#include "app/TelemetryInput.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/ErrorReporter.h"
#include "app/Stats.h"

namespace velmora {
namespace {

struct Recorder : ArrivalRecorder {
  void Write(const Arrival& a) override { seen.push_back(std::string(TransportName(a.transport)) + ":" + std::string(a.bytes)); }
  std::vector<std::string> seen;
};

struct Step {
  enum { Bytes, Close } what;
  Transport transport;
  std::uint32_t connection;
  const char* bytes;
};

TEST(TelemetryInput, ConnectionsAreFramedApartAndAClosedOneLeavesNothingBehind) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    double altitude, airspeed;
    std::uint64_t applied, rejected;
  } cases[] = {
      {"two connections interleaved",
       {{Step::Bytes, Transport::Tcp, 1, "10 2"}, {Step::Bytes, Transport::Tcp, 2, "7 8 $"},
        {Step::Bytes, Transport::Tcp, 1, "0 $"}},
       10, 20, 2, 0},
      {"a restart mid-message",
       {{Step::Bytes, Transport::Tcp, 1, "3.0"}, {Step::Close, Transport::Tcp, 1, ""},
        {Step::Bytes, Transport::Tcp, 2, "4001.00 5 $"}},
       4001, 5, 1, 0},
      {"a datagram is a message of its own",
       {{Step::Bytes, Transport::Tcp, 1, "1 "}, {Step::Bytes, Transport::Udp, 0, "6 $"},
        {Step::Bytes, Transport::Tcp, 1, "2 $"}},
       1, 2, 2, 0},
      {"a bad field", {{Step::Bytes, Transport::Tcp, 3, "x $"}, {Step::Bytes, Transport::Udp, 0, "y $"}}, 0, 0, 0, 2},
  };
  for (const auto& c : cases) {
    FlightData flight;
    RunStats stats;
    Recorder recorder;
    std::vector<std::string> boxes;
    ErrorReporter reporter("velmora", [&](std::string_view, std::string_view text) { boxes.emplace_back(text); },
                           ErrorBoxThrottle([] { return ErrorBoxThrottle::Clock::time_point{}; }, {}));
    TelemetryInput input(flight, &stats, &reporter, &recorder);
    std::size_t arrivals = 0;
    for (const Step& s : c.steps) {
      if (s.what == Step::Close) {
        input.ConnectionClosed(s.connection);
        continue;
      }
      input.Received(Arrival{s.transport, s.connection, s.bytes, {}, "127.0.0.1:5000"});
      ++arrivals;
    }
    EXPECT_EQ(flight.Altitude, c.altitude) << c.name;
    EXPECT_EQ(flight.IndicatedAirspeed, c.airspeed) << c.name;
    EXPECT_EQ(stats.applied(), c.applied) << c.name;
    EXPECT_EQ(stats.rejected(), c.rejected) << c.name;
    EXPECT_EQ(recorder.seen.size(), arrivals) << c.name;
    // Only the TCP error reaches a box; a bad datagram is replaced by the next.
    EXPECT_EQ(boxes, c.rejected ? std::vector<std::string>{"'x' is not a valid floating point value."}
                                : std::vector<std::string>{})
        << c.name;
  }
}

TEST(TelemetryInput, FeedGoesThroughTheDatagramPath) {
  FlightData flight;
  RunStats stats;
  Recorder recorder;
  TelemetryInput input(flight, &stats, nullptr, &recorder);
  EXPECT_FALSE(input.Feed("1200 300 $"));
  auto error = input.Feed("1 nan $");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->message, "'nan' is not a valid floating point value");
  EXPECT_EQ(flight.Altitude, 1);
  EXPECT_EQ(flight.LastDatagramText, "1 nan $");
  EXPECT_EQ(recorder.seen, (std::vector<std::string>{"udp:1200 300 $", "udp:1 nan $"}));
  EXPECT_EQ(stats.applied(), 1u);
  EXPECT_EQ(stats.rejected(), 1u);
}

}  // namespace
}  // namespace velmora
