#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

ParseOutcome Parse(std::vector<std::string_view> a) { return ParseCommandLine(a); }

TEST(CommandLine, AcceptsEveryOptionInBothSpellings) {
  auto r = Parse({"--headless", "--frames", "5", "--screenshot=x.png", "--screenshot-interval", "0.5",
                  "--feed", "f.txt", "--page=2", "--stats", "--udp-port", "30083", "--tcp-port=30081",
                  "--borderless", "--record", "rec.txt", "--fullscreen", "--renderer", "software",
                  "--transport=udp", "--topmost", "--rotate=270", "--display", "1", "--no-link-alerts",
                  "--fps", "60", "--name", "Cockpit left", "--announce-port=30084", "--no-announce",
                  "--udp-group", "239.20.0.83", "--bindings=panel.txt", "--print-buttons", "--target-fields",
                  "--dim", "40", "--window", "page=2", "--window=display=DELL,dim=50", "--forget-windows"});
  ASSERT_EQ(r.error, "");
  const Options& o = r.options;
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.frames, 5);
  EXPECT_EQ(o.screenshot, "x.png");
  EXPECT_EQ(o.screenshotInterval, 0.5);
  EXPECT_EQ(o.feed, "f.txt");
  EXPECT_EQ(o.page, 2);
  EXPECT_TRUE(o.stats);
  EXPECT_EQ(o.udpPort, 30083);
  EXPECT_EQ(o.tcpPort, 30081);
  EXPECT_TRUE(o.borderless);
  EXPECT_EQ(o.record, "rec.txt");
  EXPECT_TRUE(o.fullscreen);
  EXPECT_EQ(o.renderer, Renderer::Software);
  EXPECT_EQ(o.transport, "udp");
  EXPECT_TRUE(o.topmost);
  EXPECT_EQ(o.rotate, 270);
  EXPECT_EQ(o.monitor, "1");
  EXPECT_EQ(o.dim, 40);
  ASSERT_EQ(o.windows.size(), 2u);  // every --window counts, in order
  EXPECT_EQ(o.windows[0].page, 2);
  EXPECT_EQ(o.windows[1].display, "DELL");
  EXPECT_EQ(o.windows[1].brightness, 50);
  EXPECT_TRUE(o.forgetWindows);
  EXPECT_FALSE(o.linkAlerts);
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.name, "Cockpit left");
  EXPECT_EQ(o.announcePort, 30084);
  EXPECT_FALSE(o.announce);
  EXPECT_EQ(o.udpGroup, "239.20.0.83");
  EXPECT_EQ(o.bindings, "panel.txt");
  EXPECT_TRUE(o.printButtons);
  EXPECT_TRUE(o.targetFields);
  EXPECT_FALSE(Parse({}).options.targetFields);
  EXPECT_EQ(Parse({}).options.fps, 30);
  EXPECT_TRUE(Parse({}).options.announce);
}

TEST(CommandLine, RendererByNameOrTheSoftwareAlias) {
  struct Case { std::vector<std::string_view> args; Renderer renderer; } cases[] = {
      {{}, Renderer::Auto},
      {{"--renderer", "auto"}, Renderer::Auto},
      {{"--renderer=software"}, Renderer::Software},
      {{"--software"}, Renderer::Software},
      {{"--headless", "--software"}, Renderer::Software},
      {{"--renderer", "opengl"}, Renderer::OpenGl},
      {{"--renderer", "opengles2"}, Renderer::OpenGles2},
      {{"--software", "--renderer", "opengl"}, Renderer::OpenGl},  // the later option wins
      {{"--renderer", "opengl", "--software"}, Renderer::Software},
  };
  for (const auto& c : cases) {
    auto r = ParseCommandLine(c.args);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.options.renderer, c.renderer) << (c.args.empty() ? "" : c.args.back());
  }
}

TEST(CommandLine, DefaultsKeepTheUsualPorts) {
  auto r = Parse({});
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.options.udpPort, 20083);
  EXPECT_EQ(r.options.tcpPort, 20081);
  EXPECT_FALSE(r.options.frames);
}

TEST(CommandLine, WebViewBindsToLoopbackUnlessAnAddressIsGiven) {
  struct Case { std::string_view arg; const char* address; int port; } cases[] = {
      {"8083", "127.0.0.1", 8083},
      {"0.0.0.0:8083", "0.0.0.0", 8083},
      {"[::]:9000", "::", 9000},
  };
  for (const auto& c : cases) {
    auto r = Parse({"--web", c.arg});
    ASSERT_EQ(r.error, "") << c.arg;
    EXPECT_EQ(r.options.webAddress, c.address) << c.arg;
    EXPECT_EQ(r.options.webPort, c.port) << c.arg;
  }
  EXPECT_FALSE(Parse({}).options.webPort);
}

TEST(CommandLine, RejectsBadInputWithAClearMessage) {
  struct Case { std::vector<std::string_view> args; const char* needle; } cases[] = {
      {{"--frames"}, "needs a value"},
      {{"--frames", "0"}, "at least 1"},
      {{"--frames", "3x"}, "'3x'"},
      {{"--page", "4"}, "2 (tactical) or 3 (link)"},
      {{"--udp-port", "70000"}, "0 (any free one) to 65535"},
      {{"--transport", "UDP"}, "udp or tcp, not 'UDP'"},
      {{"--screenshot-interval", "-1", "--screenshot", "a.png"}, "positive"},
      {{"--screenshot-interval", "1"}, "needs --screenshot"},
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--stats=yes"}, "takes no value"},
      {{"--renderer", "vulkan"}, "auto, software, opengl or opengles2, not 'vulkan'"},
      {{"--renderer"}, "needs a value"},
      {{"--fps", "45"}, "30 or 60, not '45'"},
      {{"--headless", "--renderer", "opengl"}, "needs a window"},
      {{"--web", ":8083"}, "address before ':'"},
      {{"--web", "0.0.0.0:80x"}, "[ADDR:]PORT"},
      {{"--web", "70000"}, "[ADDR:]PORT"},
      {{"--rotate", "45"}, "0, 90, 180 or 270"},
      {{"--rotate", "-90"}, "not '-90'"},
      {{"--display", "-1"}, "monitor number"},
      {{"--dim", "5"}, "--dim needs a brightness from 10 to 100 (percent), not '5'"},
      {{"--window", "page=2,colour=red"}, "--window 'page=2,colour=red': unknown key 'colour'"},
      {{"--udp-group", "192.168.1.20"}, "IPv4 multicast address (224.0.0.0 to 239.255.255.255, as 239.20.0.83), not"},
      {{"--announce-port", "0"}, "from 1 to 65535, not '0'"},
      {{"--name", "\t"}, "printable"},
      {{"--bindings", ""}, "--bindings needs a file name"},
  };
  for (const auto& c : cases) {
    auto r = ParseCommandLine(c.args);
    EXPECT_NE(r.error.find(c.needle), std::string::npos) << r.error;
  }
}

TEST(CommandLine, SyncChoosesWhatStartsAFrame) {
  struct Case { std::vector<std::string_view> args; FrameSync sync; const char* error; } cases[] = {
      {{}, FrameSync::Timer, ""},
      {{"--sync", "telemetry"}, FrameSync::Telemetry, ""},
      {{"--sync=timer"}, FrameSync::Timer, ""},
      {{"--sync", "vsync"}, FrameSync::Timer, "--sync takes timer or telemetry, not 'vsync'"},
  };
  for (const auto& c : cases) {
    auto r = ParseCommandLine(c.args);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.options.sync, c.sync) << r.error;
  }
}

}  // namespace
}  // namespace velmora
