// The aircraft's engine, fuel and lamp indications on the flight page: the
// temperature sectors, engine speed readouts and needles (red in
// afterburner), fuel quantity, temperature readouts and the lamp panel. The
// flight page calls each at its place in the back-to-front order.
#pragma once

#include "link/FlightData.h"
#include "pages/Instruments.h"

namespace velmora::engine_gauges {

void TemperatureSectors(const Instruments& ins, const FlightData& rec);  // before the frame image
void SpeedReadoutsAndNeedleImages(const Instruments& ins, const FlightData& rec);
void Fuel(const Instruments& ins, const FlightData& rec);
void DialsAndNeedles(const Instruments& ins, const FlightData& rec);
void TemperatureReadouts(const Instruments& ins, const FlightData& rec);
void Lamps(const Instruments& ins, const FlightData& rec);

}  // namespace velmora::engine_gauges
