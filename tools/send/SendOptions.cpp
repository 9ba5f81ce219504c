// Command line of velmora-send: the addresses it takes, and its options on
// CLI11 (cli/OptionParsing.h).
#include "tools/send/SendOptions.h"

#include "cli/OptionParsing.h"

#include <charconv>
#include <cmath>
#include <functional>

namespace velmora {
namespace {

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Locale-independent: "2.5" means the same on every desktop.
bool ParseNumber(std::string_view text, double& out) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && std::isfinite(out);
}

std::nullopt_t Usage(std::string* error, std::string text) {
  Fail(error, std::move(text));
  return std::nullopt;
}

}  // namespace

bool ParseSendEndpoint(std::string_view text, std::uint16_t defaultPort, SendEndpoint& out,
                       std::string* error) {
  std::string_view host = text, port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos)
      return Fail(error, "missing \"]\" in address \"" + std::string(text) + "\"");
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':')
        return Fail(error, "unexpected text after \"]\" in address \"" + std::string(text) + "\"");
      port = rest.substr(1);
      if (port.empty()) return Fail(error, "missing port after \":\" in \"" + std::string(text) + "\"");
    }
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    if (text.find(':') != colon)
      return Fail(error, "write an IPv6 address in brackets, as [::1]:20083");
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (port.empty()) return Fail(error, "missing port after \":\" in \"" + std::string(text) + "\"");
  }
  SendEndpoint result;
  if (!host.empty()) result.host = std::string(host);
  result.port = defaultPort;
  if (!port.empty()) {
    unsigned value = 0;
    const char* end = port.data() + port.size();
    const auto [ptr, ec] = std::from_chars(port.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > 65535)
      return Fail(error, "port \"" + std::string(port) + "\" is not a number from 1 to 65535");
    result.port = static_cast<std::uint16_t>(value);
  }
  out = std::move(result);
  return true;
}

namespace {

// "udp" or "tcp" before the first ":"; rest is what follows it.
bool SplitRelayKind(std::string_view text, bool& tcp, std::string_view& rest, std::string* error) {
  const std::size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  if (kind != "udp" && kind != "tcp")
    return Fail(error, std::string("\"").append(text).append("\" must start with udp or tcp"));
  tcp = kind == "tcp";
  rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  if (colon != std::string_view::npos && rest.empty())
    return Fail(error, "missing text after \":\" in \"" + std::string(text) + "\"");
  return true;
}

}  // namespace

bool ParseRelayListen(std::string_view text, RelayEndpoint& out, std::string* error) {
  RelayEndpoint r;
  std::string_view port;
  if (!SplitRelayKind(text, r.tcp, port, error)) return false;
  if (port.find(':') != std::string_view::npos || port.find('[') != std::string_view::npos)
    return Fail(error, "--listen takes a port only, as tcp:20081");
  const std::string address = port.empty() ? std::string() : std::string(":").append(port);
  if (!ParseSendEndpoint(address, r.tcp ? kDefaultTcpPort : kDefaultUdpPort, r.endpoint, error)) return false;
  r.endpoint.host = "0.0.0.0";
  out = std::move(r);
  return true;
}

bool ParseRelayTarget(std::string_view text, RelayEndpoint& out, std::string* error) {
  RelayEndpoint r;
  std::string_view address;
  if (!SplitRelayKind(text, r.tcp, address, error)) return false;
  if (address.empty() || address.front() == ':')
    return Fail(error, "--to needs a host, as udp:192.168.1.20 or tcp:mfd2:20081");
  if (!ParseSendEndpoint(address, r.tcp ? kDefaultTcpPort : kDefaultUdpPort, r.endpoint, error)) return false;
  out = std::move(r);
  return true;
}

