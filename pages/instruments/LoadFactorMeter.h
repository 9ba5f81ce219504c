// The G meter: a pointer sliding along a fixed scale, with the load factor
// written beside the pointer as it moves.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// OffsetY of the G pointer (G_meter_arrow) for a load factor n in g:
// 1 g -> 143.377, 5 g -> 82.807, 9 g -> 19.357.
float LoadFactorPointerOffset(double n);

}  // namespace velmora::calibration

namespace velmora {

class LoadFactorMeter {
 public:
  void Draw(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
