// The round dials and their needles: airspeed (with the Mach window), vertical
// speed, angle of attack and altitude (metres and kilometres). Every scale
// mark stands on the ray its needle takes for that value.
#include "tools/artgen/Pictures.h"

#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/AngleOfAttack.h"
#include "pages/instruments/VerticalSpeed.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {

// A round dial's scale: one mark per value of the range on the ray the needle
// takes for that value (its law), majors from the ring's inner edge and
// labelled, minors shorter by minorInset.
struct ScaleStyle {
  double minorInset, majorWidth, minorWidth, fontSize;
};
void RoundScale(cairo_t* cr, const Placement& d, const Needle& n, const Ring& ring, const Range& range,
                const ScaleStyle& st, const std::function<double(double)>& law,
                const std::function<std::string(double)>& label) {
  ForMarks(range, [&](double v, bool major) {
    const double ang = law(v);
    Set(cr, kMark);
    NeedleMark(cr, d, n, ang, major ? ring.inner : ring.inner + st.minorInset, ring.outer,
               major ? st.majorWidth : st.minorWidth);
    if (major) {
      Font(cr, st.fontSize);
      const Pt l = DialPointOnNeedle(d, n, ang, ring.label);
      TextCentred(cr, label(v), l.x, l.y);
    }
  });
}

// Round dial face centred on a needle pivot, transparent outside.
void DialFace(cairo_t* cr, const Placement& dial, Pt centre, double r) {
  CirclePath(cr, dial, centre, r);
  cairo_pattern_t* g = cairo_pattern_create_radial(ScreenToPicture(dial, centre).x, ScreenToPicture(dial, centre).y,
                                                   0, ScreenToPicture(dial, centre).x,
                                                   ScreenToPicture(dial, centre).y, r);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.14, 0.15, 0.15);
  cairo_pattern_add_color_stop_rgb(g, 1, kFace.r, kFace.g, kFace.b);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Hub(cairo_t* cr, const Placement& dial, Pt centre, double r) {
  CirclePath(cr, dial, centre, r);
  cairo_set_source_rgb(cr, 0.30, 0.31, 0.31);
  cairo_fill_preserve(cr);
  Set(cr, kInk);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

}  // namespace

