// Where the instrument pictures land on the 1024 x 650 back buffer, and where
// each scale mark must be drawn so that the needle (or strip) moved by its
// calibration law stands on it.
//
// A picture is drawn as a quad whose left and top edges sit half a pixel
// further out than the right and bottom ones: picture point (u, v) of a W x H
// tile drawn at (x, y) lands at (x - 0.5 + u (W + 0.5) / W, y - 0.5 + v (H + 0.5) / H)
// before the rotation and scale about the pivot (x + CenterX W, y + CenterY H).
// Everything here follows that rule, so marks are true to the sub-pixel.
#pragma once

namespace velmora::art {

struct Pt {
  double x, y;
};

// One sprite's rest geometry: position, tile size, pivot fractions and scale.
struct Placement {
  double x, y;
  int w, h;
  double centerX = 0, centerY = 0;
  double scaleX = 1, scaleY = 1;
};

// Picture point -> screen point for the sprite turned by angleDeg (clockwise).
Pt PictureToScreen(const Placement& p, Pt picture, double angleDeg = 0);
// Screen point -> picture point (inverse of the above).
Pt ScreenToPicture(const Placement& p, Pt screen, double angleDeg = 0);
// The pivot on the screen and in picture coordinates.
Pt ScreenPivot(const Placement& p);
Pt PicturePivot(const Placement& p);

// A needle: its sprite and the tip in its own picture. On screen the needle
// runs from the pivot to the tip; the law's angle turns it.
struct Needle {
  Placement place;
  Pt tip;  // picture coordinates
};

// Screen direction (unit vector) of the needle turned by angleDeg.
Pt NeedleDirection(const Needle& n, double angleDeg);
// Screen distance from pivot to tip (scale included).
double NeedleLength(const Needle& n);
// Point on the needle's ray at screen radius r from the pivot, expressed in
// the dial picture's coordinates.
Pt DialPointOnNeedle(const Placement& dial, const Needle& n, double angleDeg, double r);

// Builds a needle whose tip lies at screen distance `length` from the pivot
// in the picture direction that, unturned, points at `directionDeg` clockwise
// from straight up on the screen.
Needle MakeNeedle(const Placement& place, double directionDeg, double length);

// ---- The sprite set's rest geometry -----------------------------------------
extern const Placement kAdiPitch, kDrp, kDrb, kPlane, kFrame, kSpeedDial, kVsDial, kGScale,
    kGPointer, kAoaDial, kAltDial, kHsiCard, kAdf, kRmi, kSlipTube, kBall, kOwnSymbol,
    kTacticFon, kTacticCompass, kTargetSymbol, kCourseLine, kMachStrip, kHsiFon, kEngineDial,
    kEngineDial2, kPpi;

// Needles as artgen draws them.
extern const Needle kSpeedNeedle, kVsNeedle, kAoaNeedle, kAltKmNeedle, kAltMetreNeedle,
    kLeftEngineNeedle, kRightEngineNeedle;

// ---- Strips ---------------------------------------------------------------------
// Attitude window centre (the aircraft symbol's pivot) and radius.
inline constexpr double kAdiCenterX = 402, kAdiCenterY = 226, kAdiWindowRadius = 108;
// The bank-director bar hangs from a pivot below the attitude window and is
// drawn over the frame: it is painted only from this screen distance from its
// pivot on, so at every bank command (up to 30 degrees either way) it stays
// inside the window.
inline constexpr double kDirectorBankBarPaintFrom = 35;
// Picture row of the pitch tape that stands at the window centre for pitch p.
double PitchTapeRow(double pitch);
// Mach window on the screen and the index column inside it.
inline constexpr double kMachWindowLeft = 168, kMachWindowRight = 252;
inline constexpr double kMachWindowTop = 396, kMachWindowBottom = 419;
inline constexpr double kMachIndexX = 210;
// Picture column of the Mach strip that stands at the index for Mach m.
double MachStripColumn(double mach);
// G pointer: the tip in its picture, and the G scale's picture row for n.
inline constexpr Pt kGPointerTip{32.0, 5.0};
// The pointer is only its arrowhead, from this picture column on: the G
// readout rides just above and left of it.
inline constexpr double kGPointerHeadFrom = 18.0;
double GScaleRow(double n);
// Screen x of the G pointer's tip.
double GPointerTipScreenX();

// ---- HSI ------------------------------------------------------------------------
inline constexpr double kHsiCenterX = 402, kHsiCenterY = 464.5;
// The card and bearing needles stay transparent inside this radius so the
// deviation bars beneath show at every turn.
inline constexpr double kHsiClearRadius = 74;
inline constexpr double kHsiCardOuterRadius = 84;
// Angle (clockwise from the picture's top) of the card mark for heading psi as
// the pilot reads it (the value under the lubber line).
double HsiCardMarkAngle(double displayedHeading);

// ---- Ball -----------------------------------------------------------------------
inline constexpr Pt kBallCentre{4.5, 191.5};  // in the Ball picture
inline constexpr double kBallRadius = 4.3;

// ---- Engines --------------------------------------------------------------------
inline constexpr double kEngineTipRadius = 300;        // screen px from the pivot
// Transparent nearer the pivot: the shafts would cross the attitude indicator,
// and the temperature readout boxes reach out to 277 px from either pivot.
inline constexpr double kEngineNeedlePaintFrom = 282;
inline constexpr double kSlitInner = 289, kSlitOuter = 297;
inline constexpr double kLeftSlitFrom = 0, kLeftSlitTo = 47.06;
inline constexpr double kRightSlitFrom = 135.13, kRightSlitTo = 180;
// Marks: ranges each scale carries.
struct Range {
  double from, to, minorStep, majorStep;
};
inline constexpr Range kRpmLow{0, 105, 5, 20}, kRpmHigh{65, 106, 1, 5};
inline constexpr Range kTempLow{0, 1000, 50, 200}, kTempHigh{400, 1000, 50, 200};
Pt SectorPoint(bool left, double angleDeg, double r);  // screen point around a sector centre

// ---- Scale ranges of the round dials -------------------------------------------
inline constexpr Range kSpeedRange{0, 1400, 20, 100};
inline constexpr Range kVsRange{-18, 18, 1, 5};
inline constexpr Range kAoaRange{-10, 30, 1, 5};
inline constexpr Range kGRange{-2, 10, 0.5, 1};
inline constexpr Range kMachRange{0, 2.8, 0.05, 0.1};
inline constexpr Range kPitchRange{-90, 90, 5, 10};

// Mark rings (screen radius from the needle's pivot): a mark for v spans
// [inner, outer]; labels sit at `label`.
struct Ring {
  double inner, outer, label;
};
inline constexpr Ring kSpeedRing{88, 98, 73};
inline constexpr Ring kVsRing{72, 82, 60};
inline constexpr Ring kAoaRing{176, 187, 198};
inline constexpr Ring kAltMetreRing{87, 98, 77};
inline constexpr Ring kAltKmRing{63, 71, 0};
inline constexpr Ring kEngineRing{296, 309, 0};

// ---- PPI lamps (screen rectangles of the lamps the page lights) -----------------
struct Rect {
  double x0, y0, x1, y1;
};
inline constexpr Rect kLamps[6] = {{749, 499, 785, 512}, {884, 499, 920, 512},
                                   {826, 415, 845, 430}, {829, 515, 840, 535},
                                   {799, 548, 810, 568}, {860, 548, 871, 568}};

// ---- Tactical page ---------------------------------------------------------------
inline constexpr double kRangeCentreX = 400.5, kRangeCentreY = 538;
inline constexpr double kRangeRing1 = 170, kRangeRing2 = 340;
inline constexpr Rect kTacticWindow{79, 110, 945, 569};

}  // namespace velmora::art
