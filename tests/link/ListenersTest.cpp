#include "link/Listeners.h"

#include "link/FlightData.h"
#include "link/Handover.h"
#include "link/Telemetry.h"
#include "platform/SocketErrors.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackSockets.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

using test::TcpClient;

void SendDatagram(std::uint16_t port, const std::string& payload) { ASSERT_TRUE(test::SendDatagram(port, payload)); }

void Send(TcpClient& s, const std::string& text) { ASSERT_TRUE(s.Send(text)); }

// Aborts the test program if a step hangs, so a deadlock fails fast.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          const auto end = std::chrono::steady_clock::now() + limit;
          while (!done_) {
            if (std::chrono::steady_clock::now() > end) {
              std::fprintf(stderr, "watchdog: listener test hung\n");
              std::abort();
            }
            std::this_thread::sleep_for(10ms);
          }
        }) {}
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Scans what arrives the way the display does: each datagram on its own,
// each TCP connection through its own framer.
class ScanningSink : public TelemetrySink {
 public:
  explicit ScanningSink(FlightData& rec) : rec_(rec) {}
  void Received(const Arrival& a) override {
    if (a.transport == Transport::Udp) {
      datagrams.emplace_back(a.bytes);
      if (a.bytes == failOn) throw std::runtime_error("the sink failed");
      results.push_back(!ApplyDatagram(rec_, a.bytes));
      return;
    }
    framers_[a.connection].FeedEach(a.bytes, rec_, [&](const TcpStreamFramer::Outcome& o) {
      if (o.scanned) results.push_back(o.error == nullptr);
      if (o.error) Failed(a.peer, o.error->message);
    });
  }
  void ConnectionClosed(std::uint32_t connection) override {
    framers_.erase(connection);
    ++closed;
  }
  void ConnectionFailed(std::uint32_t, std::string_view peer, const std::string& message) override {
    Failed(peer, message);
  }
  void DatagramTooLarge(std::string_view, std::size_t size, std::chrono::steady_clock::time_point) override {
    tooLarge.push_back(size);
  }
  std::vector<bool> results;
  std::vector<std::size_t> tooLarge;   // sizes of the datagrams dropped as oversized
  std::vector<std::string> datagrams;  // every one that reached the sink, in order
  std::string failOn;                  // a datagram that makes the sink throw
  std::vector<std::string> errors, peers;
  int closed = 0;
  std::size_t OpenFramers() const { return framers_.size(); }

 private:
  void Failed(std::string_view peer, const std::string& message) {
    errors.push_back(message);
    peers.emplace_back(peer);
  }
  FlightData& rec_;
  std::map<std::uint32_t, TcpStreamFramer> framers_;
};

class ListenersTest : public ::testing::Test {
 protected:
  ListenersTest() : queue([] {}) { ApplyStartupValues(rec); }

  void Start(ListenerConfig cfg = {0, 0}) {
    listeners = std::make_unique<TelemetryListeners>(sink, queue, cfg);
    listeners->Open();
  }

  // Plays the main loop until pred() holds or the time is up.
  template <class F>
  bool PumpUntil(F pred, std::chrono::milliseconds limit = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      queue.WaitForWork(2ms);
      handOvers += queue.RunPending();
    }
    return true;
  }
  void PumpFor(std::chrono::milliseconds d) { PumpUntil([] { return false; }, d); }

  Watchdog watchdog{30s};
  FlightData rec;
  HandoverQueue queue;
  ScanningSink sink{rec};
  std::vector<bool>& results = sink.results;
  std::vector<std::string>& errors = sink.errors;
  std::vector<std::string>& peers = sink.peers;
  std::unique_ptr<TelemetryListeners> listeners;
  std::size_t handOvers = 0;
};

