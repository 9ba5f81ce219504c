// The tactical page's compass rose, turning with the heading about its
// centre, and the heading readout in its box above it.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora {

class CompassRose {
 public:
  void DrawRose(Canvas& canvas, const FlightData& r) const;
  void DrawReadout(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
