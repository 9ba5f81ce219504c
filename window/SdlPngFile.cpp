// PNG encoding into memory and a checked replace of the file.
#include "window/SdlPngFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "canvas/SdlCanvas.h"
#include "platform/Files.h"

namespace velmora {

namespace {

using Bytes = std::vector<unsigned char>;

// A write-only SDL stream that appends to a byte vector.
SDL_RWops* MemorySink(Bytes& out) {
  SDL_RWops* rw = SDL_AllocRW();
  if (!rw) return nullptr;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = &out;
  rw->size = [](SDL_RWops* c) -> Sint64 { return static_cast<Sint64>(static_cast<Bytes*>(c->hidden.unknown.data1)->size()); };
  rw->seek = [](SDL_RWops* c, Sint64 offset, int whence) -> Sint64 {
    // Only "where am I" is meaningful for an append-only sink.
    if (offset != 0 || whence == RW_SEEK_SET) return -1;
    return static_cast<Sint64>(static_cast<Bytes*>(c->hidden.unknown.data1)->size());
  };
  rw->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
  rw->write = [](SDL_RWops* c, const void* p, size_t size, size_t num) -> size_t {
    auto* v = static_cast<Bytes*>(c->hidden.unknown.data1);
    const auto* b = static_cast<const unsigned char*>(p);
    try {
      v->insert(v->end(), b, b + size * num);
    } catch (...) {
      return 0;  // no exception may cross the C library
    }
    return num;
  };
  rw->close = [](SDL_RWops* c) -> int {
    SDL_FreeRW(c);
    return 0;
  };
  return rw;
}

}  // namespace

bool SavePngReplacing(SDL_Surface* surface, const std::string& path) {
  Bytes png;
  SDL_RWops* sink = MemorySink(png);
  if (!sink || IMG_SavePNG_RW(surface, sink, 1) != 0 || png.empty()) return false;

  const std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
  return !platform::ReplaceFileDurably(platform::PathFromUtf8(path), bytes).error;
}

bool SaveScreenshot(SdlCanvas& canvas, const std::string& path) {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  if (!canvas.ReadPixels(px, w, h)) return false;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return false;
  const bool ok = SavePngReplacing(s, path);
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace velmora
