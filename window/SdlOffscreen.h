// Off-screen rendering for tests and benchmarks: SDL's offscreen video
// driver, a hidden window, a software-rendered canvas and the SDL picture
// decoder, with no SDL type in sight for the caller.
#pragma once

#include <memory>

namespace velmora {

class ImageDecoder;
class SdlCanvas;

class SdlOffscreen {
 public:
  // A hidden window of the given client size (the display's default window
  // is 1024 × 640) and a software canvas bound to it.
  explicit SdlOffscreen(int width = 1024, int height = 640);
  ~SdlOffscreen();
  SdlOffscreen(const SdlOffscreen&) = delete;
  SdlOffscreen& operator=(const SdlOffscreen&) = delete;

  // False when SDL could not start; error() then says why.
  bool ok() const;
  const char* error() const;
  SdlCanvas& canvas();
  ImageDecoder& decoder();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
