// JPEG encoding with libjpeg-turbo's compressor, one frame at a time.
#include "web/FrameEncoder.h"

#include <turbojpeg.h>

#include <cstdio>
#include <utility>

namespace velmora {

FrameEncoder::FrameEncoder(int quality, Sink sink) : quality_(quality), sink_(std::move(sink)) {
  thread_ = std::thread([this] { Run(); });
}

FrameEncoder::~FrameEncoder() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_one();
  thread_.join();
}

void FrameEncoder::Submit(int width, int height) {
  {
    std::lock_guard lock(mutex_);
    if (hasWaiting_) ++replaced_;
    std::swap(canvas_, waiting_.pixels);
    waiting_.width = width;
    waiting_.height = height;
    hasWaiting_ = true;
  }
  ready_.notify_one();
}

std::uint64_t FrameEncoder::Encoded() const {
  std::lock_guard lock(mutex_);
  return encoded_;
}

std::uint64_t FrameEncoder::Replaced() const {
  std::lock_guard lock(mutex_);
  return replaced_;
}

void FrameEncoder::Run() {
  tjhandle compressor = tjInitCompress();
  if (!compressor) {
    std::fprintf(stderr, "velmora: cannot start the JPEG encoder: %s\n", tjGetErrorStr2(nullptr));
    return;
  }
  Frame working;
  unsigned char* out = nullptr;
  unsigned long capacity = 0;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return hasWaiting_ || stopping_; });
      if (stopping_) break;
      std::swap(working, waiting_);
      hasWaiting_ = false;
    }
    if (working.width <= 0 || working.height <= 0 ||
        working.pixels.size() < static_cast<std::size_t>(working.width) * static_cast<std::size_t>(working.height))
      continue;
    // One output buffer of the worst-case size for this frame size, kept
    // across frames.
    const unsigned long need = tjBufSize(working.width, working.height, TJSAMP_420);
    if (need > capacity) {
      tjFree(out);
      out = tjAlloc(static_cast<int>(need));
      capacity = out ? need : 0;
      if (!out) continue;
    }
    unsigned long size = capacity;
    // 0xAARRGGBB words lie in memory as B, G, R, A on a little-endian machine.
    const int rc = tjCompress2(compressor, reinterpret_cast<const unsigned char*>(working.pixels.data()),
                               working.width, working.width * 4, working.height, TJPF_BGRX, &out, &size,
                               TJSAMP_420, quality_, TJFLAG_NOREALLOC | TJFLAG_FASTDCT);
    if (rc != 0) {
      std::fprintf(stderr, "velmora: JPEG encoding failed: %s\n", tjGetErrorStr2(compressor));
      continue;
    }
    {
      std::lock_guard lock(mutex_);
      ++encoded_;
    }
    sink_(std::make_shared<const std::string>(reinterpret_cast<const char*>(out), size));
  }
  tjFree(out);
  tjDestroy(compressor);
}

}  // namespace velmora
