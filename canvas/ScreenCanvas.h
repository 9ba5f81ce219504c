// The canvas on the screen: pictures through the picture list's quads,
// flat shapes as fans and line strips of its own, text through the fonts, all on the screen's
// device (SDL's renderer, or its software rasteriser with the fast paths).
#pragma once

#include <array>

#include "canvas/Canvas.h"
#include "engine/RenderDevice.h"

namespace velmora {

class Font;
class PictureCollection;
class Screen;

// The rounding of picture places: 2.5 → 3, −2.5 → −3, 2.49996 → 3.
int RoundCoord(float v);

class ScreenCanvas final : public Canvas {
 public:
  // A sector has one segment per pixel of radius, radius 999 at most.
  static constexpr int kShapeVertices = 1001;

  // pictures in catalogue order; fonts in FontRole order. None owned.
  ScreenCanvas(Screen& screen, const PictureCollection& pictures, const std::array<Font*, kFontCount>& fonts);

  void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) override;
  void FillRect(Argb color, float x, float y, float width, float height) override;
  void StrokeRect(Argb color, float x, float y, float width, float height) override;
  void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) override;
  void Box(PixelBox box, bool filled, int thickness, Argb color) override;
  void Text(FontRole font, int x, int y, std::string_view utf8, Argb color) override;

 private:
  // Rectangle on the page: filled (a fan of 4) or outlined (a strip of 5).
  void Rect(bool filled, Argb color, float x, float y, float width, float height);
  float X(float x) const { return static_cast<float>(OriginX()) + x; }
  float Y(float y) const { return static_cast<float>(OriginY()) + y; }

  Screen& screen_;
  const PictureCollection& pictures_;
  const std::array<Font*, kFontCount>& fonts_;
  std::array<Vertex, kShapeVertices> shape_{};
};

}  // namespace velmora
