// The tactical page: a plan view around the own aircraft with a compass rose
// turning with the heading, the heading readout, range-ring labels and the
// target symbol at the target's range.
#pragma once

#include "link/FlightData.h"
#include "pages/Instruments.h"

namespace velmora {

void DrawTacticalPage(const Instruments& ins, FlightData& rec);

}  // namespace velmora
