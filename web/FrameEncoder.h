// JPEG encoding of presented frames on a thread of its own. The main thread
// fills a canvas with the back buffer and submits it; the encoder thread
// compresses it and hands the JPEG on. When the encoder is still busy, a
// newer frame replaces the one waiting, so the picture is never more than
// one encode behind the display. Three pixel buffers rotate between the
// canvas, the waiting frame and the one being encoded: once they have grown
// to the back buffer's size, submitting a frame allocates nothing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora {

class FrameEncoder {
 public:
  // Called on the encoder thread with each finished picture.
  using Sink = std::function<void(std::shared_ptr<const std::string> jpeg)>;

  FrameEncoder(int quality, Sink sink);
  ~FrameEncoder();  // finishes the encode in progress, drops the waiting frame
  FrameEncoder(const FrameEncoder&) = delete;
  FrameEncoder& operator=(const FrameEncoder&) = delete;

  // Main thread: the buffer to fill with 0xAARRGGBB words, row by row.
  std::vector<std::uint32_t>& Canvas() { return canvas_; }
  // Main thread: the canvas holds a width x height frame; queue it.
  void Submit(int width, int height);

  // Frames encoded and frames replaced while waiting, so far.
  std::uint64_t Encoded() const;
  std::uint64_t Replaced() const;

 private:
  struct Frame {
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
  };
  void Run();

  const int quality_;
  Sink sink_;
  std::vector<std::uint32_t> canvas_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  Frame waiting_;
  bool hasWaiting_ = false;
  bool stopping_ = false;
  std::uint64_t encoded_ = 0, replaced_ = 0;
  std::thread thread_;
};

}  // namespace velmora
