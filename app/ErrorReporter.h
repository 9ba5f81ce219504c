// The application's error reporting while it runs: every error goes to
// stderr; a modal box (caption: the application title) opens only when none
// is showing and the last one closed a while ago, so a misbehaving exporter or
// a failing frame cannot bury the display under boxes.
//
// Telemetry errors name the transport, the sender and the field. Each sender
// gets at most one stderr line a second; the lines held back in between are
// counted, and the count rides on the sender's next line (or is printed when
// the display closes). Boxes are for TCP errors only: a bad datagram is
// replaced by the next one within a frame or two.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "link/Listeners.h"

namespace velmora {

// Keeps error boxes from stacking up: an exporter that sends a bad field 30
// times a second must not bury the display under modal boxes. A box may open
// only while none is open and not within the quiet period after the last one
// closed; every other error goes to stderr only.
class ErrorBoxThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kQuietPeriod = std::chrono::seconds(5);

  explicit ErrorBoxThrottle(std::function<Clock::time_point()> now = &Clock::now,
                            Clock::duration quiet = kQuietPeriod);

  // True if a box may open now; the caller then shows it and calls Closed()
  // when the user dismissed it. False: report to stderr only.
  bool TryOpen();
  void Closed();
  bool BoxOpen() const { return open_; }

 private:
  std::function<Clock::time_point()> now_;
  Clock::duration quiet_;
  bool open_ = false;
  std::optional<Clock::time_point> closedAt_;
};

class ErrorReporter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kLineInterval = std::chrono::seconds(1);

  // Shows a modal error box and returns when the user dismissed it.
  using ShowBox = std::function<void(std::string_view caption, std::string_view text)>;
  // Writes one stderr line (given without its line end).
  using PrintLine = std::function<void(std::string_view line)>;

  // Without showBox (a headless run) errors reach stderr only.
  ErrorReporter(std::string title, ShowBox showBox, ErrorBoxThrottle throttle = ErrorBoxThrottle());

  // Where lines go and what time it is (tests); stderr and the steady clock otherwise.
  void SetOutput(PrintLine print) { print_ = std::move(print); }
  void SetClock(std::function<Clock::time_point()> now) { now_ = std::move(now); }

  // A message from the telemetry (scanner or connection), with the peer it
  // came from and the message position it concerns (0: the whole message).
  void ReportTelemetryError(Transport transport, std::string_view peer, const std::string& message, int field = 0);
  // Any other failure, such as a frame that could not be drawn.
  void ReportError(const std::string& message);
  // Prints the count of lines still held back, per sender (at close).
  void FlushSuppressed();

  const std::string& Title() const { return title_; }

 private:
  struct PeerLines {
    Clock::time_point last;
    std::uint64_t suppressed = 0;
  };
  static constexpr std::size_t kMaxPeers = 256;

  void Box(const std::string& text);
  void Print(const std::string& line);

  std::string title_;
  ShowBox showBox_;
  ErrorBoxThrottle throttle_;
  PrintLine print_;
  std::function<Clock::time_point()> now_ = &Clock::now;
  std::map<std::string, PeerLines> peers_;  // "UDP 127.0.0.1:50112"
};

// The message as a box shows it: with a closing ".".
std::string WithFullStop(std::string message);

}  // namespace velmora
