// The fuel readout: both tanks together in kilograms, red when low.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Below this sum of both tanks the readout turns red.
inline constexpr float kLowFuelKg = 800;

}  // namespace velmora::calibration

namespace velmora {

class Fuel {
 public:
  void Draw(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
