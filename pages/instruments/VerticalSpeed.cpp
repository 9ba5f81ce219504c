// The vertical speed indicator's law, sprites and draw step.
#include "pages/instruments/VerticalSpeed.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

float calibration::VerticalSpeedAngle(double v) {
  const float a = static_cast<float>(4.6 * v - 89.0);
  return LimitUpperThenLower(a, kVerticalSpeedAngleMin, kVerticalSpeedAngleMax);
}

void VerticalSpeed::CreateSprites(const SpriteFactory& make) {
  dial = make({"Vertical_speed", 555, 113});
  needle = make({.picture = "Vertical_speed_arrow", .x = 650, .y = 147, .angle = -90.0f, .centerX = 0.25f,
                 .centerY = 1.0f});
}

void VerticalSpeed::Draw(const DrawKit& kit, const FlightData& r) const {
  using notation::IntText;
  const double v = r.VerticalSpeed;
  dial->Draw();
  needle->Angle = calibration::VerticalSpeedAngle(v);
  needle->Draw();
  // A descent below 1 reads "- 12".
  if (v >= -1) {
    kit.font(FontRole::Readout).TextOut(630, 120, IntText(v).view());
  } else {
    notation::Text t("- ");
    t.Append(IntText(std::fabs(v)).view());
    kit.font(FontRole::Readout).TextOut(630, 120, t.view());
  }
}

}  // namespace velmora
