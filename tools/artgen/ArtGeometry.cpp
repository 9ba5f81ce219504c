// Placement arithmetic shared by the artwork generator and its tests.
#include "tools/artgen/ArtGeometry.h"

#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/Attitude.h"
#include "pages/instruments/Engines.h"
#include "pages/instruments/Hsi.h"
#include "pages/instruments/LoadFactorMeter.h"
#include "pages/instruments/MachScale.h"

#include <cmath>
#include <numbers>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {
constexpr double kDeg = std::numbers::pi / 180.0;
// Scale and pivot values are singles in the sprite.
constexpr double S(float f) { return static_cast<double>(f); }
}  // namespace

Pt ScreenPivot(const Placement& p) { return {p.x + p.centerX * p.w, p.y + p.centerY * p.h}; }

Pt PictureToScreen(const Placement& p, Pt q, double angleDeg) {
  const double sx = p.x - 0.5 + q.x * (p.w + 0.5) / p.w;
  const double sy = p.y - 0.5 + q.y * (p.h + 0.5) / p.h;
  const Pt c = ScreenPivot(p);
  const double co = std::cos(angleDeg * kDeg), si = std::sin(angleDeg * kDeg);
  const double dx = sx - c.x, dy = sy - c.y;
  return {c.x + p.scaleX * co * dx - p.scaleY * si * dy, c.y + p.scaleX * si * dx + p.scaleY * co * dy};
}

Pt ScreenToPicture(const Placement& p, Pt s, double angleDeg) {
  const Pt c = ScreenPivot(p);
  const double co = std::cos(angleDeg * kDeg), si = std::sin(angleDeg * kDeg);
  const double a = s.x - c.x, b = s.y - c.y;
  const double dx = (co * a + si * b) / p.scaleX;
  const double dy = (-si * a + co * b) / p.scaleY;
  return {(dx + c.x - p.x + 0.5) * p.w / (p.w + 0.5), (dy + c.y - p.y + 0.5) * p.h / (p.h + 0.5)};
}

Pt PicturePivot(const Placement& p) { return ScreenToPicture(p, ScreenPivot(p)); }

Pt NeedleDirection(const Needle& n, double angleDeg) {
  const Pt c = ScreenPivot(n.place);
  const Pt t = PictureToScreen(n.place, n.tip, angleDeg);
  const double len = std::hypot(t.x - c.x, t.y - c.y);
  return {(t.x - c.x) / len, (t.y - c.y) / len};
}

double NeedleLength(const Needle& n) {
  const Pt c = ScreenPivot(n.place);
  const Pt t = PictureToScreen(n.place, n.tip, 0);
  return std::hypot(t.x - c.x, t.y - c.y);
}

Pt DialPointOnNeedle(const Placement& dial, const Needle& n, double angleDeg, double r) {
  const Pt c = ScreenPivot(n.place);
  const Pt d = NeedleDirection(n, angleDeg);
  return ScreenToPicture(dial, {c.x + r * d.x, c.y + r * d.y});
}

Needle MakeNeedle(const Placement& place, double directionDeg, double length) {
  const Pt c = ScreenPivot(place);
  const Pt tipScreen{c.x + length * std::sin(directionDeg * kDeg), c.y - length * std::cos(directionDeg * kDeg)};
  return {place, ScreenToPicture(place, tipScreen)};
}

