// SDL_image decoding: any format it reads, converted to R G B A bytes and
// copied out row by row (the surface's pitch may pad its rows).
#include "assets/SdlImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

namespace velmora {

SdlImageDecoder::SdlImageDecoder() { IMG_Init(IMG_INIT_PNG); }

bool SdlImageDecoder::Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) {
  if (bytes.empty()) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return false;
  SDL_Surface* src = IMG_Load_RW(rw, 1);
  if (!src) return false;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(src, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(src);
  if (!s) return false;
  out.width = s->w;
  out.height = s->h;
  out.rgba.resize(static_cast<std::size_t>(s->w) * static_cast<std::size_t>(s->h) * 4);
  SDL_LockSurface(s);
  for (int y = 0; y < s->h; ++y)
    std::memcpy(out.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s->w) * 4,
                static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * static_cast<std::size_t>(s->pitch),
                static_cast<std::size_t>(s->w) * 4);
  SDL_UnlockSurface(s);
  SDL_FreeSurface(s);
  return true;
}

}  // namespace velmora
