// Instrument pictures of the MFD, drawn with cairo in the style of a late-1980s
// fighter panel: light grey-green bezel, dark faces, white marks and figures.
// Every scale mark is placed through ArtGeometry with the calibration law that
// moves its needle or strip.
#include "tools/artgen/Artwork.h"

#include "assets/BezelButtons.h"
#include "assets/ImageCatalogue.h"
#include "pages/Calibration.h"
#include "tools/artgen/ArtGeometry.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>

namespace velmora::art {
namespace cal = velmora::calibration;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

struct Rgb {
  double r, g, b;
};
constexpr Rgb kBezel{0.745, 0.784, 0.722};
constexpr Rgb kBezelLight{0.86, 0.89, 0.84};
constexpr Rgb kBezelShade{0.56, 0.60, 0.54};
constexpr Rgb kFace{0.095, 0.105, 0.105};
constexpr Rgb kFaceRim{0.22, 0.23, 0.23};
constexpr Rgb kMark{0.96, 0.96, 0.93};
constexpr Rgb kAmber{1.0, 0.70, 0.12};
constexpr Rgb kInk{0.14, 0.15, 0.14};
constexpr Rgb kRed{0.90, 0.12, 0.10};

void Set(cairo_t* cr, Rgb c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

// A drawing target with the catalogue's size and alpha.
struct Canvas {
  cairo_surface_t* surface;
  cairo_t* cr;
  Canvas(int w, int h, bool alpha)
      : surface(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h)),
        cr(cairo_create(surface)) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
  }
  ~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Picture Take(bool alpha) {
    cairo_surface_flush(surface);
    Picture p;
    p.width = cairo_image_surface_get_width(surface);
    p.height = cairo_image_surface_get_height(surface);
    p.hasAlpha = alpha;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    p.argb.resize(static_cast<std::size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < p.width; ++x)
        p.argb[static_cast<std::size_t>(y) * p.width + x] = alpha ? row[x] : (row[x] | 0xFF000000u);
    }
    return p;
  }
};

void Font(cairo_t* cr, double size, bool bold = true) {
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

// Text centred on (x, y) (the ink box's centre).
void TextCentred(cairo_t* cr, const std::string& s, double x, double y) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, s.c_str(), &e);
  cairo_move_to(cr, x - e.x_bearing - e.width / 2, y - e.y_bearing - e.height / 2);
  cairo_show_text(cr, s.c_str());
}

void Line(cairo_t* cr, Pt a, Pt b, double width) {
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
}

