// The panel pictures: the bezel frames of the flight and tactical pages with
// their page buttons, the map button, the lamp panel and the white line.
#include "tools/artgen/Pictures.h"

#include "assets/BezelButtons.h"
#include "pages/instruments/Engines.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <cmath>
#include <string>
#include <utility>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {

void BezelButtonArt(cairo_t* cr, const BezelButton& b, bool lit) {
  // Raised square push-button with an engraved label; the selected page's
  // label glows green.
  RoundRect(cr, b.x - 3, b.y - 3, b.w + 6, b.h + 6, 6);
  Set(cr, kBezelShade);
  cairo_fill(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, b.y, 0, b.y + b.h);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.40, 0.42, 0.40);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.22, 0.23, 0.22);
  RoundRect(cr, b.x, b.y, b.w, b.h, 4);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  Font(cr, 17);
  if (lit) cairo_set_source_rgb(cr, 0.45, 1.0, 0.55);
  else Set(cr, kMark);
  TextCentred(cr, std::string(b.label), b.x + b.w / 2.0, b.y + b.h / 2.0);
}

void BezelBase(cairo_t* cr, int w, int h) {
  Set(cr, kBezel);
  cairo_paint(cr);
  // Raised outer rim, then a recessed panel inside it.
  cairo_set_line_width(cr, 6);
  Set(cr, kBezelLight);
  RoundRect(cr, 4, 4, w - 8, 650 - 8, 14);
  cairo_stroke(cr);
  Set(cr, kBezelShade);
  cairo_set_line_width(cr, 2);
  RoundRect(cr, 1, 1, w - 2, 650 - 2, 16);
  cairo_stroke(cr);
  RoundRect(cr, 18, 18, w - 36, 650 - 36, 10);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  (void)h;
  // Corner screws.
  for (Pt s : {Pt{26, 26}, Pt{w - 26.0, 26}, Pt{26, 624}, Pt{w - 26.0, 624}}) {
    cairo_arc(cr, s.x, s.y, 5, 0, 2 * kPi);
    Set(cr, kBezelShade);
    cairo_fill(cr);
    Line(cr, {s.x - 3.5, s.y - 3.5}, {s.x + 3.5, s.y + 3.5}, 1.2);
  }
}

}  // namespace

// The flight page's frame: bezel and buttons, the attitude indicator's bank
// scale round its window, rims for the dials drawn over it, the HSI ring, the
// engine temperature slits and the Mach window, all windows cut clear.
Picture DrawMain_minus_ADI() {
  Canvas c(1024, 665, true);
  cairo_t* cr = c.cr;
  BezelBase(cr, 1024, 665);
  const Placement& f = kFrame;

  // Attitude indicator: dark face with the bank scale round the window.
  const Pt adi{kAdiCenterX, kAdiCenterY};
  CirclePath(cr, f, adi, 156);
  Set(cr, kBezelShade);
  cairo_fill(cr);
  CirclePath(cr, f, adi, 151);
  Set(cr, kFace);
  cairo_fill(cr);
  Set(cr, kMark);
  for (double bank : {0.0, 10.0, 20.0, 30.0, 45.0, 60.0}) {
    const bool major = bank == 0 || bank == 30 || bank == 60;
    for (double dir : {bank, 180.0 - bank}) {
      const double r1 = kAdiWindowRadius + (major ? 13 : 8);
      const Pt a = ScreenToPicture(f, {adi.x + (kAdiWindowRadius + 1) * std::cos(dir * kDeg),
                                       adi.y + (kAdiWindowRadius + 1) * std::sin(dir * kDeg)});
      const Pt b = ScreenToPicture(f, {adi.x + r1 * std::cos(dir * kDeg), adi.y + r1 * std::sin(dir * kDeg)});
      Line(cr, a, b, major ? 3 : 2);
    }
  }
  // Upper index: the sky pointer.
  {
    const Pt t = ScreenToPicture(f, {adi.x, adi.y - kAdiWindowRadius - 1});
    cairo_move_to(cr, t.x, t.y);
    cairo_line_to(cr, t.x - 7, t.y - 12);
    cairo_line_to(cr, t.x + 7, t.y - 12);
    cairo_close_path(cr);
    Set(cr, kAmber);
    cairo_fill(cr);
  }
  Clear(cr, [&] { CirclePath(cr, f, adi, kAdiWindowRadius); });

  // Rims round the dials that are drawn over the frame.
  for (auto [centre, r] : {std::pair{Pt{210, 438}, 101.0}, std::pair{Pt{596.7, 440.65}, 101.0}}) {
    CirclePath(cr, f, centre, r + 5);
    Set(cr, kBezelShade);
    cairo_fill(cr);
    CirclePath(cr, f, centre, r + 1);
    Set(cr, kFaceRim);
    cairo_fill(cr);
  }

  // HSI: light centre where the deviation bars run, dark card ring, lubber line.
  const Pt hsi{kHsiCenterX, kHsiCenterY};
  CirclePath(cr, f, hsi, 98);
  Set(cr, kBezelShade);
  cairo_fill(cr);
  CirclePath(cr, f, hsi, 94);
  Set(cr, kFace);
  cairo_fill(cr);
  CirclePath(cr, f, hsi, kHsiClearRadius - 0.5);
  Set(cr, kBezelLight);
  cairo_fill(cr);
  Set(cr, kMark);
  for (int k = 0; k < 8; ++k) {
    const double a = k * 45 * kDeg;
    const Pt p0 = ScreenToPicture(f, {hsi.x + 87 * std::sin(a), hsi.y - 87 * std::cos(a)});
    const Pt p1 = ScreenToPicture(f, {hsi.x + 93 * std::sin(a), hsi.y - 93 * std::cos(a)});
    Line(cr, p0, p1, 2);
  }
  {
    const Pt t = ScreenToPicture(f, {hsi.x, hsi.y - 85});
    cairo_move_to(cr, t.x, t.y);
    cairo_line_to(cr, t.x - 5, t.y - 9);
    cairo_line_to(cr, t.x + 5, t.y - 9);
    cairo_close_path(cr);
    Set(cr, kAmber);
    cairo_fill(cr);
  }

  // Temperature gauges: two thin curved slits with dark surrounds. The slits
  // cross, so both surrounds go first and both slits are cut after.
  auto slitCentre = [](bool left) {
    return left ? Pt{cal::kLeftSectorCenterX, cal::kLeftSectorCenterY}
                : Pt{cal::kRightSectorCenterX, cal::kRightSectorCenterY};
  };
  for (bool left : {true, false}) {
    const double a0 = left ? kLeftSlitFrom : kRightSlitFrom, a1 = left ? kLeftSlitTo : kRightSlitTo;
    BandPath(cr, f, slitCentre(left), kSlitInner - 14, kSlitOuter + 4, a0 - 1.2, a1 + 1.2);
    Set(cr, kFace);
    cairo_fill(cr);
  }
  for (bool left : {true, false}) {
    const double a0 = left ? kLeftSlitFrom : kRightSlitFrom, a1 = left ? kLeftSlitTo : kRightSlitTo;
    Clear(cr, [&] { BandPath(cr, f, slitCentre(left), kSlitInner, kSlitOuter, a0, a1); });
  }

  // Mach window (the airspeed dial, drawn later, frames it).
  Clear(cr, [&] {
    const Pt a = ScreenToPicture(f, {kMachWindowLeft, kMachWindowTop});
    const Pt b = ScreenToPicture(f, {kMachWindowRight, kMachWindowBottom});
    cairo_rectangle(cr, a.x, a.y, b.x - a.x, b.y - a.y);
  });

  for (const BezelButton& b : kPageButtons) BezelButtonArt(cr, b, b.page == 1);
  return c.Take(true);
}

