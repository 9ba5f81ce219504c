// Run statistics for --stats: frame times and receive-to-present latency,
// kept in fixed histograms so a long run costs no memory growth.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>

namespace velmora {

// Millisecond histogram with 0.1 ms resolution up to 10 s; longer samples
// land in the last bucket.
class MsHistogram {
 public:
  void Add(double ms);
  // p in [0, 1]; 0 when empty.
  double Percentile(double p) const;
  std::uint64_t Count() const { return count_; }

 private:
  static constexpr int kBuckets = 100000;
  std::array<std::uint32_t, kBuckets> buckets_{};
  std::uint64_t count_ = 0;
};

class RunStats {
 public:
  using Clock = std::chrono::steady_clock;

  // byTelemetry: a message started the frame (--sync telemetry), not the timer.
  void FrameDrawn(double drawMs, bool byTelemetry = false) {
    frames_.Add(drawMs);
    ++frameCount_;
    if (byTelemetry) ++framesByTelemetry_;
  }
  // A message left the parser; only applied ones wait to be shown.
  void MessageHandled(Clock::time_point received, bool ok);
  // A frame was presented: every applied message since the last one is now on screen.
  void Presented(Clock::time_point now);

  // The UDP socket's receive queue as the kernel granted it (0: UDP closed).
  void SetUdpReceiveBuffer(std::size_t bytes) { udpReceiveBuffer_ = bytes; }
  // What keeps time: the frame clock's rate (--fps), printed beside the
  // one reached, and what starts the frames (--sync).
  void SetFrameTiming(int fps, std::string_view sync) {
    targetFps_ = fps;
    sync_ = sync;
  }

  void Print(std::ostream& out, double wallSeconds) const;

  std::uint64_t frames() const { return frameCount_; }
  std::uint64_t applied() const { return applied_; }
  std::uint64_t rejected() const { return rejected_; }

 private:
  MsHistogram frames_;
  MsHistogram latency_;
  std::uint64_t frameCount_ = 0;
  std::uint64_t framesByTelemetry_ = 0;
  std::uint64_t applied_ = 0;
  std::uint64_t rejected_ = 0;
  std::size_t udpReceiveBuffer_ = 0;
  int targetFps_ = 30;
  std::string_view sync_ = "timer";
  static constexpr int kPending = 1024;
  std::array<Clock::time_point, kPending> pending_{};
  int pendingCount_ = 0;
};

}  // namespace velmora
