// Direct blending into the software back buffer; every step mirrors what
// SDL 2's software renderer does with the same input, so the pixels agree
// exactly (the device's tests draw each case both ways).
#include "canvas/SdlDirectBlits.h"
#include "canvas/SdlFanCoverage.h"


#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {

// ---------------------------------------------------------------- rows

// The row loops below are plain C++ for the compiler to vectorise (see
// canvas/CMakeLists.txt); on x86-64 they are compiled once more for AVX2,
// taken where the processor has it.
#if defined(__GNUC__) && defined(__x86_64__)
const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
template <auto Loop, class... Args>
__attribute__((target("avx2"))) void OnAvx2(Args... args) {
  Loop(args...);
}
#endif

template <auto Loop, class... Args>
void InWidestVectors(Args... args) {
#if defined(__GNUC__) && defined(__x86_64__)
  if (kHaveAvx2) return OnAvx2<Loop>(args...);
#endif
  Loop(args...);
}

// SDL's per-pixel alpha blitter for R G B A texels onto ARGB pixels: red
// and blue blended together in one word, green apart, weights / 256; an
// opaque texel replaces the pixel, a transparent one leaves it. Those two
// are the blend with a weight of 256 (the texel's, the pixel's alpha's),
// so one formula covers all three without a branch, and a vector register
// blends several pixels at once.
[[gnu::always_inline]] inline std::uint32_t BlendPixel(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t alpha = s >> 24, sg = s & 0xFF00u, d1 = d & 0xFF00FFu, dg = d & 0xFF00u;
  std::uint32_t s1 = s & 0xFF00FFu;
  s1 = (s1 >> 16) | (s1 << 16);
  const std::uint32_t w = alpha + (alpha == 0xFF), dw = (alpha ^ 0xFFu) + (alpha == 0);
  return ((d1 + ((s1 - d1) * w >> 8)) & 0xFF00FFu) | ((dg + ((sg - dg) * w >> 8)) & 0xFF00u) |
         (alpha + ((d >> 24) * dw >> 8)) << 24;
}

[[gnu::always_inline]] inline void BlendPixels(const std::uint32_t* __restrict src, std::uint32_t* __restrict dst, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {  // eight transparent texels leave the pixels as they are; read two at a time
    auto pair = [&](int k) { std::uint64_t w; std::memcpy(&w, src + i + k, 8); return w; };
    if (((pair(0) | pair(2) | pair(4) | pair(6)) & 0xFF000000FF000000u) == 0) continue;
    for (int k = 0; k < 8; ++k) dst[i + k] = BlendPixel(src[i + k], dst[i + k]);
  }
  for (; i < n; ++i) dst[i] = BlendPixel(src[i], dst[i]);
}

void BlendRow(const std::uint32_t* src, std::uint32_t* dst, int n) { InWidestVectors<BlendPixels>(src, dst, n); }

// SDL's linear mix of two rows: every byte alike, weights in 128ths; only
// the bits of keep stay.
[[gnu::always_inline]] inline void MixBytes(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b, int f,
                                            std::uint32_t keep, std::uint32_t* __restrict out, int n) {
  auto* o = reinterpret_cast<std::uint8_t*>(out);
  const auto fb = static_cast<std::uint16_t>(f), fa = static_cast<std::uint16_t>(128 - f);
  std::uint8_t k[4];
  std::memcpy(k, &keep, 4);
  for (int i = 0; i < n; ++i, a += 4, b += 4, o += 4)
#pragma GCC unroll 4
    for (int c = 0; c < 4; ++c) o[c] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(a[c] * fa + b[c] * fb) >> 7) & k[c];
}

void MixRow(const std::uint32_t* a, const std::uint32_t* b, int f, std::uint32_t keep, std::uint32_t* out, int n) {
  InWidestVectors<MixBytes>(reinterpret_cast<const std::uint8_t*>(a), reinterpret_cast<const std::uint8_t*>(b), f, keep, out, n);
}

// ---------------------------------------------------------------- triangles

using sdl_raster::Cross;
using sdl_raster::Fixed;
using sdl_raster::TopLeft;

// Texture and screen positions of one corner as SDL's queue stores them.
struct Corner {
  Fixed src, dst;
};