// Rest geometry of the sprite set.
const Placement kAdiPitch{275, 16, 256, 1600};
const Placement kDrp{373, 206, 154, 3};
const Placement kDrb{402, 206, 3, 153, S(0.5f), 1};
const Placement kPlane{-44, 16, 892, 280, S(0.5f), S(0.75f), S(0.26f), S(0.26f)};
const Placement kFrame{0, 0, 1024, 665};
const Placement kSpeedDial{103, 330, 219, 213};
const Placement kVsDial{555, 113, 102, 203};
const Placement kGScale{90, 90, 64, 221};
const Placement kGPointer{93, 90, 33, 10};
const Placement kAoaDial{160, 107, 104, 220};
const Placement kAltDial{488, 335, 219, 211};
const Placement kHsiCard{318, 380, 168, 169, S(0.5f), S(0.5f)};
const Placement kAdf{396, 384, 11, 162, S(0.5f), S(0.5f)};
const Placement kRmi{395, 384, 13, 160, S(0.5f), S(0.5f)};
const Placement kSlipTube{356, 340, 94, 23};
const Placement kBall{399, 160, 9, 201, S(0.5f), 0};
const Placement kOwnSymbol{379, 500, 100, 149, 0, 0, S(0.41f), S(0.41f)};
const Placement kTacticFon{75, 71, 874, 500};
const Placement kTacticCompass{6, 145, 790, 792, S(0.5f), S(0.5f)};
const Placement kTargetSymbol{0, 0, 100, 149, 0, 0, S(0.25f), S(0.25f)};
const Placement kCourseLine{398, 141, 4, 389};
const Placement kMachStrip{0, 392, 900, 31};
const Placement kHsiFon{350, 415, 102, 102};
const Placement kEngineDial{730, 155, 198, 278};
const Placement kEngineDial2{740, 155, 177, 283};
const Placement kPpi{745, 415, 200, 171, 0, 0, S(0.9f), S(0.9f)};

// Each needle is drawn so that the law's rest figure reads straight up where
// real instruments have it: airspeed 0 and both altimeter needles at 0 m.
const Needle kSpeedNeedle =
    MakeNeedle({127, 394, 83, 44, 1, 1}, -cal::AirspeedAngle(0), 92);
const Needle kVsNeedle = MakeNeedle({650, 147, 23, 80, S(0.25f), 1}, 0, 77);
// Along its picture's diagonal: the long needle reaches the dial far to the left.
const Needle kAoaNeedle =
    MakeNeedle({185, 215, 176, 48, 1, 1}, -(90.0 - std::atan2(48.0, 176.0) / kDeg), 180);
const Needle kAltKmNeedle =
    MakeNeedle({592, 402, 54, 45, S(0.1f), S(0.9f)}, -cal::AltitudeKmAngle(0), 62.5);
const Needle kAltMetreNeedle =
    MakeNeedle({568, 436, 35, 93, S(0.82f), S(0.05f)}, -cal::AltitudeMetreAngle(0), 91);
const Needle kLeftEngineNeedle =
    MakeNeedle({502, 180, 252, 16, 0, S(0.5f), S(1.2f), S(1.2f)}, 90, kEngineTipRadius);
const Needle kRightEngineNeedle =
    MakeNeedle({905, 180, 252, 16, 1, S(0.5f), S(1.2f), S(1.2f)}, -90, kEngineTipRadius);

double PitchTapeRow(double pitch) {
  Placement tape = kAdiPitch;
  tape.y += cal::PitchTapeOffset(pitch);
  return ScreenToPicture(tape, {kAdiCenterX, kAdiCenterY}).y;
}

double MachStripColumn(double mach) {
  Placement strip = kMachStrip;
  strip.x = cal::MachStripX(mach);
  return ScreenToPicture(strip, {kMachIndexX, 400}).x;
}

double GScaleRow(double n) {
  Placement ptr = kGPointer;
  ptr.y += cal::LoadFactorPointerOffset(n);
  const Pt tip = PictureToScreen(ptr, kGPointerTip);
  return ScreenToPicture(kGScale, tip).y;
}

double GPointerTipScreenX() { return PictureToScreen(kGPointer, kGPointerTip).x; }

double HsiCardMarkAngle(double displayedHeading) {
  // The record's heading counts the other way round: the pilot reads
  // 360 - Heading. The card turned by its law must bring the mark to the top.
  return -static_cast<double>(cal::HsiCardAngle(360.0 - displayedHeading));
}

Pt SectorPoint(bool left, double angleDeg, double r) {
  const double cx = left ? cal::kLeftSectorCenterX : cal::kRightSectorCenterX;
  const double cy = left ? cal::kLeftSectorCenterY : cal::kRightSectorCenterY;
  return {cx + r * std::cos(angleDeg * kDeg), cy + r * std::sin(angleDeg * kDeg)};
}

}  // namespace velmora::art
