// What every instrument of the pages works with: the canvas, the pictures of
// the catalogue by name, the fonts' colours, the readout frame, and the
// limits in the instruments' own style. Each instrument draws in its own
// coordinates: it translates the canvas to its origin (its place on the
// page) and draws relative to it.
#pragma once

#include <string_view>

#include "assets/ImageCatalogue.h"
#include "canvas/Canvas.h"
#include "pages/Fonts.h"

namespace velmora {

// The catalogue row of a picture, checked when compiled.
consteval PictureId PictureNamed(std::string_view name) {
  const int index = FindImage(name);
  if (index < 0) throw "no picture of that name in assets/ImageTable.def";
  return index;
}

// The colour a font writes in unless told otherwise.
constexpr Argb FontColor(FontId role) {
  const FontSpec& f = SpecOf(role);
  return MakeArgb(f.red, f.green, f.blue, f.alpha);
}

inline constexpr Argb kBlack = MakeArgb(0, 0, 0);

// The black frame around a readout, two pixels outside the box.
inline void ReadoutBox(Canvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.Box({x1, y1, x2, y2}, false, 2, kBlack);
}

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
