// The SDL canvas's presenting half: the page into the window (stretched, in
// bars, turned), and read back for screenshots, the browser view and tests.
#include <SDL.h>

#include <cstring>
#include <utility>

#include "canvas/SdlCanvasImpl.h"

namespace velmora {

void SdlCanvas::Impl::StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst) {
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

// A plain copy at the same size, else a linear stretch, replacing every
// pixel; a turned picture is turned into a kept surface first.
void SdlCanvas::Impl::Present() {
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

// The rows mixed upright as for an upright window (into a kept buffer, when
// the sizes differ), then turned straight into the window, instead of a turn
// and SDL's two-way stretch.
bool SdlCanvas::Impl::PresentTurnedDirect(SDL_Surface* win) {
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

SDL_Surface* SdlCanvas::Impl::Turned() {
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

bool SdlCanvas::Impl::PresentRect(SDL_FRect& dst) {
  int ow = 0, oh = 0;
  if (SDL_GetRendererOutputSize(renderer, &ow, &oh) != 0) return false;
  const bool sideways = IsSideways(rotation);
  const int pw = sideways ? height : width, ph = sideways ? width : height;
  const IntBox box = PresentBox(pw, ph, ow, oh);
  if (rotation == 0 && box.w == ow && box.h == oh) return false;
  // The unturned rectangle whose turn about its centre covers the box.
  const float cx = static_cast<float>(box.x) + static_cast<float>(box.w) / 2.0f;
  const float cy = static_cast<float>(box.y) + static_cast<float>(box.h) / 2.0f;
  const float w = static_cast<float>(sideways ? box.h : box.w), h = static_cast<float>(sideways ? box.w : box.h);
  dst = SDL_FRect{cx - w / 2.0f, cy - h / 2.0f, w, h};
  return true;
}

void SdlCanvas::Present() {
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

void SdlCanvas::SetRotation(int degrees) {
  impl_->rotation = IsSideways(degrees) || degrees == 180 ? degrees : 0;
}
int SdlCanvas::Rotation() const { return impl_->rotation; }

bool SdlCanvas::ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) {
  Impl& d = *impl_;
  if (!d.renderer || (!d.target && !d.back)) return false;
  const int w = d.width, h = d.height;
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

}  // namespace velmora