// The tactical page's frame: bezel and buttons round the map window.
Picture DrawTactic_Frame() {
  Canvas c(1024, 665, true);
  cairo_t* cr = c.cr;
  BezelBase(cr, 1024, 665);
  const Rect& w = kTacticWindow;
  RoundRect(cr, w.x0 - 5, w.y0 - 5, w.x1 - w.x0 + 10, w.y1 - w.y0 + 10, 11);
  Set(cr, kFace);
  cairo_fill(cr);
  Clear(cr, [&] { RoundRect(cr, w.x0, w.y0, w.x1 - w.x0, w.y1 - w.y0, 8); });
  for (const BezelButton& b : kPageButtons) BezelButtonArt(cr, b, b.page == 2);
  return c.Take(true);
}

// The map button on its bit of bezel.
Picture DrawButton_map() {
  Canvas c(57, 56, false);
  cairo_t* cr = c.cr;
  Set(cr, kBezel);
  cairo_paint(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 6, 0, 50);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.40, 0.42, 0.40);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.22, 0.23, 0.22);
  RoundRect(cr, 5, 6, 47, 44, 4);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  Font(cr, 11);
  Set(cr, kMark);
  TextCentred(cr, "КАРТА", 28.5, 28);
  return c.Take(false);
}

// The lamp panel: own aircraft in outline with a socket under every lamp.
Picture DrawPPI() {
  Canvas c(200, 171, true);
  cairo_t* cr = c.cr;
  RoundRect(cr, 1, 1, 198, 169, 8);
  Set(cr, kFace);
  cairo_fill_preserve(cr);
  Set(cr, kBezelShade);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  AircraftOutline(cr, 100, 8, 1.55);
  Set(cr, kFaceRim);
  cairo_fill_preserve(cr);
  Set(cr, kMark);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Lamp sockets exactly under the lamp rectangles the page lights.
  for (const Rect& r : kLamps) {
    const Pt a = ScreenToPicture(kPpi, {r.x0, r.y0});
    const Pt b = ScreenToPicture(kPpi, {r.x1, r.y1});
    cairo_rectangle(cr, a.x - 1.5, a.y - 1.5, b.x - a.x + 3, b.y - a.y + 3);
    cairo_set_source_rgb(cr, 0.55, 0.57, 0.55);
    cairo_fill(cr);
    cairo_rectangle(cr, a.x, a.y, b.x - a.x, b.y - a.y);
    cairo_set_source_rgb(cr, 0.06, 0.16, 0.08);
    cairo_fill(cr);
  }
  return c.Take(true);
}

Picture DrawWhite_line() {
  Canvas c(150, 2, false);
  cairo_set_source_rgb(c.cr, 1, 1, 1);
  cairo_paint(c.cr);
  return c.Take(false);
}

}  // namespace velmora::art
