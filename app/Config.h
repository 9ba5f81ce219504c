// config.txt: the five lines that remember where the user put the window,
// which page was shown and which transport the exporter uses, and an
// optional sixth line for a panel mounted sideways or upside down.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The file, in the working directory the display was started in; velmora-send
// reads it too, to send the way the display listens.
inline constexpr char kConfigFileName[] = "config.txt";

struct WindowConfig {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t pageMode = 0;
  std::string transport;
  // Degrees clockwise the picture is turned (0, 90, 180 or 270); absent in
  // a five-line file, which is then written back with five lines.
  std::optional<int> rotation;
};

// A turn of the picture: "0", "90", "180" or "270" (degrees clockwise,
// trailing blanks allowed); nullopt for anything else.
std::optional<int> ParseRotation(std::string_view text);

// The fallback when the file is missing or any line is unusable: centred,
// 1024 x 600, page 1, "tcp".
inline constexpr std::int32_t kFallbackWidth = 1024;
inline constexpr std::int32_t kFallbackHeight = 600;
inline constexpr std::string_view kFallbackTransport = "tcp";

// An integer line: optional leading spaces, optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X"; nothing
// may follow. The value must fit 32 bits (hexadecimal up to FFFFFFFF, read
// as a two's-complement 32-bit value).
std::optional<std::int32_t> ParseIntegerLine(std::string_view line);

// Splits text into lines at CR LF, LF or CR; a line end at the very end does
// not start another line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Which listeners the fifth line's transport text leaves open: exactly "tcp"
// or "udp" closes the other one; any other text keeps both.
struct ListenerChoice {
  bool udp = true;
  bool tcp = true;
};
ListenerChoice ListenersFor(std::string_view transport);

// The start-up line that tells which port listens and how to switch, for
// example "velmora: listening on TCP port 20081 (UDP off; --transport udp or
// config.txt line 5 switches)". A port of 0 means that listener is off.
std::string ListeningLine(std::string_view transport, std::uint16_t udpPort, std::uint16_t tcpPort);

// All five lines or nothing; a sixth line that is not a turn is ignored.
std::optional<WindowConfig> ParseConfig(std::string_view text);

// Reads the file; only its first six lines matter, so at most 1 MiB is read.
// Missing, unreadable, a directory, too short or invalid: nullopt.
std::optional<WindowConfig> ReadConfigFile(const std::filesystem::path& path);

// The five lines (six with a rotation), each ended by CR LF.
std::string FormatConfig(const WindowConfig& c);

// Writes the file so that a crash or a full disk never leaves it truncated:
// a temporary file beside it is written, flushed and renamed over it. Only
// where that file cannot be created or renamed for lack of permission (or a
// read-only file system) is the file rewritten directly (two attempts). When
// nothing could be written, returns false with "cannot write PATH: reason"
// in *error (error may be null), and the file keeps its previous bytes
// unless it was rewritten directly. Never throws.
bool WriteConfigFile(const std::filesystem::path& path, const WindowConfig& c, std::string* error = nullptr);
// The same safe write for any small file of the display's own (windows.txt).
bool WriteFileSafely(const std::filesystem::path& path, std::string_view data, std::string* error = nullptr);

}  // namespace velmora
