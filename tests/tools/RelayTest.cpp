// The relay between real loopback sockets: three targets, one down and one
// slow, fed over UDP and over TCP.
#include "tools/send/Relay.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(Fd&& o) noexcept : fd(o.fd) { o.fd = -1; }
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

// A socket bound to a free loopback port; receiveBuffer > 0 shrinks its
// receive buffer (inherited by accepted connections).
Fd Bound(int type, std::uint16_t& port, int receiveBuffer = 0) {
  Fd s(::socket(AF_INET, type, 0));
  if (receiveBuffer > 0) ::setsockopt(s.fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  auto a = Loopback(0);
  EXPECT_EQ(::bind(s.fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
  if (type == SOCK_STREAM) {
    EXPECT_EQ(::listen(s.fd, 4), 0);
  }
  socklen_t len = sizeof a;
  ::getsockname(s.fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return s;
}

// Sequence numbers from "N pad...$" messages, whatever the read boundaries.
void Collect(std::string& pending, const char* data, std::size_t n, std::vector<long>& out) {
  pending.append(data, n);
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
    std::uint16_t fastPort = 0, slowPort = 0, downPort = 0;
    Fd fast = Bound(SOCK_DGRAM, fastPort);
    Fd slow = Bound(SOCK_STREAM, slowPort, 4096);
    { Fd gone = Bound(SOCK_STREAM, downPort); }  // nothing listens there any more

    Relay relay({tcpIn, {"127.0.0.1", 0}},
                {{false, {"127.0.0.1", fastPort}}, {true, {"127.0.0.1", slowPort}}, {true, {"127.0.0.1", downPort}}});
    std::thread runner([&] { relay.Run(); });

    // The slow display reads nothing for 2 s, then takes everything.
    std::vector<long> slowGot;
    std::thread slowReader([&] {
      Fd c(::accept(slow.fd, nullptr, nullptr));
      std::this_thread::sleep_for(2s);
      std::string pending;
      char buf[65536];
      for (ssize_t n; (n = ::recv(c.fd, buf, sizeof buf, 0)) > 0;) Collect(pending, buf, n, slowGot);
    });

    // 300 messages of 2 KiB at 100 per second: the slow target's socket
    // buffers fill within a second.
    constexpr long kCount = 300;
    Fd out(::socket(AF_INET, tcpIn ? SOCK_STREAM : SOCK_DGRAM, 0));
    auto to = Loopback(relay.ListenPort());
    ASSERT_EQ(::connect(out.fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    std::vector<long> fastGot;
    std::string pending;
    Clock::duration worstDelay{};
    const auto start = Clock::now();
    for (long i = 0; i < kCount; ++i) {
      const std::string m = (tcpIn ? "\r\n" : "") + std::to_string(i) + " " + std::string(2048, '7') + " $";
      const auto sentAt = Clock::now();
      ASSERT_EQ(::send(out.fd, m.data(), m.size(), MSG_NOSIGNAL), static_cast<ssize_t>(m.size()));
      // The fast target has it before the next one is due.
      pollfd p{fast.fd, POLLIN, 0};
      while (fastGot.size() < static_cast<std::size_t>(i + 1) && ::poll(&p, 1, 1000) == 1) {
        char buf[8192];
        const ssize_t n = ::recv(fast.fd, buf, sizeof buf, 0);
        Collect(pending, buf, n, fastGot);
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
