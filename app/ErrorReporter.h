// The application's error reporting while it runs: every error goes to
// stderr; a modal box (caption: the application title) opens only when none
// is showing and the last one closed a while ago, so a misbehaving exporter or
// a failing frame cannot bury the display under boxes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/ErrorBoxThrottle.h"
#include "link/Listeners.h"

namespace velmora {

class ErrorReporter {
 public:
  // Shows a modal error box and returns when the user dismissed it.
  using ShowBox = std::function<void(std::string_view caption, std::string_view text)>;

  // Without showBox (a headless run) errors reach stderr only.
  ErrorReporter(std::string title, ShowBox showBox, ErrorBoxThrottle throttle = ErrorBoxThrottle());

  // A message from the telemetry (scanner or connection), with the peer it came from.
  void ReportTelemetryError(Transport transport, std::string_view peer, const std::string& message);
  // Any other failure, such as a frame that could not be drawn.
  void ReportError(const std::string& message);

  const std::string& Title() const { return title_; }

 private:
  void Box(const std::string& text);

  std::string title_;
  ShowBox showBox_;
  ErrorBoxThrottle throttle_;
};

// The message as a box shows it: with a closing ".".
std::string WithFullStop(std::string message);

}  // namespace velmora