TEST_F(ListenersTest, OversizedDatagramIsDroppedWholeAndTheNextApplied) {
  Start();
  const auto port = listeners->UdpPort();
  std::string atLimit = "9 $";
  atLimit.resize(TelemetryListeners::kMaxDatagram, 'x');  // bytes after "$" are ignored
  std::string over = "5 $";
  over.resize(9000, 'x');
  SendDatagram(port, over);
  SendDatagram(port, "7 8 $\r\n");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 1; }));
  EXPECT_EQ(rec.Altitude, 7);
  EXPECT_EQ(rec.LastDatagramText, "7 8 $\r\n");
  SendDatagram(port, atLimit + "y");
  SendDatagram(port, atLimit);
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 2; }));
  EXPECT_EQ(rec.Altitude, 9);
  EXPECT_EQ(rec.LastDatagramText.size(), TelemetryListeners::kMaxDatagram);
  // Both oversized ones were told to the sink, which counts them as rejected.
#if defined(_WIN32)
  // Under Wine the 9,000-byte datagram does not come back as "message too
  // long"; whether real Windows tells it is not known yet.
  GTEST_SKIP() << "oversized datagram report not seen under Wine";
#endif
  ASSERT_EQ(sink.tooLarge.size(), 2u);
  EXPECT_GT(sink.tooLarge[0], TelemetryListeners::kMaxDatagram);
  EXPECT_GT(sink.tooLarge[1], TelemetryListeners::kMaxDatagram);
}

TEST_F(ListenersTest, UdpParserErrorsAreSilentAndReceptionGoesOn) {
  Start();
  SendDatagram(listeners->UdpPort(), "3 x $");
  SendDatagram(listeners->UdpPort(), "4 $");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 2; }));
  EXPECT_EQ(results, (std::vector<bool>{false, true}));
  EXPECT_EQ(rec.Altitude, 4);
  EXPECT_TRUE(errors.empty());
}

TEST_F(ListenersTest, WaitingDatagramsAreHandedOverInBatchesInOrderAndAFailureKeepsTheRest) {
  Start();
  const auto port = listeners->UdpPort();
  sink.failOn = "3 $";
  std::vector<std::string> sent;
  // While the network thread waits for the main thread with one datagram,
  // more queue up in the socket; they come over together, at most one batch
  // at a time.
  struct Case {
    int waiting;
    std::size_t handOvers;
  } cases[] = {{5, 2}, {100, 3}};
  for (const auto& c : cases) {
    handOvers = 0;
    sent.push_back(std::to_string(sent.size() + 1) + " $");
    SendDatagram(port, sent.back());
    ASSERT_TRUE(queue.WaitForWork(3000ms));
    for (int i = 0; i < c.waiting; ++i) {
      sent.push_back(std::to_string(sent.size() + 1) + " $");
      SendDatagram(port, sent.back());
    }
    ASSERT_TRUE(PumpUntil([&] { return sink.datagrams.size() == sent.size(); }));
    EXPECT_EQ(handOvers, c.handOvers) << c.waiting << " waiting";
  }
  EXPECT_EQ(sink.datagrams, sent);
  EXPECT_EQ(results.size(), sent.size() - 1) << "only the one that failed is missing";
  EXPECT_EQ(rec.Altitude, static_cast<double>(sent.size()));
  EXPECT_GE(listeners->UdpReceiveBuffer(), 200000u);
}

TEST_F(ListenersTest, TwoTcpClientsAtOnceWithSplitMessages) {
  Start();
  TcpClient a(listeners->TcpPort());
  TcpClient b(listeners->TcpPort());
  ASSERT_TRUE(a.Connected());
  ASSERT_TRUE(b.Connected());
  ASSERT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 2; }));
  Send(a, "10 2");
  PumpFor(50ms);
  Send(b, "1 2 3 $\r\n");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 1; }));
  EXPECT_EQ(rec.LeftEngineRpm, 3);
  Send(a, "0 $\r\n5 6 $\r\n");  // the rest of a's message, and one more in the same write
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 3; }));
  EXPECT_EQ(rec.Altitude, 5);
  EXPECT_EQ(rec.IndicatedAirspeed, 6);
  EXPECT_EQ(results, (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(errors.empty());
  a.Close();  // a clean close leaves no trace
  ASSERT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 1; }));
  EXPECT_TRUE(errors.empty());
  // The sink hears of the close, so the connection's unfinished tail goes with it.
  ASSERT_TRUE(PumpUntil([&] { return sink.closed == 1; }));
  EXPECT_EQ(sink.OpenFramers(), 1u);
}

