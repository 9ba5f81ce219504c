// The target on the tactical page: range-ring figures for the scale in use
// and the target symbol at its range and bearing from the own aircraft.
// The distance in pixels from the own aircraft is kept from the last frame
// that showed a target.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Whether the record holds a target: exactly -1 means none, and a value that
// is not a number counts the same.
bool HasTarget(double range);
// Pixels from the own aircraft to a target at range metres: 29 m per pixel
// up to 10 km (rings at 5 and 10 km), 60 m per pixel from there (10 and 20 km).
double TargetOffset(double range);

}  // namespace velmora::calibration

namespace velmora {

class TargetPlot {
 public:
  // Draws the figures and the target, placed from the own aircraft symbol
  // at (ownX, ownY); false when there is no target (nothing drawn).
  bool Draw(Canvas& canvas, const FlightData& r, int ownX, int ownY);

  double Offset() const { return offset_; }

 private:
  double offset_ = 0;
};

}  // namespace velmora