constexpr float kFar = 1 << 13;  // SDL computes in int: keep every product far from overflow

bool ToCorner(const QuadCorner& c, int texWidth, int texHeight, Corner& out) {
  if (!(c.x > -kFar && c.x < kFar && c.y > -kFar && c.y < kFar)) return false;
  out.src = Fixed{static_cast<int>(c.u * static_cast<float>(texWidth)), static_cast<int>(c.v * static_cast<float>(texHeight))};
  out.dst = Fixed{static_cast<std::int64_t>(static_cast<int>(c.x)) * 2, static_cast<std::int64_t>(static_cast<int>(c.y)) * 2};
  return true;
}

// SDL's generic triangle blend for one texel: premultiplied source, weights
// / 255, alpha blended too.
inline std::uint32_t BlendExact(std::uint32_t t, std::uint32_t p) {
  std::uint32_t sa = t >> 24;
  if (sa == 0) return p;  // leaves every channel as it is
  std::uint32_t sr = t & 0xFFu, sg = (t >> 8) & 0xFFu, sb = (t >> 16) & 0xFFu;
  if (sa < 255) {
    sr = sr * sa / 255;
    sg = sg * sa / 255;
    sb = sb * sa / 255;
  }
  const std::uint32_t k = 255 - sa;
  const std::uint32_t dr = sr + k * ((p >> 16) & 0xFFu) / 255, dg = sg + k * ((p >> 8) & 0xFFu) / 255,
                      db = sb + k * (p & 0xFFu) / 255, da = sa + k * (p >> 24) / 255;
  return (da << 24) | (dr << 16) | (dg << 8) | db;
}

// Texture positions on the far edge of the triangle's texel box step one
// texel in, as SDL does; false when a position still lies outside the
// picture.
bool StepIn(Corner* c[3], int width, int height) {
  const std::int64_t sx0 = std::min({c[0]->src.x, c[1]->src.x, c[2]->src.x});
  const std::int64_t sx1 = std::max({c[0]->src.x, c[1]->src.x, c[2]->src.x});
  const std::int64_t sy0 = std::min({c[0]->src.y, c[1]->src.y, c[2]->src.y});
  const std::int64_t sy1 = std::max({c[0]->src.y, c[1]->src.y, c[2]->src.y});
  bool inside = true;
  for (int i = 0; i < 3; ++i) {
    Fixed& p = c[i]->src;
    if (sx1 > sx0 && p.x == sx1) --p.x;
    if (sy1 > sy0 && p.y == sy1) --p.y;
    inside = inside && p.x >= 0 && p.y >= 0 && p.x < width && p.y < height;
  }
  return inside;
}

