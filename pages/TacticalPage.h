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
  void CreateSprites(const SpriteFactory& make);
  void Draw(const DrawKit& kit, const FlightData& r);

  Sprite* background = nullptr;
  Sprite* frame = nullptr;
  Sprite* courseLine = nullptr;
  Sprite* ownAircraft = nullptr;
  CompassRose compass;
  TargetPlot target;
};

}  // namespace velmora
