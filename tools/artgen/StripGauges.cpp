// The strip gauges: the G meter's scale and pointer, and the sliding Mach strip.
#include "tools/artgen/Pictures.h"

#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Drawing.h"

#include <cstdio>

namespace velmora::art {

// Mach strip: a tick every 0.05, figured every 0.1, read at the window's index.
Picture DrawMach_meter() {
  Canvas c(900, 31, false);
  cairo_t* cr = c.cr;
  Set(cr, kFace);
  cairo_paint(cr);
  Set(cr, kMark);
  Font(cr, 12);
  ForMarks(kMachRange, [&](double m, bool major) {
    const double x = MachStripColumn(m);
    Line(cr, {x, 0}, {x, major ? 7.0 : 4.0}, 1.6);
    Line(cr, {x, 31}, {x, major ? 24.0 : 27.0}, 1.6);
    if (major) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%.1f", m);
      TextCentred(cr, buf, x, 15.5);
    }
  });
  return c.Take(false);
}

// G scale: a mark every half g, red beyond the limits, figured every g.
Picture DrawG_meter() {
  Canvas c(64, 221, true);
  cairo_t* cr = c.cr;
  const double top = GScaleRow(kGRange.to) - 9, bottom = GScaleRow(kGRange.from) + 9;
  RoundRect(cr, 33, top, 30, bottom - top, 4);
  Set(cr, kFace);
  cairo_fill(cr);
  const double x0 = ScreenToPicture(kGScale, {GPointerTipScreenX(), 0}).x;
  ForMarks(kGRange, [&](double n, bool major) {
    const double y = GScaleRow(n);
    Set(cr, n > 8 || n < -1 ? kRed : kMark);
    Line(cr, {x0, y}, {x0 + (major ? 9 : 5), y}, major ? 2 : 1.2);
    if (major) {
      Font(cr, 10);
      TextCentred(cr, Num(n), 53.5, y);
    }
  });
  return c.Take(true);
}

Picture DrawG_meter_arrow() {
  Canvas c(33, 10, true);
  cairo_t* cr = c.cr;
  const double from = kGPointerHeadFrom + 1.0;  // the outline's half-width inside
  cairo_move_to(cr, kGPointerTip.x, kGPointerTip.y);
  cairo_line_to(cr, from, 0.8);
  cairo_line_to(cr, from + 3, kGPointerTip.y);
  cairo_line_to(cr, from, 9.2);
  cairo_close_path(cr);
  Set(cr, kAmber);
  cairo_fill_preserve(cr);
  Set(cr, kInk);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);  // a mitre would spike out behind the head
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  return c.Take(true);
}

}  // namespace velmora::art