void DrawTriangle(const PixelRows& pic, const Corner& c0, const Corner& c1, const Corner& c2, PixelRows& back) {
  const Fixed &d0 = c0.dst, &d1 = c1.dst, &d2 = c2.dst;
  std::int64_t area = Cross(d0, d1, d2.x, d2.y);
  if (area == 0) return;
  // The box SDL scans: truncated fixed-point bounds, clipped.
  const std::int64_t minX = std::min({d0.x, d1.x, d2.x}), maxX = std::max({d0.x, d1.x, d2.x});
  const std::int64_t minY = std::min({d0.y, d1.y, d2.y}), maxY = std::max({d0.y, d1.y, d2.y});
  std::int64_t bx = minX >> 1, by = minY >> 1;
  std::int64_t bx1 = bx + ((maxX - minX) >> 1), by1 = by + ((maxY - minY) >> 1);
  bx = std::max<std::int64_t>(bx, 0);
  by = std::max<std::int64_t>(by, 0);
  bx1 = std::min<std::int64_t>(bx1, back.width);
  by1 = std::min<std::int64_t>(by1, back.height);
  if (bx >= bx1 || by >= by1) return;

  const bool clockwise = area > 0;
  area = std::llabs(area);
  const std::int64_t sign = clockwise ? 1 : -1;
  const std::int64_t stepX0 = sign * (d1.y - d2.y) * 2, stepX1 = sign * (d2.y - d0.y) * 2, stepX2 = sign * (d0.y - d1.y) * 2;
  const std::int64_t stepY0 = sign * (d2.x - d1.x) * 2, stepY1 = sign * (d0.x - d2.x) * 2, stepY2 = sign * (d1.x - d0.x) * 2;
  const std::int64_t px = bx * 2 + 1, py = by * 2 + 1;
  std::int64_t row0 = sign * Cross(d1, d2, px, py), row1 = sign * Cross(d2, d0, px, py), row2 = sign * Cross(d0, d1, px, py);
  const std::int64_t bias0 = TopLeft(d1, d2, clockwise) ? 0 : -1, bias1 = TopLeft(d2, d0, clockwise) ? 0 : -1,
                     bias2 = TopLeft(d0, d1, clockwise) ? 0 : -1;
  const Fixed &s0 = c0.src, &s1 = c1.src, &s2 = c2.src;
  const std::int64_t u0 = s0.x - s2.x, u1 = s1.x - s2.x, v0 = s0.y - s2.y, v1 = s1.y - s2.y;
  const std::int64_t uBase = s2.x * area, vBase = s2.y * area;
  // Inside a covered pixel every weight is at least 0, so the quotients
  // below are of non-negative numbers well under 2^53: the division in
  // double truncates to SDL's integer quotient.
  const double a = static_cast<double>(area);
  const std::int64_t stepX[3] = {stepX0, stepX1, stepX2}, bias[3] = {bias0, bias1, bias2};
  for (std::int64_t y = by; y < by1; ++y, row0 += stepY0, row1 += stepY1, row2 += stepY2) {
    // The pixels whose weights all pass, found per row: each weight is
    // row + (x − bx)·step, so each edge bounds x on one side.
    const std::int64_t row[3] = {row0, row1, row2};
    std::int64_t lo = 0, hi = bx1 - bx - 1;
    for (int k = 0; k < 3 && lo <= hi; ++k) {
      const std::int64_t n = row[k] + bias[k];  // weight + bias at the box's left column
      if (stepX[k] > 0) {
        if (n < 0) lo = std::max(lo, (-n + stepX[k] - 1) / stepX[k]);
      } else if (stepX[k] < 0) {
        if (n < 0) hi = -1;
        else hi = std::min(hi, n / -stepX[k]);
      } else if (n < 0) {
        hi = -1;
      }
    }
    if (lo > hi) continue;
    std::int64_t w0 = row0 + lo * stepX0, w1 = row1 + lo * stepX1;
    std::uint32_t* out = back.pixels + y * back.pitch + bx;
    for (std::int64_t x = lo; x <= hi; ++x, w0 += stepX0, w1 += stepX1) {
      const auto sx = static_cast<std::int64_t>(static_cast<double>(w0 * u0 + w1 * u1 + uBase) / a);
      const auto sy = static_cast<std::int64_t>(static_cast<double>(w0 * v0 + w1 * v1 + vBase) / a);
      out[x] = BlendExact(pic.pixels[sy * pic.pitch + sx], out[x]);
    }
  }
}

// ---------------------------------------------------------------- stretch

// SDL's scaler set-up for one axis: first source position and step in
// 16.16 fixed point.
void ScalerStart(int srcN, int dstN, int& start, int& step) {
  step = static_cast<int>((static_cast<std::uint32_t>(srcN) << 16) / static_cast<std::uint32_t>(dstN));
  const std::int64_t half = 1 << 15;
  const std::int64_t lo = static_cast<std::int64_t>(step) * (half & 0xFFFF);
  const std::int64_t hi = static_cast<std::int64_t>(step) * (half >> 16);
  start = static_cast<int>(hi + ((lo + 0x8000) >> 16)) - (1 << 15);
}

}  // namespace

