// Reading and writing config.txt.
#include "app/Config.h"

#include "platform/Files.h"

namespace velmora {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseIntegerLine(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';

  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;

  std::uint64_t mag = 0;
  for (; i < s.size(); ++i) {
    int v = hex ? HexValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (v < 0) return std::nullopt;
    mag = mag * (hex ? 16 : 10) + static_cast<std::uint64_t>(v);
    if (mag > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    auto u = static_cast<std::uint32_t>(mag);
    if (neg) u = 0u - u;
    return static_cast<std::int32_t>(u);
  }
  if (neg) {
    if (mag > 2147483648ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(mag));
  }
  if (mag > 2147483647ull) return std::nullopt;
  return static_cast<std::int32_t>(mag);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    lines.push_back(text.substr(start, p - start));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  return lines;
}

std::optional<WindowConfig> ParseConfig(std::string_view text) {
  auto lines = SplitLines(text);
  if (lines.size() < 5) return std::nullopt;
  WindowConfig c;
  auto left = ParseIntegerLine(lines[0]);
  auto top = ParseIntegerLine(lines[1]);
  auto width = ParseIntegerLine(lines[2]);
  auto page = ParseIntegerLine(lines[3]);
  if (!left || !top || !width || !page) return std::nullopt;
  c.left = *left;
  c.top = *top;
  c.width = *width;
  c.pageMode = *page;
  std::string_view t = lines[4];
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32) t.remove_suffix(1);
  c.transport = std::string(t);
  if (lines.size() > 5) c.rotation = ParseRotation(lines[5]);
  return c;
}

std::optional<int> ParseRotation(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  for (int turn : {0, 90, 180, 270})
    if (text == std::to_string(turn)) return turn;
  return std::nullopt;
}

std::optional<WindowConfig> ReadConfigFile(const std::filesystem::path& path) {
  constexpr std::size_t kMaxBytes = 1 << 20;
  platform::File file;
  if (file.Open(path, platform::File::Mode::Read) || !file.IsRegular()) return std::nullopt;
  std::string text;
  std::size_t lineEnds = 0;
  char buf[4096];
  for (;;) {
    std::error_code error;
    const std::size_t n = file.Read(buf, sizeof buf, error);
    if (error) return std::nullopt;
    if (n == 0) break;
    text.append(buf, n);
    for (std::size_t i = 0; i < n; ++i) lineEnds += (buf[i] == '\r' || buf[i] == '\n');
    // Twelve line-end bytes hold at least six complete lines; the rest of
    // the file is ignored anyway.
    if (lineEnds >= 12 || text.size() >= kMaxBytes) break;
  }
  if (text.size() > kMaxBytes) text.resize(kMaxBytes);
  return ParseConfig(text);
}

std::string FormatConfig(const WindowConfig& c) {
  std::string out;
  for (std::int32_t v : {c.left, c.top, c.width, c.pageMode}) {
    out += std::to_string(v);
    out += "\r\n";
  }
  out += c.transport;
  out += "\r\n";
  if (c.rotation) {
    out += std::to_string(*c.rotation);
    out += "\r\n";
  }
  return out;
}

namespace {

// A directory we may not create files in, or a read-only file system: the
// only ways a rewrite in place can still succeed where the temporary file
// could not. A write that ran out of space or hit a size limit would do the
// same to config.txt itself, and leave it cut short.
bool RewriteInPlaceMayHelp(const platform::ReplaceOutcome& a) {
  return a.placing && (a.error == std::errc::permission_denied || a.error == std::errc::operation_not_permitted ||
                       a.error == std::errc::read_only_file_system);
}

}  // namespace

bool WriteConfigFile(const std::filesystem::path& path, const WindowConfig& c, std::string* error) {
  return WriteFileSafely(path, FormatConfig(c), error);
}

bool WriteFileSafely(const std::filesystem::path& path, std::string_view data, std::string* error) {
  const platform::ReplaceOutcome replaced = platform::ReplaceFileDurably(path, data);
  if (!replaced.error) return true;
  std::error_code reason = replaced.error;
  if (RewriteInPlaceMayHelp(replaced)) {
    // Two direct attempts, as a plain rewrite would.
    for (int attempt = 0; attempt < 2; ++attempt) {
      platform::File file;
      if ((reason = file.Open(path, platform::File::Mode::Truncate))) continue;
      file.Write(data, reason);
      break;
    }
    if (!reason) return true;
  }
  if (error) *error = "cannot write " + path.string() + ": " + reason.message();
  return false;
}

ListenerChoice ListenersFor(std::string_view transport) {
  if (transport == "tcp") return {false, true};
  if (transport == "udp") return {true, false};
  return {};
}

std::string ListeningLine(std::string_view transport, std::uint16_t udpPort, std::uint16_t tcpPort) {
  const std::string udp = "UDP port " + std::to_string(udpPort), tcp = "TCP port " + std::to_string(tcpPort);
  if (udpPort && tcpPort)
    return "velmora: listening on " + udp + " and " + tcp + " (config.txt line 5 is '" + std::string(transport) +
           "', neither tcp nor udp)";
  if (tcpPort) return "velmora: listening on " + tcp + " (UDP off; --transport udp or config.txt line 5 switches)";
  if (udpPort) return "velmora: listening on " + udp + " (TCP off; --transport tcp or config.txt line 5 switches)";
  return "velmora: not listening";
}

}  // namespace velmora
