// The SDL canvas's presenting half: the page into the window (stretched, in
// bars, turned), and read back for screenshots, the browser view and tests.
#include <SDL.h>

#include <cstring>
#include <utility>

#include "canvas/SdlCanvas.h"

namespace velmora {

namespace {

// The kept surface s at that size, made anew when the size changed; null
// when none can be made.
SDL_Surface* Kept(SDL_Surface*& s, int w, int h, Uint32 format) {
  if (s && (s->w != w || s->h != h)) {
    SDL_FreeSurface(s);
    s = nullptr;
  }
  if (!s) s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format);
  return s;
}

}  // namespace

void SdlCanvas::StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst) {
  if (from->format->format == win->format->format) {
    SDL_SoftStretchLinear(from, &src, win, &dst);
    return;
  }
  if (!Kept(presentScaled_, dst.w, dst.h, from->format->format)) return;
  SDL_SetSurfaceBlendMode(presentScaled_, SDL_BLENDMODE_NONE);
  SDL_SoftStretchLinear(from, &src, presentScaled_, nullptr);
  SDL_Rect whole{0, 0, dst.w, dst.h};
  SDL_LowerBlit(presentScaled_, &whole, win, &dst);
}

// A plain copy at the same size, else a linear stretch, replacing every
// pixel; a turned picture is turned into a kept surface first.
void SdlCanvas::PresentPage() {
  SDL_Surface* win = SDL_GetWindowSurface(window_);
  if (!win) return;
  if (rotation_ != 0 && PresentTurnedDirect(win)) {
    SDL_UpdateWindowSurface(window_);
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
  SDL_UpdateWindowSurface(window_);
}

// The rows mixed upright as for an upright window (into a kept buffer, when
// the sizes differ), then turned straight into the window, instead of a turn
// and SDL's two-way stretch.
bool SdlCanvas::PresentTurnedDirect(SDL_Surface* win) {
  const Uint32 format = win->format->format;
  if (SDL_MUSTLOCK(win) || (format != back_->format->format && format != SDL_PIXELFORMAT_RGB888)) return false;
  const bool sideways = IsSideways(rotation_);
  const int uw = sideways ? win->h : win->w, uh = sideways ? win->w : win->h;
  if (uw != back_->w) return false;
  const IntBox box = PresentBox(sideways ? back_->h : back_->w, sideways ? back_->w : back_->h, win->w, win->h);
  if (box.w != win->w || box.h != win->h) return false;
  const std::uint32_t keep = format == SDL_PIXELFORMAT_RGB888 ? 0x00FFFFFFu : ~0u;
  if (uh == back_->h) return TurnPixels(Rows(back_), Rows(win), rotation_, keep);
  return Kept(upright_, uw, uh, back_->format->format) && StretchRowsLinear(Rows(back_), Rows(upright_)) &&
         TurnPixels(Rows(upright_), Rows(win), rotation_, keep);
}

SDL_Surface* SdlCanvas::Turned() {
  if (rotation_ == 0) return back_;
  const bool sideways = IsSideways(rotation_);
  const int w = sideways ? back_->h : back_->w, h = sideways ? back_->w : back_->h;
  if (!Kept(turned_, w, h, back_->format->format)) return nullptr;
  TurnPixels(Rows(back_), Rows(turned_), rotation_);
  return turned_;
}

bool SdlCanvas::PresentRect(SDL_FRect& dst) {
  int ow = 0, oh = 0;
  if (SDL_GetRendererOutputSize(renderer_, &ow, &oh) != 0) return false;
  const bool sideways = IsSideways(rotation_);
  const int pw = sideways ? height_ : width_, ph = sideways ? width_ : height_;
  const IntBox box = PresentBox(pw, ph, ow, oh);
  if (rotation_ == 0 && box.w == ow && box.h == oh) return false;
  // The unturned rectangle whose turn about its centre covers the box.
  const float cx = static_cast<float>(box.x) + static_cast<float>(box.w) / 2.0f;
  const float cy = static_cast<float>(box.y) + static_cast<float>(box.h) / 2.0f;
  const float w = static_cast<float>(sideways ? box.h : box.w), h = static_cast<float>(sideways ? box.w : box.h);
  dst = SDL_FRect{cx - w / 2.0f, cy - h / 2.0f, w, h};
  return true;
}

void SdlCanvas::Present() {
  if (renderer_ && back_) {
    SDL_RenderFlush(renderer_);
    PresentPage();
    return;
  }
  if (!renderer_ || !target_) return;
  // Present: the back buffer stretched over the window's client area. The
  // copy replaces every window pixel (no blending), so no clear before it.
  SDL_SetRenderTarget(renderer_, nullptr);
  if (SDL_FRect dst; PresentRect(dst)) {
    // Turned, or in bars: the copy no longer covers every window pixel.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopyExF(renderer_, target_, nullptr, &dst, static_cast<double>(rotation_), nullptr, SDL_FLIP_NONE);
  } else {
    SDL_RenderCopy(renderer_, target_, nullptr, nullptr);
  }
  SDL_RenderPresent(renderer_);
  SDL_SetRenderTarget(renderer_, target_);
}

bool SdlCanvas::ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) {
  if (!renderer_ || (!target_ && !back_)) return false;
  const int w = width_, h = height_;
  const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  // Unturned, straight into argb; turned, through a kept buffer.
  std::vector<std::uint32_t>& out = rotation_ == 0 ? argb : unturned_;
  out.resize(count);
  if (back_) {
    SDL_RenderFlush(renderer_);
    for (int y = 0; y < h; ++y)
      std::memcpy(out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w),
                  static_cast<const Uint8*>(back_->pixels) + static_cast<std::ptrdiff_t>(y) * back_->pitch,
                  static_cast<std::size_t>(w) * 4);
  } else {
    SDL_Texture* previous = SDL_GetRenderTarget(renderer_);
    SDL_SetRenderTarget(renderer_, target_);
    const int rc = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), w * 4);
    SDL_SetRenderTarget(renderer_, previous);
    if (rc != 0) return false;
  }
  width = w;
  height = h;
  if (rotation_ == 0) return true;
  if (IsSideways(rotation_)) std::swap(width, height);
  argb.resize(count);
  return TurnPixels(PixelRows{unturned_.data(), w, h, w}, PixelRows{argb.data(), width, height, width}, rotation_);
}

}  // namespace velmora
