// The horizontal situation indicator: its light centre with the deviation
// dots, the compass card and the two bearing needles (ADF and RMI).
#include "tools/artgen/Pictures.h"

#include "pages/instruments/Hsi.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <cmath>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {

// Bearing needle: heads and tails only outside the clear centre.
Picture BearingNeedle(int w, int h, bool wide, Rgb colour) {
  Canvas c(w, h, true);
  cairo_t* cr = c.cr;
  const Placement& p = wide ? kRmi : kAdf;
  const Pt cp = PicturePivot(p);
  const double r0 = kHsiClearRadius + 0.5, r1 = cp.y - 0.5;
  const double hw = wide ? 6.0 : 5.0;
  // Head (top).
  cairo_move_to(cr, cp.x, cp.y - r1);
  cairo_line_to(cr, cp.x + hw, cp.y - r0);
  cairo_line_to(cr, cp.x - hw, cp.y - r0);
  cairo_close_path(cr);
  Set(cr, colour);
  cairo_fill_preserve(cr);
  Set(cr, kInk);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  // Tail (bottom).
  cairo_rectangle(cr, cp.x - (wide ? 3.5 : 1.5), cp.y + r0, wide ? 7 : 3, r1 - r0);
  Set(cr, colour);
  cairo_fill(cr);
  if (wide) {
    Set(cr, kInk);
    Line(cr, {cp.x, cp.y + r0}, {cp.x, cp.y + r1}, 1.2);
  }
  return c.Take(true);
}

}  // namespace

// The HSI's light centre: deviation dots and the small aircraft.
Picture DrawHSI_fon() {
  Canvas c(102, 102, true);
  cairo_t* cr = c.cr;
  // Rounded corners: the frame's light centre round the card continues beyond.
  RoundRect(cr, 0, 0, 102, 102, 10);
  Set(cr, kBezelLight);
  cairo_fill(cr);
  Set(cr, kInk);
  for (double dev : {-1.0, -0.5, 0.5, 1.0}) {
    // Dots where the bar centres stand at half and full deflection.
    const Pt lx = ScreenToPicture(kHsiFon, {cal::LocalizerBarX(dev) + 2, kHsiCenterY + 1.5});
    const Pt gy = ScreenToPicture(kHsiFon, {kHsiCenterX - 0.5, cal::GlideslopeBarY(dev) + 2});
    cairo_arc(cr, lx.x, lx.y, 2.6, 0, 2 * kPi);
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
    cairo_arc(cr, gy.x, gy.y, 2.6, 0, 2 * kPi);
    cairo_stroke(cr);
  }
  // Small aircraft at the centre.
  const Pt m = ScreenToPicture(kHsiFon, {kHsiCenterX, kHsiCenterY});
  Set(cr, kAmber);
  Line(cr, {m.x - 12, m.y}, {m.x + 12, m.y}, 2.5);
  Line(cr, {m.x, m.y - 8}, {m.x, m.y + 10}, 2.5);
  Line(cr, {m.x - 5, m.y + 9}, {m.x + 5, m.y + 9}, 2);
  return c.Take(true);
}

// The compass card: marks every 5 degrees, figures every 30, north in amber.
Picture DrawHSI_compass() {
  Canvas c(168, 169, true);
  cairo_t* cr = c.cr;
  const Placement& d = kHsiCard;
  const Pt pv = ScreenPivot(d);
  const Pt cp = PicturePivot(d);
  BandPath(cr, d, pv, kHsiClearRadius + 0.5, kHsiCardOuterRadius, 0, 360);
  Set(cr, kFace);
  cairo_fill(cr);
  Set(cr, kMark);
  for (int h = 0; h < 360; h += 5) {
    const double a = HsiCardMarkAngle(h) * kDeg;
    const double r0 = h % 10 == 0 ? 79 : 81;
    if (h % 30 == 0) continue;
    Line(cr, {cp.x + r0 * std::sin(a), cp.y - r0 * std::cos(a)}, {cp.x + 83.5 * std::sin(a), cp.y - 83.5 * std::cos(a)},
         h % 10 == 0 ? 1.6 : 1.0);
  }
  Font(cr, 9);
  for (int h = 0; h < 360; h += 30) {
    const double a = HsiCardMarkAngle(h);
    cairo_save(cr);
    cairo_translate(cr, cp.x, cp.y);
    cairo_rotate(cr, a * kDeg);
    if (h == 0) Set(cr, kAmber);
    else Set(cr, kMark);
    TextCentred(cr, Num(h / 10), 0, -79.2);
    cairo_restore(cr);
  }
  return c.Take(true);
}

Picture DrawADF() { return BearingNeedle(11, 162, false, {1.0, 0.85, 0.2}); }

Picture DrawRMI() { return BearingNeedle(13, 160, true, {0.45, 0.95, 0.55}); }

}  // namespace velmora::art
