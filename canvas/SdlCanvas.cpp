// The canvas on SDL's renderer: opening it, frames, the draws and rebuilding
// after a reset. Coordinates: the canvas puts the centre of pixel (i, j) at
// (i, j); SDL puts it at (i + 0.5, j + 0.5). Every triangle vertex is moved
// by half a pixel on the way in so both rasterise the same pixels (a tile
// drawn at X − 0.5 .. X + W covers exactly columns X .. X+W−1).
#include "canvas/SdlCanvas.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace velmora {

namespace {

// Smallest power of two, at least 2, that holds n.
int TextureSize(int n) {
  int size = 2;
  while (size < n && size < (1 << 30)) size <<= 1;
  return size;
}

SDL_Color ToColor(std::uint32_t argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

}  // namespace

SdlCanvas::SdlCanvas(SDL_Window* window, SdlCanvasOptions options)
    : window_(window), options_(options), text_(options.textCacheSize) {}

SdlCanvas::~SdlCanvas() { DestroyAll(); }

std::size_t SdlCanvas::PictureCopies() const {
  std::size_t n = 0;
  for (const auto& t : pictures_) n += (t.plain.texture ? 1 : 0) + t.tints.size();
  return n;
}

bool SdlCanvas::CreateTarget() {
  if (back_) {
    if (back_->w != width_ || back_->h != height_) return false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    return true;
  }
  if (target_) SDL_DestroyTexture(target_);
  target_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width_, height_);
  if (!target_) return false;
  SDL_SetTextureBlendMode(target_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(target_, SDL_ScaleModeLinear);
  SDL_SetRenderTarget(renderer_, target_);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  return true;
}

void SdlCanvas::DestroyAll() {
  text_.CloseAll();
  for (auto& t : pictures_) DestroyCopies(t);
  pictures_.clear();
  for (SDL_Surface** s : {&back_, &presentScaled_, &turned_, &upright_}) {
    if (*s) SDL_FreeSurface(*s);
    *s = nullptr;
  }
  if (target_) SDL_DestroyTexture(target_);
  target_ = nullptr;
  if (renderer_) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
}

bool SdlCanvas::OpenRenderer(bool softwareOnly) {
  DestroyAll();
  // A software renderer draws into the window surface; keep SDL from backing
  // that surface with a GL texture (which would load a GL driver after all),
  // except on the console (KMSDRM), whose only window surface is that
  // texture: without it nothing would reach the screen.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (softwareOnly && !(driver && SDL_strcasecmp(driver, "kmsdrm") == 0))
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (softwareOnly ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED);
  const bool direct = options_.fastPaths && options_.directBlits;
  if (!softwareOnly || !direct) {
    renderer_ = SDL_CreateRenderer(window_, -1, flags);
    if (!renderer_) return false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    // Given the software renderer unasked (the driver hint, no accelerated
    // one): it draws into the page surface below all the same.
    if (direct && (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = nullptr;
    }
  }
  if (!renderer_) {
    // The software renderer, drawing into a surface this canvas can reach;
    // Present presents it into the window surface.
    back_ = SDL_CreateRGBSurfaceWithFormat(0, width_, height_, 32, SDL_PIXELFORMAT_ARGB8888);
    if (back_) renderer_ = SDL_CreateSoftwareRenderer(back_);
    layerBlend_ = ProbeLayerBlend();
  }
  if (!renderer_) return false;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer_, &info);
  software_ = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  if (!CreateTarget()) {
    DestroyAll();
    return false;
  }
  targetsReset_ = deviceReset_ = picturesMissing_ = false;
  drawBlend_ = SDL_BLENDMODE_INVALID;
  return true;
}

ScreenStatus SdlCanvas::Open(int width, int height, std::span<const PictureData> pictures,
                             std::span<const FontSpec> fonts, std::string& failed) {
  width_ = width;
  height_ = height;
  if (!window_ || width <= 0 || height <= 0) return ScreenStatus::NoCompatibleDevice;
  // The accelerated renderers first, then the software one.
  if (!OpenRenderer(options_.software) && (options_.software || !OpenRenderer(true)))
    return ScreenStatus::NoCompatibleDevice;
  text_.OpenFonts(fonts);
  failed.clear();
  for (const PictureData& p : pictures) {
    SdlPicture& t = pictures_.emplace_back();
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
      if (!FastPaths()) t.plain.texture = MakeTexture(t, 0xFFFFFFFFu, SDL_TEXTUREACCESS_STATIC);
      t.ready = FastPaths() || t.plain.texture;
    }
    if (!t.ready && failed.empty()) failed = p.name;
  }
  return ScreenStatus::Ok;
}

