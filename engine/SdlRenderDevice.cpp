// SDL2 back end of the render seam: the device core (window, renderer, the
// back-buffer target, frame and present, textures, blending, fans and lines,
// device loss). Text lives in SdlText, the software renderer's fast paths in
// SdlSoftwarePaths.
//
// Coordinates: engine vertices follow the convention that pixel (i, j) has
// its centre at (i, j); SDL puts it at (i + 0.5, j + 0.5). Every triangle
// vertex is moved by half a pixel on the way in so both rasterise the same
// pixels (a tile drawn at X − 0.5 .. X + W covers exactly columns X .. X+W−1).
#include "engine/SdlRenderDevice.h"

#include "engine/SdlDirectBlits.h"
#include "engine/SdlSoftwarePaths.h"
#include "engine/SdlText.h"
#include "engine/SdlPngFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

namespace velmora {

namespace {


SDL_Color ToColor(std::uint32_t argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

}  // namespace

struct SdlRenderDevice::Impl {
  explicit Impl(std::size_t textCacheSize) : text(textCacheSize) {}

  SDL_Window* window = nullptr;
  SdlDeviceOptions options;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  // Direct blits: the back buffer as a surface with a software renderer
  // drawing into it (no target texture), and the scaling buffer of the
  // present.
  SDL_Surface* back = nullptr;
  SDL_Surface* presentScaled = nullptr;
  // A turned picture: degrees clockwise, the turned copy the direct present
  // scales from, and the unturned pixels a read turns.
  int rotation = 0;
  SDL_Surface* turned = nullptr;
  SDL_Surface* upright = nullptr;  // the rows mixed to the window's size, before the turn
  std::vector<std::uint32_t> unturned;
  DeviceParams params;
  bool software = false;
  bool targetsReset = false, deviceReset = false, picturesMissing = false;

  std::map<TextureId, SdlPicture> textures;
  TextureId nextTexture = 1;
  TextureId bound = 0;
  SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
  bool linear = false;

  SdlText text;
  SdlSoftwarePaths paths;

  std::vector<SDL_Vertex> verts;
  std::vector<int> indices;
  std::vector<SDL_FPoint> points;

  bool FastPaths() const { return software && options.fastPaths; }

  // The picture's plain SDL texture from its kept texels; null on failure.
  SDL_Texture* MakePlain(const SdlPicture& t) {
    SDL_Texture* tex = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, t.width, t.height);
    if (tex && SDL_UpdateTexture(tex, nullptr, t.texels.data(), t.width * 4) != 0) {
      SDL_DestroyTexture(tex);
      tex = nullptr;
    }
    return tex;
  }
  void Recover();
  void RecoverIfReset() {
    if (targetsReset || deviceReset || picturesMissing) Recover();
  }

  bool CreateTarget() {
    if (back) {
      if (back->w != params.width || back->h != params.height) return false;
      SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
      SDL_RenderClear(renderer);
      return true;
    }
    if (target) SDL_DestroyTexture(target);
    target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, params.width,
                               params.height);
    if (!target) return false;
    SDL_SetTextureBlendMode(target, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(target, SDL_ScaleModeLinear);
    SDL_SetRenderTarget(renderer, target);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    return true;
  }

  void DestroyAll() {
    text.CloseAll();
    paths.DropFanLayer();
    for (auto& [id, t] : textures) DestroyCopies(t);
    textures.clear();
    bound = 0;
    if (target) SDL_DestroyTexture(target);
    target = nullptr;
    if (renderer) SDL_DestroyRenderer(renderer);
    renderer = nullptr;
    if (back) SDL_FreeSurface(back);
    back = nullptr;
    if (presentScaled) SDL_FreeSurface(presentScaled);
    presentScaled = nullptr;
    if (turned) SDL_FreeSurface(turned);
    turned = nullptr;
    if (upright) SDL_FreeSurface(upright);
    upright = nullptr;
  }

  static PixelRows Rows(SDL_Surface* s) {
    return PixelRows{static_cast<std::uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4};
  }

  // SDL's own stretch, through a kept buffer in the back buffer's format
  // when the window's differs.
  void StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst) {
    if (from->format->format == win->format->format) {
      SDL_SoftStretchLinear(from, &src, win, &dst);
      return;
    }
    if (presentScaled && (presentScaled->w != dst.w || presentScaled->h != dst.h)) {
      SDL_FreeSurface(presentScaled);
      presentScaled = nullptr;
    }
    if (!presentScaled) {
      presentScaled = SDL_CreateRGBSurfaceWithFormat(0, dst.w, dst.h, 32, from->format->format);
      if (!presentScaled) return;
      SDL_SetSurfaceBlendMode(presentScaled, SDL_BLENDMODE_NONE);
    }
    SDL_SoftStretchLinear(from, &src, presentScaled, nullptr);
    SDL_Rect whole{0, 0, dst.w, dst.h};
    SDL_LowerBlit(presentScaled, &whole, win, &dst);
  }

