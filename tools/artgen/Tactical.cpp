// The tactical page's pictures: own aircraft, the gridded map with its range
// rings, the heading rose and the course line.
#include "tools/artgen/Pictures.h"

#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <cmath>

namespace velmora::art {

// Own aircraft on the map.
Picture DrawMap_Plane() {
  Canvas c(100, 149, true);
  cairo_t* cr = c.cr;
  AircraftOutline(cr, 50, 3, 1.43);
  cairo_set_source_rgb(cr, 0.08, 0.30, 0.16);
  cairo_fill_preserve(cr);
  Set(cr, kMark);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  return c.Take(true);
}

// The map: a 50-pixel grid and the range rings round own position.
Picture DrawTactic_Fon() {
  Canvas c(874, 500, false);
  cairo_t* cr = c.cr;
  cairo_set_source_rgb(cr, 0.80, 0.84, 0.77);
  cairo_paint(cr);
  const Pt ctr = ScreenToPicture(kTacticFon, {kRangeCentreX, kRangeCentreY});
  cairo_set_source_rgb(cr, 0.70, 0.75, 0.68);
  cairo_set_line_width(cr, 1);
  for (int x = static_cast<int>(std::fmod(ctr.x, 50)); x < 874; x += 50) Line(cr, {x + 0.5, 0}, {x + 0.5, 500}, 1);
  for (int y = static_cast<int>(std::fmod(ctr.y, 50)); y < 500; y += 50) Line(cr, {0, y + 0.5}, {874, y + 0.5}, 1);
  cairo_set_source_rgb(cr, 0.25, 0.32, 0.24);
  for (double r : {kRangeRing1, kRangeRing2}) {
    cairo_new_path(cr);
    cairo_arc(cr, ctr.x, ctr.y, r, 0, 2 * kPi);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  cairo_arc(cr, ctr.x, ctr.y, kRangeRing1 / 2, 0, 2 * kPi);
  const double dash[] = {4, 5};
  cairo_set_dash(cr, dash, 2, 0);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  return c.Take(false);
}

// The heading rose round the map, north figure in red.
Picture DrawTactic_Compass() {
  Canvas c(790, 792, true);
  cairo_t* cr = c.cr;
  const Pt cp = PicturePivot(kTacticCompass);
  cairo_set_source_rgb(cr, 0.16, 0.22, 0.16);
  for (int h = 0; h < 360; h += 5) {
    const double a = h * kDeg;  // the rose turns by the heading: marks run clockwise
    const double r0 = h % 30 == 0 ? 362 : (h % 10 == 0 ? 372 : 380);
    Line(cr, {cp.x + r0 * std::sin(a), cp.y - r0 * std::cos(a)}, {cp.x + 392 * std::sin(a), cp.y - 392 * std::cos(a)},
         h % 10 == 0 ? 2.0 : 1.2);
  }
  Font(cr, 16);
  for (int h = 0; h < 360; h += 30) {
    cairo_save(cr);
    cairo_translate(cr, cp.x, cp.y);
    cairo_rotate(cr, h * kDeg);
    if (h == 0) cairo_set_source_rgb(cr, 0.75, 0.10, 0.08);
    else cairo_set_source_rgb(cr, 0.16, 0.22, 0.16);
    TextCentred(cr, Num(h / 10), 0, -348);
    cairo_restore(cr);
  }
  return c.Take(true);
}

Picture DrawTactic_Course_Line() {
  Canvas c(4, 389, true);
  cairo_t* cr = c.cr;
  cairo_set_source_rgb(cr, 0.10, 0.12, 0.10);
  for (double y = 4; y < 389; y += 14) cairo_rectangle(cr, 1, y, 2, 8);
  cairo_fill(cr);
  return c.Take(true);
}

}  // namespace velmora::art
