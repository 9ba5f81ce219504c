// The software renderer's fast paths, used by SdlCanvas when it runs
// on SDL's software renderer (and its fast paths are on):
//   - flat-coloured fans (pie sectors) are covered row by row
//     (SdlFanCoverage) and blended in one pass through a back-buffer-sized
//     layer instead of triangle by triangle, with the same pixels;
//   - pictures are kept packed (SdlTexelRuns) and SDL textures made from them
//     on demand: the plain copy once a picture is drawn unmodulated, and a
//     copy with the vertex colour multiplied in for a draw in one colour, so
//     SDL blits it unmodulated.
// On other renderers a picture has only its plain copy and none of this runs.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/SdlFanCoverage.h"
#include "canvas/SdlTexelRuns.h"

namespace velmora {

// One SDL texture with the blend and scale modes last set on it.
struct SdlPictureCopy {
  SDL_Texture* texture = nullptr;
  std::uint32_t colour = 0xFFFFFFFFu;  // the vertex colour baked into the texels
  SDL_BlendMode blend = SDL_BLENDMODE_INVALID;
  int scale = -1;  // SDL_ScaleMode last set
};

// A picture of the canvas: its plain copy, and on the software renderer its
// packed texels and the colour-modulated copies made so far (a few at most).
struct SdlPicture {
  SdlPictureCopy plain;
  int width = 0, height = 0;          // the texture, powers of two
  int tileWidth = 0, tileHeight = 0;  // what a draw shows
  bool ready = false;                 // it has its texture (or texels to make it from)
  TexelRuns packed;  // empty: plain is the only copy
  std::vector<std::uint8_t> texels;  // without packed: the RGBA bytes a device reset uploads again
  std::vector<SdlPictureCopy> tints;
};

// Destroys every SDL texture of the picture (the packed texels stay).
void DestroyCopies(SdlPicture& picture);

class SdlSoftwarePaths {
 public:
  // The copy to draw the picture with for these vertices, made when
  // missing; tinted when the vertex colour is in its texels (the vertices
  // then go white). Null when no copy could be made.
  SdlPictureCopy* CopyFor(SDL_Renderer* renderer, SdlPicture& picture, const Vertex* v, int count, bool& tinted);

  // Draws an untextured fan of one colour under the renderer's current draw
  // blend mode onto a target of width × height; false when the fan is not
  // one for this path (SDL's triangles then draw it).
  bool DrawFlatFan(SDL_Renderer* renderer, const Vertex* v, int count, int width, int height);

  // Releases the fan layer; call before the renderer goes.
  void DropFanLayer();

  // Draws that took a fast path: flat fans and tinted copies.
  std::size_t Draws() const { return draws_; }

 private:
  SDL_Texture* MakeCopy(SDL_Renderer* renderer, const SdlPicture& picture, std::uint32_t colour);

  // Flat-coloured fans: coverage found per row, written into a
  // back-buffer-sized layer and blended from there.
  SDL_Texture* fanLayer_ = nullptr;
  FanCoverage fanCover_;
  std::vector<float> fanXy_;
  std::size_t draws_ = 0;
};

}  // namespace velmora