// After SDL_RENDER_DEVICE_RESET every SDL texture is gone: the pictures are
// made again from the texels kept for this (the fast paths make their copies
// on the next draw). Either reset loses the target.
void SdlCanvas::Recover() {
  if (deviceReset_) {
    text_.DropCache();
    for (auto& t : pictures_) DestroyCopies(t);
    deviceReset_ = false;
    targetsReset_ = true;
    picturesMissing_ = !FastPaths();
  }
  if (picturesMissing_) {
    picturesMissing_ = false;
    for (auto& t : pictures_)
      if (t.ready && !t.plain.texture && !(t.plain.texture = MakeTexture(t, 0xFFFFFFFFu, SDL_TEXTUREACCESS_STATIC)))
        picturesMissing_ = true;
  }
  if (targetsReset_ && CreateTarget()) targetsReset_ = false;
  drawBlend_ = SDL_BLENDMODE_INVALID;
}

void SdlCanvas::BeginFrame(Argb clear) {
  if (!renderer_) return;
  // The frame's clear lands on the rebuilt page.
  if (targetsReset_ || deviceReset_ || picturesMissing_) Recover();
  if (!back_) SDL_SetRenderTarget(renderer_, target_);
  const SDL_Color c = ToColor(clear);
  SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
  SDL_RenderClear(renderer_);
}

void SdlCanvas::ClipChanged() {
  clipped_ = Clipped();
  if (!renderer_) return;
  const PixelBox b = ClipBox();
  const SDL_Rect r{b.x1, b.y1, std::max(0, b.x2 - b.x1 + 1), std::max(0, b.y2 - b.y1 + 1)};
  SDL_RenderSetClipRect(renderer_, clipped_ ? &r : nullptr);
}

void SdlCanvas::DrawFan(int picture, const Vertex* v, int count) {
  if (!renderer_ || count < 3) return;
  SDL_Texture* tex = nullptr;
  bool tinted = false;  // the colour is in the texels: vertices go white
  if (picture >= 0) {
    SdlPictureCopy* copy = CopyFor(pictures_[static_cast<std::size_t>(picture)], v, count, tinted);
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
    if (back_ && count == 4 && white && !clipped_ && DirectQuad(*copy, v)) return;
  } else {
    Blend(nullptr, drawBlend_);
    if (FastPaths() && DrawFlatFan(v, count)) return;
  }
  verts_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    verts_[static_cast<std::size_t>(i)] = SDL_Vertex{SDL_FPoint{v[i].x + 0.5f, v[i].y + 0.5f},
                                                    ToColor(tinted ? 0xFFFFFFFFu : v[i].color), SDL_FPoint{v[i].u, v[i].v}};
  indices_.resize(static_cast<std::size_t>(count - 2) * 3);
  for (int i = 0; i < count - 2; ++i) {
    indices_[static_cast<std::size_t>(i) * 3] = 0;
    indices_[static_cast<std::size_t>(i) * 3 + 1] = i + 1;
    indices_[static_cast<std::size_t>(i) * 3 + 2] = i + 2;
  }
  SDL_RenderGeometry(renderer_, tex, verts_.data(), count, indices_.data(), static_cast<int>(indices_.size()));
}

void SdlCanvas::Blend(SDL_Texture* tex, SDL_BlendMode& cached) {
  if (cached == SDL_BLENDMODE_BLEND) return;
  if (tex)
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
  else
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
  cached = SDL_BLENDMODE_BLEND;
}

void SdlCanvas::DrawLines(std::uint32_t argb, const SDL_FPoint* p, int count) {
  if (!renderer_ || count < 2) return;
  Blend(nullptr, drawBlend_);
  const SDL_Color c = ToColor(ScaledColor(argb));
  SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
  SDL_RenderDrawLinesF(renderer_, p, count);
}

void SdlCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  if (picture < 0 || picture >= static_cast<int>(pictures_.size())) return;
  const SdlPicture& t = pictures_[static_cast<std::size_t>(picture)];
  if (!t.ready) return;  // no texture: its failure was reported
  // Turned with the canvas, the quad is made about the local origin, then
  // carried to the page.
  const bool turned = Angle() != 0;
  const CanvasPoint at = turned ? CanvasPoint{x, y} : Map(x, y);
  auto q = PictureQuad(RoundCoord(at.x), RoundCoord(at.y), t.tileWidth, t.tileHeight, t.texWidth, t.texHeight, turn);
  for (Vertex& v : q)
    if (turned) {
      const CanvasPoint p = Map(v.x, v.y);
      v.x = p.x, v.y = p.y;
    }
  DrawFan(picture, q.data(), 4);
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
  if (filled) return FlatFan(color, p, 4);
  const SDL_FPoint points[5] = {{p[0].x, p[0].y}, {p[1].x, p[1].y}, {p[2].x, p[2].y}, {p[3].x, p[3].y}, {p[0].x, p[0].y}};
  DrawLines(color, points, 5);
}

void SdlCanvas::FillRect(Argb color, float x, float y, float w, float h) { Rect(true, color, x, y, w, h); }
void SdlCanvas::StrokeRect(Argb color, float x, float y, float w, float h) { Rect(false, color, x, y, w, h); }

void SdlCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  const CanvasPoint c = Map(cx, cy);
  const int n = SectorFan(c.x, c.y, radius, fromAngle + Angle(), toAngle + Angle(), sector_);
  FlatFan(color, sector_.data(), n);
}

void SdlCanvas::FillPolygon(Argb color, std::span<const CanvasPoint> points) {
  mapped_.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) mapped_[i] = Map(points[i].x, points[i].y);
  FlatFan(color, mapped_.data(), static_cast<int>(points.size()));
}

void SdlCanvas::FlatFan(Argb color, const CanvasPoint* points, int count) {
  const std::uint32_t scaled = ScaledColor(color);
  fan_.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < fan_.size(); ++i) fan_[i] = Vertex{points[i].x, points[i].y, scaled, 0, 0};
  DrawFan(-1, fan_.data(), count);
}

void SdlCanvas::Line(Argb color, float x1, float y1, float x2, float y2) {
  const CanvasPoint a = Map(x1, y1), b = Map(x2, y2);
  const SDL_FPoint points[2] = {{a.x, a.y}, {b.x, b.y}};
  DrawLines(color, points, 2);
}

void SdlCanvas::Box(PixelBox b, bool filled, int thickness, Argb color) {
  if (!renderer_) return;
  const SDL_Color c = ToColor(color | 0xFF000000u);
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  drawBlend_ = SDL_BLENDMODE_INVALID;
  SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
  const auto fill = [&](int left, int top, int right, int bottom) {  // right and bottom exclusive
    if (right <= left || bottom <= top) return;
    const SDL_Rect r{left, top, right - left, bottom - top};
    SDL_RenderFillRect(renderer_, &r);
  };
  // Corners are inclusive.
  int left = b.x1 + OriginX(), top = b.y1 + OriginY(), right = b.x2 + OriginX() + 1, bottom = b.y2 + OriginY() + 1;
  if (filled) fill(left, top, right, bottom);
  if (thickness == 0) return;
  // A border outside the rectangle: grown by it, then drawn inward.
  if (thickness > 0) left -= thickness, top -= thickness, right += thickness, bottom += thickness;
  const int t = -std::abs(thickness);
  fill(left, top, right, top - t);
  fill(left, top, left - t, bottom);
  fill(left, bottom + t, right, bottom);
  fill(right + t, top, right, bottom);
}

void SdlCanvas::Text(FontId font, int x, int y, std::string_view utf8, Argb color) {
  MapPixel(x, y);
  text_.Draw(renderer_, font, x, y, utf8, color);
}

}  // namespace velmora
