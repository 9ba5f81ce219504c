// The SDL canvas's state, shared by its drawing half (SdlCanvas.cpp), its
// software fast paths (SdlSoftwarePaths.cpp) and its presenting half
// (SdlCanvasPresent.cpp). Private to the back end.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/SdlCanvas.h"
#include "canvas/SdlDirectBlits.h"
#include "canvas/SdlText.h"

namespace velmora {

inline SDL_Color ToColor(std::uint32_t argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

// One SDL texture of a picture with the blend and scale modes last set on it.
struct SdlPictureCopy {
  SDL_Texture* texture = nullptr;
  std::uint32_t colour = 0xFFFFFFFFu;  // the vertex colour multiplied into the texels
  SDL_BlendMode blend = SDL_BLENDMODE_INVALID;
  int scale = -1;  // SDL_ScaleMode last set
};

// A picture: its R G B A texels (kept for device resets and the copies),
// its plain SDL texture and, on the software renderer, the copies with a
// colour multiplied in made so far (a few at most). A texture holds the
// picture in its top-left texels and a transparent black margin up to
// powers of two.
struct SdlPicture {
  int width = 0, height = 0;          // the picture
  int texWidth = 0, texHeight = 0;    // its textures
  int tileWidth = 0, tileHeight = 0;  // what a draw shows
  bool ready = false;                 // it can be drawn
  std::vector<std::uint8_t> texels;
  SdlPictureCopy plain;
  std::vector<SdlPictureCopy> tints;
};

struct SdlCanvas::Impl {
  explicit Impl(std::size_t textCacheSize) : text(textCacheSize) {}

  SDL_Window* window = nullptr;
  SdlCanvasOptions options;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  // Direct blits: the page as a surface with a software renderer drawing
  // into it (no target texture), and the scaling buffer of the present.
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
  SDL_BlendMode drawBlend = SDL_BLENDMODE_INVALID;

  std::vector<SdlPicture> pictures;  // in catalogue order
  SdlText text;

  // Flat fans blended straight into the page: their points, and SDL's
  // blender for them.
  std::vector<float> fanXy;
  LayerBlend layerBlend = LayerBlend::Unknown;
  std::size_t fastDraws = 0;

  std::array<CanvasPoint, kSectorPoints> sector;
  std::vector<Vertex> fan;
  std::vector<SDL_Vertex> verts;
  std::vector<int> indices;

  bool FastPaths() const { return software && options.fastPaths; }
  static PixelRows Rows(SDL_Surface* s) {
    return PixelRows{static_cast<std::uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4};
  }

  // ---- SdlCanvas.cpp ----
  // A renderer (and page) of its own; false leaves none.
  bool OpenRenderer(bool softwareOnly);
  bool CreateTarget();
  void DestroyAll();
  void Recover();
  void RecoverIfReset() {
    if (targetsReset || deviceReset || picturesMissing) Recover();
  }
  // The fan of count vertices with the picture (or none: -1).
  void DrawFan(int picture, const Vertex* v, int count);
  void DrawLines(std::uint32_t argb, const SDL_FPoint* points, int count);
  // Ordinary alpha blending for what follows, set only when it changed
  // (a box replaces its pixels).
  void Blend(SDL_Texture* tex, SDL_BlendMode& cached);

  // ---- SdlSoftwarePaths.cpp ----
  // The picture's texels in a new SDL texture, each channel multiplied by the
  // colour's (texel × colour div 255, SDL's rule); null on failure.
  SDL_Texture* MakeTexture(const SdlPicture& picture, std::uint32_t colour, SDL_TextureAccess access);
  // The copy to draw the picture with for these vertices, made when
  // missing; tinted when the vertex colour is in its texels (the vertices
  // then go white). Null when no copy could be made.
  SdlPictureCopy* CopyFor(SdlPicture& picture, const Vertex* v, int count, bool& tinted);
  static void DestroyCopies(SdlPicture& picture);
  // An untextured fan of one colour blended straight into the page; false
  // when the fan is not one for this path.
  bool DrawFlatFan(const Vertex* v, int count);
  static LayerBlend ProbeLayerBlend();
  // A textured quad of one white colour blended straight into the page when
  // SDL would copy it unstretched or draw it as two triangles; false leaves
  // it to SDL.
  bool DirectQuad(SdlPictureCopy& copy, const Vertex* v);

  // ---- SdlCanvasPresent.cpp ----
  // SDL's own stretch, through a kept buffer in the page's format when the
  // window's differs.
  void StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst);
  // The page into the window surface as SDL's software renderer copies a
  // linearly filtered target texture.
  void Present();
  // A turned window of the usual shape, turned straight into the window;
  // false leaves it to the general path.
  bool PresentTurnedDirect(SDL_Surface* win);
  // The page as presented: itself, or turned into the kept surface.
  SDL_Surface* Turned();
  // Where the renderer's present puts the (turned) picture in the window;
  // false when it covers the window unturned.
  bool PresentRect(SDL_FRect& dst);
};

}  // namespace velmora
