// The slip indicator's laws and draw step.
#include "pages/instruments/SlipBall.h"

#include <bit>
#include <cstdint>


namespace velmora {

float calibration::BallAngle(double deflection) { return static_cast<float>(-12.0 * deflection); }

double calibration::ClampBall(double d) {
  if (d > 12.0) d = 12.0;
  if (!(d >= -12.0)) d = -12.0;
  return d;
}

void SlipBall::Draw(Canvas& canvas, const FlightData& r) {
  const double raw = r.BallDeflection;
  // Compared bit for bit, so an unchanged not-a-number counts as unchanged.
  const bool unchanged = seen_ && std::bit_cast<std::uint64_t>(*seen_) == std::bit_cast<std::uint64_t>(raw);
  const double deflection = unchanged ? resting_ : raw;
  resting_ = calibration::ClampBall(deflection);
  seen_ = raw;
  AtOrigin at(canvas, 356, 340);  // the tube's top-left corner
  canvas.DrawPicture(PictureNamed("Slide_ball"), 0, 0);
  // The ball hangs from the pendulum's pivot above the tube.
  canvas.DrawPicture(PictureNamed("Ball"), 43, -180,
                     {.angle = calibration::BallAngle(deflection), .pivotX = 0.5f, .pivotY = 0});
}

}  // namespace velmora
