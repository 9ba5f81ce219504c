// The beacon line and the finders' table of displays.
#include "link/Beacon.h"

#include <algorithm>
#include <charconv>

namespace velmora {
namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string Encode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out.push_back(value[i]);
      continue;
    }
    if (i + 2 >= value.size()) return std::nullopt;
    const int hi = HexDigit(value[i + 1]), lo = HexDigit(value[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

std::optional<std::uint16_t> Port(std::string_view text, bool zeroAllowed) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 65535 ||
      (value == 0 && !zeroAllowed))
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool IsLoopback(std::string_view address) { return address.rfind("127.", 0) == 0; }

}  // namespace

std::string BeaconName(std::string_view name) {
  std::string out;
  for (const char ch : name)
    if (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F) out.push_back(ch);
  if (out.size() > kMaxBeaconName) {
    std::size_t cut = kMaxBeaconName;
    // Back up over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

std::string FormatBeacon(const BeaconInfo& info) {
  std::string line(kBeaconVersion);
  line += " name=" + Encode(BeaconName(info.name));
  line += " transport=" + Encode(info.transport);
  line += " port=" + std::to_string(info.port);
  if (info.webPort) line += " web=" + std::to_string(info.webPort);
  if (!info.group.empty()) line += " group=" + Encode(info.group);
  line += "\n";
  return line;
}

std::optional<BeaconInfo> ParseBeacon(std::string_view datagram) {
  if (datagram.size() > kMaxBeaconLength) return std::nullopt;
  if (!datagram.empty() && datagram.back() == '\n') datagram.remove_suffix(1);
  if (!datagram.empty() && datagram.back() == '\r') datagram.remove_suffix(1);
  // The version is a word of its own: "VELMORA/10" is not "VELMORA/1".
  if (datagram.substr(0, kBeaconVersion.size()) != kBeaconVersion) return std::nullopt;
  std::string_view rest = datagram.substr(kBeaconVersion.size());
  if (!rest.empty() && rest.front() != ' ') return std::nullopt;
  BeaconInfo info;
  bool haveName = false, havePort = false;
  while (!rest.empty()) {
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    if (rest.empty()) break;
    const std::size_t end = std::min(rest.find(' '), rest.size());
    const std::string_view pair = rest.substr(0, end);
    rest.remove_prefix(end);
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    const std::string_view key = pair.substr(0, eq);
    const auto value = Decode(pair.substr(eq + 1));
    if (!value) return std::nullopt;
    if (key == "name") {
      info.name = BeaconName(*value);
      haveName = !info.name.empty();
    } else if (key == "transport") {
      if (*value != "udp" && *value != "tcp") return std::nullopt;
      info.transport = *value;
    } else if (key == "port") {
      const auto port = Port(*value, false);
      if (!port) return std::nullopt;
      info.port = *port;
      havePort = true;
    } else if (key == "web") {
      const auto port = Port(*value, true);
      if (!port) return std::nullopt;
      info.webPort = *port;
    } else if (key == "group") {
      info.group = *value;
    }
    // Any other key is a later addition: ignored.
  }
  if (!haveName || info.transport.empty() || !havePort) return std::nullopt;
  return info;
}

BeaconTable::Heard BeaconTable::Hear(std::string_view datagram, std::string_view fromAddress,
                                     Clock::time_point now) {
  auto info = ParseBeacon(datagram);
  last_ = static_cast<std::size_t>(-1);
  if (!info) {
    ++ignored_;
    return Heard::Ignored;
  }
  const auto same = [&](const Display& d) {
    return d.info.name == info->name && d.info.transport == info->transport && d.info.port == info->port;
  };
  if (auto it = std::find_if(displays_.begin(), displays_.end(), same); it != displays_.end()) {
    it->info = std::move(*info);
    it->lastHeard = now;
    last_ = static_cast<std::size_t>(it - displays_.begin());
    if (it->address == fromAddress) return Heard::Again;
    // A display beacons to loopback and to the network at once: a finder on
    // the same machine keeps the network address rather than flip between them.
    if (IsLoopback(fromAddress) && !IsLoopback(it->address)) return Heard::Again;
    it->address = std::string(fromAddress);
    return Heard::Moved;
  }
  if (displays_.size() >= kMaxDisplays) {
    const auto oldest = std::min_element(displays_.begin(), displays_.end(), [](const Display& a, const Display& b) {
      return a.lastHeard < b.lastHeard;
    });
    displays_.erase(oldest);
  }
  displays_.push_back(Display{std::move(*info), std::string(fromAddress), now, now});
  last_ = displays_.size() - 1;
  return Heard::New;
}

std::vector<BeaconTable::Display> BeaconTable::Expire(Clock::time_point now) {
  last_ = static_cast<std::size_t>(-1);
  std::vector<Display> gone;
  for (auto it = displays_.begin(); it != displays_.end();) {
    if (now - it->lastHeard > kForgetAfter) {
      gone.push_back(std::move(*it));
      it = displays_.erase(it);
    } else {
      ++it;
    }
  }
  return gone;
}

bool IsIpv4MulticastAddress(std::string_view text) {
  unsigned parts[4] = {};
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (p == end || *p != '.') return false;
      ++p;
    }
    const char* start = p;
    const auto [next, ec] = std::from_chars(p, end, parts[i]);
    if (ec != std::errc() || next == start || next - start > 3 || parts[i] > 255) return false;
    p = next;
  }
  return p == end && parts[0] >= 224 && parts[0] <= 239;
}

std::string BrowserUrl(const BeaconTable::Display& display) {
  if (!display.info.webPort) return {};
  return "http://" + display.address + ":" + std::to_string(display.info.webPort) + "/";
}

}  // namespace velmora
