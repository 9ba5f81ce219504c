// The canvas on SDL's renderer: opening it, the pictures' textures, frames,
// the draws and rebuilding after a reset. Presenting lives in
// SdlCanvasPresent, text in SdlText, the software renderer's fast paths in
// SdlSoftwarePaths and SdlDirectBlits.
//
// Coordinates: the canvas puts the centre of pixel (i, j) at (i, j); SDL
// puts it at (i + 0.5, j + 0.5). Every triangle vertex is moved by half a
// pixel on the way in so both rasterise the same pixels (a tile drawn at
// X − 0.5 .. X + W covers exactly columns X .. X+W−1).
#include "canvas/SdlCanvas.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "canvas/SdlCanvasImpl.h"

namespace velmora {

namespace {

// Smallest power of two, at least 2, that holds n.
int TextureSize(int n) {
  int size = 2;
  while (size < n && size < (1 << 30)) size <<= 1;
  return size;
}

}  // namespace

SdlCanvas::SdlCanvas(SDL_Window* window, SdlCanvasOptions options)
    : impl_(std::make_unique<Impl>(options.textCacheSize)) {
  impl_->window = window;
  impl_->options = options;
}

SdlCanvas::~SdlCanvas() { impl_->DestroyAll(); }

SDL_Renderer* SdlCanvas::Renderer() const { return impl_->renderer; }
bool SdlCanvas::IsSoftware() const { return impl_->software; }
std::size_t SdlCanvas::TextRasterisations() const { return impl_->text.Rasterisations(); }
std::size_t SdlCanvas::FastPathDraws() const { return impl_->fastDraws; }
std::size_t SdlCanvas::PictureCopies() const {
  std::size_t n = 0;
  for (const auto& t : impl_->pictures) n += (t.plain.texture ? 1 : 0) + t.tints.size();
  return n;
}
int SdlCanvas::Width() const { return impl_->width; }
int SdlCanvas::Height() const { return impl_->height; }
void SdlCanvas::NotifyTargetsReset() { impl_->targetsReset = true; }
void SdlCanvas::NotifyDeviceReset() { impl_->deviceReset = true; }

bool SdlCanvas::Impl::CreateTarget() {
  if (back) {
    if (back->w != width || back->h != height) return false;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    return true;
  }
  if (target) SDL_DestroyTexture(target);
  target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
  if (!target) return false;
  SDL_SetTextureBlendMode(target, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(target, SDL_ScaleModeLinear);
  SDL_SetRenderTarget(renderer, target);
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  return true;
}

void SdlCanvas::Impl::DestroyAll() {
  text.CloseAll();
  for (auto& t : pictures) DestroyCopies(t);
  pictures.clear();
  for (SDL_Surface** s : {&back, &presentScaled, &turned, &upright}) {
    if (*s) SDL_FreeSurface(*s);
    *s = nullptr;
  }
  if (target) SDL_DestroyTexture(target);
  target = nullptr;
  if (renderer) SDL_DestroyRenderer(renderer);
  renderer = nullptr;
}

bool SdlCanvas::Impl::OpenRenderer(bool softwareOnly) {
  DestroyAll();
  // A software renderer draws into the window surface; keep SDL from backing
  // that surface with a GL texture (which would load a GL driver after all),
  // except on the console (KMSDRM), whose only window surface is that
  // texture: without it nothing would reach the screen.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (softwareOnly && !(driver && SDL_strcasecmp(driver, "kmsdrm") == 0))
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (softwareOnly ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED);
  const bool direct = options.fastPaths && options.directBlits;
  if (!softwareOnly || !direct) {
    renderer = SDL_CreateRenderer(window, -1, flags);
    if (!renderer) return false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    // Given the software renderer unasked (the driver hint, no accelerated
    // one): it draws into the page surface below all the same.
    if (direct && (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
      SDL_DestroyRenderer(renderer);
      renderer = nullptr;
    }
  }
  if (!renderer) {
    // The software renderer, drawing into a surface this canvas can reach;
    // Present presents it into the window surface.
    back = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (back) renderer = SDL_CreateSoftwareRenderer(back);
  }
  if (!renderer) return false;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  if (!CreateTarget()) {
    DestroyAll();
    return false;
  }
  targetsReset = deviceReset = picturesMissing = false;
  drawBlend = SDL_BLENDMODE_INVALID;
  return true;
}

ScreenStatus SdlCanvas::Open(int width, int height, std::span<const PictureData> pictures,
                             std::span<const FontSpec> fonts, std::string& failed) {
  Impl& d = *impl_;
  d.width = width;
  d.height = height;
  if (!d.window || width <= 0 || height <= 0) return ScreenStatus::NoCompatibleDevice;
  // The accelerated renderers first, then the software one.
  if (!d.OpenRenderer(d.options.software) && (d.options.software || !d.OpenRenderer(true)))
    return ScreenStatus::NoCompatibleDevice;
  d.text.OpenFonts(fonts);
  failed.clear();
  for (const PictureData& p : pictures) {
    SdlPicture& t = d.pictures.emplace_back();
    const bool decoded = p.width > 0 && p.height > 0 &&
                         p.rgba.size() == static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 4;
    t.tileWidth = p.tileWidth > 0 && decoded ? p.tileWidth : p.width;
    t.tileHeight = p.tileHeight > 0 && decoded ? p.tileHeight : p.height;
    t.width = p.width;
    t.height = p.height;
    t.texWidth = TextureSize(p.width);
    t.texHeight = TextureSize(p.height);
    if (decoded) {
      t.texels = p.rgba;
      // On the fast paths SDL textures follow on the first draw, in the
      // colour it asks for.
      if (!d.FastPaths()) t.plain.texture = d.MakeTexture(t, 0xFFFFFFFFu, SDL_TEXTUREACCESS_STATIC);
      t.ready = d.FastPaths() || t.plain.texture;
    }
    if (!t.ready && failed.empty()) failed = p.name;
  }
  return ScreenStatus::Ok;
}

// After SDL_RENDER_DEVICE_RESET every SDL texture is gone: the pictures are
// made again from the texels kept for this (the fast paths make their copies
// on the next draw). Either reset loses the target.
void SdlCanvas::Impl::Recover() {
  if (deviceReset) {
    text.DropCache();
    for (auto& t : pictures) DestroyCopies(t);
    deviceReset = false;
    targetsReset = true;
    picturesMissing = !FastPaths();
  }
  if (picturesMissing) {
    picturesMissing = false;
    for (auto& t : pictures)
      if (t.ready && !t.plain.texture && !(t.plain.texture = MakeTexture(t, 0xFFFFFFFFu, SDL_TEXTUREACCESS_STATIC)))
        picturesMissing = true;
  }
  if (targetsReset && CreateTarget()) targetsReset = false;
  drawBlend = SDL_BLENDMODE_INVALID;
}

void SdlCanvas::BeginFrame(Argb clear) {
  Impl& d = *impl_;
  if (!d.renderer) return;
  d.RecoverIfReset();  // the frame's clear lands on the rebuilt page
  if (!d.back) SDL_SetRenderTarget(d.renderer, d.target);
  const SDL_Color c = ToColor(clear);
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  SDL_RenderClear(d.renderer);
}

void SdlCanvas::ClipChanged() {
  Impl& d = *impl_;
  d.clipped = Clipped();
  if (!d.renderer) return;
  const PixelBox b = ClipBox();
  const SDL_Rect r{b.x1, b.y1, std::max(0, b.x2 - b.x1 + 1), std::max(0, b.y2 - b.y1 + 1)};
  SDL_RenderSetClipRect(d.renderer, d.clipped ? &r : nullptr);
}

void SdlCanvas::Impl::DrawFan(int picture, const Vertex* v, int count) {
  if (!renderer || count < 3) return;
  SDL_Texture* tex = nullptr;
  bool tinted = false;  // the colour is in the texels: vertices go white
  if (picture >= 0) {
    SdlPictureCopy* copy = CopyFor(pictures[static_cast<std::size_t>(picture)], v, count, tinted);
    if (!copy) return;  // out of memory for the copy: nothing to draw with
    tex = copy->texture;
    if (copy->scale != SDL_ScaleModeLinear) {
      SDL_SetTextureScaleMode(tex, SDL_ScaleModeLinear);
      copy->scale = SDL_ScaleModeLinear;
    }
    Blend(tex, copy->blend);
    // White corners (or the colour in the texels): SDL blits unmodulated.
    bool white = true;
    for (int i = 0; !tinted && i < count; ++i) white = white && v[i].color == 0xFFFFFFFFu;
    if (back && count == 4 && white && !clipped && DirectQuad(*copy, v)) return;
  } else {
    Blend(nullptr, drawBlend);
    if (FastPaths() && DrawFlatFan(v, count)) return;
  }
  verts.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    verts[static_cast<std::size_t>(i)] = SDL_Vertex{SDL_FPoint{v[i].x + 0.5f, v[i].y + 0.5f},
                                                    ToColor(tinted ? 0xFFFFFFFFu : v[i].color), SDL_FPoint{v[i].u, v[i].v}};
  indices.resize(static_cast<std::size_t>(count - 2) * 3);
  for (int i = 0; i < count - 2; ++i) {
    indices[static_cast<std::size_t>(i) * 3] = 0;
    indices[static_cast<std::size_t>(i) * 3 + 1] = i + 1;
    indices[static_cast<std::size_t>(i) * 3 + 2] = i + 2;
  }
  SDL_RenderGeometry(renderer, tex, verts.data(), count, indices.data(), static_cast<int>(indices.size()));
}

void SdlCanvas::Impl::Blend(SDL_Texture* tex, SDL_BlendMode& cached) {
  if (cached == SDL_BLENDMODE_BLEND) return;
  if (tex)
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
  else
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  cached = SDL_BLENDMODE_BLEND;
}

void SdlCanvas::Impl::DrawLines(std::uint32_t argb, const SDL_FPoint* p, int count) {
  if (!renderer || count < 2) return;
  Blend(nullptr, drawBlend);
  const SDL_Color c = ToColor(ScaledColor(argb));
  SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
  SDL_RenderDrawLinesF(renderer, p, count);
}

void SdlCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  Impl& d = *impl_;
  if (picture < 0 || picture >= static_cast<int>(d.pictures.size())) return;
  const SdlPicture& t = d.pictures[static_cast<std::size_t>(picture)];
  if (!t.ready) return;  // no texture: its failure was reported
  if (Angle() == 0) {
    const CanvasPoint at = Map(x, y);
    const auto q = PictureQuad(RoundCoord(at.x), RoundCoord(at.y), t.tileWidth, t.tileHeight, t.texWidth, t.texHeight, turn);
    d.DrawFan(picture, q.data(), 4);
    return;
  }
  // Turned with the canvas: the quad drawn about the local origin, then
  // carried to the page.
  auto q = PictureQuad(RoundCoord(x), RoundCoord(y), t.tileWidth, t.tileHeight, t.texWidth, t.texHeight, turn);
  for (Vertex& v : q) {
    const CanvasPoint p = Map(v.x, v.y);
    v.x = p.x;
    v.y = p.y;
  }
  d.DrawFan(picture, q.data(), 4);
}

// Rectangle on the page: filled (a fan of 4) or outlined (a strip of 5).
void SdlCanvas::Rect(bool filled, Argb color, float x, float y, float width, float height) {
  CanvasPoint p[4];
  if (Angle() == 0) {
    // The origin added before the size, as every unturned place.
    const CanvasPoint o = Map(x, y);
    p[0] = o, p[1] = {o.x + width, o.y}, p[2] = {o.x + width, o.y + height}, p[3] = {o.x, o.y + height};
  } else {
    p[0] = Map(x, y), p[1] = Map(x + width, y), p[2] = Map(x + width, y + height), p[3] = Map(x, y + height);
  }
  if (filled) {
    const std::uint32_t c = ScaledColor(color);
    const Vertex v[4] = {{p[0].x, p[0].y, c, 0, 0}, {p[1].x, p[1].y, c, 0, 0}, {p[2].x, p[2].y, c, 0, 0},
                         {p[3].x, p[3].y, c, 0, 0}};
    impl_->DrawFan(-1, v, 4);
    return;
  }
  const SDL_FPoint points[5] = {{p[0].x, p[0].y}, {p[1].x, p[1].y}, {p[2].x, p[2].y}, {p[3].x, p[3].y}, {p[0].x, p[0].y}};
  impl_->DrawLines(color, points, 5);
}

void SdlCanvas::FillRect(Argb color, float x, float y, float width, float height) {
  Rect(true, color, x, y, width, height);
}

void SdlCanvas::StrokeRect(Argb color, float x, float y, float width, float height) {
  Rect(false, color, x, y, width, height);
}

void SdlCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  Impl& d = *impl_;
  const CanvasPoint c = Map(cx, cy);
  const int n = SectorFan(c.x, c.y, radius, fromAngle + Angle(), toAngle + Angle(), d.sector);
  if (n == 0 || !d.renderer) return;
  const std::uint32_t scaled = ScaledColor(color);
  d.fan.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    d.fan[static_cast<std::size_t>(i)] = Vertex{d.sector[static_cast<std::size_t>(i)].x,
                                                d.sector[static_cast<std::size_t>(i)].y, scaled, 0, 0};
  d.DrawFan(-1, d.fan.data(), n);
}

void SdlCanvas::FillPolygon(Argb color, std::span<const CanvasPoint> points) {
  Impl& d = *impl_;
  const std::uint32_t scaled = ScaledColor(color);
  d.fan.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const CanvasPoint p = Map(points[i].x, points[i].y);
    d.fan[i] = Vertex{p.x, p.y, scaled, 0, 0};
  }
  d.DrawFan(-1, d.fan.data(), static_cast<int>(points.size()));
}

