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

TEST(TelemetryInput, EveryErrorKindReachesStderrOncePerSecondPerSenderWithItsField) {
  using namespace std::chrono_literals;
  const std::string forty1 = [] {
    std::string m;
    for (int k = 1; k <= 41; ++k) m += std::to_string(k) + " ";
    return m + "$";
  }();
  enum How { Bytes, TooLarge, Failed };
  struct Case {
    Transport transport;
    How how;
    std::string bytes;
    std::string line;  // after "velmora: UDP|TCP 10.0.0.1:5000: "
    bool counted;      // a rejected message in --stats
  } cases[] = {
      {Transport::Udp, Bytes, "1 2 3 4 5 6 -nan 8 $", "field 7: '-nan' is not a valid floating point value", true},
      {Transport::Tcp, Bytes, "1 2 3 4 5 6 -nan 8 $", "field 7: '-nan' is not a valid floating point value", true},
      {Transport::Udp, Bytes, forty1, "field 41: Range check error", true},
      {Transport::Tcp, Bytes, forty1, "field 41: Range check error", true},
      {Transport::Udp, Bytes, "1\t2\t$", "no field before \"$\" (each number must be followed by a space)", true},
      {Transport::Tcp, Bytes, "1\t2\t$", "no field before \"$\" (each number must be followed by a space)", true},
      {Transport::Udp, Bytes, "1 2 ", "field 3: Range check error", true},
      {Transport::Udp, TooLarge, "", "datagram of 9000 bytes dropped: at most 8192 bytes are read", true},
      {Transport::Tcp, Failed, "", "Asynchronous socket error 104", false},
  };
  for (const auto& c : cases) {
    const std::string who = std::string(c.transport == Transport::Udp ? "UDP" : "TCP") + " 10.0.0.1:5000";
    FlightData flight;
    RunStats stats;
    std::vector<std::string> lines, boxes;
    ErrorBoxThrottle::Clock::time_point now{};
    ErrorReporter reporter("velmora", [&](std::string_view, std::string_view text) { boxes.emplace_back(text); },
                           ErrorBoxThrottle([] { return ErrorBoxThrottle::Clock::time_point{}; }, {}));
    reporter.SetOutput([&](std::string_view line) { lines.emplace_back(line); });
    reporter.SetClock([&] { return now; });
    TelemetryInput input(flight, &stats, &reporter, nullptr);
    // Four errors: at 0 and 1.1 s a line each, the two between held back and counted.
    for (const auto at : {0ms, 400ms, 900ms, 1100ms}) {
      now = ErrorBoxThrottle::Clock::time_point{} + at;
      const std::uint32_t connection = c.transport == Transport::Udp ? 0 : 7;
      if (c.how == Bytes) input.Received(Arrival{c.transport, connection, c.bytes, now, "10.0.0.1:5000"});
      if (c.how == TooLarge) input.DatagramTooLarge("10.0.0.1:5000", 9000, now);
      if (c.how == Failed) input.ConnectionFailed(connection, "10.0.0.1:5000", c.line);
    }
    const std::string first = "velmora: " + who + ": " + c.line;
    EXPECT_EQ(lines, (std::vector<std::string>{first, first + " (2 more from this sender suppressed)"})) << first;
    EXPECT_EQ(stats.rejected(), c.counted ? 4u : 0u) << first;
    EXPECT_EQ(stats.applied(), 0u) << first;
    EXPECT_EQ(boxes.size(), c.transport == Transport::Tcp ? 4u : 0u) << first;
    // Another sender has its own second; the held-back count comes out at close.
    input.Received(Arrival{Transport::Udp, 0, "x $", now, "10.0.0.2:6000"});
    input.Received(Arrival{Transport::Udp, 0, "x $", now, "10.0.0.2:6000"});
    reporter.FlushSuppressed();
    ASSERT_EQ(lines.size(), 4u) << first;
    EXPECT_EQ(lines[2], "velmora: UDP 10.0.0.2:6000: field 1: 'x' is not a valid floating point value");
    EXPECT_EQ(lines[3], "velmora: UDP 10.0.0.2:6000: 1 more errors suppressed");
  }
}


