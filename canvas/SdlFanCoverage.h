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
#pragma once

#include <cstdint>
#include <vector>

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