void SdlCanvas::Line(Argb color, float x1, float y1, float x2, float y2) {
  const CanvasPoint a = Map(x1, y1), b = Map(x2, y2);
  const SDL_FPoint points[2] = {{a.x, a.y}, {b.x, b.y}};
  impl_->DrawLines(color, points, 2);
}

void SdlCanvas::Box(PixelBox b, bool filled, int thickness, Argb color) {
  Impl& d = *impl_;
  if (!d.renderer) return;
  const SDL_Color c = ToColor(color | 0xFF000000u);
  SDL_SetRenderDrawBlendMode(d.renderer, SDL_BLENDMODE_NONE);
  d.drawBlend = SDL_BLENDMODE_INVALID;
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  const auto fill = [&](int left, int top, int right, int bottom) {  // right and bottom exclusive
    if (right <= left || bottom <= top) return;
    const SDL_Rect r{left, top, right - left, bottom - top};
    SDL_RenderFillRect(d.renderer, &r);
  };
  // Corners are inclusive.
  int left = b.x1 + OriginX(), top = b.y1 + OriginY(), right = b.x2 + OriginX() + 1, bottom = b.y2 + OriginY() + 1;
  if (filled) fill(left, top, right, bottom);
  int t = thickness;
  if (t == 0) return;
  if (t > 0) {
    // Border outside the rectangle: grow it and draw inward.
    left -= t;
    top -= t;
    right += t;
    bottom += t;
    t = -t;
  }
  fill(left, top, right, top - t);
  fill(left, top, left - t, bottom);
  fill(left, bottom + t, right, bottom);
  fill(right + t, top, right, bottom);
}

void SdlCanvas::Text(FontId font, int x, int y, std::string_view utf8, Argb color) {
  MapPixel(x, y);
  impl_->text.Draw(impl_->renderer, font, x, y, utf8, color);
}

}  // namespace velmora
