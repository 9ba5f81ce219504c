// The browser view's server at its limits, over plain loopback sockets: what
// it serves, what it refuses, and how it treats too many, too big and too
// slow requests.
#include "web/WebView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackSockets.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using test::TcpClient;

TcpClient Connect(std::uint16_t port) {
  TcpClient s(port);
  EXPECT_TRUE(s.Connected());
  return s;
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
      // From the display's own page, and from anywhere else.
      {"POST /page HTTP/1.1\r\nHost: X:8080\r\nOrigin: http://x:8080\r\nContent-Length: 1\r\n\r\n2", "HTTP/1.1 204", 2},
      {"POST /page HTTP/1.1\r\nHost: x:8080\r\nOrigin: http://evil.example\r\nContent-Length: 1\r\n\r\n2",
       "HTTP/1.1 403", 0},
      {"POST /page HTTP/1.1\r\nHost: x:8080\r\nOrigin: http://x:9090\r\nContent-Length: 1\r\n\r\n1", "HTTP/1.1 403", 0},
      {"POST /page HTTP/1.1\r\nHost: x\r\nOrigin: null\r\nContent-Length: 1\r\n\r\n1", "HTTP/1.1 403", 0},
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
    TcpClient s = Connect(web.Port());
    s.Send(c.request);
    const std::string response = s.Receive(2s);
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
    TcpClient s = Connect(web.Port());
    const auto start = Clock::now();
    s.Send("GET / HTTP/1.1\r\n");
    std::string got;
    for (int i = 0; i < 20 && got.empty() && !s.Ended(); ++i) {
      if (trickle) s.Send("X");
      got = s.Receive(100ms);
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(got.find("200"), std::string::npos);
    EXPECT_GE(took, 350ms);
    EXPECT_LT(took, 1500ms) << "the request was never cut off";
  }
}

TEST_F(WebViewTest, EightViewersWatchAndANinthIsTurnedAway) {
  std::vector<TcpClient> viewers;
  for (int i = 0; i < 8; ++i) {
    viewers.push_back(Connect(web.Port()));
    viewers.back().Send(kUpgrade);
    ASSERT_TRUE(viewers.back().Receive(2s, "\r\n\r\n").starts_with("HTTP/1.1 101")) << "viewer " << i + 1;
  }
  EXPECT_EQ(web.Viewers(), 8u);
  TcpClient ninth = Connect(web.Port());
  ninth.Send(kUpgrade);
  EXPECT_TRUE(ninth.Receive(2s, "\r\n\r\n").starts_with("HTTP/1.1 503"));

  // One leaves: its place is free again.
  viewers.pop_back();
  for (int i = 0; i < 50 && web.Viewers() != 7; ++i) std::this_thread::sleep_for(10ms);
  TcpClient next = Connect(web.Port());
  next.Send(kUpgrade);
  EXPECT_TRUE(next.Receive(2s, "\r\n\r\n").starts_with("HTTP/1.1 101"));
}

}  // namespace
}  // namespace velmora
