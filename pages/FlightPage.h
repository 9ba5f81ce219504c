// The flight page: attitude indicator, Mach strip, G meter, vertical speed,
// airspeed, angle of attack, altimeter, HSI, ball, distance, and the engine,
// fuel and lamp indications, drawn back to front from the record on every
// frame. The page writes three limits back into the record (both deviations
// and the ball deflection).
#pragma once

#include "link/FlightData.h"
#include "pages/Instruments.h"

namespace velmora {

void DrawFlightPage(const Instruments& ins, FlightData& rec);

}  // namespace velmora
