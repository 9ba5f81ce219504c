// Command line of velmora-send.
#include "tools/send/SendOptions.h"

#include <charconv>
#include <cmath>

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

std::optional<SendOptions> ParseSendOptions(std::span<const std::string_view> args,
                                            std::string* error) {
  SendOptions o;
  bool rateGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string_view> inlineValue;
    if (arg.starts_with("--")) {
      if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    // The value of an option: after "=", else the next argument.
    auto value = [&](std::string_view& out) {
      if (inlineValue) {
        out = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) return Fail(error, std::string(arg) + " needs a value");
      out = args[++i];
      return true;
    };
    auto noValue = [&] {
      return !inlineValue || Fail(error, std::string(arg) + " takes no value");
    };
    std::string_view v;

    if (arg == "-h" || arg == "--help") {
      if (!noValue()) return std::nullopt;
      o.help = true;
    } else if (arg == "--udp" || arg == "--tcp") {
      const bool tcp = arg == "--tcp";
      if (o.transportGiven) return Usage(error, "give only one of --udp and --tcp");
      o.transportGiven = true;
      o.transport = tcp ? SendOptions::Transport::Tcp : SendOptions::Transport::Udp;
      const std::uint16_t defaultPort = tcp ? kDefaultTcpPort : kDefaultUdpPort;
      // The address is optional: "--tcp --demo" means the default address.
      std::string_view address;
      if (inlineValue) {
        address = *inlineValue;
      } else if (i + 1 < args.size() && !args[i + 1].starts_with("-")) {
        address = args[++i];
      }
      if (!ParseSendEndpoint(address, defaultPort, o.endpoint, error)) return std::nullopt;
    } else if (arg == "--rate") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, o.rate) || o.rate <= 0 || o.rate > 1000)
        return Usage(error, "--rate must be a number of messages per second above 0, at most 1000");
      rateGiven = true;
    } else if (arg == "--demo") {
      if (!noValue()) return std::nullopt;
      o.demo = true;
    } else if (arg == "--replay") {
      if (!value(v)) return std::nullopt;
      if (v.empty()) return Usage(error, "--replay needs a file name");
      o.replayFile = std::string(v);
    } else if (arg == "--loop") {
      if (!noValue()) return std::nullopt;
      o.loop = true;
    } else if (arg == "--speed") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, o.speed) || o.speed < 0.01 || o.speed > 1000)
        return Usage(error, "--speed must be a number from 0.01 to 1000");
    } else if (arg == "--count") {
      if (!value(v)) return std::nullopt;
      std::uint64_t n = 0;
      const char* end = v.data() + v.size();
      const auto [ptr, ec] = std::from_chars(v.data(), end, n);
      if (v.empty() || ec != std::errc() || ptr != end || n == 0)
        return Usage(error, "--count must be a whole number above 0");
      o.count = n;
    } else if (arg == "--duration") {
      double seconds = 0;
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, seconds) || seconds <= 0)
        return Usage(error, "--duration must be a number of seconds above 0");
      o.duration = seconds;
    } else if (arg == "--relay") {
      if (!noValue()) return std::nullopt;
      o.relay = true;
    } else if (arg == "--listen") {
      if (!value(v) || !ParseRelayListen(v, o.listen, error)) return std::nullopt;
    } else if (arg == "--to" && (inlineValue ? *inlineValue == "auto" : i + 1 < args.size() && args[i + 1] == "auto")) {
      if (!inlineValue) ++i;
      o.autoTargets = true;
    } else if (arg == "--find") {
      if (!noValue()) return std::nullopt;
      o.find = true;
    } else if (arg == "--announce-port") {
      if (!value(v)) return std::nullopt;
      SendEndpoint port;
      if (!ParseSendEndpoint(":" + std::string(v), kDefaultUdpPort, port, error)) return std::nullopt;
      o.announcePort = port.port;
    } else if (arg == "--to") {
      RelayEndpoint target;
      if (!value(v) || !ParseRelayTarget(v, target, error)) return std::nullopt;
      o.targets.push_back(std::move(target));
    } else {
      return Usage(error, "unknown argument \"" + std::string(args[i]) + "\"");
    }
  }
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
