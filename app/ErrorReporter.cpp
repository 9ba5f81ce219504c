// Errors to stderr, and now and then to a box.
#include "app/ErrorReporter.h"

#include <cstdio>

namespace velmora {

std::string WithFullStop(std::string message) {
  if (message.empty() || message.back() != '.') message += '.';
  return message;
}

ErrorReporter::ErrorReporter(std::string title, ShowBox showBox, ErrorBoxThrottle throttle)
    : title_(std::move(title)), showBox_(std::move(showBox)), throttle_(std::move(throttle)) {}

void ErrorReporter::ReportTelemetryError(Transport transport, std::string_view peer, const std::string& message) {
  const std::string where(peer);
  std::fprintf(stderr, "velmora: %s %s: %s\n", transport == Transport::Udp ? "UDP" : "TCP", where.c_str(),
               message.c_str());
  Box(WithFullStop(message));
}

void ErrorReporter::ReportError(const std::string& message) {
  const std::string text = WithFullStop(message);
  std::fprintf(stderr, "%s: %s\n", title_.c_str(), text.c_str());
  Box(text);
}

void ErrorReporter::Box(const std::string& text) {
  if (!showBox_ || !throttle_.TryOpen()) return;
  showBox_(title_, text);
  throttle_.Closed();
}

}  // namespace velmora
