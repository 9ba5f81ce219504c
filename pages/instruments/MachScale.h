// The Mach scale: a strip that slides behind the frame's slot, and the Mach
// readout under the airspeed dial.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// X of the Mach strip (Mach_meter): slides left as Mach grows; M 1 -> -132.425.
float MachStripX(double mach);

}  // namespace velmora::calibration

namespace velmora {

class MachScale {
 public:
  void DrawStrip(Canvas& canvas, const FlightData& r) const;  // behind the frame image
  void DrawReadout(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
