// The tactical page: a plan view around the own aircraft with a compass rose
// turning with the heading, the heading readout, range-ring figures and the
// target symbol at the target's range.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/CompassRose.h"
#include "pages/instruments/Instrument.h"
#include "pages/instruments/TargetPlot.h"

namespace velmora {

class TacticalPage {
 public:
  void Draw(Canvas& canvas, const FlightData& r);

  // The own aircraft symbol's top-left corner: the centre of the plan view.
  static constexpr int kOwnX = 379, kOwnY = 500;

  CompassRose compass;
  TargetPlot target;
};

}  // namespace velmora