void Clear(cairo_t* cr, const std::function<void()>& path) {
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  path();
  cairo_fill(cr);
  cairo_restore(cr);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// Annular band around a screen centre, drawn in a picture's coordinates:
// directions are clockwise from the screen's +x axis.
void BandPath(cairo_t* cr, const Placement& pic, Pt centre, double r0, double r1, double a0, double a1) {
  const int n = std::max(8, static_cast<int>(std::abs(a1 - a0) * 2));
  auto at = [&](double r, double a) {
    return ScreenToPicture(pic, {centre.x + r * std::cos(a * kDeg), centre.y + r * std::sin(a * kDeg)});
  };
  cairo_new_sub_path(cr);
  for (int i = 0; i <= n; ++i) {
    const Pt p = at(r1, a0 + (a1 - a0) * i / n);
    cairo_line_to(cr, p.x, p.y);
  }
  for (int i = n; i >= 0; --i) {
    const Pt p = at(r0, a0 + (a1 - a0) * i / n);
    cairo_line_to(cr, p.x, p.y);
  }
  cairo_close_path(cr);
}

// A dark scale band that may run into its picture's edges: filled inside
// the picture (inset by a pixel, rounded corners) and rimmed all round, so
// where the edge cuts it the cut looks like the panel's own border.
void PanelBand(cairo_t* cr, const Placement& pic, Pt centre, double r0, double r1, double a0, double a1) {
  cairo_save(cr);
  RoundRect(cr, 1, 1, pic.w - 2, pic.h - 2, 5);
  cairo_clip(cr);
  BandPath(cr, pic, centre, r0, r1, a0, a1);
  Set(cr, kFace);
  cairo_fill_preserve(cr);
  cairo_clip(cr);
  Set(cr, kBezelShade);
  BandPath(cr, pic, centre, r0, r1, a0, a1);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  RoundRect(cr, 1, 1, pic.w - 2, pic.h - 2, 5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Circle around a screen point, in a picture's coordinates.
void CirclePath(cairo_t* cr, const Placement& pic, Pt centre, double r) {
  const Pt c = ScreenToPicture(pic, centre);
  cairo_new_sub_path(cr);
  cairo_arc(cr, c.x, c.y, r * pic.w / (pic.w + 0.5), 0, 2 * kPi);
}

// Mark for a needle reading: a line on the needle's ray between two radii.
void NeedleMark(cairo_t* cr, const Placement& dial, const Needle& n, double angle, double r0, double r1,
                double width) {
  Line(cr, DialPointOnNeedle(dial, n, angle, r0), DialPointOnNeedle(dial, n, angle, r1), width);
}

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// Iterates a range's marks: f(value, major). Marks stop at the last step
// that does not pass `to` (0 to 990 in steps of 20 ends at 980, not 1000).
void ForMarks(const Range& r, const std::function<void(double, bool)>& f) {
  const int n = static_cast<int>(std::floor((r.to - r.from) / r.minorStep + 1e-9));
  for (int i = 0; i <= n; ++i) {
    const double v = r.from + i * r.minorStep;
    const double k = v / r.majorStep;
    f(v, std::abs(k - std::round(k)) < 1e-6);
  }
}

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

// A needle shape from the picture pivot to the tip, painted from `from`
// (fraction of the length) on, with a base width and a pointed tip.
void NeedleShape(cairo_t* cr, Pt pivot, Pt tip, double from, double width, Rgb fill, Rgb edge) {
  const double dx = tip.x - pivot.x, dy = tip.y - pivot.y;
  const double len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
  const Pt b{pivot.x + dx * from, pivot.y + dy * from};
  const double head = std::min(len * (1 - from) * 0.35, 14.0);
  cairo_new_path(cr);
  cairo_move_to(cr, b.x + nx * width / 2, b.y + ny * width / 2);
  cairo_line_to(cr, tip.x - ux * head + nx * width / 2, tip.y - uy * head + ny * width / 2);
  cairo_line_to(cr, tip.x, tip.y);
  cairo_line_to(cr, tip.x - ux * head - nx * width / 2, tip.y - uy * head - ny * width / 2);
  cairo_line_to(cr, b.x - nx * width / 2, b.y - ny * width / 2);
  cairo_close_path(cr);
  Set(cr, fill);
  cairo_fill_preserve(cr);
  Set(cr, edge);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
}

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

// ---------------------------------------------------------------------------
Picture FlightFrame() {
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

Picture TacticFrame() {
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

// ---------------------------------------------------------------------------
Picture PitchTape() {
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

Picture MachStrip() {
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

Picture Plane() {
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
Picture BankBar() {
  const Placement& p = kDrb;
  Canvas c(p.w, p.h, true);
  const Pt pv = ScreenPivot(p);
  const double bottom = ScreenToPicture(p, {pv.x, pv.y - kDirectorBankBarPaintFrom}).y;
  RoundRect(c.cr, 0, 0, p.w, std::floor(bottom), p.w / 2.0);
  Set(c.cr, kAmber);
  cairo_fill(c.cr);
  return c.Take(true);
}

// Director bar: amber with rounded ends.
Picture Bar(int w, int h) {
  Canvas c(w, h, true);
  const double r = std::min(w, h) / 2.0;
  RoundRect(c.cr, 0, 0, w, h, r);
  Set(c.cr, kAmber);
  cairo_fill(c.cr);
  return c.Take(true);
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

Picture SpeedDial() {
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

Picture SpeedArrow() {
  Canvas c(83, 44, true);
  NeedleShape(c.cr, PicturePivot(kSpeedNeedle.place), kSpeedNeedle.tip, 0.0, 4.5, kMark, kInk);
  return c.Take(true);
}

Picture VsDial() {
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

Picture VsArrow() {
  Canvas c(23, 80, true);
  NeedleShape(c.cr, PicturePivot(kVsNeedle.place), kVsNeedle.tip, 0.0, 4, kMark, kInk);
  return c.Take(true);
}

Picture GScale() {
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

Picture GArrow() {
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

Picture AoaDial() {
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

Picture AoaArrow() {
  Canvas c(176, 48, true);
  const Pt pv = PicturePivot(kAoaNeedle.place);
  // Only the tip over the dial is painted: the rest would cross the ADI.
  NeedleShape(c.cr, pv, kAoaNeedle.tip, 148.0 / NeedleLength(kAoaNeedle), 4.5, kMark, kInk);
  return c.Take(true);
}

Picture AltDial() {
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

Picture AltKm() {
  Canvas c(54, 45, true);
  NeedleShape(c.cr, PicturePivot(kAltKmNeedle.place), kAltKmNeedle.tip, 0.0, 7, kMark, kInk);
  Hub(c.cr, kAltKmNeedle.place, ScreenPivot(kAltKmNeedle.place), 5);
  return c.Take(true);
}

Picture AltM() {
  Canvas c(35, 93, true);
  NeedleShape(c.cr, PicturePivot(kAltMetreNeedle.place), kAltMetreNeedle.tip, 0.0, 3.5, kMark, kInk);
  Hub(c.cr, kAltMetreNeedle.place, ScreenPivot(kAltMetreNeedle.place), 3.5);
  return c.Take(true);
}

Picture HsiFon() {
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

Picture HsiCard() {
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

Picture SlideTube() {
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

Picture Ball() {
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

Picture ButtonMap() {
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

void AircraftOutline(cairo_t* cr, double cx, double top, double s) {
  // Top view of a twin-finned fighter, nose up; s scales a 100-unit height.
  const double pts[][2] = {{0, 0},     {4, 14},  {6, 34},   {8, 44},  {40, 62},  {42, 70},
                           {10, 70},   {11, 82}, {26, 92},  {26, 98}, {6, 96},   {4, 100},
                           {-4, 100},  {-6, 96}, {-26, 98}, {-26, 92}, {-11, 82}, {-10, 70},
                           {-42, 70},  {-40, 62}, {-8, 44}, {-6, 34}, {-4, 14}};
  cairo_new_path(cr);
  for (auto& p : pts) cairo_line_to(cr, cx + p[0] * s, top + p[1] * s);
  cairo_close_path(cr);
}

Picture MapPlane() {
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

Picture TacticFon() {
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

Picture TacticCompass() {
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

Picture CourseLine() {
  Canvas c(4, 389, true);
  cairo_t* cr = c.cr;
  cairo_set_source_rgb(cr, 0.10, 0.12, 0.10);
  for (double y = 4; y < 389; y += 14) cairo_rectangle(cr, 1, y, 2, 8);
  cairo_fill(cr);
  return c.Take(true);
}

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

Picture Ppi() {
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

Picture WhiteLine() {
  Canvas c(150, 2, false);
  cairo_set_source_rgb(c.cr, 1, 1, 1);
  cairo_paint(c.cr);
  return c.Take(false);
}

cairo_status_t WriteToVector(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<unsigned char>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

int Picture::Brightness(int x, int y) const {
  const std::uint32_t p = At(x, y);
  return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
}

Picture DrawPicture(int index) {
  switch (index) {
    case 0: return Plane();
    case 1: return FlightFrame();
    case 2: return WhiteLine();
    case 3: return SpeedDial();
    case 4: return SpeedArrow();
    case 5: return VsDial();
    case 6: return VsArrow();
    case 7: return PitchTape();
    case 8: return GScale();
    case 9: return GArrow();
    case 10: return AoaDial();
    case 11: return AoaArrow();
    case 12: return AltDial();
    case 13: return AltKm();
    case 14: return AltM();
    case 15: return Bar(154, 3);
    case 16: return BankBar();
    case 17: return HsiFon();
    case 18: return HsiCard();
    case 19: return BearingNeedle(11, 162, false, {1.0, 0.85, 0.2});
    case 20: return BearingNeedle(13, 160, true, {0.45, 0.95, 0.55});
    case 21: return SlideTube();
    case 22: return ButtonMap();
    case 23: return Ball();
    case 24: return MapPlane();
    case 25: return TacticFon();
    case 26: return TacticFrame();
    case 27: return TacticCompass();
    case 28: return CourseLine();
    case 29: return MachStrip();
    case 30: return EngineDial(false);
    case 31: return EngineArrow(true, false);
    case 32: return EngineArrow(false, false);
    case 33: return EngineArrow(false, true);
    case 34: return EngineArrow(true, true);
    case 35: return EngineDial(true);
    case 36: return Ppi();
    default: return {};
  }
}

std::vector<std::uint8_t> EncodeBmp8(const Picture& p) {
  const int rowBytes = (p.width + 3) / 4 * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * p.height);
  const std::uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out.push_back('B');
  out.push_back('M');
  u32(offset + dataSize);
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<std::uint32_t>(p.width));
  u32(static_cast<std::uint32_t>(p.height));  // positive: rows bottom-up
  u16(1);
  u16(8);
  u32(0);  // no compression
  u32(dataSize);
  u32(2835);
  u32(2835);
  u32(256);
  u32(0);
  for (int i = 0; i < 256; ++i) {
    out.push_back(static_cast<std::uint8_t>(i));
    out.push_back(static_cast<std::uint8_t>(i));
    out.push_back(static_cast<std::uint8_t>(i));
    out.push_back(0);
  }
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) out.push_back(static_cast<std::uint8_t>(p.Brightness(x, y)));
    for (int x = p.width; x < rowBytes; ++x) out.push_back(0);
  }
  return out;
}

bool WritePicture(int index, const Picture& picture, const std::string& dir, std::string& error) {
  const ImageEntry& e = kImageCatalogue.at(static_cast<std::size_t>(index));
  const std::string path = dir + "/" + std::string(e.name) + std::string(ImageFileExtension(e.kind));
  std::vector<unsigned char> bytes;
  if (e.kind == ImageKind::Bmp8) {
    bytes = EncodeBmp8(picture);
  } else {
    const bool alpha = e.kind == ImageKind::PngRgba;
    cairo_surface_t* s = cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                                    picture.width, picture.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < picture.height; ++y)
      std::copy_n(&picture.argb[static_cast<std::size_t>(y) * picture.width], picture.width,
                  reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride));
    cairo_surface_mark_dirty(s);
    const cairo_status_t st = cairo_surface_write_to_png_stream(s, WriteToVector, &bytes);
    cairo_surface_destroy(s);
    if (st != CAIRO_STATUS_SUCCESS) {
      error = path + ": " + cairo_status_to_string(st);
      return false;
    }
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    error = path + ": cannot write";
    return false;
  }
  return true;
}

bool WriteContactSheet(const std::vector<Picture>& pictures, const std::string& file, std::string& error) {
  const int cellW = 270, cellH = 240, cols = 6;
  const int rows = (static_cast<int>(pictures.size()) + cols - 1) / cols;
  Canvas c(cols * cellW, rows * cellH, false);
  cairo_t* cr = c.cr;
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.38);
  cairo_paint(cr);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    const double x0 = static_cast<double>(i % cols) * cellW, y0 = static_cast<double>(i / cols) * cellH;
    // Checkerboard shows transparency.
    for (int yy = 0; yy < 200; yy += 10)
      for (int xx = 0; xx < 260; xx += 10) {
        const bool dark = ((xx + yy) / 10) % 2;
        cairo_set_source_rgb(cr, dark ? 0.55 : 0.75, dark ? 0.55 : 0.75, dark ? 0.58 : 0.78);
        cairo_rectangle(cr, x0 + 5 + xx, y0 + 5 + yy, 10, 10);
        cairo_fill(cr);
      }
    if (p.width > 0) {
      cairo_surface_t* s = cairo_image_surface_create_for_data(
          reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(p.argb.data())), CAIRO_FORMAT_ARGB32, p.width,
          p.height, p.width * 4);
      const double k = std::min({260.0 / p.width, 200.0 / p.height, 4.0});
      cairo_save(cr);
      cairo_translate(cr, x0 + 5 + (260 - p.width * k) / 2, y0 + 5 + (200 - p.height * k) / 2);
      cairo_scale(cr, k, k);
      cairo_set_source_surface(cr, s, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), k < 1 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
      cairo_paint(cr);
      cairo_restore(cr);
      cairo_surface_destroy(s);
    }
    Font(cr, 13);
    cairo_set_source_rgb(cr, 1, 1, 1);
    const ImageEntry& e = kImageCatalogue[i];
    char label[96];
    std::snprintf(label, sizeof label, "%d %s %dx%d", e.index, std::string(e.name).c_str(), e.tileWidth, e.tileHeight);
    cairo_move_to(cr, x0 + 6, y0 + 225);
    cairo_show_text(cr, label);
  }
  cairo_surface_flush(c.surface);
  const cairo_status_t st = cairo_surface_write_to_png(c.surface, file.c_str());
  if (st != CAIRO_STATUS_SUCCESS) {
    error = file + ": " + cairo_status_to_string(st);
    return false;
  }
  return true;
}

}  // namespace velmora::art
