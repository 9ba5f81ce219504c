// Untextured, flat-coloured shapes through the screen: quadrilaterals,
// rectangles, arcs and pie sectors, filled or as one-pixel outlines.
#pragma once

#include <array>
#include <cstdint>

#include "engine/RenderDevice.h"

namespace velmora {

class Screen;

class Primitives {
 public:
  static constexpr int kStoreRecords = 1001;

  explicit Primitives(Screen* screen = nullptr) : Target(screen) {}

  bool Filled = true;
  Screen* Target = nullptr;  // the screen the shapes go to

  void Quad(std::uint32_t color1, std::uint32_t color2, std::uint32_t color3, std::uint32_t color4, float x1,
            float y1, float x2, float y2, float x3, float y3, float x4, float y4);
  void Rectangle(std::uint32_t color, float x, float y, float width, float height);
  // Angles in degrees, 0 to the right, clockwise on the screen. Throws
  // std::out_of_range("Range check error") when the segment count (the
  // rounded radius, radius clamped at 1000) does not fit the store.
  void Arc(std::uint32_t color, bool closed, float x, float y, float radius, float startAngle, float endAngle);

  // The store as the last call left it (before the screen transform).
  const Vertex* Store() const { return store_.data(); }

 private:
  std::array<Vertex, kStoreRecords> store_{};
};

}  // namespace velmora
