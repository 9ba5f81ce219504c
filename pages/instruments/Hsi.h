// The horizontal situation indicator: the compass card, the ADF and RMI
// bearing needles, the localizer and glideslope bars, and the distance
// readout under it.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Angle of the compass card: -(360 - heading) - 30 (heading 0 -> -390).
float HsiCardAngle(double heading);

// Angle of a bearing needle (ADF or RMI) from the card's stored angle K:
// 360 - bearing + K + 30, i.e. heading - bearing up to the single rounding of K.
float BearingNeedleAngle(float cardAngle, double bearing);

// A deviation as the bars show it: -1..1 (not-a-number -> -1).
double ClampDeviation(double deviation);

// X of the localizer bar (4 x 100 px) for a limited deviation.
float LocalizerBarX(double deviation);
// Y of the glideslope bar (100 x 4 px) for a limited deviation.
float GlideslopeBarY(double deviation);

}  // namespace velmora::calibration

namespace velmora {

class Hsi {
 public:
  void DrawDeviationBars(Canvas& canvas, const FlightData& r) const;
  void DrawCard(Canvas& canvas, const FlightData& r) const;
  void DrawDistance(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
