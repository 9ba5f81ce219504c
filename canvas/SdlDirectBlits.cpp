// Direct blending into the software back buffer; every step mirrors what
// SDL 2's software renderer does with the same input, so the pixels agree
// exactly (the device's tests draw each case both ways).
#include "canvas/SdlDirectBlits.h"

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

// SDL's software rasteriser works on positions truncated to whole pixels
// and doubled, so that a pixel centre (i + 0.5) is the whole number 2i + 1
// and every test is exact integer arithmetic.
struct Fixed {
  std::int64_t x, y;
};

std::int64_t Cross(const Fixed& a, const Fixed& b, std::int64_t cx, std::int64_t cy) {
  return (b.x - a.x) * (cy - a.y) - (b.y - a.y) * (cx - a.x);
}

// A centre exactly on an edge belongs to the triangle only on its top or
// left edges, so two triangles sharing an edge never both take a pixel.
bool TopLeft(const Fixed& a, const Fixed& b, bool clockwise) {
  if (clockwise) return (a.y == b.y && a.x < b.x) || b.y < a.y;
  return (a.y == b.y && b.x < a.x) || a.y < b.y;
}

constexpr float kFar = 1 << 13;  // SDL computes in int: keep every product far from overflow

bool ToFixed(float x, float y, Fixed& out) {
  if (!(x > -kFar && x < kFar && y > -kFar && y < kFar)) return false;
  out = Fixed{static_cast<std::int64_t>(static_cast<int>(x)) * 2, static_cast<std::int64_t>(static_cast<int>(y)) * 2};
  return true;
}

// One triangle as SDL scans it: its truncated bounding box, clipped, and
// the three edge weights of each pixel centre (the edge opposite corner k
// gives weight k); a pixel is covered when every weight plus its top-left
// bias is at least 0. The covered pixels of a row are found per row: each
// weight is row[k] + (x − left)·stepX[k], so each edge bounds x on one side.
struct TriangleScan {
  std::int64_t area = 0;                                  // twice the area, > 0
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  std::int64_t row[3]{}, stepX[3]{}, stepY[3]{}, bias[3]{};

  // False when the triangle is flat or clipped away.
  bool Start(const Fixed& d0, const Fixed& d1, const Fixed& d2, int width, int height) {
    area = Cross(d0, d1, d2.x, d2.y);
    if (area == 0) return false;
    const std::int64_t minX = std::min({d0.x, d1.x, d2.x}), maxX = std::max({d0.x, d1.x, d2.x});
    const std::int64_t minY = std::min({d0.y, d1.y, d2.y}), maxY = std::max({d0.y, d1.y, d2.y});
    left = minX >> 1;
    top = minY >> 1;
    right = std::min<std::int64_t>(left + ((maxX - minX) >> 1), width);
    bottom = std::min<std::int64_t>(top + ((maxY - minY) >> 1), height);
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    if (left >= right || top >= bottom) return false;
    const bool clockwise = area > 0;
    const std::int64_t sign = clockwise ? 1 : -1;
    area *= sign;
    const Fixed* d[3] = {&d0, &d1, &d2};
    for (int k = 0; k < 3; ++k) {
      const Fixed &a = *d[(k + 1) % 3], &b = *d[(k + 2) % 3];
      stepX[k] = sign * (a.y - b.y) * 2;
      stepY[k] = sign * (b.x - a.x) * 2;
      row[k] = sign * Cross(a, b, left * 2 + 1, top * 2 + 1);
      bias[k] = TopLeft(a, b, clockwise) ? 0 : -1;
    }
    return true;
  }

  // The covered columns lo..hi of the current row, counted from left.
  bool Span(std::int64_t& lo, std::int64_t& hi) const {
    lo = 0;
    hi = right - left - 1;
    for (int k = 0; k < 3 && lo <= hi; ++k) {
      const std::int64_t n = row[k] + bias[k];
      if (stepX[k] > 0) {
        if (n < 0) lo = std::max(lo, (-n + stepX[k] - 1) / stepX[k]);
      } else if (stepX[k] < 0) {
        hi = n < 0 ? -1 : std::min(hi, n / -stepX[k]);
      } else if (n < 0) {
        hi = -1;
      }
    }
    return lo <= hi;
  }

