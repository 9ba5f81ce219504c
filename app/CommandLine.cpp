// The display's options on CLI11: one table declares each option with its
// help line and the check of its value; --help is printed from that table.
#include "app/CommandLine.h"

#include "app/Config.h"
#include "link/Beacon.h"

#include "cli/OptionParsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <iterator>

namespace velmora {

namespace {

template <class T>
bool ParseNumber(std::string_view s, T& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

constexpr Renderer kRenderers[] = {Renderer::Auto, Renderer::Software, Renderer::OpenGl, Renderer::OpenGles2};

std::string Quoted(const std::string& v) { return "'" + v + "'"; }

// Every option of the display, in the order --help lists them. Each one's
// check runs as it is read, so the command line is taken left to right: the
// first mistake is the one reported, and a later option wins over an earlier
// one it contradicts.
void DeclareOptions(CLI::App& app, Options& o) {
  PrepareOptionTable(app);
  using Check = std::function<void(const std::string&)>;
  auto flag = [&app](const char* name, const char* help, std::function<void()> set) {
    app.add_flag_callback(name, std::move(set), help)->trigger_on_parse();
  };
  auto value = [&app](const char* name, const char* valueName, const char* help, Check check) {
    app.add_option_function<std::string>(name, std::move(check), help)->type_name(valueName)->trigger_on_parse();
  };

  flag("--headless", "no window: render off-screen (message boxes go to stderr)", [&o] { o.headless = true; });
  value("--fps", "30|60",
        "frames a second (default 30; 60 for a smoother roll on\n"
        "a 60 Hz monitor, at twice the drawing work)",
        [&o](const std::string& v) {
          if (v != "30" && v != "60") throw BadOptionValue{"--fps takes 30 or 60, not " + Quoted(v)};
          o.fps = v == "60" ? 60 : 30;
        });
  value("--sync", "timer|telemetry",
        "what starts a frame: the frame timer (default), or each\n"
        "message as soon as it is applied, at most --fps a second\n"
        "(the timer still draws while no message comes)",
        [&o](const std::string& v) {
          if (v != FrameSyncName(FrameSync::Timer) && v != FrameSyncName(FrameSync::Telemetry))
            throw BadOptionValue{"--sync takes timer or telemetry, not " + Quoted(v)};
          o.sync = v == FrameSyncName(FrameSync::Telemetry) ? FrameSync::Telemetry : FrameSync::Timer;
        });
  value("--frames", "N", "quit after N frames, writing config.txt as a close does", [&o](const std::string& v) {
    long n = 0;
    if (!ParseNumber(v, n) || n < 1)
      throw BadOptionValue{"--frames needs a whole number of at least 1, not " + Quoted(v)};
    o.frames = n;
  });
  value("--screenshot", "FILE", "write the back buffer as PNG after the last frame", [&o](const std::string& v) {
    if (v.empty()) throw BadOptionValue{"--screenshot needs a file name"};
    o.screenshot = v;
  });
  value("--screenshot-interval", "SEC", "also write FILE every SEC seconds (atomically)", [&o](const std::string& v) {
    double s = 0;
    if (!ParseNumber(v, s) || !std::isfinite(s) || s <= 0)
      throw BadOptionValue{"--screenshot-interval needs a positive number of seconds, not " + Quoted(v)};
    o.screenshotInterval = s;
  });
  value("--feed", "FILE",
        "hand FILE's bytes to the display as one UDP datagram\n"
        "right after start-up",
        [&o](const std::string& v) { o.feed = v; });
  value("--page", "1|2|3", "page after start-up: 1 flight, 2 tactical, 3 link", [&o](const std::string& v) {
    int p = 0;
    if (!ParseNumber(v, p) || p < 1 || p > 3)
      throw BadOptionValue{"--page needs 1 (flight), 2 (tactical) or 3 (link), not " + Quoted(v)};
    o.page = p;
  });
  value("--record", "FILE",
        "append every received message with its arrival time\n"
        "(velmora-send --replay FILE plays it back)",
        [&o](const std::string& v) {
          if (v.empty()) throw BadOptionValue{"--record needs a file name"};
          o.record = v;
        });
  flag("--stats", "print frame and latency figures on exit", [&o] { o.stats = true; });
  value("--transport", "udp|tcp",
        "listen on this transport for this run instead of the one\n"
        "config.txt's fifth line names (kept in config.txt at close)",
        [&o](const std::string& v) {
          if (v != "udp" && v != "tcp") throw BadOptionValue{"--transport needs udp or tcp, not " + Quoted(v)};
          o.transport = v;
        });
  for (const auto& [name, help, port] :
       {std::tuple{"--udp-port", "UDP port (default 20083; 0 picks a free one)", &o.udpPort},
        std::tuple{"--tcp-port", "TCP port (default 20081; 0 picks a free one)", &o.tcpPort}}) {
    value(name, "N", help, [name = std::string(name), port = port](const std::string& v) {
      unsigned n = 0;
      if (!ParseNumber(v, n) || n > 65535)
        throw BadOptionValue{name + " needs a port number from 0 (any free one) to 65535, not " + Quoted(v)};
      *port = static_cast<std::uint16_t>(n);
    });
  }
  flag("--borderless", "window without border (place and width from config.txt)", [&o] { o.borderless = true; });
  flag("--fullscreen",
       "fill the whole screen (with SDL_VIDEODRIVER=kmsdrm: the\n"
       "console of a machine without a desktop)",
       [&o] { o.fullscreen = true; });
  flag("--topmost",
       "keep the window above other windows, the simulator's too\n"
       "(unless it runs in exclusive full screen)",
       [&o] { o.topmost = true; });
  flag("--no-link-alerts",
       "never draw the NO DATA flag or the band that explains a\n"
       "silent link (F3's link page still tells)",
       [&o] { o.linkAlerts = false; });
  value("--rotate", "0|90|180|270",
        "turn the picture clockwise for a panel mounted sideways\n"
        "or upside down (kept in config.txt's sixth line)",
        [&o](const std::string& v) {
          o.rotate = ParseRotation(v);
          if (!o.rotate) throw BadOptionValue{"--rotate needs 0, 90, 180 or 270 (degrees clockwise), not " + Quoted(v)};
        });
  value("--display", "N|NAME",
        "put the window on monitor N (0 the primary, 1 the\n"
        "next...) or the monitor whose name holds NAME (numbers\n"
        "change after a reboot, names do not), centred there\n"
        "unless config.txt's place is on it",
        [&o](const std::string& v) {
          if (v.empty() || (v.front() == '-' && v.find_first_not_of("0123456789", 1) == std::string::npos))
            throw BadOptionValue{"--display needs a monitor number (0 the primary) or a part of its name, not " +
                                 Quoted(v)};
          o.monitor = v;
        });
  value("--dim", "PERCENT",
        "the window's brightness, 10 to 100 (default 100): the\n"
        "whole picture darkens, for night flying; Page Up and\n"
        "Page Down step it (kept in windows.txt)",
        [&o](const std::string& v) {
          o.dim = ParseBrightness(v);
          if (!o.dim) throw BadOptionValue{"--dim needs a brightness from 10 to 100 (percent), not " + Quoted(v)};
        });
  app.add_option_function<std::string>(
         "--window",
         [&o](const std::string& v) {
           WindowSetupOutcome parsed = ParseWindowSetup(v);
           if (!parsed.error.empty()) throw BadOptionValue{"--window " + Quoted(v) + ": " + parsed.error};
           if (static_cast<int>(o.windows.size()) >= kMaxFurtherWindows)
             throw BadOptionValue{"--window: at most " + std::to_string(kMaxFurtherWindows) + " further windows"};
           o.windows.push_back(std::move(parsed.setup));
         },
         "one more window, with its own page and place; repeat it\n"
         "for more. SETUP is comma-separated: page=1|2|3,\n"
         "display=N|NAME, x=, y= (from the monitor's corner;\n"
         "without them centred), width=, rotate=0|90|180|270,\n"
         "dim=PERCENT, and the flags borderless, topmost,\n"
         "fullscreen. Remembered in windows.txt beside config.txt\n"
         "and back at the next start; given, --window replaces them")
      ->type_name("SETUP")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->trigger_on_parse();
  flag("--forget-windows",
       "start without windows.txt's windows and brightness (the\n"
       "file is rewritten at close; deleting it does the same)",
       [&o] { o.forgetWindows = true; });
  value("--renderer", "NAME",
        "what draws the window: auto (SDL's choice: opengl on a PC,\n"
        "opengles2 on a Raspberry Pi), software, opengl, opengles2",
        [&o](const std::string& v) {
          const Renderer* known = std::find_if(std::begin(kRenderers), std::end(kRenderers),
                                               [&v](Renderer k) { return RendererName(k) == v; });
          if (known == std::end(kRenderers))
            throw BadOptionValue{"--renderer needs auto, software, opengl or opengles2, not " + Quoted(v)};
          o.renderer = *known;
        });
  flag("--software",
       "same as --renderer software (faster than OpenGL emulated\n"
       "on the processor, e.g. without a GPU driver)",
       [&o] { o.renderer = Renderer::Software; });
  flag("--null-render",
       "compute every frame but rasterise nothing (measures the\n"
       "display's own CPU cost; no screenshots)",
       [&o] { o.nullRender = true; });
  value("--web", "[ADDR:]PORT",
        "serve the live picture to browsers on PORT, on\n"
        "127.0.0.1 unless ADDR is given (0.0.0.0: every network,\n"
        "for tablets)",
        [&o](const std::string& v) {
          std::string_view port = v;
          if (const auto colon = v.rfind(':'); colon != std::string::npos) {
            std::string_view host = std::string_view(v).substr(0, colon);
            if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
            if (host.empty()) throw BadOptionValue{"--web needs an address before ':', as 0.0.0.0:8083"};
            o.webAddress = std::string(host);
            port = std::string_view(v).substr(colon + 1);
          }
          unsigned n = 0;
          if (!ParseNumber(port, n) || n > 65535)
            throw BadOptionValue{"--web needs [ADDR:]PORT with a port from 0 to 65535, not " + Quoted(v)};
          o.webPort = static_cast<std::uint16_t>(n);
        });
  // Being found on the network.
  value("--name", "NAME",
        "the name the display announces itself under (default:\n"
        "this computer's name)",
        [&o](const std::string& v) {
          o.name = BeaconName(v);
          if (o.name.empty()) throw BadOptionValue{"--name needs a name of printable characters, as --name \"Cockpit left\""};
        });
  value("--announce-port", "N",
        "UDP port the beacon goes to (default 20084), where\n"
        "exporters and velmora-send --find listen",
        [&o](const std::string& v) {
          unsigned n = 0;
          if (!ParseNumber(v, n) || n < 1 || n > 65535)
            throw BadOptionValue{"--announce-port needs a port number from 1 to 65535, not " + Quoted(v)};
          o.announcePort = static_cast<std::uint16_t>(n);
        });
  flag("--no-announce", "send no beacon and register no DNS-SD service", [&o] { o.announce = false; });
  value("--udp-group", "ADDR",
        "also hear an IPv4 multicast group (224.0.0.0 to\n"
        "239.255.255.255) on the UDP port; displays on one PC\n"
        "share the port then",
        [&o](const std::string& v) {
          if (!IsIpv4MulticastAddress(v))
            throw BadOptionValue{"--udp-group needs an IPv4 multicast address (224.0.0.0 to 239.255.255.255, as "
                                 "239.20.0.83), not " + Quoted(v)};
          o.udpGroup = v;
        });
  // Button boxes, and the target's place on the tactical page.
  value("--bindings", "FILE",
        "keys and joystick buttons for the page buttons (default:\n"
        "bindings.txt beside config.txt, if it is there)",
        [&o](const std::string& v) {
          if (v.empty()) throw BadOptionValue{"--bindings needs a file name"};
          o.bindings = v;
        });
  flag("--print-buttons",
       "print each key and joystick button pressed on stderr, as\n"
       "a bindings line names it: joystick \"NAME\" button 3",
       [&o] { o.printButtons = true; });
  flag("--target-fields",
       "take the target's bearing (radians) and heading (degrees)\n"
       "from message positions 34 and 35 for the tactical page",
       [&o] { o.targetFields = true; });
  flag("--version", "print the version and exit", [&o] { o.version = true; });
  flag("--help,-h", "print this help and exit", [&o] { o.help = true; });
}

}  // namespace

std::string_view RendererName(Renderer renderer) {
  switch (renderer) {
    case Renderer::Software: return "software";
    case Renderer::OpenGl: return "opengl";
    case Renderer::OpenGles2: return "opengles2";
    case Renderer::Auto: break;
  }
  return "auto";
}

std::string UsageText() {
  CLI::App app;
  Options unused;
  DeclareOptions(app, unused);
  return
      "Usage: velmora [OPTIONS]\n"
      "\n"
      "Shows a fighter's multi-function display fed by a simulator's telemetry\n"
      "(UDP port 20083 or TCP port 20081; config.txt in the working directory\n"
      "chooses the transport and remembers the window's place and width).\n"
      "\n"
      "Options:\n" +
      OptionTableHelp(app, 29) +
      "\n"
      "Keys: F1 flight page, F2 tactical page, F3 link page (where to send, what\n"
      "arrived, the tablet address). Clicks on the two labelled bezel buttons\n"
      "select the pages too. Page Up and Page Down make the picture brighter and\n"
      "dimmer in steps of 10 percent. Keys and clicks act on the window they are\n"
      "pressed in.\n"
      "\n"
      "Button boxes: bindings.txt (or --bindings FILE) maps keys and joystick\n"
      "buttons to a window's page buttons, one a line, as\n"
      "  joystick \"Button Box\" button 3 = window 2 tactical\n"
      "(actions: flight, tactical, link, brighter, dimmer). To find a button's\n"
      "number, run with --print-buttons and press it.\n";
}

ParseOutcome ParseCommandLine(const std::vector<std::string_view>& args) {
  ParseOutcome r;
  Options& o = r.options;
  CLI::App app;
  DeclareOptions(app, o);
  if (auto error = ParseOptionTable(app, args)) {
    r.error = std::move(*error);
    return r;
  }
  if (const auto extras = app.remaining(); !extras.empty()) {
    r.error = "unknown option '" + extras.front() + "' (see --help)";
    return r;
  }
  if (o.screenshotInterval > 0 && o.screenshot.empty()) {
    r.error = "--screenshot-interval needs --screenshot FILE";
  }
  if (o.headless && (o.renderer == Renderer::OpenGl || o.renderer == Renderer::OpenGles2)) {
    r.error = "--headless draws with the software renderer; --renderer " + std::string(RendererName(o.renderer)) +
              " needs a window";
  }
  return r;
}

}  // namespace velmora
