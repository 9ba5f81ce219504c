// Errors to stderr, and now and then to a box.
#include "app/ErrorReporter.h"

#include <cstdio>
#include <utility>

namespace velmora {

ErrorBoxThrottle::ErrorBoxThrottle(std::function<Clock::time_point()> now, Clock::duration quiet)
    : now_(std::move(now)), quiet_(quiet) {}

bool ErrorBoxThrottle::TryOpen() {
  if (open_) return false;
  if (closedAt_ && now_() - *closedAt_ < quiet_) return false;
  open_ = true;
  return true;
}

void ErrorBoxThrottle::Closed() {
  if (!open_) return;
  open_ = false;
  closedAt_ = now_();
}

std::string WithFullStop(std::string message) {
  if (message.empty() || message.back() != '.') message += '.';
  return message;
}

ErrorReporter::ErrorReporter(std::string title, ShowBox showBox, ErrorBoxThrottle throttle)
    : title_(std::move(title)), showBox_(std::move(showBox)), throttle_(std::move(throttle)) {}

void ErrorReporter::Print(const std::string& line) {
  if (print_) {
    print_(line);
    return;
  }
  std::fprintf(stderr, "%s\n", line.c_str());
}

void ErrorReporter::ReportTelemetryError(Transport transport, std::string_view peer, const std::string& message,
                                         int field) {
  if (transport == Transport::Tcp) Box(WithFullStop(message));

  std::string who = transport == Transport::Udp ? "UDP " : "TCP ";
  who += peer;
  const auto now = now_();
  auto it = peers_.find(who);
  if (it == peers_.end()) {
    // A flood from ever new ports must not grow the table without bound.
    if (peers_.size() >= kMaxPeers) peers_.clear();
    peers_.emplace(who, PeerLines{now, 0});
  } else if (now - it->second.last < kLineInterval) {
    ++it->second.suppressed;
    return;
  }
  std::string line = "velmora: " + who + ": ";
  if (field > 0) line += "field " + std::to_string(field) + ": ";
  line += message;
  if (it != peers_.end()) {
    if (it->second.suppressed)
      line += " (" + std::to_string(it->second.suppressed) + " more from this sender suppressed)";
    it->second = PeerLines{now, 0};
  }
  Print(line);
}

void ErrorReporter::FlushSuppressed() {
  for (auto& [who, lines] : peers_)
    if (lines.suppressed) {
      Print("velmora: " + who + ": " + std::to_string(lines.suppressed) + " more errors suppressed");
      lines.suppressed = 0;
    }
}

void ErrorReporter::ReportError(const std::string& message) {
  const std::string text = WithFullStop(message);
  Print(title_ + ": " + text);
  Box(text);
}

void ErrorReporter::Box(const std::string& text) {
  if (!showBox_ || !throttle_.TryOpen()) return;
  showBox_(title_, text);
  throttle_.Closed();
}

}  // namespace velmora
