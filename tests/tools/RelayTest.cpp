// The relay between real loopback sockets: three targets, one down and one
// slow, fed over UDP and over TCP.
#include "tools/send/Relay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackSockets.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Sequence numbers from "N pad...$" messages, whatever the read boundaries.
void Collect(std::string& pending, std::string_view data, std::vector<long>& out) {
  pending.append(data);
  for (std::size_t end; (end = pending.find('$')) != std::string::npos; pending.erase(0, end + 1))
    out.push_back(std::stol(pending.substr(pending.find_first_not_of("\r\n"))));
}

bool InOrderWithoutRepeats(const std::vector<long>& seq) {
  for (std::size_t i = 1; i < seq.size(); ++i)
    if (seq[i] <= seq[i - 1]) return false;
  return true;
}

TEST(RelayTest, EveryMessageReachesTheLiveTargetsInOrderWhateverTheOthersDo) {
  for (const bool tcpIn : {false, true}) {
    SCOPED_TRACE(tcpIn ? "fed over tcp" : "fed over udp");
    test::UdpSocket fast;
    test::TcpListener slow(false, 4096);  // a small receive buffer, to fill soon
    const std::uint16_t fastPort = fast.Port(), slowPort = slow.Port();
    const std::uint16_t downPort = test::TcpListener().Port();  // nothing listens there any more

    Relay relay({tcpIn, {"127.0.0.1", 0}},
                {{false, {"127.0.0.1", fastPort}}, {true, {"127.0.0.1", slowPort}}, {true, {"127.0.0.1", downPort}}});
    std::thread runner([&] { relay.Run(); });

    // The slow display reads nothing for 2 s, then takes everything.
    std::vector<long> slowGot;
    std::thread slowReader([&] {
      auto c = slow.Accept(10s);
      if (!c) return;
      std::this_thread::sleep_for(2s);
      std::string pending;
      for (std::string got; !(got = c->ReceiveSome(10s)).empty();) Collect(pending, got, slowGot);
    });

    // 300 messages of 2 KiB at 100 per second: the slow target's socket
    // buffers fill within a second.
    constexpr long kCount = 300;
    std::optional<test::TcpClient> out;
    if (tcpIn) out.emplace(relay.ListenPort());
    test::UdpSocket udpOut;
    std::vector<long> fastGot;
    std::string pending;
    Clock::duration worstDelay{};
    const auto start = Clock::now();
    for (long i = 0; i < kCount; ++i) {
      const std::string m = (tcpIn ? "\r\n" : "") + std::to_string(i) + " " + std::string(2048, '7') + " $";
      const auto sentAt = Clock::now();
      ASSERT_TRUE(tcpIn ? out->Send(m) : udpOut.SendTo(relay.ListenPort(), m));
      // The fast target has it before the next one is due.
      while (fastGot.size() < static_cast<std::size_t>(i + 1)) {
        const auto datagram = fast.Receive(1000ms);
        if (!datagram) break;
        Collect(pending, *datagram, fastGot);
      }
      worstDelay = std::max(worstDelay, Clock::now() - sentAt);
      std::this_thread::sleep_until(start + (i + 1) * 10ms);
    }
    std::this_thread::sleep_for(300ms);
    relay.Stop();
    runner.join();
    slowReader.join();

    std::vector<long> all(kCount);
    for (long i = 0; i < kCount; ++i) all[i] = i;
    EXPECT_EQ(fastGot, all);
    // A relay held up by the slow or the absent target would keep the live
    // one waiting for seconds; the bound leaves room for a loaded machine.
    EXPECT_LT(worstDelay, 500ms);
    EXPECT_TRUE(InOrderWithoutRepeats(slowGot));
    const auto counts = relay.Counts();
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts[0].sent, static_cast<std::uint64_t>(kCount));
    EXPECT_EQ(counts[1].sent, slowGot.size());
    EXPECT_GT(counts[1].dropped, 0u) << "the slow target was never more than a second behind";
    EXPECT_EQ(counts[2].sent, 0u);
    EXPECT_GT(counts[2].dropped, 0u);
  }
}

}  // namespace
}  // namespace velmora