TEST_F(ListenersTest, TcpParserErrorIsReportedAndTheConnectionStays) {
  Start();
  TcpClient a(listeners->TcpPort());
  Send(a, "1 nan $\r\n");
  ASSERT_TRUE(PumpUntil([&] { return errors.size() == 1; }));
  EXPECT_EQ(errors[0], "'nan' is not a valid floating point value");
  EXPECT_EQ(peers[0].rfind("127.0.0.1:", 0), 0u) << peers[0];
  Send(a, "2 $");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 2; }));
  EXPECT_EQ(rec.Altitude, 2);
  EXPECT_EQ(listeners->TcpConnectionCount(), 1u);
}

TEST_F(ListenersTest, ResetConnectionIsReportedWithItsCode) {
  Start();
  TcpClient a(listeners->TcpPort());
  ASSERT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 1; }));
  a.Abort();
  ASSERT_TRUE(PumpUntil([&] { return errors.size() == 1; }));
  EXPECT_EQ(errors[0], "Asynchronous socket error " + std::to_string(test::ConnectionResetError().value()));
  EXPECT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 0; }));
}

TEST_F(ListenersTest, SixtyFifthConnectionIsClosedAtOnce) {
  Start();
  std::vector<TcpClient> clients;
  for (std::size_t i = 0; i < TelemetryListeners::kMaxConnections; ++i) {
    clients.emplace_back(listeners->TcpPort());
    ASSERT_TRUE(clients.back().Connected());
  }
  ASSERT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 64; }));
  TcpClient extra(listeners->TcpPort());
  ASSERT_TRUE(extra.Connected());
  EXPECT_EQ(extra.Receive(3000ms), "");
  EXPECT_TRUE(extra.Ended());  // end of stream (or reset)
  EXPECT_EQ(listeners->TcpConnectionCount(), 64u);
  // The earlier ones still work.
  Send(clients[63], "42 $");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 1; }));
  EXPECT_EQ(rec.Altitude, 42);
}

TEST_F(ListenersTest, PortInUseGivesTheExactMessages) {
  const test::UdpSocket udpHolder(true);
  const test::TcpListener tcpHolder(true);
  const std::uint16_t udpTaken = udpHolder.Port(), tcpTaken = tcpHolder.Port();
  const std::error_code inUse = test::AddressInUseError();
  using Failure = ListenerOpenError::Failure;
  struct Case {
    ListenerConfig cfg;
    std::string message;
    Failure failure;
  };
  const std::vector<Case> cases = {
      {{udpTaken, 0}, "Could not bind socket. Address and port are already in use.", Failure::PortInUse},
      {{0, tcpTaken},
       std::string(platform::kSocketErrorWords) + ": " + inUse.message() + " (" + std::to_string(inUse.value()) +
           "), on API 'bind'",
       Failure::TcpSocket},
  };
  for (const auto& c : cases) {
    TelemetryListeners l(sink, queue, c.cfg);
    try {
      l.Open();
      ADD_FAILURE() << "opened on a taken port";
    } catch (const ListenerOpenError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.failure(), c.failure);
    }
    EXPECT_FALSE(l.UdpActive());  // whatever opened first is closed again
    EXPECT_FALSE(l.TcpActive());
  }
}

TEST_F(ListenersTest, SecondDisplayOnTheSamePortsFailsForBoth) {
  Start();
  for (const ListenerConfig& cfg : {ListenerConfig{listeners->UdpPort(), 0}, ListenerConfig{0, listeners->TcpPort()}}) {
    TelemetryListeners second(sink, queue, cfg);
    EXPECT_THROW(second.Open(), ListenerOpenError) << cfg.udpPort << " " << cfg.tcpPort;
  }
  EXPECT_TRUE(listeners->TcpActive());
}