// The link status the glass reads: more errors than it keeps, an oversized
// datagram, and a sender of nothing but garbage after a good one.
TEST(TelemetryInput, LinkStatusKeepsTheNewestErrorsCountsEveryRejectAndOnlyGoodSendersAsLast) {
  using namespace std::chrono_literals;
  const auto t = std::chrono::steady_clock::time_point{} + 100s;
  enum How { Bytes, TooLarge };
  struct In { How how; Transport transport; const char* bytes; std::chrono::milliseconds at; const char* peer; };
  struct Case {
    const char* name;
    std::vector<In> arrivals;
    std::uint64_t applied, rejected;
    std::optional<std::chrono::steady_clock::time_point> lastApplied;
    const char* lastSender;
    std::vector<std::string> errorsFrom;  // newest first: the sender each kept error names
  } cases[] = {
      {"five errors keep the newest three",
       {{Bytes, Transport::Udp, "x $", 0ms, "a:1"}, {Bytes, Transport::Udp, "x $", 1ms, "b:1"},
        {Bytes, Transport::Tcp, "x $", 2ms, "c:1"}, {Bytes, Transport::Udp, "x $", 3ms, "d:1"},
        {TooLarge, Transport::Udp, "", 4ms, "e:1"}},
       0, 5, std::nullopt, "", {"e:1", "d:1", "c:1"}},
      {"an oversized datagram is a reject",
       {{Bytes, Transport::Udp, "5 $", 0ms, "a:1"}, {TooLarge, Transport::Udp, "", 10ms, "a:1"}},
       1, 1, t, "a:1", {"a:1"}},
      {"garbage from another sender later is not the last message",
       {{Bytes, Transport::Udp, "5 $", 0ms, "good:1"}, {Bytes, Transport::Udp, "x $", 2000ms, "bad:2"},
        {Bytes, Transport::Tcp, "y $", 2500ms, "bad:3"}},
       1, 2, t, "good:1", {"bad:3", "bad:2"}},
  };
  for (const auto& c : cases) {
    FlightData flight;
    TelemetryInput input(flight, nullptr, nullptr, nullptr);
    for (const In& a : c.arrivals) {
      if (a.how == TooLarge)
        input.DatagramTooLarge(a.peer, 9000, t + a.at);
      else
        input.Received(Arrival{a.transport, a.transport == Transport::Tcp ? 1u : 0u, a.bytes, t + a.at, a.peer});
    }
    const LinkStatus& s = input.Status();
    EXPECT_EQ(s.applied, c.applied) << c.name;
    EXPECT_EQ(s.rejected, c.rejected) << c.name;
    EXPECT_EQ(s.lastApplied, c.lastApplied) << c.name;
    EXPECT_EQ(s.lastSender, c.lastSender) << c.name;
    ASSERT_EQ(s.errorCount, c.errorsFrom.size()) << c.name;
    for (std::size_t i = 0; i < s.errorCount; ++i)
      EXPECT_EQ(s.errors[i].rfind(c.errorsFrom[i] + ": ", 0), 0u) << c.name << ": " << s.errors[i];
  }
}

// "Per second now" counts each second afresh: a busy second followed by a
// quiet one reads 0, not the average since start-up.
TEST(TelemetryInput, LinkRatesCountEachSecondAfresh) {
  using namespace std::chrono_literals;
  const auto t = std::chrono::steady_clock::time_point{} + 100s;
  struct Sample { std::chrono::milliseconds at; std::uint64_t applied, rejected; double appliedRate, rejectedRate; } samples[] = {
      {500ms, 10, 0, 0, 0},      // not a whole second yet
      {1000ms, 30, 4, 30, 4},
      {1500ms, 60, 4, 30, 4},    // the rates hold until the next whole second
      {2000ms, 90, 4, 60, 0},
      {4000ms, 90, 4, 0, 0},     // two quiet seconds
      {5000ms, 120, 5, 30, 1},
  };
  LinkStatus status;
  LinkRates rates(t);
  for (const Sample& s : samples) {
    status.applied = s.applied;
    status.rejected = s.rejected;
    rates.Sample(status, t + s.at);
    EXPECT_DOUBLE_EQ(rates.Applied(), s.appliedRate) << s.at.count();
    EXPECT_DOUBLE_EQ(rates.Rejected(), s.rejectedRate) << s.at.count();
  }
}

}  // namespace
}  // namespace velmora
