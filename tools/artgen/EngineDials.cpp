// The engine dials (low and high rpm ranges) and the four engine needles.
#include "tools/artgen/Pictures.h"

#include "pages/instruments/Engines.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <cmath>
#include <utility>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {

// Engine dial: the rpm arcs of both needles and the temperature scales beside
// the frame's slits; transparent everywhere else (the frame's bezel, the
// readouts and the fuel texts show through).
Picture EngineDial(bool high) {
  const Placement& d = high ? kEngineDial2 : kEngineDial;
  Canvas c(d.w, d.h, true);
  cairo_t* cr = c.cr;
  const Range rpm = high ? kRpmHigh : kRpmLow;
  for (bool left : {true, false}) {
    const Needle& n = left ? kLeftEngineNeedle : kRightEngineNeedle;
    auto angle = [&](double r) {
      return left ? cal::LeftEngineNeedleAngle(r, high) : cal::RightEngineNeedleAngle(r, high);
    };
    const Pt pv = ScreenPivot(n.place);
    auto dir = [&](double r) {
      const Pt u = NeedleDirection(n, angle(r));
      return std::atan2(u.y, u.x) / kDeg;
    };
    double a0 = dir(rpm.from), a1 = dir(rpm.to);
    if (a0 > a1) std::swap(a0, a1);
    if (!left) {  // the right needle's directions wrap round 180
      a0 = dir(rpm.from) < 0 ? dir(rpm.from) + 360 : dir(rpm.from);
      a1 = dir(rpm.to) < 0 ? dir(rpm.to) + 360 : dir(rpm.to);
      if (a0 > a1) std::swap(a0, a1);
    }
    PanelBand(cr, d, pv, kEngineRing.inner - 2, kEngineRing.outer + 1, a0 - 1.0, a1 + 1.0);
    ForMarks(rpm, [&](double r, bool major) {
      Set(cr, r > 100 ? kRed : kMark);
      NeedleMark(cr, d, n, angle(r), kEngineRing.inner, major ? kEngineRing.outer : kEngineRing.inner + 7,
                 major ? 2.2 : 1.2);
    });
    // Figures inside the arc, towards the needle's own side.
    Font(cr, 10);
    Set(cr, kInk);
    const int labels[] = {0, 20, 40, 60, 80, 100};
    const int labelsHigh[] = {70, 80, 90, 100};
    auto put = [&](int r) {
      const Pt p = DialPointOnNeedle(d, n, angle(r), kEngineRing.inner - 10);
      if (p.x > 6 && p.x < d.w - 6 && p.y > 6 && p.y < d.h - 6) TextCentred(cr, Num(r), p.x, p.y);
    };
    if (high) for (int r : labelsHigh) put(r);
    else for (int r : labels) put(r);
  }
  // Temperature scales beside each slit; the slits themselves stay clear.
  for (bool left : {true, false}) {
    const Range t = high ? kTempHigh : kTempLow;
    const double s0 = left ? kLeftSlitFrom : kRightSlitFrom, s1 = left ? kLeftSlitTo : kRightSlitTo;
    ForMarks(t, [&](double temp, bool major) {
      const double a = left ? cal::TemperatureSectorStartLeft(temp, high) : cal::TemperatureSectorStartRight(temp, high);
      if (a < s0 - 0.01 || a > s1 + 0.01) return;
      Set(cr, kAmber);
      // Inside the slit (towards the sector centre): outside, the left
      // slit's figures would run into the fuel readout.
      const double r0 = kSlitInner - 4.5, r1 = r0 - (major ? 8 : 4);
      Line(cr, ScreenToPicture(d, SectorPoint(left, a, r0)), ScreenToPicture(d, SectorPoint(left, a, r1)),
           major ? 2 : 1.2);
    });
  }
  // Keep the slits clear whatever was drawn near them.
  for (bool left : {true, false}) {
    const Pt centre = left ? Pt{cal::kLeftSectorCenterX, cal::kLeftSectorCenterY}
                           : Pt{cal::kRightSectorCenterX, cal::kRightSectorCenterY};
    Clear(cr, [&] {
      BandPath(cr, d, centre, kSlitInner - 1, kSlitOuter + 1, (left ? kLeftSlitFrom : kRightSlitFrom) - 0.3,
               (left ? kLeftSlitTo : kRightSlitTo) + 0.3);
    });
  }
  return c.Take(true);
}

Picture EngineArrow(bool left, bool red) {
  const Placement& p = left ? kLeftEngineNeedle.place : kRightEngineNeedle.place;
  const Needle& n = left ? kLeftEngineNeedle : kRightEngineNeedle;
  Canvas c(252, 16, true);
  NeedleShape(c.cr, PicturePivot(p), n.tip, kEngineNeedlePaintFrom / NeedleLength(n), 5, red ? kRed : kMark, kInk);
  return c.Take(true);
}

}  // namespace

Picture DrawEngine_Fon() { return EngineDial(false); }
Picture DrawEngine_Fon_2() { return EngineDial(true); }
Picture DrawEngine_Left_Arrow() { return EngineArrow(true, false); }
Picture DrawEngine_Right_Arrow() { return EngineArrow(false, false); }
Picture DrawEngine_Right_Arrow_Red() { return EngineArrow(false, true); }
Picture DrawEngine_Left_Arrow_Red() { return EngineArrow(true, true); }

}  // namespace velmora::art