  void NextRow() {
    for (int k = 0; k < 3; ++k) row[k] += stepY[k];
  }
};

// Texture and screen positions of one corner as SDL's queue stores them.
struct Corner {
  Fixed src, dst;
};

bool ToCorner(const QuadCorner& c, int texWidth, int texHeight, Corner& out) {
  out.src = Fixed{static_cast<int>(c.u * static_cast<float>(texWidth)), static_cast<int>(c.v * static_cast<float>(texHeight))};
  return ToFixed(c.x, c.y, out.dst);
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
  TriangleScan t;
  if (!t.Start(c0.dst, c1.dst, c2.dst, back.width, back.height)) return;
  const Fixed &s0 = c0.src, &s1 = c1.src, &s2 = c2.src;
  const std::int64_t u0 = s0.x - s2.x, u1 = s1.x - s2.x, v0 = s0.y - s2.y, v1 = s1.y - s2.y;
  const std::int64_t uBase = s2.x * t.area, vBase = s2.y * t.area, stepX0 = t.stepX[0], stepX1 = t.stepX[1];
  // Inside a covered pixel every weight is at least 0, so the quotients
  // below are of non-negative numbers well under 2^53: the division in
  // double truncates to SDL's integer quotient.
  const double a = static_cast<double>(t.area);
  for (std::int64_t y = t.top; y < t.bottom; ++y, t.NextRow()) {
    std::int64_t lo = 0, hi = 0;
    if (!t.Span(lo, hi)) continue;
    std::int64_t w0 = t.row[0] + lo * stepX0, w1 = t.row[1] + lo * stepX1;
    std::uint32_t* out = back.pixels + y * back.pitch + t.left;
    for (std::int64_t x = lo; x <= hi; ++x, w0 += stepX0, w1 += stepX1) {
      const auto sx = static_cast<std::int64_t>(static_cast<double>(w0 * u0 + w1 * u1 + uBase) / a);
      const auto sy = static_cast<std::int64_t>(static_cast<double>(w0 * v0 + w1 * v1 + vBase) / a);
      out[x] = BlendExact(pic.pixels[sy * pic.pitch + sx], out[x]);
    }
  }
}

// SDL's blender for an ARGB layer onto the ARGB page in its two forms:
// packed words (its C blitter: BlendPixel's arithmetic with red and blue in
// place) and 16-bit lanes (its MMX blitter on x86).
std::uint32_t SwapRedBlue(std::uint32_t c) { return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16); }

// Each channel of v × f / 256, two channels to a word (no product
// reaches the next channel's bits).
std::uint32_t ScaleLanes(std::uint32_t v, std::uint32_t f) {
  return ((((v & 0xFF00FFu) * f) >> 8) & 0xFF00FFu) | ((((v >> 8) & 0xFF00FFu) * f) & 0xFF00FF00u);
}

// The layer's colour × alpha / 256 (its alpha × 255 / 256) plus the page's
// × (255 − alpha) / 256.
std::uint32_t BlendLanes(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t alpha = s >> 24;
  return ScaleLanes(s & 0xFFFFFFu, alpha) + ((alpha * 255u >> 8) << 24) + ScaleLanes(d, 255u - alpha);
}

}  // namespace

std::uint32_t BlendLayerPixel(LayerBlend how, std::uint32_t s, std::uint32_t d) {
  if (how != LayerBlend::Lanes) return BlendPixel(SwapRedBlue(s), d);
  return (s >> 24) == 0 ? d : (s >> 24) == 0xFF ? s : BlendLanes(s, d);
}

