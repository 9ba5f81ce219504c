// Which back-buffer pixels a flat-coloured triangle fan covers under the SDL
// software rasteriser's rules, found row by row instead of pixel by pixel.
//
// SDL's software renderer draws every triangle of a fan on its own: it
// truncates the vertex positions to whole pixels, tests each pixel centre of
// the triangle's bounding box against the three edges (with a top-left rule
// for centres exactly on an edge) and blends a bounding-box-sized layer onto
// the target. A pie sector of radius 300 is 300 thin triangles whose boxes
// overlap over and over: tens of millions of tests a frame. The same rules
// solved per row give each triangle's span directly, and the whole fan can
// then be blended in one pass.
//
// The edge rules (namespace sdl_raster) are shared with the direct blits of
// turned pictures: positions carry one fractional bit, so a pixel centre
// (i + 0.5) is the whole number 2i + 1 and every test is exact integer
// arithmetic.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora::sdl_raster {
struct Fixed {
  std::int64_t x, y;
};

inline std::int64_t Cross(const Fixed& a, const Fixed& b, std::int64_t cx, std::int64_t cy) {
  return (b.x - a.x) * (cy - a.y) - (b.y - a.y) * (cx - a.x);
}

// A centre exactly on an edge belongs to the triangle only on its top or
// left edges, so two triangles sharing an edge never both take a pixel.
inline bool TopLeft(const Fixed& a, const Fixed& b, bool clockwise) {
  if (clockwise) return (a.y == b.y && a.x < b.x) || b.y < a.y;
  return (a.y == b.y && b.x < a.x) || a.y < b.y;
}
}  // namespace velmora::sdl_raster

namespace velmora {

struct FanCoverage {
  int left = 0, top = 0, width = 0, height = 0;  // box of covered pixels, clipped
  // width × height counts, row by row: how many of the fan's triangles
  // cover each pixel (more than one only where the fan folds over itself).
  std::vector<std::uint8_t> count;
  int maxCount = 0;
};

// xy: count (x, y) pairs in SDL's pixel convention (pixel i spans i .. i + 1),
// the fan's first vertex first. Pixels outside 0 .. clipWidth − 1,
// 0 .. clipHeight − 1 are never covered. False when nothing is covered.
bool CoverFan(const float* xy, int count, int clipWidth, int clipHeight, FanCoverage& out);

}  // namespace velmora
