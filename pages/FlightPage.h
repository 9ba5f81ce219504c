// The flight page: attitude indicator, Mach scale, G meter, vertical speed,
// airspeed, angle of attack, altimeter, HSI, slip ball, and the engine, fuel
// and lamp indications, drawn back to front from the record on every frame.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/AngleOfAttack.h"
#include "pages/instruments/Attitude.h"
#include "pages/instruments/Engines.h"
#include "pages/instruments/Fuel.h"
#include "pages/instruments/Hsi.h"
#include "pages/instruments/Instrument.h"
#include "pages/instruments/LampPanel.h"
#include "pages/instruments/LoadFactorMeter.h"
#include "pages/instruments/MachScale.h"
#include "pages/instruments/SlipBall.h"
#include "pages/instruments/VerticalSpeed.h"

namespace velmora {

class FlightPage {
 public:
  void Draw(Canvas& canvas, const FlightData& r);

  Attitude attitude;
  MachScale mach;
  LoadFactorMeter loadFactor;
  VerticalSpeed verticalSpeed;
  Airspeed airspeed;
  AngleOfAttack angleOfAttack;
  Altimeter altimeter;
  Hsi hsi;
  SlipBall ball;
  Engines engines;
  Fuel fuel;
  LampPanel lamps;
};

}  // namespace velmora
