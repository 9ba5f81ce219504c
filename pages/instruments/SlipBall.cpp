// The slip indicator's laws, sprites and draw step.
#include "pages/instruments/SlipBall.h"

#include <bit>
#include <cstdint>

#include "engine/Sprite.h"

namespace velmora {

float calibration::BallAngle(double deflection) { return static_cast<float>(-12.0 * deflection); }

double calibration::ClampBall(double d) {
  if (d > 12.0) d = 12.0;
  if (!(d >= -12.0)) d = -12.0;
  return d;
}

void SlipBall::CreateSprites(const SpriteFactory& make) {
  tube = make({"Slide_ball", 356, 340});
  ball = make({.picture = "Ball", .x = 399, .y = 160, .centerX = 0.5f, .centerY = 0.0f});
}

void SlipBall::Draw(const FlightData& r) {
  const double raw = r.BallDeflection;
  // Compared bit for bit, so an unchanged not-a-number counts as unchanged.
  const bool unchanged = seen_ && std::bit_cast<std::uint64_t>(*seen_) == std::bit_cast<std::uint64_t>(raw);
  const double deflection = unchanged ? resting_ : raw;
  tube->Draw();
  ball->Angle = calibration::BallAngle(deflection);
  resting_ = calibration::ClampBall(deflection);
  seen_ = raw;
  ball->Draw();
}

}  // namespace velmora