bool BlendFan(const float* xy, int count, std::uint32_t argb, LayerBlend how, PixelRows page) {
  Fixed hub{}, p{}, q{};
  for (int i = 0; i < count; ++i)
    if (!ToFixed(xy[2 * i], xy[2 * i + 1], p)) return false;
  ToFixed(xy[0], xy[1], hub);
  ToFixed(xy[2], xy[3], q);
  const auto fill = [&](auto blend) {
    for (int i = 2; i < count; ++i) {
      p = q;
      ToFixed(xy[2 * i], xy[2 * i + 1], q);
      TriangleScan t;
      if (!t.Start(hub, p, q, page.width, page.height)) continue;
      for (std::int64_t y = t.top; y < t.bottom; ++y, t.NextRow()) {
        std::int64_t lo = 0, hi = 0;
        if (!t.Span(lo, hi)) continue;
        std::uint32_t* out = page.pixels + y * page.pitch + t.left;
        for (std::int64_t x = lo; x <= hi; ++x) out[x] = blend(argb, out[x]);
      }
    }
  };
  const std::uint32_t alpha = argb >> 24, texel = SwapRedBlue(argb);
  if (alpha == 0xFF)
    fill([](std::uint32_t s, std::uint32_t) { return s; });
  else if (alpha != 0 && how == LayerBlend::Lanes)
    fill([](std::uint32_t s, std::uint32_t d) { return BlendLanes(s, d); });
  else if (alpha != 0)
    fill([texel](std::uint32_t, std::uint32_t d) { return BlendPixel(texel, d); });
  return true;
}

// ---------------------------------------------------------------- stretch

bool StretchRowsLinear(const PixelRows& src, PixelRows dst, std::uint32_t keep) {
  if (src.width != dst.width || src.width < 2 || src.height < 2 || dst.height < 1 || src.width > 0xFFFF ||
      src.height > 0xFFFF || dst.height > 0xFFFF)
    return false;
  // SDL's scaler: the first source position and the step in 16.16 fixed
  // point, the first half a step in.
  const int step = static_cast<int>((static_cast<std::uint32_t>(src.height) << 16) / static_cast<std::uint32_t>(dst.height));
  int pos = static_cast<int>((static_cast<std::int64_t>(step) * 0x8000 + 0x8000) >> 16) - 0x8000;
  for (int i = 0; i < dst.height; ++i, pos += step) {
    // SDL repeats a row before the first source row and from the last pair on.
    const int row = pos < 0 ? 0 : std::min(static_cast<int>(static_cast<std::uint32_t>(pos) >> 16), src.height - 1);
    const bool pair = pos >= 0 && row <= src.height - 2;
    const int f = pair ? static_cast<int>((static_cast<std::uint32_t>(pos >> 9)) & 127u) : 0;
    const std::uint32_t* a = src.pixels + static_cast<std::ptrdiff_t>(row) * src.pitch;
    MixRow(a, pair ? a + src.pitch : a, f, keep, dst.pixels + static_cast<std::ptrdiff_t>(i) * dst.pitch, dst.width);
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
  const int C2 = (A != 0 && B != 0) ? 0 : (A != 1 && B != 1) ? 1 : 2;
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
  // Source pixel (x, y) lands at start + x·across + y·down of dst.
  const std::ptrdiff_t p = dst.pitch;
  std::ptrdiff_t start = 0, across = 1, down = p;
  if (degrees == 90) start = h - 1, across = p, down = -1;
  if (degrees == 180) start = (h - 1) * p + (w - 1), across = -1, down = -p;
  if (degrees == 270) start = (w - 1) * p, across = -p, down = 1;
  // In tiles, so that both a source row and a destination column stay in
  // the cache when turned sideways.
  constexpr int kTile = 32;
  for (int y0 = 0; y0 < h; y0 += kTile)
    for (int x0 = 0; x0 < w; x0 += kTile)
      for (int y = y0; y < std::min(h, y0 + kTile); ++y) {
        const std::uint32_t* s = src.pixels + static_cast<std::ptrdiff_t>(y) * src.pitch;
        std::uint32_t* d = dst.pixels + start + y * down + x0 * across;
        for (int x = x0; x < std::min(w, x0 + kTile); ++x, d += across) *d = s[x] & keep;
      }
  return true;
}

}  // namespace velmora