bool StretchRowsLinear(const PixelRows& src, PixelRows dst, std::uint32_t keep) {
  if (src.width != dst.width || src.width < 2 || src.height < 2 || dst.height < 1 || src.width > 0xFFFF ||
      src.height > 0xFFFF || dst.height > 0xFFFF)
    return false;
  int pos = 0, step = 0;
  ScalerStart(src.height, dst.height, pos, step);
  // Rows SDL pads: before the first source row, and from the last pair on.
  for (int i = 0; i < dst.height; ++i, pos += step) {
    std::uint32_t* out = dst.pixels + static_cast<std::ptrdiff_t>(i) * dst.pitch;
    int row = 0, f = 0;
    bool pair = true;
    if (pos < 0) {
      pair = false;
    } else {
      row = static_cast<int>(static_cast<std::uint32_t>(pos) >> 16);
      if (row > src.height - 2) {
        pair = false;
        row = src.height - 1;
      } else {
        f = static_cast<int>((static_cast<std::uint32_t>(pos >> 9)) & 127u);
      }
    }
    const std::uint32_t* a = src.pixels + static_cast<std::ptrdiff_t>(row) * src.pitch;
    MixRow(a, pair ? a + src.pitch : a, f, keep, out, dst.width);
  }
  return true;
}

QuadRoute ClassifyQuad(const QuadCorner c[4], int texWidth, int texHeight, IntBox& src, IntBox& dst) {
  // SDL's test, for the triangles (0 1 2) and (0 2 3): the top-left and
  // bottom-right corners among 0, 2, 3 with both remaining corners on the
  // rectangle they span.
  const int k[3] = {0, 2, 3};
  auto find = [&](bool (*before)(float, float)) {
    const QuadCorner &p0 = c[k[0]], &p1 = c[k[1]], &p2 = c[k[2]];
    if (before(p0.x, p1.x) && before(p0.y, p1.y)) return before(p0.x, p2.x) && before(p0.y, p2.y) ? k[0] : k[2];
    return before(p1.x, p2.x) && before(p1.y, p2.y) ? k[1] : k[2];
  };
  const int A = find([](float a, float b) { return a <= b; });
  const int B = find([](float a, float b) { return a >= b; });
  const int C = (k[0] != A && k[0] != B) ? k[0] : (k[1] != A && k[1] != B) ? k[1] : k[2];
  const int prev[3] = {0, 1, 2};
  const int C2 = (prev[0] != A && prev[0] != B) ? prev[0] : (prev[1] != A && prev[1] != B) ? prev[1] : prev[2];
  auto onRect = [&](int o) {
    return (c[A].x == c[o].x && c[B].y == c[o].y) || (c[A].y == c[o].y && c[B].x == c[o].x);
  };
  if (!onRect(C) || !onRect(C2)) return QuadRoute::Triangles;

  src.x = static_cast<int>(c[A].u * static_cast<float>(texWidth));
  src.y = static_cast<int>(c[A].v * static_cast<float>(texHeight));
  src.w = static_cast<int>(c[B].u * static_cast<float>(texWidth) - static_cast<float>(src.x));
  src.h = static_cast<int>(c[B].v * static_cast<float>(texHeight) - static_cast<float>(src.y));
  if (src.w <= 0 || src.h <= 0) return QuadRoute::OtherCopy;
  if (!(c[A].x > -kFar && c[A].x < kFar && c[A].y > -kFar && c[A].y < kFar)) return QuadRoute::OtherCopy;
  const float w = c[B].x - c[A].x, h = c[B].y - c[A].y;
  if (!(w > 0 && h > 0 && w < kFar && h < kFar)) return QuadRoute::OtherCopy;
  dst = IntBox{static_cast<int>(c[A].x), static_cast<int>(c[A].y), static_cast<int>(w), static_cast<int>(h)};
  // The source box SDL keeps after clipping it to the texture.
  if (src.x < 0 || src.y < 0 || src.x + src.w > texWidth || src.y + src.h > texHeight) return QuadRoute::OtherCopy;
  return dst.w == src.w && dst.h == src.h ? QuadRoute::Copy : QuadRoute::OtherCopy;
}

void BlendCopy(const PixelRows& picture, const IntBox& src, PixelRows back, int dstX, int dstY) {
  // SDL's clipping: source to the picture, then destination to the buffer.
  int sx = src.x, sy = src.y, w = src.w, h = src.h;
  // Cuts a run that starts before 0 or ends past limit, moving its partner
  // start along.
  auto clip = [](int& start, int& partner, int& length, int limit) {
    if (start < 0) {
      length += start;
      partner -= start;
      start = 0;
    }
    length = std::min(length, limit - start);
  };
  clip(sx, dstX, w, picture.width);
  clip(sy, dstY, h, picture.height);
  clip(dstX, sx, w, back.width);
  clip(dstY, sy, h, back.height);
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y)
    BlendRow(picture.pixels + static_cast<std::ptrdiff_t>(sy + y) * picture.pitch + sx,
             back.pixels + static_cast<std::ptrdiff_t>(dstY + y) * back.pitch + dstX, w);
}

