// The lamp panel: three groups of green lamps, each lit at exactly one
// state of its message and dark at any other.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora {

class LampPanel {
 public:
  void Draw(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
