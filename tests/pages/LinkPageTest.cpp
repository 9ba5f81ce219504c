// The link page and the no-data overlay on the recording canvas: nothing drawn while telemetry flows, the
// flag and then the band as the silence grows, the link page's counters,
// errors and tablet address; and the choices behind them (which address a
// tablet gets, which addresses a sender is told).
#include "pages/LinkPage.h"
#include "pages/NoDataOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Display.h"
#include "app/TelemetryInput.h"
#include "platform/NetworkAddresses.h"
#include "support/DisplayRig.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The two over a page as the program puts them there.
struct Glass {
  Glass(const LinkStatus& status, const LinkSetup& setup, Clock::time_point started)
      : link(status, setup, started), noData(status, setup, started) {}
  void Draw(Canvas& canvas, Page page, Clock::time_point now) {
    link.Draw(canvas, page, now);
    noData.Draw(canvas, page, now);
  }
  LinkPage link;
  NoDataOverlay noData;
};

TEST(Glass, SilenceRaisesTheFlagAfterASecondAndTheBandAfterThree) {
  struct Case { Clock::duration quiet; Silence shown; } cases[] = {
      {0ms, Silence::None}, {999ms, Silence::None}, {1s, Silence::Flag},
      {2999ms, Silence::Flag}, {3s, Silence::Band}, {10min, Silence::Band},
  };
  for (const auto& c : cases) EXPECT_EQ(SilenceAt(c.quiet), c.shown) << c.quiet.count();
}

TEST(Glass, TabletAddressNeverLoopbackAndOnlyWhereTheViewListens) {
  const std::vector<std::string> lan{"192.168.1.20", "10.0.0.5"};
  struct Case { std::string address; std::uint16_t port; std::vector<std::string> machine; const char* url; } cases[] = {
      {"0.0.0.0", 8080, lan, "http://192.168.1.20:8080/"},
      {"::", 8080, lan, "http://192.168.1.20:8080/"},
      {"0.0.0.0", 8080, {"127.0.0.1"}, ""},           // no network: no code that cannot work
      {"127.0.0.1", 8080, lan, ""},                   // this computer only
      {"10.0.0.5", 9000, lan, "http://10.0.0.5:9000/"},
      {"fd00::7", 9000, lan, "http://[fd00::7]:9000/"},
      {"0.0.0.0", 0, lan, ""},                        // no --web
  };
  for (const auto& c : cases) {
    LinkSetup s;
    s.webAddress = c.address;
    s.webPort = c.port;
    s.addresses = c.machine;
    EXPECT_EQ(TabletUrl(s), c.url) << c.address;
  }
}

TEST(Glass, SendersAreToldTheNetworkAddressesAndLoopbackOnlyWithoutOne) {
  using platform::PreferNetworkAddresses;
  using V = std::vector<std::string>;
  EXPECT_EQ(PreferNetworkAddresses({"127.0.0.1", "192.168.1.2", "172.17.0.1", "192.168.1.2"}),
            (V{"192.168.1.2", "172.17.0.1"}));
  EXPECT_EQ(PreferNetworkAddresses({"127.0.0.1", "127.0.1.1"}), (V{"127.0.0.1", "127.0.1.1"}));
  LinkSetup s{"udp", 20083, 0, {"a", "b", "c", "d", "e", "f"}, "", 0};
  EXPECT_EQ(SendToText(s, 4), "a:20083, b:20083, c:20083, d:20083 +2 more");
  s.udpPort = 0;
  s.tcpPort = 20081;
  EXPECT_EQ(SendToText(s, 1), "a:20081 +5 more");
}

TEST(Glass, ShortenedTextsNeverSplitALetter) {
  EXPECT_EQ(Shorten("short", 10), "short");
  EXPECT_EQ(Shorten("abcdefghij", 8), "abcde...");
  // "Ж" is two bytes: the cut backs off to before it.
  EXPECT_EQ(Shorten("abcdЖЖЖ", 8), "abcd...");
  EXPECT_EQ(FormatAge(59s), "59 s");
  EXPECT_EQ(FormatAge(125s), "2 min 05 s");
  EXPECT_EQ(FormatAge(2h + 10min), "2 h 10 min");
}

TEST(GlassStatus, TheInputCountsWhatReachedTheRecordAndKeepsTheNewestThreeErrors) {
  FlightData flight;
  TelemetryInput input(flight, nullptr, nullptr, nullptr);
  const auto t = Clock::now();
  input.Received(Arrival{Transport::Udp, 0, "1200 300 $", t, "10.0.0.7:5000"});
  input.Received(Arrival{Transport::Udp, 0, "1 nan $", t + 1s, "10.0.0.8:5001"});
  input.Received(Arrival{Transport::Tcp, 4, "5 6 $7 x $", t + 2s, "10.0.0.9:5002"});
  input.ConnectionFailed(4, "10.0.0.9:5002", "connection reset");
  const LinkStatus& s = input.Status();
  EXPECT_EQ(s.applied, 2u);
  EXPECT_EQ(s.rejected, 2u);
  EXPECT_EQ(s.lastApplied, t + 2s);
  EXPECT_EQ(s.lastSender, "10.0.0.9:5002");  // the rejected message after it changes nothing
  ASSERT_EQ(s.errorCount, 3u);
  EXPECT_EQ(s.errors[0], "10.0.0.9:5002: connection reset");
  EXPECT_EQ(s.errors[1].rfind("10.0.0.9:5002: field 2: ", 0), 0u) << s.errors[1];
  EXPECT_EQ(s.errors[2].rfind("10.0.0.8:5001: field 2: ", 0), 0u) << s.errors[2];
}