bool BlendTriangles(const PixelRows& picture, const QuadCorner c[4], PixelRows back) {
  Corner k[4];
  for (int i = 0; i < 4; ++i)
    if (!ToCorner(c[i], picture.width, picture.height, k[i])) return false;
  // Each triangle gets its own copy of the corners (SDL queues them apart).
  Corner t1[3] = {k[0], k[1], k[2]}, t2[3] = {k[0], k[2], k[3]};
  Corner* p1[3] = {&t1[0], &t1[1], &t1[2]};
  Corner* p2[3] = {&t2[0], &t2[1], &t2[2]};
  if (!StepIn(p1, picture.width, picture.height) || !StepIn(p2, picture.width, picture.height)) return false;
  DrawTriangle(picture, t1[0], t1[1], t1[2], back);
  DrawTriangle(picture, t2[0], t2[1], t2[2], back);
  return true;
}

bool IsSideways(int degrees) { return degrees == 90 || degrees == 270; }

void UnturnPoint(int degrees, int width, int height, int tx, int ty, int& x, int& y) {
  switch (degrees) {
    case 90: x = ty, y = height - 1 - tx; return;
    case 180: x = width - 1 - tx, y = height - 1 - ty; return;
    case 270: x = width - 1 - ty, y = tx; return;
    default: x = tx, y = ty; return;
  }
}

IntBox PresentBox(int pw, int ph, int ww, int wh) {
  const IntBox whole{0, 0, ww, wh};
  if (pw <= 0 || ph <= 0 || ww <= 0 || wh <= 0 || (ph > pw) == (wh > ww)) return whole;
  const long long across = static_cast<long long>(ww) * ph, down = static_cast<long long>(wh) * pw;
  if (across <= down) {
    const int h = static_cast<int>(across / pw);
    return IntBox{0, (wh - h) / 2, ww, h};
  }
  const int w = static_cast<int>(down / ph);
  return IntBox{(ww - w) / 2, 0, w, wh};
}

bool TurnPixels(const PixelRows& src, PixelRows dst, int degrees, std::uint32_t keep) {
  const bool sideways = IsSideways(degrees);
  const int w = src.width, h = src.height;
  if (dst.width != (sideways ? h : w) || dst.height != (sideways ? w : h)) return false;
  auto row = [](const PixelRows& p, int y) { return p.pixels + static_cast<std::ptrdiff_t>(y) * p.pitch; };
  if (!sideways) {
    for (int y = 0; y < h; ++y) {
      const std::uint32_t* s = row(src, y);
      if (degrees == 180) {
        std::uint32_t* d = row(dst, h - 1 - y) + (w - 1);
        for (int x = 0; x < w; ++x) *d-- = s[x] & keep;
      } else {
        std::uint32_t* d = row(dst, y);
        for (int x = 0; x < w; ++x) d[x] = s[x] & keep;
      }
    }
    return true;
  }
  // A source row becomes a destination column (downwards at 90 degrees,
  // upwards at 270): walk in tiles so both stay in the cache.
  constexpr int kTile = 32;
  const std::ptrdiff_t step = degrees == 90 ? dst.pitch : -static_cast<std::ptrdiff_t>(dst.pitch);
  for (int y0 = 0; y0 < h; y0 += kTile) {
    const int y1 = std::min(h, y0 + kTile);
    for (int x0 = 0; x0 < w; x0 += kTile) {
      const int x1 = std::min(w, x0 + kTile);
      for (int y = y0; y < y1; ++y) {
        const std::uint32_t* s = row(src, y);
        // Where (x0, y) lands: (h - 1 - y, x0) turned right, (y, w - 1 - x0) turned left.
        std::uint32_t* d = degrees == 90 ? row(dst, x0) + (h - 1 - y) : row(dst, w - 1 - x0) + y;
        for (int x = x0; x < x1; ++x, d += step) *d = s[x] & keep;
      }
    }
  }
  return true;
}

}  // namespace velmora
