// Off-screen SDL rendering.
#include "window/SdlOffscreen.h"

#include <SDL.h>

#include <string>

#include "assets/SdlImageDecoder.h"
#include "canvas/SdlCanvas.h"

namespace velmora {

struct SdlOffscreen::Impl {
  bool videoUp = false;
  SDL_Window* window = nullptr;
  std::unique_ptr<SdlCanvas> canvas;
  SdlImageDecoder decoder;
  std::string error;
};

SdlOffscreen::SdlOffscreen(int width, int height) : impl_(std::make_unique<Impl>()) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    impl_->error = SDL_GetError();
    return;
  }
  impl_->videoUp = true;
  impl_->window = SDL_CreateWindow("velmora", 0, 0, width, height, SDL_WINDOW_HIDDEN);
  if (!impl_->window) {
    impl_->error = SDL_GetError();
    return;
  }
  impl_->canvas = std::make_unique<SdlCanvas>(impl_->window, SdlCanvasOptions{true, 256});
}

SdlOffscreen::~SdlOffscreen() {
  impl_->canvas.reset();
  if (impl_->window) SDL_DestroyWindow(impl_->window);
  if (impl_->videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlOffscreen::ok() const { return impl_->canvas != nullptr; }
const char* SdlOffscreen::error() const { return impl_->error.c_str(); }
SdlCanvas& SdlOffscreen::canvas() { return *impl_->canvas; }
ImageDecoder& SdlOffscreen::decoder() { return impl_->decoder; }

}  // namespace velmora
