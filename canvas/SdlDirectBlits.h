// Pictures blended straight into the software back buffer, with the very
// arithmetic SDL's software renderer applies to them but without its
// per-pixel format decoding and divisions.
//
// SDL's software renderer turns a textured four-corner fan into one of two
// things: an axis-aligned rectangle becomes a copy (blended by SDL's
// per-pixel alpha blitter, which divides by 256), anything else two
// triangles (blended by its generic triangle blitter, which divides by 255).
// The functions here give the same pixels for pictures with R G B A texels
// (SDL_PIXELFORMAT_RGBA32) drawn under ordinary alpha blending, unmodulated,
// onto an ARGB8888 back buffer.
#pragma once

#include <cstdint>

namespace velmora {

// 32-bit pixels row by row; pitch in pixels.
struct PixelRows {
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0, pitch = 0;
};

// One corner as SDL receives it: position in SDL's pixel convention (pixel
// i spans i .. i + 1) and texture coordinates.
struct QuadCorner { float x, y, u, v; };

struct IntBox { int x = 0, y = 0, w = 0, h = 0; };

enum class QuadRoute {
  Copy,       // SDL copies src onto dst, same size, not mirrored: BlendCopy
  OtherCopy,  // SDL copies, but stretched or mirrored: leave it to SDL
  Triangles,  // SDL draws triangles (0 1 2) and (0 2 3): BlendTriangles
};

// How SDL's software renderer draws the fan of these four corners (all of
// one colour) with a texture of texWidth × texHeight; src and dst are set
// for Copy.
QuadRoute ClassifyQuad(const QuadCorner c[4], int texWidth, int texHeight, IntBox& src, IntBox& dst);

// The copy: src box of the picture onto the back buffer at (dstX, dstY), clipped to
// the back buffer as SDL clips it.
void BlendCopy(const PixelRows& picture, const IntBox& src, PixelRows back, int dstX, int dstY);

// The two triangles, in SDL's order. False (nothing drawn) when a
// coordinate is beyond the range where SDL's own integer arithmetic is safe
// to mirror; SDL must then draw them.
bool BlendTriangles(const PixelRows& picture, const QuadCorner c[4], PixelRows back);

// SDL blends a flat layer onto an ARGB page with one of two blitters,
// chosen by the processor it was built for (the canvas asks SDL which):
// packed words (its C blitter) or 16-bit lanes (its MMX one, on x86).
enum class LayerBlend { None, Words, Lanes };
std::uint32_t BlendLayerPixel(LayerBlend how, std::uint32_t layer, std::uint32_t page);

// The fan of count (x, y) points (SDL's pixel convention, the hub first) in
// one ARGB colour, triangle by triangle as SDL fills and blends them: a
// pixel two triangles cover is blended twice. False (nothing drawn) when a
// point is beyond the range where SDL's integer arithmetic is safe to mirror.
bool BlendFan(const float* xy, int count, std::uint32_t argb, LayerBlend how, PixelRows page);

// SDL's linear stretch (SDL_SoftStretchLinear) of a whole 32-bit buffer
// onto another of the same width and any height: only rows are mixed, in
// sevenths-of-128 weights as SDL mixes them, every byte alike. False (nothing
// written) when the widths differ. Only the bits of keep are kept: a
// window without alpha gets the colour bits alone, as SDL's conversion
// from ARGB gives them.
bool StretchRowsLinear(const PixelRows& src, PixelRows dst, std::uint32_t keep = 0xFFFFFFFFu);

// A panel mounted sideways or upside down: the picture turned clockwise by
// 0, 90, 180 or 270 degrees (any other value counts as 0).
// Sideways turns swap the picture's width and height.
bool IsSideways(int degrees);
// Where a picture of pw x ph goes in a window of ww x wh: stretched over all
// of it, unless one is upright and the other lying (a sideways turn on a
// full screen that stayed landscape): then as large as it fits, keeping its
// shape, centred.
IntBox PresentBox(int pw, int ph, int ww, int wh);
// src turned into dst, which must have the turned size. False (nothing
// written) when it does not. Only the bits of keep are kept, as in
// StretchRowsLinear.
bool TurnPixels(const PixelRows& src, PixelRows dst, int degrees, std::uint32_t keep = 0xFFFFFFFFu);

}  // namespace velmora
