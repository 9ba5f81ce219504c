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

// The engine, fuel and lamp steps, called by DrawFlightPage at their places.
namespace engine_steps {
void TemperatureSectors(const Instruments& ins, const FlightData& rec);  // before the frame image
void SpeedReadoutsAndNeedleImages(const Instruments& ins, const FlightData& rec);
void Fuel(const Instruments& ins, const FlightData& rec);
void DialsAndNeedles(const Instruments& ins, const FlightData& rec);
void TemperatureReadouts(const Instruments& ins, const FlightData& rec);
void Lamps(const Instruments& ins, const FlightData& rec);
}  // namespace engine_steps

}  // namespace velmora
