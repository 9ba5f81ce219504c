// The angle-of-attack indicator: a needle between two stops.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

inline constexpr float kAoaAngleMin = -28.0f;
inline constexpr float kAoaAngleMax = 41.0f;
// Angle-of-attack needle angle, limited to -28..41.
float AoaAngle(double a);

}  // namespace velmora::calibration

namespace velmora {

class AngleOfAttack {
 public:
  void Draw(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