class GlassOnDisplay : public ::testing::Test {
 protected:
  GlassOnDisplay() {
    rig.display->SetOverlay([this](Page page) { glass.Draw(rig.display->PageCanvas(), page, now); });
  }
  std::vector<std::string> GlassTexts() {
    rig.Frame();
    std::vector<std::string> out;
    for (const auto& t : rig.Texts())
      if (t.font.rfind("glass", 0) == 0) out.push_back(t.text);
    return out;
  }
  bool Shows(const std::string& part) {
    const auto texts = GlassTexts();
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
  }

  testing::Rig rig;
  LinkStatus status;
  Clock::time_point start = Clock::now();
  Clock::time_point now = start;
  Glass glass{status,
              LinkSetup{"udp", 20083, 0, {"192.168.1.20"}, "0.0.0.0", 8080}, start};
};

TEST_F(GlassOnDisplay, FlowingTelemetryDrawsExactlyThePageAlone) {
  rig.display->SetOverlay(nullptr);
  rig.Frame();
  const auto alone = rig.canvas.Calls().size();
  rig.display->SetOverlay([this](Page page) { glass.Draw(rig.display->PageCanvas(), page, now); });
  for (Page page : {Page::Flight, Page::Tactical}) {
    rig.display->ShowPage(page);
    now = start + 30s;
    status.lastApplied = now - 900ms;
    rig.Frame();
    if (page == Page::Flight) {
      EXPECT_EQ(rig.canvas.Calls().size(), alone);
    }
    EXPECT_TRUE(GlassTexts().empty());
  }
}

TEST_F(GlassOnDisplay, FlagAndBandShowOnTheTacticalPageToo) {
  rig.display->ShowTacticalPage();
  now = start + 1500ms;
  EXPECT_EQ(GlassTexts(), std::vector<std::string>{"NO DATA"});
  now = start + 3500ms;
  EXPECT_TRUE(Shows("NO TELEMETRY"));
}

TEST_F(GlassOnDisplay, FlagThenBandThenGoneWithTheNextMessage) {
  now = start + 1500ms;
  EXPECT_EQ(GlassTexts(), std::vector<std::string>{"NO DATA"});
  now = start + 3500ms;
  EXPECT_TRUE(Shows("NO TELEMETRY"));
  EXPECT_TRUE(Shows("Listening on UDP port 20083 (TCP off)"));
  EXPECT_TRUE(Shows("Send to 192.168.1.20:20083"));
  EXPECT_TRUE(Shows("Nothing received for 3 s"));
  EXPECT_FALSE(Shows("NO DATA"));

  status.applied = 1;
  status.lastApplied = now;
  status.lastSender = "192.168.1.7:50000";
  EXPECT_TRUE(GlassTexts().empty());

  now += 12s;
  status.errors[0] = "192.168.1.7:50000: field 33: not a number";
  status.errorCount = 1;
  EXPECT_TRUE(Shows("Last message 12 s ago from 192.168.1.7:50000"));
  EXPECT_TRUE(Shows("Last error: 192.168.1.7:50000: field 33"));
}

TEST_F(GlassOnDisplay, LinkPageCountsPerSecondListsErrorsNewestFirstAndCarriesTheCode) {
  rig.display->ShowPage(Page::Link);
  GlassTexts();
  status.applied = 90;
  status.rejected = 30;
  status.lastApplied = start + 2s;
  status.lastSender = "10.1.1.1:4000";
  for (const char* e : {"old", "middle", "new"}) {
    for (std::size_t i = status.errors.size() - 1; i > 0; --i) status.errors[i] = status.errors[i - 1];
    status.errors[0] = e;
  }
  status.errorCount = 3;
  now = start + 2s;
  const auto texts = GlassTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "90 in all, 45 per second now"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "30 in all, 15 per second now"), texts.end());
  const auto at = [&](const char* t) { return std::find(texts.begin(), texts.end(), t) - texts.begin(); };
  EXPECT_LT(at("new"), at("middle"));
  EXPECT_LT(at("middle"), at("old"));
  EXPECT_NE(std::find(texts.begin(), texts.end(), "http://192.168.1.20:8080/"), texts.end());
  if (QrCodesAvailable()) {
    EXPECT_GT(rig.Fills().size(), 100u) << "a QR code is many dark runs";
  }
}

TEST(GlassLoopbackView, SaysHowToOpenTheViewToTheNetworkAndDrawsNoCode) {
  testing::Rig rig;
  LinkStatus status;
  const auto now = Clock::now();
  Glass glass(status, LinkSetup{"tcp", 0, 20081, {"192.168.1.20"}, "127.0.0.1", 8080},
              now);
    rig.display->SetOverlay([&](Page page) { glass.Draw(rig.display->PageCanvas(), page, now); });
  rig.display->ShowPage(Page::Link);
  rig.Frame();
  bool hint = false;
  for (const auto& t : rig.Texts()) hint |= t.text.find("--web 0.0.0.0:8080") != std::string::npos;
  EXPECT_TRUE(hint);
  EXPECT_LT(rig.Fills().size(), 10u);
}

}  // namespace
}  // namespace velmora
