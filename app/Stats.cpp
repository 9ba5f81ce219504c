// --stats figures.
#include "app/Stats.h"

#include <cmath>
#include <cstdio>

namespace velmora {

void MsHistogram::Add(double ms) {
  if (!(ms >= 0)) ms = 0;
  double b = std::floor(ms * 10.0);
  int i = b >= kBuckets - 1 ? kBuckets - 1 : static_cast<int>(b);
  ++buckets_[static_cast<std::size_t>(i)];
  ++count_;
}

double MsHistogram::Percentile(double p) const {
  if (count_ == 0) return 0;
  // Nearest-rank: the smallest sample with at least p of all samples at or below it.
  auto rank = static_cast<std::uint64_t>(std::ceil(p * static_cast<double>(count_)));
  if (rank < 1) rank = 1;
  std::uint64_t seen = 0;
  for (int i = 0; i < kBuckets; ++i) {
    seen += buckets_[static_cast<std::size_t>(i)];
    if (seen >= rank) return (i + 0.5) / 10.0;  // bucket centre
  }
  return (kBuckets - 0.5) / 10.0;
}

void RunStats::MessageHandled(Clock::time_point received, bool ok) {
  if (!ok) {
    ++rejected_;
    return;
  }
  ++applied_;
  if (pendingCount_ < kPending) pending_[static_cast<std::size_t>(pendingCount_++)] = received;
}

void RunStats::Presented(Clock::time_point now) {
  for (int i = 0; i < pendingCount_; ++i) {
    std::chrono::duration<double, std::milli> d = now - pending_[static_cast<std::size_t>(i)];
    latency_.Add(d.count());
  }
  pendingCount_ = 0;
}

void RunStats::Print(std::ostream& out, double wallSeconds) const {
  char line[128];
  auto put = [&](const char* name, double v, const char* fmt) {
    std::snprintf(line, sizeof line, fmt, name, v);
    out << line << '\n';
  };
  put("frames", static_cast<double>(frameCount_), "%s: %.0f");
  put("fps", wallSeconds > 0 ? static_cast<double>(frameCount_) / wallSeconds : 0.0, "%s: %.1f");
  put("fps_target", targetFps_, "%s: %.0f");
  out << "sync: " << sync_ << '\n';
  put("frames_by_telemetry", static_cast<double>(framesByTelemetry_), "%s: %.0f");
  put("frame_ms_p50", frames_.Percentile(0.50), "%s: %.1f");
  put("frame_ms_p99", frames_.Percentile(0.99), "%s: %.1f");
  put("messages_applied", static_cast<double>(applied_), "%s: %.0f");
  put("messages_rejected", static_cast<double>(rejected_), "%s: %.0f");
  put("latency_ms_p50", latency_.Percentile(0.50), "%s: %.1f");
  put("latency_ms_p99", latency_.Percentile(0.99), "%s: %.1f");
  put("udp_receive_buffer_bytes", static_cast<double>(udpReceiveBuffer_), "%s: %.0f");
}

}  // namespace velmora
