// The edge rules of SDL's software triangle rasteriser, shared by the paths
// that must cover exactly the pixels SDL would (flat fans, direct blits).
// Positions carry one fractional bit, so a pixel centre (i + 0.5) is the
// whole number 2i + 1 and every test is exact integer arithmetic.
#pragma once

#include <cstdint>

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
