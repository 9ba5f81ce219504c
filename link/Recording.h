// Telemetry recordings: a plain text file a user can read, edit and attach to
// a bug report, and that velmora-send --replay plays back byte for byte.
//
// Format (UTF-8/ASCII text, one line per received message):
//
//   # velmora recording 2: ...          header comment (any line starting "#")
//   1532 udp 1200.5 734 98 ... 0 $\r\n
//   1549 tcp/3 1200.5 734 98 ... 0 $\r\n
//   1610 tcp/3/close
//   ^ms  ^transport ^message bytes, escaped
//
// - ms: milliseconds since the start of the recording, decimal digits only.
// - transport: "udp" (one datagram) or "tcp/N" (one chunk as read from TCP
//   connection N; chunk boundaries are whatever the network delivered).
//   N is a small number, new for every connection the display accepted, so
//   the chunks of an exporter that restarted mid-message, or of two
//   connections that overlapped, stay apart. "tcp/N/close" (no third
//   column) marks the moment connection N went away; what it had not
//   finished was dropped there.
// - Version 1 recordings wrote a bare "tcp" for every chunk, without a
//   connection; such lines still read, as connection 0, and a replay sends
//   them all over one connection as they were.
// - message bytes: everything after the second space up to the end of the
//   line. Printable ASCII 0x21..0x7e is written as is, except "\", which is
//   written "\\". A space is written as is, except a final one, which is
//   written "\x20" so that editors and mail programs that strip trailing
//   blanks cannot change the message. CR, LF and tab are written "\r", "\n"
//   and "\t"; every other byte (other control bytes, DEL and 0x80..0xff) is
//   written "\xHH" with two hex digits. So any byte string survives, and the
//   file never holds a byte that an editor could reinterpret.
//
// Lines end in LF; a CR before the LF (a file that went through a CR LF
// conversion) is ignored when reading, since a real CR in a message is always
// written escaped. Blank lines and lines starting with "#" are comments.
// Pure code: strings in, strings out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The header comment line that starts every recording (with its LF).
extern const std::string_view kRecordingHeader;

// Escapes message bytes for the third column (see above), and back. Unescape
// returns false (with a reason in *error) for a lone "\", an unknown escape or
// a "\x" without two hex digits.
std::string EscapeRecordBytes(std::string_view bytes);
bool UnescapeRecordBytes(std::string_view text, std::string& out, std::string* error);

// One line of a recording, with its LF. ms must be >= 0 and transport "udp" or
// "tcp"; anything else is a programming error (std::invalid_argument), so a
// recording is always readable by ParseRecordLine. A TCP chunk names its
// connection (0 writes the bare "tcp" of version 1 recordings).
std::string FormatRecordLine(std::int64_t ms, std::string_view transport, std::string_view bytes,
                             std::uint32_t connection = 0);
// The line that records the close of TCP connection `connection` (above 0).
std::string FormatCloseLine(std::int64_t ms, std::uint32_t connection);

struct RecordedMessage {
  std::int64_t ms = 0;
  std::string transport;
  std::string bytes;
  std::uint32_t connection = 0;  // TCP: the connection; 0 for UDP and version 1 lines
  bool closed = false;           // TCP: the connection closed here (bytes empty)

  bool operator==(const RecordedMessage&) const = default;
};

// Parses one line (without or with its LF / CR LF). Comments and blank lines
// give nullopt with *error left empty; a malformed line gives nullopt with a
// reason in *error (error may be null).
std::optional<RecordedMessage> ParseRecordLine(std::string_view line, std::string* error);

// Parses a whole recording. On the first malformed line returns false with
// *error = "line N: reason" (N counted from 1); messages before it are in out.
bool ParseRecording(std::string_view text, std::vector<RecordedMessage>& out, std::string* error);

}  // namespace velmora
