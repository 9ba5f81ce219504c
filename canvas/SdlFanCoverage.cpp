#include "canvas/SdlFanCoverage.h"


#include <algorithm>
#include <cstddef>

namespace velmora {

namespace {

using sdl_raster::Cross;
using sdl_raster::Fixed;
using sdl_raster::TopLeft;

std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
  return q;
}

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) { return -FloorDiv(-n, d); }

struct Box {
  std::int64_t x0, y0, x1, y1;  // half-open pixel ranges
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

// The pixels whose centres SDL tests for one triangle: its truncated
// bounding box (the far column and row are never inside anyway), clipped.
Box TriangleBox(const Fixed& a, const Fixed& b, const Fixed& c, int clipWidth, int clipHeight) {
  const std::int64_t minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  const std::int64_t minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  Box r{minX / 2, minY / 2, minX / 2 + (maxX - minX) / 2, minY / 2 + (maxY - minY) / 2};
  r.x0 = std::max<std::int64_t>(r.x0, 0);
  r.y0 = std::max<std::int64_t>(r.y0, 0);
  r.x1 = std::min<std::int64_t>(r.x1, clipWidth);
  r.y1 = std::min<std::int64_t>(r.y1, clipHeight);
  return r;
}

}  // namespace

bool CoverFan(const float* xy, int count, int clipWidth, int clipHeight, FanCoverage& out) {
  out.width = out.height = out.maxCount = 0;
  if (count < 3 || clipWidth <= 0 || clipHeight <= 0) return false;

  // Truncated towards zero like SDL's own conversion, then doubled.
  auto at = [xy](int i) {
    return Fixed{static_cast<std::int64_t>(static_cast<int>(xy[2 * i])) * 2,
                 static_cast<std::int64_t>(static_cast<int>(xy[2 * i + 1])) * 2};
  };

  Box all{clipWidth, clipHeight, 0, 0};
  const Fixed p0 = at(0);
  for (int i = 1; i + 1 < count; ++i) {
    const Fixed p1 = at(i), p2 = at(i + 1);
    if (Cross(p0, p1, p2.x, p2.y) == 0) continue;
    const Box r = TriangleBox(p0, p1, p2, clipWidth, clipHeight);
    if (r.Empty()) continue;
    all = Box{std::min(all.x0, r.x0), std::min(all.y0, r.y0), std::max(all.x1, r.x1), std::max(all.y1, r.y1)};
  }
  if (all.Empty()) return false;

  out.left = static_cast<int>(all.x0);
  out.top = static_cast<int>(all.y0);
  out.width = static_cast<int>(all.x1 - all.x0);
  out.height = static_cast<int>(all.y1 - all.y0);
  out.count.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);

  bool any = false;
  for (int i = 1; i + 1 < count; ++i) {
    const Fixed d[3] = {p0, at(i), at(i + 1)};
    const std::int64_t area = Cross(d[0], d[1], d[2].x, d[2].y);
    if (area == 0) continue;
    const Box r = TriangleBox(d[0], d[1], d[2], clipWidth, clipHeight);
    if (r.Empty()) continue;
    const bool clockwise = area > 0;
    const std::int64_t s = clockwise ? 1 : -1;
    // Edge k runs from d[(k + 1) % 3] to d[(k + 2) % 3] (the edge opposite
    // vertex k). Inside: s · cross(a, b, centre) + bias ≥ 0 for all three.
    struct Edge {
      std::int64_t dx, ey, ax, ay, bias;
    } edges[3];
    for (int k = 0; k < 3; ++k) {
      const Fixed& a = d[(k + 1) % 3];
      const Fixed& b = d[(k + 2) % 3];
      edges[k] = Edge{s * (b.x - a.x), s * (b.y - a.y), a.x, a.y, TopLeft(a, b, clockwise) ? 0 : -1};
    }
    for (std::int64_t y = r.y0; y < r.y1; ++y) {
      const std::int64_t cy = 2 * y + 1;
      std::int64_t lo = r.x0, hi = r.x1 - 1;
      // s·cross = dx·(cy − ay) − ey·(2x + 1 − ax); the test is 2·ey·x ≤ K.
      for (const Edge& e : edges) {
        const std::int64_t k = e.dx * (cy - e.ay) - e.ey * (1 - e.ax) + e.bias;
        const std::int64_t dd = 2 * e.ey;
        if (dd > 0) {
          hi = std::min(hi, FloorDiv(k, dd));
        } else if (dd < 0) {
          lo = std::max(lo, CeilDiv(k, dd));
        } else if (k < 0) {
          hi = lo - 1;
        }
        if (lo > hi) break;
      }
      if (lo > hi) continue;
      any = true;
      std::uint8_t* row = out.count.data() + static_cast<std::size_t>(y - all.y0) * static_cast<std::size_t>(out.width);
      for (std::int64_t x = lo; x <= hi; ++x) {
        std::uint8_t& c = row[x - all.x0];
        if (c < 255) ++c;
        out.maxCount = std::max<int>(out.maxCount, c);
      }
    }
  }
  return any;
}

}  // namespace velmora