  // The back buffer into the window surface as SDL's software renderer
  // copies a linearly filtered target texture: a plain copy at the same
  // size, else a linear stretch, replacing every pixel.
  // A turned picture is turned into a kept surface first and presented
  // from there.
  void Present() {
    SDL_Surface* win = SDL_GetWindowSurface(window);
    if (!win) return;
    if (rotation != 0 && PresentTurnedDirect(win)) {
      SDL_UpdateWindowSurface(window);
      return;
    }
    SDL_Surface* from = Turned();
    if (!from) return;
    SDL_Rect src{0, 0, from->w, from->h};
    const IntBox box = PresentBox(from->w, from->h, win->w, win->h);
    SDL_Rect dst{box.x, box.y, box.w, box.h};
    SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
    if (dst.w != win->w || dst.h != win->h) {
      // Bars beside a picture that keeps its shape.
      SDL_FillRect(win, nullptr, SDL_MapRGB(win->format, 0, 0, 0));
      StretchThroughSdl(from, win, src, dst);
    } else if (src.w == dst.w && src.h == dst.h) {
      SDL_BlitSurface(from, &src, win, &dst);
    } else {
      SDL_SetSurfaceRLE(win, 0);
      // The usual window has the buffer's width: only rows to mix, and into
      // a window without alpha (XRGB) the conversion SDL runs afterwards,
      // masking alpha away, comes in the same pass.
      const Uint32 format = win->format->format;
      const bool direct = !SDL_MUSTLOCK(win) && (format == from->format->format || format == SDL_PIXELFORMAT_RGB888);
      if (!direct || !StretchRowsLinear(Rows(from), Rows(win), format == SDL_PIXELFORMAT_RGB888 ? 0x00FFFFFFu : ~0u))
        StretchThroughSdl(from, win, src, dst);
    }
    SDL_UpdateWindowSurface(window);
  }

  // A turned window of the usual shape: the rows mixed upright as for an
  // upright window (into a kept buffer, when the sizes differ), then turned
  // straight into the window, instead of a turn and SDL's two-way stretch.
  // False leaves the window to the general path (bars, other formats).
  bool PresentTurnedDirect(SDL_Surface* win) {
    const Uint32 format = win->format->format;
    if (SDL_MUSTLOCK(win) || (format != back->format->format && format != SDL_PIXELFORMAT_RGB888)) return false;
    const bool sideways = IsSideways(rotation);
    const int uw = sideways ? win->h : win->w, uh = sideways ? win->w : win->h;
    if (uw != back->w) return false;
    const IntBox box = PresentBox(sideways ? back->h : back->w, sideways ? back->w : back->h, win->w, win->h);
    if (box.w != win->w || box.h != win->h) return false;
    const std::uint32_t keep = format == SDL_PIXELFORMAT_RGB888 ? 0x00FFFFFFu : ~0u;
    if (uh == back->h) return TurnPixels(Rows(back), Rows(win), rotation, keep);
    if (upright && (upright->w != uw || upright->h != uh)) {
      SDL_FreeSurface(upright);
      upright = nullptr;
    }
    if (!upright) upright = SDL_CreateRGBSurfaceWithFormat(0, uw, uh, 32, back->format->format);
    return upright && StretchRowsLinear(Rows(back), Rows(upright)) &&
           TurnPixels(Rows(upright), Rows(win), rotation, keep);
  }

