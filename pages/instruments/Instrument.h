// What every instrument of the pages works with: the fonts by what they
// write (pages/FontRoles.h), the drawing tools, how a sprite is hung at its
// rest place, and the limits in the instruments' own style.
#pragma once

#include <array>
#include <string_view>

#include "pages/FontRoles.h"

namespace velmora {

class Font;
class PictureCollection;
class Primitives;
class Screen;
class Sprite;
class SpriteSet;

// The tools a draw step uses besides its own sprites.
struct DrawKit {
  Screen* screen = nullptr;
  Primitives* primitives = nullptr;
  std::array<Font*, kFontCount> fonts{};
  Font& font(FontRole role) const { return *fonts[static_cast<std::size_t>(role)]; }
};

// A sprite's picture and rest geometry; what is not given keeps the
// sprite's default.
struct SpritePlace {
  std::string_view picture;
  float x = 0, y = 0;
  float angle = 0;
  float scaleX = 1, scaleY = 1;
  float centerX = 0, centerY = 0;
};

// Creates sprites at their rest places (Z 1) in one set, with pictures from
// the catalogue. A name missing from it leaves the sprite without a picture,
// which draws nothing.
class SpriteFactory {
 public:
  SpriteFactory(SpriteSet& set, const PictureCollection& pictures) : set_(set), pictures_(pictures) {}
  Sprite* operator()(const SpritePlace& place) const;
  const PictureCollection& Pictures() const { return pictures_; }

 private:
  SpriteSet& set_;
  const PictureCollection& pictures_;
};

// The black frame around a readout.
void ReadoutBox(const DrawKit& kit, int x1, int y1, int x2, int y2);

namespace calibration {

// Limits in the instruments' own style: upper test "> max", lower test
// "not >= min" (so a value that is not a number takes the lower limit), in
// the order the needle logic applies them.
inline float LimitUpperThenLower(float v, float lo, float hi) {
  if (v > hi) v = hi;
  if (!(v >= lo)) v = lo;
  return v;
}

inline float LimitLowerThenUpper(float v, float lo, float hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return v;
}

}  // namespace calibration

}  // namespace velmora
