// The altimeter: a kilometre needle and a metre needle on one dial, the
// pressure setting, the kilometre figure in its box, and above the dial the
// altitude in its box with the radar altitude below.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Kilometre needle angle for k = altitude / 1000 (k 0 -> -50.449, 1 -> -14.653).
float AltitudeKmAngle(double k);

// Metre needle angle for m, the metres within the current kilometre
// (m 0 -> -198.058, 500 -> -17.816).
float AltitudeMetreAngle(double m);

// The two needle inputs from the altitude in metres: k = alt/1000 and
// m = frac(k) * 1000 (frac keeps the sign, so m is negative below 0 m).
double AltitudeKilometres(double altitudeMetres);
double AltitudeMetresInKilometre(double altitudeMetres);

}  // namespace velmora::calibration

namespace velmora {

class Altimeter {
 public:
  void DrawReadouts(Canvas& canvas, const FlightData& r) const;
  void DrawBox(Canvas& canvas) const;
  void DrawDial(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
