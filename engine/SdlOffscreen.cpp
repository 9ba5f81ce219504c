// Off-screen SDL rendering.
#include "engine/SdlOffscreen.h"

#include <SDL.h>

#include <string>

#include "engine/SdlImageDecoder.h"
#include "engine/SdlRenderDevice.h"

namespace velmora {

struct SdlOffscreen::Impl {
  bool videoUp = false;
  SDL_Window* window = nullptr;
  std::unique_ptr<SdlRenderDevice> device;
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
  impl_->device = std::make_unique<SdlRenderDevice>(impl_->window, SdlDeviceOptions{true, 256});
}

SdlOffscreen::~SdlOffscreen() {
  impl_->device.reset();
  if (impl_->window) SDL_DestroyWindow(impl_->window);
  if (impl_->videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlOffscreen::ok() const { return impl_->device != nullptr; }
const char* SdlOffscreen::error() const { return impl_->error.c_str(); }
SdlRenderDevice& SdlOffscreen::device() { return *impl_->device; }
ImageDecoder& SdlOffscreen::decoder() { return impl_->decoder; }

}  // namespace velmora
