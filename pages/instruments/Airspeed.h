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
  void CreateSprites(const SpriteFactory& make);
  void DrawDial(const FlightData& r) const;
  void DrawReadouts(const DrawKit& kit, const FlightData& r) const;
  void DrawBox(const DrawKit& kit) const;

  Sprite* dial = nullptr;
  Sprite* needle = nullptr;
};

}  // namespace velmora
