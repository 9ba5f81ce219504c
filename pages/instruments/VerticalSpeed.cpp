// The vertical speed indicator's law and draw step.
#include "pages/instruments/VerticalSpeed.h"

#include <cmath>

#include "pages/Notation.h"

namespace velmora {

float calibration::VerticalSpeedAngle(double v) {
  const float a = static_cast<float>(4.6 * v - 89.0);
  return LimitUpperThenLower(a, kVerticalSpeedAngleMin, kVerticalSpeedAngleMax);
}

void VerticalSpeed::Draw(Canvas& canvas, const FlightData& r) const {
  using notation::IntText;
  const double v = r.VerticalSpeed;
  AtOrigin at(canvas, 555, 113);  // the dial's top-left corner
  canvas.DrawPicture(PictureNamed("Vertical_speed"), 0, 0);
  canvas.DrawPicture(PictureNamed("Vertical_speed_arrow"), 95, 34,
                     {.angle = calibration::VerticalSpeedAngle(v), .pivotX = 0.25f, .pivotY = 1});
  // A descent below 1 reads "- 12".
  const Argb ink = FontColor(FontRole::Readout);
  if (v >= -1) {
    canvas.Text(FontRole::Readout, 75, 7, IntText(v).view(), ink);
  } else {
    notation::Text t("- ");
    t.Append(IntText(std::fabs(v)).view());
    canvas.Text(FontRole::Readout, 75, 7, t.view(), ink);
  }
}

}  // namespace velmora
