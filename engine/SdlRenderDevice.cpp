// SDL2 back end of the render seam: the device core (window, renderer, the
// back-buffer target, frames, textures, blending, fans and lines, rebuilding
// after a reset). Presenting lives in SdlPresent, text in SdlText, the
// software renderer's fast paths in SdlSoftwarePaths.
//
// Coordinates: engine vertices follow the convention that pixel (i, j) has
// its centre at (i, j); SDL puts it at (i + 0.5, j + 0.5). Every triangle
// vertex is moved by half a pixel on the way in so both rasterise the same
// pixels (a tile drawn at X − 0.5 .. X + W covers exactly columns X .. X+W−1).
#include "engine/SdlRenderDevice.h"

#include <SDL.h>
#include <SDL_image.h>

#include <utility>

#include "engine/SdlDeviceImpl.h"

namespace velmora {



SdlRenderDevice::SdlRenderDevice(SDL_Window* window, SdlDeviceOptions options)
    : impl_(std::make_unique<Impl>(options.textCacheSize)) {
  impl_->window = window;
  impl_->options = options;
  IMG_Init(IMG_INIT_PNG);  // screenshots
}

SdlRenderDevice::~SdlRenderDevice() { impl_->DestroyAll(); }

SDL_Renderer* SdlRenderDevice::Renderer() const { return impl_->renderer; }
bool SdlRenderDevice::IsSoftware() const { return impl_->software; }
std::string SdlRenderDevice::ResolveFace(const std::string& face, bool bold, bool italic) {
  return SdlText::ResolveFace(face, bold, italic);
}
std::size_t SdlRenderDevice::TextRasterisations() const { return impl_->text.Rasterisations(); }
std::size_t SdlRenderDevice::FastPathDraws() const { return impl_->paths.Draws(); }
std::size_t SdlRenderDevice::PictureCopies() const {
  std::size_t n = 0;
  for (const auto& [id, t] : impl_->textures) n += (t.plain.texture ? 1 : 0) + t.tints.size();
  return n;
}

DeviceStatus SdlRenderDevice::Open(const DeviceParams& params) {
  Impl& d = *impl_;
  d.DestroyAll();
  if (!d.window || params.width <= 0 || params.height <= 0) return DeviceStatus::NotAvailable;
  d.params = params;
  const bool software = params.software || d.options.software;
  // A software renderer draws into the window surface; keep SDL from backing
  // that surface with a GL texture (which would load a GL driver after all),
  // except on the console (KMSDRM), whose only window surface is that
  // texture: without it nothing would reach the screen.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (software && !(driver && SDL_strcasecmp(driver, "kmsdrm") == 0))
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (params.vsync ? Uint32{SDL_RENDERER_PRESENTVSYNC} : Uint32{0});
  flags |= software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
  const bool direct = d.options.fastPaths && d.options.directBlits;
  if (!software || !direct) {
    d.renderer = SDL_CreateRenderer(d.window, -1, flags);
    if (!d.renderer) return DeviceStatus::NotAvailable;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(d.renderer, &info);
    // Given the software renderer unasked (the driver hint, no accelerated
    // one): it draws into the back buffer surface below all the same.
    if (direct && (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
      SDL_DestroyRenderer(d.renderer);
      d.renderer = nullptr;
    }
  }
  if (!d.renderer) {
    // The software renderer, drawing into a surface this device can reach;
    // Present presents it into the window surface.
    d.back = SDL_CreateRGBSurfaceWithFormat(0, params.width, params.height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!d.back) return DeviceStatus::OutOfVideoMemory;
    d.renderer = SDL_CreateSoftwareRenderer(d.back);
  }
  if (!d.renderer) return DeviceStatus::NotAvailable;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(d.renderer, &info);
  d.software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  if (!d.CreateTarget()) {
    d.DestroyAll();
    return DeviceStatus::OutOfVideoMemory;
  }
  d.targetsReset = d.deviceReset = d.picturesMissing = false;
  d.blend = SDL_BLENDMODE_BLEND;
  d.drawBlend = SDL_BLENDMODE_INVALID;
  return DeviceStatus::Ok;
}

void SdlRenderDevice::Close() { impl_->DestroyAll(); }

int SdlRenderDevice::Width() const { return impl_->params.width; }
int SdlRenderDevice::Height() const { return impl_->params.height; }

void SdlRenderDevice::NotifyTargetsReset() { impl_->targetsReset = true; }
void SdlRenderDevice::NotifyDeviceReset() { impl_->deviceReset = true; }

// After SDL_RENDER_DEVICE_RESET every SDL texture is gone: the pictures are
// made again from the texels kept for this (the fast paths make their copies
// on the next draw), under the same ids. Either reset loses the target.
void SdlRenderDevice::Impl::Recover() {
  if (deviceReset) {
    text.DropCache();
    paths.DropFanLayer();
    for (auto& [id, t] : textures) DestroyCopies(t);
    deviceReset = false;
    targetsReset = true;
    picturesMissing = !FastPaths();
  }
  if (picturesMissing) {
    picturesMissing = false;
    for (auto& [id, t] : textures)
      if (!t.plain.texture && !(t.plain.texture = MakePlain(t))) picturesMissing = true;  // again next frame
  }
  if (targetsReset && CreateTarget()) targetsReset = false;
  drawBlend = SDL_BLENDMODE_INVALID;
}

void SdlRenderDevice::Clear(std::uint32_t argb) {
  Impl& d = *impl_;
  if (!d.renderer) return;
  d.RecoverIfReset();  // the frame's clear lands on the rebuilt back buffer
  const SDL_Color c = ToColor(argb);
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  SDL_RenderClear(d.renderer);
}

void SdlRenderDevice::ClearRect(const IntRect& rect, std::uint32_t argb) {
  Impl& d = *impl_;
  if (!d.renderer || rect.right <= rect.left || rect.bottom <= rect.top) return;
  const SDL_Color c = ToColor(argb);
  SDL_SetRenderDrawBlendMode(d.renderer, SDL_BLENDMODE_NONE);
  d.drawBlend = SDL_BLENDMODE_INVALID;
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  const SDL_Rect r{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  SDL_RenderFillRect(d.renderer, &r);
}

void SdlRenderDevice::BeginFrame() {
  Impl& d = *impl_;
  if (!d.renderer) return;
  d.RecoverIfReset();
  if (!d.back) SDL_SetRenderTarget(d.renderer, d.target);
}

TextureId SdlRenderDevice::CreateTexture(std::span<const std::uint8_t> rgba, int texWidth, int texHeight,
                                         std::string_view) {
  Impl& d = *impl_;
  if (!d.renderer || texWidth <= 0 || texHeight <= 0 ||
      rgba.size() != static_cast<std::size_t>(texWidth) * static_cast<std::size_t>(texHeight) * 4)
    return 0;
  SdlPicture entry;
  entry.width = texWidth;
  entry.height = texHeight;
  if (d.FastPaths()) {
    // SDL textures follow on the first draw, in the colour it asks for.
    entry.packed = PackTexels(rgba);
  } else {
    entry.texels.assign(rgba.begin(), rgba.end());
    entry.plain.texture = d.MakePlain(entry);
    if (!entry.plain.texture) return 0;
  }
  const TextureId id = d.nextTexture++;
  d.textures[id] = std::move(entry);
  return id;
}

void SdlRenderDevice::ReleaseTexture(TextureId texture) {
  Impl& d = *impl_;
  auto it = d.textures.find(texture);
  if (it == d.textures.end()) return;
  DestroyCopies(it->second);
  d.textures.erase(it);
  if (d.bound == texture) d.bound = 0;
}

void SdlRenderDevice::BindTexture(TextureId texture) { impl_->bound = texture; }

void SdlRenderDevice::SetBlend(BlendMode mode) {
  impl_->blend = mode == BlendMode::Additive ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND;
}

void SdlRenderDevice::SetTextureFilter(bool linear) { impl_->linear = linear; }

void SdlRenderDevice::DrawFan(const Vertex* v, int count) {
  Impl& d = *impl_;
  if (!d.renderer || count < 3) return;
  SDL_Texture* tex = nullptr;
  bool tinted = false;  // the colour is in the texels: vertices go white
  if (d.bound != 0) {
    auto it = d.textures.find(d.bound);
    if (it != d.textures.end()) {
      SdlPictureCopy* copy = d.paths.CopyFor(d.renderer, it->second, v, count, tinted);
      if (!copy) return;  // out of memory for the copy: nothing to draw with
      tex = copy->texture;
      const int scale = d.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
      if (copy->scale != scale) {
        SDL_SetTextureScaleMode(tex, static_cast<SDL_ScaleMode>(scale));
        copy->scale = scale;
      }
      d.ApplyBlend(tex, copy->blend);
      // White corners (or the colour in the texels): SDL blits unmodulated.
      bool white = true;
      for (int i = 0; !tinted && i < count; ++i) white = white && v[i].color == 0xFFFFFFFFu;
      if (d.back && count == 4 && white && d.DirectQuad(*copy, v)) return;
    }
  }
  if (!tex) {
    d.ApplyBlend(nullptr, d.drawBlend);
    if (d.FastPaths() && d.paths.DrawFlatFan(d.renderer, v, count, d.params.width, d.params.height)) return;
  }
  d.verts.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    d.verts[static_cast<std::size_t>(i)] =
        SDL_Vertex{SDL_FPoint{v[i].x + 0.5f, v[i].y + 0.5f}, ToColor(tinted ? 0xFFFFFFFFu : v[i].color),
                   SDL_FPoint{v[i].u, v[i].v}};
  }
  d.indices.resize(static_cast<std::size_t>(count - 2) * 3);
  for (int i = 0; i < count - 2; ++i) {
    d.indices[static_cast<std::size_t>(i) * 3] = 0;
    d.indices[static_cast<std::size_t>(i) * 3 + 1] = i + 1;
    d.indices[static_cast<std::size_t>(i) * 3 + 2] = i + 2;
  }
  SDL_RenderGeometry(d.renderer, tex, d.verts.data(), count, d.indices.data(), static_cast<int>(d.indices.size()));
}

void SdlRenderDevice::DrawLineStrip(const Vertex* v, int count) {
  Impl& d = *impl_;
  if (!d.renderer || count < 2) return;
  d.ApplyBlend(nullptr, d.drawBlend);
  // One-pixel lines in the first vertex's colour (every strip the engine
  // draws has one colour).
  const SDL_Color c = ToColor(v[0].color);
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  d.points.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) d.points[static_cast<std::size_t>(i)] = SDL_FPoint{v[i].x, v[i].y};
  SDL_RenderDrawLinesF(d.renderer, d.points.data(), count);
}

FontId SdlRenderDevice::CreateFont(const FontDesc& desc) { return impl_->text.CreateFont(desc); }

void SdlRenderDevice::ReleaseFont(FontId font) { impl_->text.ReleaseFont(font); }

void SdlRenderDevice::DrawText(FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  impl_->text.Draw(impl_->renderer, font, x, y, utf8, argb);
}

void SdlRenderDevice::ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }


}  // namespace velmora