// Telemetry recordings: line format and its escaping.
#include "link/Recording.h"

#include <charconv>
#include <stdexcept>

namespace velmora {

const std::string_view kRecordingHeader =
    "# velmora recording 2: one message per line: milliseconds since start, transport (udp, tcp/CONNECTION "
    "or tcp/CONNECTION/close), message bytes with \\\\ \\r \\n \\t and \\xHH escapes\n";

namespace {

constexpr char kHex[] = "0123456789abcdef";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

bool IsComment(std::string_view line) {
  for (char c : line) {
    if (c == '#') return true;
    if (c != ' ' && c != '\t') return false;
  }
  return true;  // blank
}

}  // namespace

std::string EscapeRecordBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == ' ' && i + 1 == bytes.size()) {
      out += "\\x20";  // a trailing blank would not survive most editors
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    }
  }
  return out;
}

bool UnescapeRecordBytes(std::string_view text, std::string& out, std::string* error) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 1 >= text.size()) {
      SetError(error, "lone \"\\\" at the end of the message");
      return false;
    }
    const char e = text[++i];
    switch (e) {
      case '\\': out += '\\'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        const int hi = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          SetError(error, "\"\\x\" must be followed by two hex digits");
          return false;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        SetError(error, std::string("unknown escape \"\\") + e + "\"");
        return false;
    }
  }
  return true;
}

namespace {

std::string TimeColumn(std::int64_t ms) {
  if (ms < 0) throw std::invalid_argument("recording time must not be negative");
  char number[24];
  return std::string(number, std::to_chars(number, number + sizeof number, ms).ptr);
}

// "tcp/N" (N above 0), the version 1 "tcp" or "udp", with or without "/close".
bool ParseTransportColumn(std::string_view column, RecordedMessage& m) {
  if (column == "udp" || column == "tcp") {
    m.transport = std::string(column);
    return true;
  }
  if (!column.starts_with("tcp/")) return false;
  column.remove_prefix(4);
  if (column.ends_with("/close")) {
    m.closed = true;
    column.remove_suffix(6);
  }
  if (column.empty() || column.front() < '1' || column.front() > '9') return false;
  const auto [ptr, ec] = std::from_chars(column.data(), column.data() + column.size(), m.connection);
  if (ec != std::errc() || ptr != column.data() + column.size()) return false;
  m.transport = "tcp";
  return true;
}

}  // namespace

std::string FormatCloseLine(std::int64_t ms, std::uint32_t connection) {
  if (connection == 0) throw std::invalid_argument("a closed connection has a number above 0");
  return TimeColumn(ms) + " tcp/" + std::to_string(connection) + "/close\n";
}

std::string FormatRecordLine(std::int64_t ms, std::string_view transport, std::string_view bytes,
                             std::uint32_t connection) {
  if (transport != "udp" && transport != "tcp")
    throw std::invalid_argument("recording transport must be udp or tcp");
  std::string line = TimeColumn(ms);
  line += ' ';
  line += transport;
  if (transport == "tcp" && connection != 0) {
    // Appended piecewise: a temporary "/" + number string gives GCC 12 at
    // -O3 a false overlapping-copy warning inside the string library.
    line += '/';
    line += std::to_string(connection);
  }
  line += ' ';
  line += EscapeRecordBytes(bytes);
  line += '\n';
  return line;
}

std::optional<RecordedMessage> ParseRecordLine(std::string_view line, std::string* error) {
  if (error) error->clear();
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (IsComment(line)) return std::nullopt;

  RecordedMessage m;
  const std::size_t sp1 = line.find(' ');
  const std::string_view msText = line.substr(0, sp1);
  const char* const msEnd = msText.data() + msText.size();
  if (msText.empty() || msText.front() < '0' || msText.front() > '9') {
    SetError(error, "expected the time in milliseconds at the start of the line");
    return std::nullopt;
  }
  const auto [ptr, ec] = std::from_chars(msText.data(), msEnd, m.ms);
  if (ec == std::errc::result_out_of_range) {
    SetError(error, "time \"" + std::string(msText) + "\" is too large");
    return std::nullopt;
  }
  if (ec != std::errc() || ptr != msEnd) {
    SetError(error, "time \"" + std::string(msText) + "\" is not a whole number of milliseconds");
    return std::nullopt;
  }
  if (sp1 == std::string_view::npos) {
    SetError(error, "missing transport after the time");
    return std::nullopt;
  }

  const std::string_view rest = line.substr(sp1 + 1);
  const std::size_t sp2 = rest.find(' ');
  const std::string_view transport = rest.substr(0, sp2);
  if (!ParseTransportColumn(transport, m)) {
    SetError(error, "transport \"" + std::string(transport) + "\" is neither udp, tcp/N nor tcp/N/close");
    return std::nullopt;
  }
  if (m.closed) {
    if (sp2 != std::string_view::npos) {
      SetError(error, "nothing may follow \"" + std::string(transport) + "\"");
      return std::nullopt;
    }
    return m;
  }

  // No third column: an empty message (an empty datagram is a real event).
  if (sp2 != std::string_view::npos) {
    std::string reason;
    if (!UnescapeRecordBytes(rest.substr(sp2 + 1), m.bytes, &reason)) {
      SetError(error, reason);
      return std::nullopt;
    }
  }
  return m;
}

bool ParseRecording(std::string_view text, std::vector<RecordedMessage>& out, std::string* error) {
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t lf = text.find('\n');
    const std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    std::string reason;
    if (auto m = ParseRecordLine(line, &reason)) {
      out.push_back(std::move(*m));
    } else if (!reason.empty()) {
      SetError(error, "line " + std::to_string(lineNumber) + ": " + reason);
      return false;
    }
  }
  return true;
}

}  // namespace velmora
