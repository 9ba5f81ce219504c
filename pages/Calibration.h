// Calibration laws of the MFD: how each record value moves its instrument's
// artwork (a needle angle in degrees, clockwise on screen, or a strip offset in
// back-buffer pixels), with the instrument's limits.
//
// Pure functions, no I/O. The flight and tactical pages call them to move the
// sprites; tools/artgen calls the same functions to place every scale mark, so
// a needle always points at the right figure.
//
// A law whose result ends in a sprite property returns float: the sprite keeps
// a single, and its limits act on that stored single. Every lower limit is
// written as "not >= lower", so a value that is not a number takes the lower
// limit (a lost value parks the needle on its stop instead of vanishing).
#pragma once

namespace velmora::calibration {

// --- Frame cycle -------------------------------------------------------------

// Window outer height for an outer width: width / 1.6, rounded half to even
// (1024 -> 640, 1012 -> 632). The window keeps the display's 1.6 aspect.
int WindowHeight(int width);

// Whole-window opacity (0..255) from the G load: the grey-out effect. Fully
// opaque up to 6 g, then 35 per g less, evaluated in single precision and
// rounded half to even; 0 from 93/7 g on. Not-a-number counts as "not above 6".
int WindowOpacity(double g);

// --- Attitude indicator ------------------------------------------------------

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

// Angle of the aircraft symbol: the bank itself (the tape never rotates).
float AircraftSymbolAngle(double bank);

// --- Mach scale, G meter -----------------------------------------------------

// X of the Mach strip (Mach_meter): slides left as Mach grows; M 1 -> -132.425.
float MachStripX(double mach);

// OffsetY of the G pointer (G_meter_arrow) for a load factor n in g:
// 1 g -> 143.377, 5 g -> 82.807, 9 g -> 19.357.
float LoadFactorPointerOffset(double n);

// --- Round dials -------------------------------------------------------------

inline constexpr float kVerticalSpeedAngleMin = -175.0f;
inline constexpr float kVerticalSpeedAngleMax = -5.0f;
// Vertical speed needle angle: 4.6 v - 89, limited to -175..-5 (the needle
// rests on its stops beyond about +18.26 and -18.70).
float VerticalSpeedAngle(double v);

// Airspeed needle angle (seventh-degree polynomial of the indicated airspeed):
// 0 -> 62.556, 300 -> 140.284, 600 -> 242.718, 1000 -> 330.829.
float AirspeedAngle(double s);

inline constexpr float kAoaAngleMin = -28.0f;
inline constexpr float kAoaAngleMax = 41.0f;
// Angle-of-attack needle angle, limited to -28..41.
float AoaAngle(double a);

// Kilometre needle angle for k = altitude / 1000 (k 0 -> -50.449, 1 -> -14.653).
float AltitudeKmAngle(double k);

// Metre needle angle for m, the metres within the current kilometre
// (m 0 -> -198.058, 500 -> -17.816).
float AltitudeMetreAngle(double m);

// The altimeter's two needle inputs from the altitude in metres: k = alt/1000
// and m = frac(k) * 1000 (frac keeps the sign, so m is negative below 0 m).
double AltitudeKilometres(double altitudeMetres);
double AltitudeMetresInKilometre(double altitudeMetres);

// --- Horizontal situation indicator ------------------------------------------

// Angle of the compass card: -(360 - heading) - 30 (heading 0 -> -390).
float HsiCardAngle(double heading);

// Angle of a bearing needle (ADF or RMI) from the card's stored angle K:
// 360 - bearing + K + 30, i.e. heading - bearing up to the single rounding of K.
float BearingNeedleAngle(float cardAngle, double bearing);

// Deviations are limited in the record to -1..1 (not-a-number -> -1).
double ClampDeviation(double deviation);

// X of the localizer bar (4 x 100 px) for a limited deviation.
float LocalizerBarX(double deviation);
// Y of the glideslope bar (100 x 4 px) for a limited deviation.
float GlideslopeBarY(double deviation);

// --- Ball indicator ----------------------------------------------------------

// Angle of the ball pendulum: -12 x deflection, taken before the limit.
float BallAngle(double deflection);
// The record's ball deflection is limited to -12..12 (not-a-number -> -12).
double ClampBall(double deflection);

// --- Engines -----------------------------------------------------------------

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
