// The attitude indicator's pictures: the pitch tape, the aircraft symbol, the
// two director bars, and the slip indicator's tube and ball.
#include "tools/artgen/Pictures.h"

#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <algorithm>
#include <cmath>

namespace velmora::art {

// Pitch tape: sky over ground, a rung every 5 degrees, figured every 10.
Picture DrawADI_pitch() {
  Canvas c(256, 1600, false);
  cairo_t* cr = c.cr;
  const double horizon = PitchTapeRow(0);
  cairo_set_source_rgb(cr, 0.36, 0.56, 0.78);
  cairo_rectangle(cr, 0, 0, 256, horizon);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.47, 0.32, 0.19);
  cairo_rectangle(cr, 0, horizon, 256, 1600 - horizon);
  cairo_fill(cr);
  const double cx = ScreenToPicture(kAdiPitch, {kAdiCenterX, kAdiCenterY}).x;
  Set(cr, kMark);
  Line(cr, {0, horizon}, {256, horizon}, 3);
  Font(cr, 15);
  ForMarks(kPitchRange, [&](double p, bool major) {
    if (p == 0) return;
    const double y = PitchTapeRow(p);
    const double half = major ? 34 : 16;
    Line(cr, {cx - half, y}, {cx + half, y}, 2);
    if (major && std::abs(p) < 90) {
      TextCentred(cr, Num(std::abs(p)), cx - half - 17, y);
      TextCentred(cr, Num(std::abs(p)), cx + half + 17, y);
    }
  });
  for (double p : {90.0, -90.0}) {  // zenith and nadir
    const double y = PitchTapeRow(p);
    cairo_arc(cr, cx, y, 9, 0, 2 * kPi);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  return c.Take(false);
}

// Aircraft symbol: amber wings and centre ring, outlined in ink.
Picture DrawPlane() {
  Canvas c(892, 280, true);
  cairo_t* cr = c.cr;
  const Pt p = PicturePivot(kPlane);
  auto shape = [&] {
    cairo_new_path(cr);
    cairo_rectangle(cr, p.x - 400, p.y - 8, 330, 16);
    cairo_rectangle(cr, p.x + 70, p.y - 8, 330, 16);
    cairo_rectangle(cr, p.x - 8, p.y - 95, 16, 60);
    cairo_new_sub_path(cr);
    cairo_arc(cr, p.x, p.y, 30, 0, 2 * kPi);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, p.x, p.y, 16, 2 * kPi, 0);
  };
  shape();
  Set(cr, kInk);
  cairo_set_line_width(cr, 10);
  cairo_stroke(cr);
  shape();
  Set(cr, kAmber);
  cairo_fill(cr);
  return c.Take(true);
}

// Bank-director bar: amber, hanging from its pivot below the attitude
// window, painted only where it stays inside the window.
Picture DrawDRB() {
  const Placement& p = kDrb;
  Canvas c(p.w, p.h, true);
  const Pt pv = ScreenPivot(p);
  const double bottom = ScreenToPicture(p, {pv.x, pv.y - kDirectorBankBarPaintFrom}).y;
  RoundRect(c.cr, 0, 0, p.w, std::floor(bottom), p.w / 2.0);
  Set(c.cr, kAmber);
  cairo_fill(c.cr);
  return c.Take(true);
}

// Pitch-director bar: amber with rounded ends.
Picture DrawDRP() {
  const int w = 154, h = 3;
  Canvas c(w, h, true);
  const double r = std::min(w, h) / 2.0;
  RoundRect(c.cr, 0, 0, w, h, r);
  Set(c.cr, kAmber);
  cairo_fill(c.cr);
  return c.Take(true);
}

// Slip indicator tube, curved round the ball's pivot, with its two centre marks.
Picture DrawSlide_ball() {
  Canvas c(94, 23, true);
  cairo_t* cr = c.cr;
  const Pt pv = ScreenToPicture(kSlipTube, ScreenPivot(kBall));
  const Pt ballOnTube = ScreenToPicture(kSlipTube, PictureToScreen(kBall, kBallCentre));
  const double R = std::hypot(ballOnTube.x - pv.x, ballOnTube.y - pv.y);
  const double span = std::asin(43.0 / R);
  cairo_new_path(cr);
  cairo_arc_negative(cr, pv.x, pv.y, R + 6.5, kPi / 2 + span, kPi / 2 - span);
  cairo_arc(cr, pv.x, pv.y, R - 6.5, kPi / 2 - span, kPi / 2 + span);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0.90, 0.93, 0.86);
  cairo_fill_preserve(cr);
  Set(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  for (double s : {-1.0, 1.0}) {
    const double a = kPi / 2 + s * std::asin(6.5 / R);
    Line(cr, {pv.x + (R - 6.5) * std::cos(a), pv.y + (R - 6.5) * std::sin(a)},
         {pv.x + (R + 6.5) * std::cos(a), pv.y + (R + 6.5) * std::sin(a)}, 1.4);
  }
  return c.Take(true);
}

Picture DrawBall() {
  Canvas c(9, 201, true);
  cairo_t* cr = c.cr;
  cairo_arc(cr, kBallCentre.x, kBallCentre.y, kBallRadius, 0, 2 * kPi);
  cairo_pattern_t* g = cairo_pattern_create_radial(kBallCentre.x - 1.3, kBallCentre.y - 1.3, 0.5, kBallCentre.x,
                                                   kBallCentre.y, kBallRadius);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.55, 0.55, 0.55);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.02, 0.02, 0.02);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  return c.Take(true);
}

}  // namespace velmora::art
