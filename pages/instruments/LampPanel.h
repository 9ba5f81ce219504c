// The lamp panel: three groups of green lamps, each lit at exactly one
// state of its message and dark at any other.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora {

class LampPanel {
 public:
  void CreateSprites(const SpriteFactory& make);
  void Draw(const DrawKit& kit, const FlightData& r) const;

  Sprite* panel = nullptr;
};

}  // namespace velmora
