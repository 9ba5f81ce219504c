// The two engines: speed needles on a shared dial and speed readouts, and
// temperature sectors seen through slits in the frame with readouts below.
// With both engines at 65 % or more the high-regime dial and laws apply,
// otherwise the low-regime ones. Above 100 % an engine's needle and sector
// turn red and its speed readout becomes "Ф" (afterburner).
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// Engine speed at which the high regime starts: both engines at 65 % or more.
inline constexpr double kHighRegimeRpm = 65.0;
bool EngineHighRegime(double leftRpm, double rightRpm);

// Left engine needle angle in the high regime (linear law); right = negative.
float EngineNeedleAngleHigh(double rpm);
// Left engine needle angle in the low regime: quintic P with a branch at 60 %
// (r > 60 uses the upper polynomial). Right = negative.
float EngineNeedleAngleLow(double rpm);
// Left/right needle angle for the regime in force.
float LeftEngineNeedleAngle(double rpm, bool highRegime);
float RightEngineNeedleAngle(double rpm, bool highRegime);

// Start angles of the temperature sectors. The left sector runs from its start
// to 60 deg around (550, 188), the right from its start to 135 deg around
// (1120, 188), both radius 300; the frame's slits show the part near their
// lower ends. Low regime switches law at 600 (each engine on its own).
float TemperatureSectorStartLeft(double temperature, bool highRegime);
float TemperatureSectorStartRight(double temperature, bool highRegime);

// Fixed geometry of the temperature sectors.
inline constexpr float kLeftSectorCenterX = 550.0f;
inline constexpr float kLeftSectorCenterY = 188.0f;
inline constexpr float kLeftSectorEnd = 60.0f;
inline constexpr float kRightSectorCenterX = 1120.0f;
inline constexpr float kRightSectorCenterY = 188.0f;
inline constexpr float kRightSectorEnd = 135.0f;
inline constexpr float kSectorRadius = 300.0f;

}  // namespace velmora::calibration

namespace velmora {

class Engines {
 public:
  void DrawTemperatureSectors(Canvas& canvas, const FlightData& r) const;  // behind the frame image
  void DrawSpeedReadouts(Canvas& canvas, const FlightData& r) const;       // and the needles' colour
  void DrawDialAndNeedles(Canvas& canvas, const FlightData& r) const;
  void DrawTemperatureReadouts(Canvas& canvas, const FlightData& r) const;

};

}  // namespace velmora