namespace {

// Every option of velmora-send, in the order --help lists them. Each check
// runs as its option is read, left to right.
void DeclareSendOptions(CLI::App& app, SendOptions& o, bool& rateGiven) {
  PrepareOptionTable(app);
  using Check = std::function<void(const std::string&)>;
  auto flag = [&app](const char* name, const char* help, std::function<void()> set) {
    app.add_flag_callback(name, std::move(set), help)->trigger_on_parse();
  };
  auto value = [&app](const char* name, const char* valueName, const char* help, Check check) {
    return app.add_option_function<std::string>(name, std::move(check), help)
        ->type_name(valueName)
        ->trigger_on_parse();
  };
  auto fail = [](std::string text) { throw BadOptionValue{std::move(text)}; };

  flag("--demo",
       "a built-in flight of three minutes, looping: take-off in\n"
       "afterburner, climbing turn, supersonic dash, 8 g turn,\n"
       "target intercept, ILS approach, low fuel, landing",
       [&o] { o.demo = true; });
  value("--replay", "FILE",
        "play a recording made by velmora --record in real time,\n"
        "sending each message's recorded bytes unchanged",
        [&o, fail](const std::string& v) {
          if (v.empty()) fail("--replay needs a file name");
          o.replayFile = v;
        });
  flag("--loop", "start the recording again after its last message", [&o] { o.loop = true; });
  // The address is optional: "--tcp --demo" means the default address.
  for (const bool tcp : {false, true}) {
    value(tcp ? "--tcp" : "--udp", "[HOST[:PORT]]",
          tcp ? "send over a TCP connection (default 127.0.0.1:20081);\n"
                "waits for the display and reconnects when it restarts\n"
                "Without either, the demo uses the transport that\n"
                "./config.txt gives a display started in this folder\n"
                "(TCP without one), and a replay the transport of its\n"
                "first recorded message. A TCP replay opens one\n"
                "connection per recorded connection."
              : "send UDP datagrams (default 127.0.0.1:20083); to a\n"
                "multicast group (224.0.0.0..239.255.255.255) for displays\n"
                "started with --udp-group: this network only (TTL 1), this\n"
                "PC too",
          [&o, fail, tcp](const std::string& v) {
            if (o.transportGiven) fail("give only one of --udp and --tcp");
            o.transportGiven = true;
            o.transport = tcp ? SendOptions::Transport::Tcp : SendOptions::Transport::Udp;
            std::string error;
            if (!ParseSendEndpoint(v, tcp ? kDefaultTcpPort : kDefaultUdpPort, o.endpoint, &error)) fail(error);
          })
        ->expected(0, 1);
  }
  value("--rate", "HZ", "demo messages per second (default 30)", [&o, &rateGiven, fail](const std::string& v) {
    if (!ParseNumber(v, o.rate) || o.rate <= 0 || o.rate > 1000)
      fail("--rate must be a number of messages per second above 0, at most 1000");
    rateGiven = true;
  });
  value("--speed", "X", "play the demo or the recording X times as fast", [&o, fail](const std::string& v) {
    if (!ParseNumber(v, o.speed) || o.speed < 0.01 || o.speed > 1000) fail("--speed must be a number from 0.01 to 1000");
  });
  value("--count", "N", "stop after N messages have been sent", [&o, fail](const std::string& v) {
    std::uint64_t n = 0;
    const char* end = v.data() + v.size();
    const auto [ptr, ec] = std::from_chars(v.data(), end, n);
    if (v.empty() || ec != std::errc() || ptr != end || n == 0) fail("--count must be a whole number above 0");
    o.count = n;
  });
  value("--duration", "SEC", "stop after SEC seconds", [&o, fail](const std::string& v) {
    double seconds = 0;
    if (!ParseNumber(v, seconds) || seconds <= 0) fail("--duration must be a number of seconds above 0");
    o.duration = seconds;
  });
  flag("--relay",
       "receive as the display would (default udp:20083) and forward\n"
       "every message unchanged, in order, to each --to target; a\n"
       "TCP target reconnects and drops its oldest messages once\n"
       "more than 1 s behind. Ctrl-C prints sent and dropped",
       [&o] { o.relay = true; });
  value("--listen", "udp|tcp[:PORT]", "where the relay receives", [&o, fail](const std::string& v) {
    std::string error;
    if (!ParseRelayListen(v, o.listen, &error)) fail(error);
  });
  value("--to", "udp|tcp:HOST[:PORT]|auto",
        "a display to feed (repeat for several); auto: every\n"
        "display whose beacon is heard, added and dropped as\n"
        "they come and go",
        [&o, fail](const std::string& v) {
    if (v == "auto") {
      o.autoTargets = true;
      return;
    }
    RelayEndpoint target;
    std::string error;
    if (!ParseRelayTarget(v, target, &error)) fail(error);
    o.targets.push_back(std::move(target));
  });
  // Finding displays by their beacon.
  flag("--find",
       "list the displays heard within 3 s (--duration SEC): name,\n"
       "address, transport, port and browser view",
       [&o] { o.find = true; });
  value("--announce-port", "N", "where displays' beacons arrive (default 20084)", [&o, fail](const std::string& v) {
    SendEndpoint port;
    std::string error;
    if (!ParseSendEndpoint(":" + v, kDefaultUdpPort, port, &error)) fail(error);
    o.announcePort = port.port;
  });
  flag("--help,-h", "show this text", [&o] { o.help = true; });
}

}  // namespace

std::string SendOptionsHelp() {
  CLI::App app;
  SendOptions unused;
  bool rateGiven = false;
  DeclareSendOptions(app, unused, rateGiven);
  return OptionTableHelp(app, 22);
}

std::optional<SendOptions> ParseSendOptions(std::span<const std::string_view> args,
                                            std::string* error) {
  SendOptions o;
  bool rateGiven = false;
  CLI::App app;
  DeclareSendOptions(app, o, rateGiven);
  if (auto mistake = ParseOptionTable(app, args)) return Usage(error, std::move(*mistake));
  if (const auto extras = app.remaining(); !extras.empty())
    return Usage(error, "unknown argument \"" + extras.front() + "\"");
  if (o.help) return o;
  if (o.find) {
    if (o.relay || o.demo || !o.replayFile.empty() || o.transportGiven || !o.targets.empty() || o.autoTargets)
      return Usage(error, "--find only listens: no --relay, --demo, --replay, --udp, --tcp or --to");
    return o;
  }
  if (o.relay) {
    if (o.demo || !o.replayFile.empty() || o.transportGiven)
      return Usage(error, "--relay forwards what it receives: no --demo, --replay, --udp or --tcp");
    if (o.targets.empty() && !o.autoTargets) return Usage(error, "--relay needs at least one --to (or --to auto)");
    return o;
  }
  if (!o.targets.empty() || o.autoTargets) return Usage(error, "--to goes with --relay");
  if (o.demo == !o.replayFile.empty())
    return Usage(error, "give one of --demo and --replay FILE");
  if (o.loop && o.demo) return Usage(error, "--loop goes with --replay (the demo always loops)");
  if (rateGiven && !o.demo)
    return Usage(error, "--rate goes with --demo (a replay keeps its recorded times)");
  return o;
}

}  // namespace velmora
