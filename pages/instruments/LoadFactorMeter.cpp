// The G meter's law, sprites and draw step.
#include "pages/instruments/LoadFactorMeter.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/Font.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

float calibration::LoadFactorPointerOffset(double n) {
  return static_cast<float>(159.00291 - 15.960681 * n + 0.39736305 * n * n -
                            0.065543253 * n * n * n + 0.0029865967 * n * n * n * n);
}

void LoadFactorMeter::CreateSprites(const SpriteFactory& make) {
  scale = make({"G_meter", 90, 90});
  pointer = make({"G_meter_arrow", 93, 90});
}

void LoadFactorMeter::Draw(const DrawKit& kit, const FlightData& r) const {
  using notation::IntText;
  const double n = r.LoadFactor;
  scale->Draw();
  pointer->OffsetY = calibration::LoadFactorPointerOffset(n);
  pointer->Draw();

  // The readout rides with the pointer: the integer part and a "." beside
  // it, the tenths digit a little lower in the second font.
  kit.font(FontRole::SmallReadout).SetColor(MakeColor(50, 60, 50, 255));
  const double y0 = notation::RoundHalfEven(pointer->OffsetY);
  // Far beyond any real G load the position no longer fits the screen's
  // integer coordinates: leave the readout out rather than fail the frame.
  if (!(y0 + 77 <= std::numeric_limits<std::int32_t>::max() && y0 + 71 >= std::numeric_limits<std::int32_t>::min()))
    return;
  const int y = static_cast<int>(y0);
  notation::Text whole = IntText(n);
  whole.Append(".");
  kit.font(FontRole::LoadFactor).TextOut(83, y + 71, whole.view());
  // Single precision decides the digit: 2.3 g must read 2. and 3.
  const float f = notation::F32(n - std::trunc(n));
  const float t = notation::F32(static_cast<double>(f) * 10.0);
  kit.font(FontRole::SmallReadout).TextOut(103, y + 77, IntText(std::trunc(t)).view());
}

}  // namespace velmora
