// Flat-coloured quads, rectangles and arcs.
#include "engine/Primitives.h"

#include <cmath>
#include <stdexcept>

#include "engine/Screen.h"

namespace velmora {

void Primitives::Quad(std::uint32_t color1, std::uint32_t color2, std::uint32_t color3, std::uint32_t color4,
                            float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
  if (!Target || !Target->Device()) return;
  store_[0] = Vertex{x1, y1, color1, 0, 0};
  store_[1] = Vertex{x2, y2, color2, 0, 0};
  store_[2] = Vertex{x3, y3, color3, 0, 0};
  store_[3] = Vertex{x4, y4, color4, 0, 0};
  Target->Device()->BindTexture(0);
  if (Filled) {
    Target->Draw(PrimitiveType::TriangleFan, store_.data(), 4);
  } else {
    store_[4] = store_[0];
    Target->Draw(PrimitiveType::LineStrip, store_.data(), 5);
  }
}

void Primitives::Rectangle(std::uint32_t color, float x, float y, float width, float height) {
  Quad(color, color, color, color, x, y, x + width, y, x + width, y + height, x, y + height);
}

void Primitives::Arc(std::uint32_t color, bool closed, float x, float y, float radius, float startAngle,
                           float endAngle) {
  if (std::isnan(radius)) return;
  if (radius > 1000) radius = 1000;
  const long n = std::lrint(static_cast<double>(radius));  // ties to even
  if (n + 2 > kStoreRecords) throw std::out_of_range("Range check error");
  if (n <= 0) return;
  if (!Target || !Target->Device()) return;

  double t = static_cast<double>(startAngle) / 360.0;
  const double step = (static_cast<double>(endAngle) - startAngle) * (1.0 / static_cast<double>(n)) * (1.0 / 360.0);
  store_[0] = Vertex{x, y, color, 0, 0};
  for (long i = 1; i <= n + 1; ++i) {
    const double a = t * 6.28318530716;
    store_[static_cast<std::size_t>(i)] =
        Vertex{static_cast<float>(x + radius * std::cos(a)), static_cast<float>(y + radius * std::sin(a)), color, 0, 0};
    t += step;
  }
  Target->Device()->BindTexture(0);
  const int count = static_cast<int>(n) + 2;
  if (Filled) {
    Target->Draw(PrimitiveType::TriangleFan, store_.data(), count);
    return;
  }
  store_[0] = store_[static_cast<std::size_t>(n) + 1];
  if (closed)
    Target->Draw(PrimitiveType::LineStrip, store_.data(), count);
  else
    Target->Draw(PrimitiveType::LineStrip, store_.data() + 1, count - 1);
}

}  // namespace velmora
