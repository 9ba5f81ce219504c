// The SDL canvas's state, shared by its drawing half (SdlCanvas.cpp) and its
// presenting half (SdlCanvasPresent.cpp). Private to the back end.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/SdlDirectBlits.h"
#include "canvas/SdlCanvas.h"
#include "canvas/SdlSoftwarePaths.h"
#include "canvas/SdlText.h"

namespace velmora {

inline SDL_Color ToColor(std::uint32_t argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

struct SdlCanvas::Impl {
  explicit Impl(std::size_t textCacheSize) : text(textCacheSize) {}

  SDL_Window* window = nullptr;
  SdlCanvasOptions options;
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
  int width = 1024, height = 650;  // the page (the program's until Open says otherwise)
  bool software = false;
  bool targetsReset = false, deviceReset = false, picturesMissing = false;
  bool clipped = false;  // direct blits do not clip: SDL draws while a clip is set

  std::vector<SdlPicture> pictures;  // in catalogue order

  SdlText text;
  SdlSoftwarePaths paths;

  std::array<CanvasPoint, kSectorPoints> sector;
  std::vector<Vertex> fan;
  std::vector<SDL_Vertex> verts;
  std::vector<int> indices;

  bool FastPaths() const { return software && options.fastPaths; }

  // A renderer (and page) of its own; false leaves none.
  bool OpenRenderer(bool softwareOnly);
  void Recover();
  void RecoverIfReset() {
    if (targetsReset || deviceReset || picturesMissing) Recover();
  }

  bool CreateTarget() {
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

  void DestroyAll() {
    text.CloseAll();
    paths.DropFanLayer();
    for (auto& t : pictures) DestroyCopies(t);
    pictures.clear();
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

  // The presenting half (SdlPresent.cpp).
  // SDL's own stretch, through a kept buffer in the back buffer's format
  // when the window's differs.
  void StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst);
  // The back buffer into the window surface as SDL's software renderer
  // copies a linearly filtered target texture.
  void Present();
  // A turned window of the usual shape, turned straight into the window;
  // false leaves it to the general path.
  bool PresentTurnedDirect(SDL_Surface* win);
  // The back buffer as presented: itself, or turned into the kept surface.
  SDL_Surface* Turned();
  // Where the renderer's present puts the (turned) picture in the window;
  // false when it covers the window unturned.
  bool PresentRect(SDL_FRect& dst);

  // The fan of count vertices with the picture (or none: -1).
  void DrawFan(int picture, const Vertex* v, int count);
  void DrawLines(std::uint32_t argb, const SDL_FPoint* points, int count);

  // A textured quad of one white colour under ordinary blending, blended
  // straight into the back buffer when SDL would copy it unstretched or draw
  // it as two triangles; false leaves it to SDL.
  bool DirectQuad(SdlPictureCopy& copy, const Vertex* v) {
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

  // Ordinary alpha blending for what follows, set only when it changed
  // (a box replaces its pixels).
  void Blend(SDL_Texture* tex, SDL_BlendMode& cached) {
    if (cached == SDL_BLENDMODE_BLEND) return;
    if (tex)
      SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    else
      SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    cached = SDL_BLENDMODE_BLEND;
  }
  SDL_BlendMode drawBlend = SDL_BLENDMODE_INVALID;
};

}  // namespace velmora
