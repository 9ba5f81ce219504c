// The canvas's transform stack and the geometry its back ends share.
#include "canvas/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace velmora {

void Canvas::Save() {
  if (depth_ == static_cast<int>(saved_.size())) throw std::logic_error("canvas saved too deep");
  saved_[static_cast<std::size_t>(depth_++)] = state_;
}

void Canvas::Restore() {
  if (depth_ == 0) throw std::logic_error("canvas restored more often than saved");
  const State was = state_;
  state_ = saved_[static_cast<std::size_t>(--depth_)];
  if (was.clipped != state_.clipped || (was.clipped && !(was.clip == state_.clip))) ClipChanged();
}

void Canvas::Translate(int dx, int dy) {
  const CanvasPoint p = Map(static_cast<float>(dx), static_cast<float>(dy));
  state_.x = p.x, state_.y = p.y;
}

void Canvas::Rotate(float degrees) {
  state_.angle += degrees;
  const double a = static_cast<double>(state_.angle) * std::numbers::pi / 180.0;
  state_.cos = std::cos(a);
  state_.sin = std::sin(a);
}

void Canvas::Clip(PixelBox box) {
  const int ox = OriginX(), oy = OriginY();
  PixelBox b{box.x1 + ox, box.y1 + oy, box.x2 + ox, box.y2 + oy};
  if (state_.clipped)
    b = PixelBox{std::max(b.x1, state_.clip.x1), std::max(b.y1, state_.clip.y1), std::min(b.x2, state_.clip.x2),
                 std::min(b.y2, state_.clip.y2)};
  state_.clip = b;
  state_.clipped = true;
  ClipChanged();
}


CanvasPoint Canvas::Map(float x, float y) const {
  // Unturned, the origin is a whole pixel and the sum is exact.
  if (state_.angle == 0) return {state_.x + x, state_.y + y};
  const double px = x, py = y;
  return {static_cast<float>(state_.x + state_.cos * px - state_.sin * py),
          static_cast<float>(state_.y + state_.sin * px + state_.cos * py)};
}

void Canvas::MapPixel(int& x, int& y) const {
  const CanvasPoint p = Map(static_cast<float>(x), static_cast<float>(y));
  x = static_cast<int>(std::lround(p.x));
  y = static_cast<int>(std::lround(p.y));
}

int RoundCoord(float v) {
  // Rounding at four decimals first makes values a hair below .5 (2.49996)
  // go up like the .5 itself.
  const double shifted = v >= 0 ? static_cast<double>(v) + 0.5 : static_cast<double>(v) - 0.5;
  const double r = std::nearbyint(shifted * 10000.0) / 10000.0;
  return static_cast<int>(std::trunc(r));
}

std::uint32_t ScaledColor(std::uint32_t c) {
  const std::uint32_t a = ((c >> 24) * 255u) >> 8, r = (((c >> 16) & 0xFFu) * 255u) >> 8,
                      g = (((c >> 8) & 0xFFu) * 255u) >> 8, b = ((c & 0xFFu) * 255u) >> 8;
  return (a << 24) | (r << 16) | (g << 8) | b;
}

std::array<Vertex, 4> PictureQuad(int ix, int iy, int tileWidth, int tileHeight, int texWidth, int texHeight,
                                  const PictureTurn& turn) {
  const float x = static_cast<float>(ix), y = static_cast<float>(iy);
  const float w = static_cast<float>(tileWidth), h = static_cast<float>(tileHeight);
  const float r = x + w, b = y + h;
  const float u = w / static_cast<float>(texWidth), v = h / static_cast<float>(texHeight);
  const std::uint32_t color = ScaledColor(turn.tint);
  std::array<Vertex, 4> q{{{x - 0.5f, y - 0.5f, color, 0, 0},
                           {r, y - 0.5f, color, u, 0},
                           {r, b, color, u, v},
                           {x - 0.5f, b, color, 0, v}}};
  const float scaleX = turn.scaleX == 0 ? 1 : turn.scaleX, scaleY = turn.scaleY == 0 ? 1 : turn.scaleY;
  const double px = static_cast<double>(x) + static_cast<double>(turn.pivotX) * w;
  const double py = static_cast<double>(y) + static_cast<double>(turn.pivotY) * h;
  const double theta = static_cast<double>(turn.angle) * std::numbers::pi / 180.0;
  const double c = std::cos(theta), s = std::sin(theta);
  for (Vertex& p : q) {
    const double dx = p.x - px, dy = p.y - py;
    p.x = static_cast<float>(px + scaleX * c * dx - scaleY * s * dy);
    p.y = static_cast<float>(py + scaleX * s * dx + scaleY * c * dy);
  }
  return q;
}

int SectorFan(float x, float y, float radius, float fromAngle, float toAngle,
              std::array<CanvasPoint, kSectorPoints>& out) {
  if (std::isnan(radius)) return 0;
  if (radius > 1000) radius = 1000;
  const long n = std::lrint(static_cast<double>(radius));  // ties to even
  if (n + 2 > kSectorPoints) throw std::out_of_range("Range check error");
  if (n <= 0) return 0;
  double t = static_cast<double>(fromAngle) / 360.0;
  const double step = (static_cast<double>(toAngle) - fromAngle) * (1.0 / static_cast<double>(n)) * (1.0 / 360.0);
  out[0] = {x, y};
  for (long i = 1; i <= n + 1; ++i) {
    const double a = t * 6.28318530716;
    out[static_cast<std::size_t>(i)] = {static_cast<float>(x + radius * std::cos(a)),
                                        static_cast<float>(y + radius * std::sin(a))};
    t += step;
  }
  return static_cast<int>(n) + 2;
}

}  // namespace velmora
