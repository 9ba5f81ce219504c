// The airspeed indicator: the needle, the indicated airspeed in its box and
// the true airspeed below.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Airspeed needle angle (seventh-degree polynomial of the indicated airspeed):
// 0 -> 62.556, 300 -> 140.284, 600 -> 242.718, 1000 -> 330.829.
float AirspeedAngle(double s);

}  // namespace velmora::calibration

namespace velmora {

class Airspeed {
 public:
  void DrawDial(Canvas& canvas, const FlightData& r) const;
  void DrawReadouts(Canvas& canvas, const FlightData& r) const;
  void DrawBox(Canvas& canvas) const;
};

}  // namespace velmora