  // The back buffer as presented: itself, or turned into the kept surface.
  SDL_Surface* Turned() {
    if (rotation == 0) return back;
    const bool sideways = IsSideways(rotation);
    const int w = sideways ? back->h : back->w, h = sideways ? back->w : back->h;
    if (turned && (turned->w != w || turned->h != h)) {
      SDL_FreeSurface(turned);
      turned = nullptr;
    }
    if (!turned) turned = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, back->format->format);
    if (!turned) return nullptr;
    TurnPixels(Rows(back), Rows(turned), rotation);
    return turned;
  }

  // Where the renderer's present puts the (turned) picture in the window;
  // false when it covers the window unturned, as a plain copy does.
  bool PresentRect(SDL_FRect& dst) {
    int ow = 0, oh = 0;
    if (SDL_GetRendererOutputSize(renderer, &ow, &oh) != 0) return false;
    const bool sideways = IsSideways(rotation);
    const int pw = sideways ? params.height : params.width, ph = sideways ? params.width : params.height;
    const IntBox box = PresentBox(pw, ph, ow, oh);
    if (rotation == 0 && box.w == ow && box.h == oh) return false;
    // The unturned rectangle whose turn about its centre covers the box.
    const float cx = static_cast<float>(box.x) + static_cast<float>(box.w) / 2.0f;
    const float cy = static_cast<float>(box.y) + static_cast<float>(box.h) / 2.0f;
    const float w = static_cast<float>(sideways ? box.h : box.w), h = static_cast<float>(sideways ? box.w : box.h);
    dst = SDL_FRect{cx - w / 2.0f, cy - h / 2.0f, w, h};
    return true;
  }

  // A textured quad of one white colour under ordinary blending, blended
  // straight into the back buffer when SDL would copy it unstretched or draw
  // it as two triangles; false leaves it to SDL.
  bool DirectQuad(SdlPictureCopy& copy, const Vertex* v) {
    if (blend != SDL_BLENDMODE_BLEND) return false;
    QuadCorner c[4];
    for (int i = 0; i < 4; ++i) c[i] = QuadCorner{v[i].x + 0.5f, v[i].y + 0.5f, v[i].u, v[i].v};
    int tw = 0, th = 0;
    if (SDL_QueryTexture(copy.texture, nullptr, nullptr, &tw, &th) != 0) return false;
    IntBox src, dst;
    const QuadRoute route = ClassifyQuad(c, tw, th, src, dst);
    if (route == QuadRoute::OtherCopy) return false;
    void* texels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(copy.texture, nullptr, &texels, &pitch) != 0) return false;
    SDL_RenderFlush(renderer);
    const PixelRows picture{static_cast<std::uint32_t*>(texels), tw, th, pitch / 4};
    const PixelRows out = Rows(back);
    bool done = true;
    if (route == QuadRoute::Copy)
      BlendCopy(picture, src, out, dst.x, dst.y);
    else
      done = BlendTriangles(picture, c, out);
    SDL_UnlockTexture(copy.texture);
    return done;
  }

  // Applies the current blend factors; renderers without custom modes get
  // ordinary alpha blending.
  SDL_BlendMode ApplyBlend(SDL_Texture* tex, SDL_BlendMode& cached) {
    if (cached == blend) return blend;
    if (tex ? SDL_SetTextureBlendMode(tex, blend) != 0 : SDL_SetRenderDrawBlendMode(renderer, blend) != 0) {
      if (tex)
        SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
      else
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    }
    cached = blend;
    return blend;
  }
  SDL_BlendMode drawBlend = SDL_BLENDMODE_INVALID;
};

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

void SdlRenderDevice::Present() {
  Impl& d = *impl_;
  if (d.renderer && d.back) {
    SDL_RenderFlush(d.renderer);
    d.Present();
    return;
  }
  if (!d.renderer || !d.target) return;
  // Present: the back buffer stretched over the window's client area. The
  // copy replaces every window pixel (no blending), so no clear before it.
  SDL_SetRenderTarget(d.renderer, nullptr);
  if (SDL_FRect dst; d.PresentRect(dst)) {
    // Turned, or in bars: the copy no longer covers every window pixel.
    SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
    SDL_RenderClear(d.renderer);
    SDL_RenderCopyExF(d.renderer, d.target, nullptr, &dst, static_cast<double>(d.rotation), nullptr, SDL_FLIP_NONE);
  } else {
    SDL_RenderCopy(d.renderer, d.target, nullptr, nullptr);
  }
  SDL_RenderPresent(d.renderer);
  SDL_SetRenderTarget(d.renderer, d.target);
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

void SdlRenderDevice::SetRotation(int degrees) {
  impl_->rotation = IsSideways(degrees) || degrees == 180 ? degrees : 0;
}
int SdlRenderDevice::Rotation() const { return impl_->rotation; }

bool SdlRenderDevice::ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) {
  Impl& d = *impl_;
  if (!d.renderer || (!d.target && !d.back)) return false;
  const int w = d.params.width, h = d.params.height;
  const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  // Unturned, straight into argb; turned, through a kept buffer.
  std::vector<std::uint32_t>& out = d.rotation == 0 ? argb : d.unturned;
  out.resize(count);
  if (d.back) {
    SDL_RenderFlush(d.renderer);
    for (int y = 0; y < h; ++y)
      std::memcpy(out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w),
                  static_cast<const Uint8*>(d.back->pixels) + static_cast<std::ptrdiff_t>(y) * d.back->pitch,
                  static_cast<std::size_t>(w) * 4);
  } else {
    SDL_Texture* previous = SDL_GetRenderTarget(d.renderer);
    SDL_SetRenderTarget(d.renderer, d.target);
    const int rc = SDL_RenderReadPixels(d.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), w * 4);
    SDL_SetRenderTarget(d.renderer, previous);
    if (rc != 0) return false;
  }
  width = w;
  height = h;
  if (d.rotation == 0) return true;
  if (IsSideways(d.rotation)) std::swap(width, height);
  argb.resize(count);
  return TurnPixels(PixelRows{d.unturned.data(), w, h, w}, PixelRows{argb.data(), width, height, width}, d.rotation);
}

bool SdlRenderDevice::SaveScreenshot(const std::string& path) {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  if (!ReadPixels(px, w, h)) return false;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return false;
  const bool ok = SavePngReplacing(s, path);
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace velmora
