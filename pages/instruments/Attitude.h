// The attitude indicator: the pitch tape seen through the frame's window,
// the pitch- and bank-director bars, the bank scale's figures and the
// aircraft symbol, which banks against a tape that never rotates.
#pragma once

#include "link/FlightData.h"
#include "pages/instruments/Instrument.h"

namespace velmora::calibration {

// OffsetY of the pitch tape (ADI_pitch) for pitch p in degrees. More nose-up
// pulls the tape down (offset grows): 0 deg -> -593.193.
float PitchTapeOffset(double pitch);

// Limits of the pitch-director bar's OffsetY.
inline constexpr float kDirectorPitchBarMin = -48.0f;
inline constexpr float kDirectorPitchBarMax = 88.0f;
// OffsetY of the pitch-director bar (DRP): (pitch - directorPitch) * 6.05 +
// 21.333333, limited to -48..88 on the stored single.
float DirectorPitchBarOffset(double pitch, double directorPitch);

inline constexpr float kDirectorBankBarLimit = 30.0f;
// Angle of the bank-director bar (DRB): directorBank - bank, limited to +-30.
float DirectorBankBarAngle(double directorBank, double bank);

// Angle of the aircraft symbol: the bank itself.
float AircraftSymbolAngle(double bank);

}  // namespace velmora::calibration

namespace velmora {

class Attitude {
 public:
  // Behind the frame image, only its window shows them.
  void DrawPitchTape(Canvas& canvas, const FlightData& r) const;
  void DrawPitchBar(Canvas& canvas, const FlightData& r) const;
  // Over the frame image.
  void DrawBankLabels(Canvas& canvas) const;
  void DrawBankBarAndSymbol(Canvas& canvas, const FlightData& r) const;
};

}  // namespace velmora
