// The vertical speed indicator: a needle between two stops and the climb or
// descent written above it.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

inline constexpr float kVerticalSpeedAngleMin = -175.0f;
inline constexpr float kVerticalSpeedAngleMax = -5.0f;
// Vertical speed needle angle: 4.6 v - 89, limited to -175..-5 (the needle
// rests on its stops beyond about +18.26 and -18.70).
float VerticalSpeedAngle(double v);

}  // namespace velmora::calibration

namespace velmora {

class VerticalSpeed {
 public:
  void Draw(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
