// The angle-of-attack indicator's law and draw step.
#include "pages/instruments/AngleOfAttack.h"


namespace velmora {

float calibration::AoaAngle(double a) {
  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a;
  const float v = static_cast<float>(-10.943241 + 1.6439734 * a - 1.4096649e-5 * a2 +
                                     0.00049438464 * a3 - 1.3136679e-5 * a4);
  return LimitUpperThenLower(v, kAoaAngleMin, kAoaAngleMax);
}

void AngleOfAttack::Draw(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 160, 107);  // the dial's top-left corner
  canvas.DrawPicture(PictureNamed("AOA"), 0, 0);
  canvas.DrawPicture(PictureNamed("AOA_arrow"), 25, 108,
                     {.angle = calibration::AoaAngle(r.AngleOfAttack), .pivotX = 1, .pivotY = 1});
}

}  // namespace velmora
