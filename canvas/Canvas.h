// The one drawing interface of the pages: pictures of the catalogue placed,
// turned about a pivot, scaled and tinted; flat shapes; text in the
// display's fonts; and a stack of translations, so that an instrument draws
// in its own coordinates (Save, Translate to its origin, draw, Restore).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "canvas/FontRoles.h"

namespace velmora {

using Argb = std::uint32_t;  // alpha 24..31, red 16..23, green 8..15, blue 0..7
using PictureId = int;       // row of the image catalogue

// How a picture lies on its place, apart from where.
struct PictureTurn {
  float angle = 0;               // degrees, clockwise on the screen, about the pivot
  float pivotX = 0, pivotY = 0;  // the pivot as a fraction of the picture
  float scaleX = 1, scaleY = 1;  // about the pivot
  Argb tint = 0xFFFFFFFFu;       // multiplies the picture; its alpha is the opacity
};

// Pixel rectangle, corners included.
struct PixelBox {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The transform: translations only, so that a place given in an
  // instrument's coordinates lands on exactly the page pixel it names.
  void Save();
  void Restore();
  void Translate(int dx, int dy);
  int OriginX() const { return origin_.x; }
  int OriginY() const { return origin_.y; }

  // The picture's top-left corner at (x, y), rounded to the pixel.
  virtual void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn = {}) = 0;
  virtual void FillRect(Argb color, float x, float y, float width, float height) = 0;
  // One-pixel outline of the rectangle.
  virtual void StrokeRect(Argb color, float x, float y, float width, float height) = 0;
  // The pie sector about (cx, cy) from one angle to the other (degrees,
  // 0 to the right, clockwise), one segment per pixel of radius.
  virtual void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) = 0;
  // Pixels replaced, not blended: the box filled or not, and a border of
  // |thickness| outside it (thickness > 0) or inside it (< 0).
  virtual void Box(PixelBox box, bool filled, int thickness, Argb color) = 0;
  // UTF-8 text with the top-left of its cell at (x, y).
  virtual void Text(FontRole font, int x, int y, std::string_view utf8, Argb color) = 0;

 private:
  struct Origin {
    int x = 0, y = 0;
  };
  Origin origin_;
  std::array<Origin, 8> saved_{};
  int depth_ = 0;
};

// An instrument's drawing in its own coordinates: the canvas translated to
// the origin for the life of this object.
class AtOrigin {
 public:
  AtOrigin(Canvas& canvas, int x, int y) : canvas_(canvas) {
    canvas_.Save();
    canvas_.Translate(x, y);
  }
  ~AtOrigin() { canvas_.Restore(); }
  AtOrigin(const AtOrigin&) = delete;
  AtOrigin& operator=(const AtOrigin&) = delete;

 private:
  Canvas& canvas_;
};

constexpr Argb MakeArgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255) {
  return (Argb{alpha} << 24) | (Argb{red} << 16) | (Argb{green} << 8) | blue;
}

}  // namespace velmora