// Airspeed dial (km/h) with the framed Mach window.
Picture DrawSpeed() {
  Canvas c(219, 213, true);
  cairo_t* cr = c.cr;
  const Placement& d = kSpeedDial;
  const Pt pivot = ScreenPivot(kSpeedNeedle.place);
  DialFace(cr, d, pivot, 100);
  // Mach window: framed hole with the index above and below.
  const Pt a = ScreenToPicture(d, {kMachWindowLeft, kMachWindowTop});
  const Pt b = ScreenToPicture(d, {kMachWindowRight, kMachWindowBottom});
  RoundRect(cr, a.x - 4, a.y - 4, b.x - a.x + 8, b.y - a.y + 8, 3);
  Set(cr, kFaceRim);
  cairo_fill(cr);
  // One pixel wider than the frame's window: the frame alone shapes its edge.
  Clear(cr, [&] { cairo_rectangle(cr, a.x - 1, a.y - 1, b.x - a.x + 2, b.y - a.y + 2); });
  const Pt idx = ScreenToPicture(d, {kMachIndexX, kMachWindowTop});
  const Pt idx2 = ScreenToPicture(d, {kMachIndexX, kMachWindowBottom});
  Set(cr, kAmber);
  for (auto [p, s] : {std::pair{idx, 1.0}, std::pair{idx2, -1.0}}) {
    cairo_move_to(cr, p.x, p.y - s * 1.5);
    cairo_line_to(cr, p.x - 4, p.y - s * 5);
    cairo_line_to(cr, p.x + 4, p.y - s * 5);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  Font(cr, 8, false);
  Set(cr, kMark);
  TextCentred(cr, "M", (a.x + b.x) / 2, b.y + 13);
  // Airspeed scale, km/h.
  RoundScale(cr, d, kSpeedNeedle, kSpeedRing, kSpeedRange, {5, 2.4, 1.3, 14}, cal::AirspeedAngle,
             [](double s) { return Num(s / 100); });
  Font(cr, 8, false);
  const Pt u = ScreenToPicture(d, {pivot.x, pivot.y + 30});
  TextCentred(cr, "км/ч x100", u.x, u.y);
  Hub(cr, d, pivot, 7);
  return c.Take(true);
}

Picture DrawSpeed_arrow() {
  Canvas c(83, 44, true);
  NeedleShape(c.cr, PicturePivot(kSpeedNeedle.place), kSpeedNeedle.tip, 0.0, 4.5, kMark, kInk);
  return c.Take(true);
}

Picture DrawVertical_speed() {
  Canvas c(102, 203, false);
  cairo_t* cr = c.cr;
  const Placement& d = kVsDial;
  Set(cr, kBezel);
  cairo_paint(cr);
  const Pt pivot = ScreenPivot(kVsNeedle.place);
  CirclePath(cr, d, pivot, 88);
  Set(cr, kBezelShade);
  cairo_fill(cr);
  DialFace(cr, d, pivot, 85);
  {  // The face is a half-round: a rim closes it along the picture's right edge.
    const Pt centre = ScreenToPicture(d, pivot);
    cairo_rectangle(cr, d.w - 2.5, centre.y - 88, 2.5, 176);
    Set(cr, kBezelShade);
    cairo_fill(cr);
  }
  RoundScale(cr, d, kVsNeedle, kVsRing, kVsRange, {4, 2.2, 1.2, 13}, cal::VerticalSpeedAngle,
             [](double v) { return Num(std::abs(v)); });
  Font(cr, 8, false);
  Set(cr, kMark);
  const Pt u = ScreenToPicture(d, {pivot.x - 28, pivot.y - 22});
  TextCentred(cr, "м/с", u.x, u.y);
  const Pt up = ScreenToPicture(d, {pivot.x - 30, pivot.y - 38});
  const Pt dn = ScreenToPicture(d, {pivot.x - 30, pivot.y + 38});
  Font(cr, 12);
  TextCentred(cr, "↑", up.x, up.y);
  TextCentred(cr, "↓", dn.x, dn.y);
  Hub(cr, d, pivot, 6);
  return c.Take(false);
}

Picture DrawVertical_speed_arrow() {
  Canvas c(23, 80, true);
  NeedleShape(c.cr, PicturePivot(kVsNeedle.place), kVsNeedle.tip, 0.0, 4, kMark, kInk);
  return c.Take(true);
}

// Angle-of-attack scale: a band along the needle tip's arc.
Picture DrawAOA() {
  Canvas c(104, 220, true);
  cairo_t* cr = c.cr;
  const Placement& d = kAoaDial;
  const Pt pivot = ScreenPivot(kAoaNeedle.place);
  // The band follows the needle tip's arc, from the lower to the upper stop.
  auto dirDeg = [&](double angle) {
    const Pt u = NeedleDirection(kAoaNeedle, angle);
    const double a = std::atan2(u.y, u.x) / kDeg;
    return a < 0 ? a + 360 : a;  // the needle points left: keep round 180 unbroken
  };
  const double a0 = dirDeg(cal::kAoaAngleMin) - 3, a1 = dirDeg(cal::kAoaAngleMax) + 3;
  // The needle's stops put the scale's top end in the picture's corner: the
  // band runs into the edges there and the rim closes it.
  PanelBand(cr, d, pivot, 150, 195, std::min(a0, a1), std::max(a0, a1));
  ForMarks(kAoaRange, [&](double a, bool major) {
    const double ang = cal::AoaAngle(a);
    Set(cr, a > 20 ? kRed : kMark);
    NeedleMark(cr, d, kAoaNeedle, ang, kAoaRing.inner, major ? kAoaRing.outer : kAoaRing.inner + 6,
               major ? 2.2 : 1.2);
    // Figures inside the marks; 30 has no room in the corner (the red
    // marks above 20 say enough there).
    if (major && std::fmod(a, 10) == 0 && a < 30) {
      Font(cr, 12);
      const Pt l = DialPointOnNeedle(d, kAoaNeedle, ang, 162);
      TextCentred(cr, Num(a), l.x, l.y);
    }
  });
  Font(cr, 10);
  Set(cr, kInk);
  const Pt t = DialPointOnNeedle(d, kAoaNeedle, cal::AoaAngle(5), 136);
  TextCentred(cr, "α°", t.x, t.y);
  return c.Take(true);
}

Picture DrawAOA_arrow() {
  Canvas c(176, 48, true);
  const Pt pv = PicturePivot(kAoaNeedle.place);
  // Only the tip over the dial is painted: the rest would cross the ADI.
  NeedleShape(c.cr, pv, kAoaNeedle.tip, 148.0 / NeedleLength(kAoaNeedle), 4.5, kMark, kInk);
  return c.Take(true);
}

// Altimeter: metres round the rim, kilometre wedges inside, light counter panel.
Picture DrawAlt() {
  Canvas c(219, 211, true);
  cairo_t* cr = c.cr;
  const Placement& d = kAltDial;
  const Pt mp = ScreenPivot(kAltMetreNeedle.place);
  DialFace(cr, d, mp, 100);
  // Light counter panel in the middle for the readouts.
  CirclePath(cr, d, mp, 63.5);
  Set(cr, kBezelLight);
  cairo_fill(cr);
  Range metres{0, 990, 20, 100};
  RoundScale(cr, d, kAltMetreNeedle, kAltMetreRing, metres, {5, 2.4, 1.2, 14}, cal::AltitudeMetreAngle,
             [](double m) { return Num(m / 100); });
  // Kilometre index: amber wedges at the inner edge, one per kilometre.
  for (int k = 0; k <= 9; ++k) {
    const double ang = cal::AltitudeKmAngle(k);
    const Pt p0 = DialPointOnNeedle(d, kAltKmNeedle, ang, kAltKmRing.inner);
    const Pt p1 = DialPointOnNeedle(d, kAltKmNeedle, ang, kAltKmRing.outer);
    const double nx = -(p1.y - p0.y) / 8 * 2.5, ny = (p1.x - p0.x) / 8 * 2.5;
    cairo_move_to(cr, p0.x, p0.y);
    cairo_line_to(cr, p1.x + nx, p1.y + ny);
    cairo_line_to(cr, p1.x - nx, p1.y - ny);
    cairo_close_path(cr);
    Set(cr, kAmber);
    cairo_fill(cr);
  }
  Font(cr, 8, false);
  Set(cr, kInk);
  const Pt u = ScreenToPicture(d, {mp.x + 30, mp.y - 28});
  TextCentred(cr, "км", u.x, u.y);
  return c.Take(true);
}

Picture DrawAlt_KM() {
  Canvas c(54, 45, true);
  NeedleShape(c.cr, PicturePivot(kAltKmNeedle.place), kAltKmNeedle.tip, 0.0, 7, kMark, kInk);
  Hub(c.cr, kAltKmNeedle.place, ScreenPivot(kAltKmNeedle.place), 5);
  return c.Take(true);
}

Picture DrawAlt_M() {
  Canvas c(35, 93, true);
  NeedleShape(c.cr, PicturePivot(kAltMetreNeedle.place), kAltMetreNeedle.tip, 0.0, 3.5, kMark, kInk);
  Hub(c.cr, kAltMetreNeedle.place, ScreenPivot(kAltMetreNeedle.place), 3.5);
  return c.Take(true);
}

}  // namespace velmora::art
