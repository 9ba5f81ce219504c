// Hand-written option parser: a handful of options, clear errors.
#include "app/CommandLine.h"

#include "app/Config.h"
#include "link/Beacon.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cmath>

namespace velmora {

namespace {

template <class T>
bool ParseNumber(std::string_view s, T& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

constexpr Renderer kRenderers[] = {Renderer::Auto, Renderer::Software, Renderer::OpenGl, Renderer::OpenGles2};

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
  return
      "Usage: velmora [OPTIONS]\n"
      "\n"
      "Shows a fighter's multi-function display fed by a simulator's telemetry\n"
      "(UDP port 20083 or TCP port 20081; config.txt in the working directory\n"
      "chooses the transport and remembers the window's place and width).\n"
      "\n"
      "Options:\n"
      "  --headless                 no window: render off-screen (message boxes go to stderr)\n"
      "  --fps 30|60                frames a second (default 30; 60 for a smoother roll on\n"
      "                             a 60 Hz monitor, at twice the drawing work)\n"
      "  --frames N                 quit after N frames, writing config.txt as a close does\n"
      "  --screenshot FILE          write the back buffer as PNG after the last frame\n"
      "  --screenshot-interval SEC  also write FILE every SEC seconds (atomically)\n"
      "  --feed FILE                hand FILE's bytes to the display as one UDP datagram\n"
      "                             right after start-up\n"
      "  --page 1|2|3               page after start-up: 1 flight, 2 tactical, 3 link\n"
      "  --record FILE              append every received message with its arrival time\n"
      "                             (velmora-send --replay FILE plays it back)\n"
      "  --stats                    print frame and latency figures on exit\n"
      "  --transport udp|tcp        listen on this transport for this run instead of the one\n"
      "                             config.txt's fifth line names (kept in config.txt at close)\n"
      "  --udp-port N               UDP port (default 20083; 0 picks a free one)\n"
      "  --tcp-port N               TCP port (default 20081; 0 picks a free one)\n"
      "  --borderless               window without border (place and width from config.txt)\n"
      "  --fullscreen               fill the whole screen (with SDL_VIDEODRIVER=kmsdrm: the\n"
      "                             console of a machine without a desktop)\n"
      "  --topmost                  keep the window above other windows, the simulator's too\n"
      "                             (unless it runs in exclusive full screen)\n"
      "  --no-link-alerts           never draw the NO DATA flag or the band that explains a\n"
      "                             silent link (F3's link page still tells)\n"
      "  --rotate 0|90|180|270      turn the picture clockwise for a panel mounted sideways\n"
      "                             or upside down (kept in config.txt's sixth line)\n"
      "  --display N                put the window on monitor N (0 the primary, 1 the\n"
      "                             next...), centred there unless config.txt's place is on it\n"
      "  --renderer NAME            what draws the window: auto (SDL's choice: opengl on a PC,\n"
      "                             opengles2 on a Raspberry Pi), software, opengl, opengles2\n"
      "  --software                 same as --renderer software (faster than OpenGL emulated\n"
      "                             on the processor, e.g. without a GPU driver)\n"
      "  --null-render              compute every frame but rasterise nothing (measures the\n"
      "                             display's own CPU cost; no screenshots)\n"
      "  --web [ADDR:]PORT          serve the live picture to browsers on PORT, on\n"
      "                             127.0.0.1 unless ADDR is given (0.0.0.0: every network,\n"
      "                             for tablets)\n"
      "  --name NAME                the name the display announces itself under (default:\n"
      "                             this computer's name)\n"
      "  --announce-port N          UDP port the beacon goes to (default 20084), where\n"
      "                             exporters and velmora-send --find listen\n"
      "  --no-announce              send no beacon and register no DNS-SD service\n"
      "  --udp-group ADDR           also hear an IPv4 multicast group (224.0.0.0 to\n"
      "                             239.255.255.255) on the UDP port; displays on one PC\n"
      "                             share the port then\n"
      "  --version                  print the version and exit\n"
      "  --help                     print this help and exit\n"
      "\n"
      "Keys: F1 flight page, F2 tactical page, F3 link page (where to send, what\n"
      "arrived, the tablet address). Clicks on the two labelled bezel buttons\n"
      "select the pages too.\n";
}

ParseOutcome ParseCommandLine(const std::vector<std::string_view>& args) {
  ParseOutcome r;
  Options& o = r.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    std::string_view value;
    bool hasValue = false;
    if (auto eq = a.find('='); a.starts_with("--") && eq != std::string_view::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      hasValue = true;
    }
    auto takeValue = [&](std::string_view& out) {
      if (hasValue) {
        out = value;
        return true;
      }
      if (i + 1 >= args.size()) {
        r.error = std::string(a) + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto flag = [&](bool& f) {
      if (hasValue) {
        r.error = std::string(a) + " takes no value";
        return false;
      }
      f = true;
      return true;
    };
    std::string_view v;
    if (a == "--help" || a == "-h") {
      if (!flag(o.help)) return r;
    } else if (a == "--version") {
      if (!flag(o.version)) return r;
    } else if (a == "--headless") {
      if (!flag(o.headless)) return r;
    } else if (a == "--stats") {
      if (!flag(o.stats)) return r;
    } else if (a == "--borderless") {
      if (!flag(o.borderless)) return r;
    } else if (a == "--fullscreen") {
      if (!flag(o.fullscreen)) return r;
    } else if (a == "--topmost") {
      if (!flag(o.topmost)) return r;
    } else if (a == "--no-link-alerts") {
      bool off = false;
      if (!flag(off)) return r;
      o.linkAlerts = false;
    } else if (a == "--rotate") {
      if (!takeValue(v)) return r;
      o.rotate = ParseRotation(v);
      if (!o.rotate) {
        r.error = "--rotate needs 0, 90, 180 or 270 (degrees clockwise), not '" + std::string(v) + "'";
        return r;
      }
    } else if (a == "--display") {
      if (!takeValue(v)) return r;
      int n = 0;
      if (!ParseNumber(v, n) || n < 0) {
        r.error = "--display needs a monitor number (0 the primary), not '" + std::string(v) + "'";
        return r;
      }
      o.monitor = n;
    } else if (a == "--software") {
      bool software = false;
      if (!flag(software)) return r;
      o.renderer = Renderer::Software;
    } else if (a == "--renderer") {
      if (!takeValue(v)) return r;
      const Renderer* known = std::find_if(std::begin(kRenderers), std::end(kRenderers),
                                           [v](Renderer k) { return RendererName(k) == v; });
      if (known == std::end(kRenderers)) {
        r.error = "--renderer needs auto, software, opengl or opengles2, not '" + std::string(v) + "'";
        return r;
      }
      o.renderer = *known;
    } else if (a == "--null-render") {
      if (!flag(o.nullRender)) return r;
    } else if (a == "--fps") {
      if (!takeValue(v)) return r;
      if (v != "30" && v != "60") {
        r.error = "--fps takes 30 or 60, not '" + std::string(v) + "'";
        return r;
      }
      o.fps = v == "60" ? 60 : 30;
    } else if (a == "--frames") {
      long n = 0;
      if (!takeValue(v)) return r;
      if (!ParseNumber(v, n) || n < 1) {
        r.error = "--frames needs a whole number of at least 1, not '" + std::string(v) + "'";
        return r;
      }
      o.frames = n;
    } else if (a == "--screenshot") {
      if (!takeValue(v)) return r;
      if (v.empty()) {
        r.error = "--screenshot needs a file name";
        return r;
      }
      o.screenshot = std::string(v);
    } else if (a == "--screenshot-interval") {
      if (!takeValue(v)) return r;
      double s = 0;
      if (!ParseNumber(v, s) || !std::isfinite(s) || s <= 0) {
        r.error = "--screenshot-interval needs a positive number of seconds, not '" + std::string(v) + "'";
        return r;
      }
      o.screenshotInterval = s;
    } else if (a == "--feed") {
      if (!takeValue(v)) return r;
      o.feed = std::string(v);
    } else if (a == "--record") {
      if (!takeValue(v)) return r;
      if (v.empty()) {
        r.error = "--record needs a file name";
        return r;
      }
      o.record = std::string(v);
    } else if (a == "--page") {
      if (!takeValue(v)) return r;
      int p = 0;
      if (!ParseNumber(v, p) || p < 1 || p > 3) {
        r.error = "--page needs 1 (flight), 2 (tactical) or 3 (link), not '" + std::string(v) + "'";
        return r;
      }
      o.page = p;
    } else if (a == "--transport") {
      if (!takeValue(v)) return r;
      if (v != "udp" && v != "tcp") {
        r.error = "--transport needs udp or tcp, not '" + std::string(v) + "'";
        return r;
      }
      o.transport = std::string(v);
    } else if (a == "--udp-port" || a == "--tcp-port") {
      if (!takeValue(v)) return r;
      unsigned port = 0;
      if (!ParseNumber(v, port) || port > 65535) {
        r.error = std::string(a) + " needs a port number from 0 (any free one) to 65535, not '" + std::string(v) + "'";
        return r;
      }
      (a == "--udp-port" ? o.udpPort : o.tcpPort) = static_cast<std::uint16_t>(port);
    } else if (a == "--web") {
      if (!takeValue(v)) return r;
      std::string_view port = v;
      if (const auto colon = v.rfind(':'); colon != std::string_view::npos) {
        std::string_view host = v.substr(0, colon);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
        if (host.empty()) {
          r.error = "--web needs an address before ':', as 0.0.0.0:8083";
          return r;
        }
        o.webAddress = std::string(host);
        port = v.substr(colon + 1);
      }
      unsigned n = 0;
      if (!ParseNumber(port, n) || n > 65535) {
        r.error = "--web needs [ADDR:]PORT with a port from 0 to 65535, not '" + std::string(v) + "'";
        return r;
      }
      o.webPort = static_cast<std::uint16_t>(n);
    // Being found on the network.
    } else if (a == "--no-announce") {
      bool off = false;
      if (!flag(off)) return r;
      o.announce = false;
    } else if (a == "--announce-port") {
      if (!takeValue(v)) return r;
      unsigned port = 0;
      if (!ParseNumber(v, port) || port < 1 || port > 65535) {
        r.error = "--announce-port needs a port number from 1 to 65535, not '" + std::string(v) + "'";
        return r;
      }
      o.announcePort = static_cast<std::uint16_t>(port);
    } else if (a == "--name") {
      if (!takeValue(v)) return r;
      o.name = BeaconName(v);
      if (o.name.empty()) {
        r.error = "--name needs a name of printable characters, as --name \"Cockpit left\"";
        return r;
      }
    } else if (a == "--udp-group") {
      if (!takeValue(v)) return r;
      if (!IsIpv4MulticastAddress(v)) {
        r.error = "--udp-group needs an IPv4 multicast address (224.0.0.0 to 239.255.255.255, as 239.20.0.83), not '" +
                  std::string(v) + "'";
        return r;
      }
      o.udpGroup = std::string(v);
    } else {
      r.error = "unknown option '" + std::string(args[i]) + "' (see --help)";
      return r;
    }
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