// A display restarted on its TCP port while an exporter is still connected
// to the one that went away: the old connection lingers on the port, and the
// new display must bind all the same.
TEST_F(ListenersTest, RestartOnTheSameTcpPortWhileAnExporterIsStillConnected) {
#if defined(_WIN32)
  // There the port is claimed exclusively, which may keep it while the old
  // connections wind down; not tried under Wine yet.
  GTEST_SKIP() << "exclusive port claim on Windows";
#endif
  Start();
  const auto tcpPort = listeners->TcpPort();
  TcpClient exporter(tcpPort);
  Send(exporter, "21 $");
  ASSERT_TRUE(PumpUntil([&] { return rec.Altitude == 21; }));
  listeners.reset();  // the display stops; the exporter has not noticed yet
  ASSERT_NO_THROW(Start({0, tcpPort}));
  TcpClient again(tcpPort);
  Send(again, "22 $");
  ASSERT_TRUE(PumpUntil([&] { return rec.Altitude == 22; }));
}

TEST_F(ListenersTest, DisplaysInAMulticastGroupShareTheUdpPortAndEachHearsTheGroup) {
  const std::string group = "239.20.0.83";
  Start({0, 0, group});
  // A machine without a multicast route cannot stage this; one with it must join.
  if (!test::SendToGroup(group, 9, "probe")) GTEST_SKIP() << "no multicast route to send by";
  EXPECT_GT(listeners->UdpGroupJoins(), 0u) << listeners->UdpGroupProblem();
  FlightData secondRec;
  ScanningSink secondSink(secondRec);
  TelemetryListeners second(secondSink, queue, {listeners->UdpPort(), 0, group});
  ASSERT_NO_THROW(second.Open());
  ASSERT_TRUE(test::SendToGroup(group, listeners->UdpPort(), "7 $"));
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 1 && secondSink.results.size() == 1; }));
  EXPECT_EQ(rec.Altitude, 7);
  EXPECT_EQ(secondRec.Altitude, 7);
  // Unicast to the port still reaches a display.
  SendDatagram(listeners->UdpPort(), "8 $");
  ASSERT_TRUE(PumpUntil([&] { return results.size() + secondSink.results.size() == 3; }));
}

TEST_F(ListenersTest, InactiveListenersDoNotReceive) {
  Start();
  const auto udpPort = listeners->UdpPort();
  const auto tcpPort = listeners->TcpPort();
  TcpClient a(tcpPort);
  ASSERT_TRUE(PumpUntil([&] { return listeners->TcpConnectionCount() == 1; }));
  listeners->SetUdpActive(false);
  listeners->SetUdpActive(false);  // same value: nothing happens
  listeners->SetTcpActive(false);
  EXPECT_EQ(listeners->UdpPort(), 0);
  EXPECT_EQ(listeners->TcpConnectionCount(), 0u);
  SendDatagram(udpPort, "1 $");
  EXPECT_FALSE(TcpClient(tcpPort).Connected());  // refused
  PumpFor(100ms);
  EXPECT_TRUE(results.empty());
  listeners->SetUdpActive(true);
  SendDatagram(listeners->UdpPort(), "2 $");
  ASSERT_TRUE(PumpUntil([&] { return results.size() == 1; }));
  EXPECT_EQ(rec.Altitude, 2);
}

TEST_F(ListenersTest, ClosingWhileAHandOverIsPendingDoesNotHang) {
  Start();
  SendDatagram(listeners->UdpPort(), "11 $");
  ASSERT_TRUE(queue.WaitForWork(3000ms));  // the network thread now waits for us
  const auto start = std::chrono::steady_clock::now();
  listeners->SetUdpActive(false);
  EXPECT_EQ(rec.Altitude, 11);  // the pending datagram was served while closing
  TcpClient a(listeners->TcpPort());
  Send(a, "12 $");
  ASSERT_TRUE(queue.WaitForWork(3000ms));
  listeners.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(rec.Altitude, 12);
}

TEST_F(ListenersTest, ShutDownQueueReleasesTheNetworkThread) {
  Start();
  SendDatagram(listeners->UdpPort(), "13 $");
  ASSERT_TRUE(queue.WaitForWork(3000ms));
  queue.Shutdown();  // the application is going away: pending work is dropped
  listeners.reset();
  EXPECT_EQ(rec.Altitude, 0);
  EXPECT_TRUE(results.empty());
}

}  // namespace
}  // namespace velmora
