// The G meter's law and draw step.
#include "pages/instruments/LoadFactorMeter.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "pages/Notation.h"

namespace velmora {

float calibration::LoadFactorPointerOffset(double n) {
  return static_cast<float>(159.00291 - 15.960681 * n + 0.39736305 * n * n -
                            0.065543253 * n * n * n + 0.0029865967 * n * n * n * n);
}

void LoadFactorMeter::Draw(Canvas& canvas, const FlightData& r) const {
  using notation::IntText;
  const double n = r.LoadFactor;
  AtOrigin at(canvas, 90, 90);  // the scale's top-left corner
  canvas.DrawPicture(PictureNamed("G_meter"), 0, 0);
  const float offset = calibration::LoadFactorPointerOffset(n);
  {
    AtOrigin pointer(canvas, 3, 0);  // the pointer's place at offset 0
    canvas.DrawPicture(PictureNamed("G_meter_arrow"), 0, offset);
  }

  // The readout rides with the pointer: the integer part and a "." beside
  // it, the tenths digit a little lower in the second font.
  const double y0 = notation::RoundHalfEven(offset);
  // Far beyond any real G load the position no longer fits the screen's
  // integer coordinates: leave the readout out rather than fail the frame.
  if (!(y0 + 77 <= std::numeric_limits<std::int32_t>::max() && y0 - 19 >= std::numeric_limits<std::int32_t>::min()))
    return;
  const int y = static_cast<int>(y0);
  notation::Text whole = IntText(n);
  whole.Append(".");
  canvas.Text(FontRole::LoadFactor, -7, y - 19, whole.view(), FontColor(FontRole::LoadFactor));
  // Single precision decides the digit: 2.3 g must read 2. and 3.
  const float f = notation::F32(n - std::trunc(n));
  const float t = notation::F32(static_cast<double>(f) * 10.0);
  canvas.Text(FontRole::SmallReadout, 13, y - 13, IntText(std::trunc(t)).view(), FontColor(FontRole::SmallReadout));
}

}  // namespace velmora
