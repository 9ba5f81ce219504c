// The slip indicator: a ball in a curved tube. A new deflection beyond the
// tube's ends swings the ball out in full for one frame; after that the ball
// rests at the end of the tube until the deflection changes.
#pragma once

#include <optional>

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Angle of the ball pendulum: -12 x deflection.
float BallAngle(double deflection);
// The deflection the ball rests at: -12..12 (not-a-number -> -12).
double ClampBall(double deflection);

}  // namespace velmora::calibration

namespace velmora {

class SlipBall {
 public:
  void Draw(Canvas& canvas, const FlightData& r);

 private:
  std::optional<double> seen_;  // the record's deflection on the last frame
  double resting_ = 0;          // where the ball came to rest on it
};

}  // namespace velmora
