// The angle-of-attack indicator's law, sprites and draw step.
#include "pages/instruments/AngleOfAttack.h"

#include "engine/Sprite.h"

namespace velmora {

float calibration::AoaAngle(double a) {
  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a;
  const float v = static_cast<float>(-10.943241 + 1.6439734 * a - 1.4096649e-5 * a2 +
                                     0.00049438464 * a3 - 1.3136679e-5 * a4);
  return LimitUpperThenLower(v, kAoaAngleMin, kAoaAngleMax);
}

void AngleOfAttack::CreateSprites(const SpriteFactory& make) {
  dial = make({"AOA", 160, 107});
  needle = make({.picture = "AOA_arrow", .x = 185, .y = 215, .centerX = 1.0f, .centerY = 1.0f});
}

void AngleOfAttack::Draw(const FlightData& r) const {
  dial->Draw();
  needle->Angle = calibration::AoaAngle(r.AngleOfAttack);
  needle->Draw();
}

}  // namespace velmora
