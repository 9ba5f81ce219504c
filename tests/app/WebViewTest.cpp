// The browser view's server at its limits, over plain loopback sockets: what
// it serves, what it refuses, and how it treats too many, too big and too
// slow requests.
#include "app/WebView.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

Fd Connect(std::uint16_t port) {
  Fd s(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(::connect(s.fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
  return s;
}

void Send(const Fd& s, const std::string& text) { ::send(s.fd, text.data(), text.size(), MSG_NOSIGNAL); }

// What arrives until the server closes, `until` shows up, or the wait ends.
std::string Receive(const Fd& s, std::chrono::milliseconds wait, const std::string& until = "") {
  std::string got;
  const auto end = Clock::now() + wait;
  while (Clock::now() < end) {
    pollfd p{s.fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (::poll(&p, 1, static_cast<int>(std::max<long>(left, 1))) != 1) break;
    char buf[4096];
    const ssize_t n = ::recv(s.fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
    if (!until.empty() && got.find(until) != std::string::npos) break;
  }
  return got;
}

std::string StatusLine(const std::string& response) { return response.substr(0, response.find("\r\n")); }

const std::string kUpgrade =
    "GET /stream HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";

// A turned panel's page: the turned picture's shape, and the buttons where
// the turn took them ("ПИЛ" spans 318..390 x 592..632 upright).
TEST(WebPage, TurnedPanelsGetTurnedButtons) {
  struct Case { int turn; const char* button; const char* shape; } cases[] = {
      {0, "[1,318,592,72,40]", "aspect-ratio:1.6"},
      {90, "[1,18,318,40,72]", "aspect-ratio:0.625"},
      {180, "[1,634,18,72,40]", "aspect-ratio:1.6"},
      {270, "[1,592,634,40,72]", "aspect-ratio:0.625"},
  };
  for (const auto& c : cases) {
    const std::string& page = WebPage(c.turn);
    EXPECT_NE(page.find(c.button), std::string::npos) << c.turn;
    EXPECT_NE(page.find(c.shape), std::string::npos) << c.turn;
  }
}

class WebViewTest : public ::testing::Test {
 protected:
  WebView web{"127.0.0.1", 0, WebLimits{8, 8192, 400ms}};
};

TEST_F(WebViewTest, ServesThePageAndPageChangesOnlyAndNothingElse) {
  const std::string big(9000, 'a');
  struct Case {
    std::string request;
    const char* status;
    int page;  // page handed to the main thread, 0 for none
  } cases[] = {
      {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200", 0},
      {"GET /?fullscreen HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200", 0},
      {"POST /page HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\n2", "HTTP/1.1 204", 2},
      {"POST /page HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\n1", "HTTP/1.1 204", 1},
      {"POST /page HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\n3", "HTTP/1.1 400", 0},
      {"GET /index.html HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 404", 0},
      {"GET /../../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 404", 0},
      {"GET /stream HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 426", 0},
      {"DELETE / HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405", 0},
      {"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\n2", "HTTP/1.1 405", 0},
      {"GET /page HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405", 0},
      {"GET / HTTP/1.1\r\nHost: x\r\nX-Pad: " + big + "\r\n\r\n", "HTTP/1.1 431", 0},
      {"POST /page HTTP/1.1\r\nHost: x\r\nContent-Length: 9000\r\n\r\n" + big, "HTTP/1.1 413", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.substr(0, 40));
    Fd s = Connect(web.Port());
    Send(s, c.request);
    const std::string response = Receive(s, 2s);
    EXPECT_TRUE(response.starts_with(c.status)) << StatusLine(response);
    if (std::string(c.status).ends_with("200")) {
      EXPECT_NE(response.find("<img"), std::string::npos);
    }
    EXPECT_EQ(web.TakePageRequest().value_or(0), c.page);
  }
}

TEST_F(WebViewTest, ARequestStillArrivingAfterTheTimeIsClosed) {
  // One that stops, and one trickling a byte every 100 ms.
  for (const bool trickle : {false, true}) {
    SCOPED_TRACE(trickle ? "trickle" : "stalled");
    Fd s = Connect(web.Port());
    const auto start = Clock::now();
    Send(s, "GET / HTTP/1.1\r\n");
    std::string got;
    for (int i = 0; i < 20 && got.empty(); ++i) {
      if (trickle) Send(s, "X");
      got = Receive(s, 100ms);
      pollfd p{s.fd, POLLIN, 0};
      if (::poll(&p, 1, 0) == 1 && ::recv(s.fd, nullptr, 0, MSG_PEEK | MSG_DONTWAIT) == 0) break;
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(got.find("200"), std::string::npos);
    EXPECT_GE(took, 350ms);
    EXPECT_LT(took, 1500ms) << "the request was never cut off";
  }
}

TEST_F(WebViewTest, EightViewersWatchAndANinthIsTurnedAway) {
  std::vector<Fd> viewers;
  for (int i = 0; i < 8; ++i) {
    viewers.push_back(Connect(web.Port()));
    Send(viewers.back(), kUpgrade);
    ASSERT_TRUE(Receive(viewers.back(), 2s, "\r\n\r\n").starts_with("HTTP/1.1 101")) << "viewer " << i + 1;
  }
  EXPECT_EQ(web.Viewers(), 8u);
  Fd ninth = Connect(web.Port());
  Send(ninth, kUpgrade);
  EXPECT_TRUE(Receive(ninth, 2s, "\r\n\r\n").starts_with("HTTP/1.1 503"));

  // One leaves: its place is free again.
  viewers.pop_back();
  for (int i = 0; i < 50 && web.Viewers() != 7; ++i) std::this_thread::sleep_for(10ms);
  Fd next = Connect(web.Port());
  Send(next, kUpgrade);
  EXPECT_TRUE(Receive(next, 2s, "\r\n\r\n").starts_with("HTTP/1.1 101"));
}

}  // namespace
}  // namespace velmora
