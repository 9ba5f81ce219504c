// The drawing helpers shared by the instrument pictures (see Drawing.h).
#include "tools/artgen/Drawing.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::art {

void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

Picture Canvas::Take(bool alpha) {
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

void Font(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

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

void CirclePath(cairo_t* cr, const Placement& pic, Pt centre, double r) {
  const Pt c = ScreenToPicture(pic, centre);
  cairo_new_sub_path(cr);
  cairo_arc(cr, c.x, c.y, r * pic.w / (pic.w + 0.5), 0, 2 * kPi);
}

void NeedleMark(cairo_t* cr, const Placement& dial, const Needle& n, double angle, double r0, double r1,
                double width) {
  Line(cr, DialPointOnNeedle(dial, n, angle, r0), DialPointOnNeedle(dial, n, angle, r1), width);
}

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

void ForMarks(const Range& r, const std::function<void(double, bool)>& f) {
  const int n = static_cast<int>(std::floor((r.to - r.from) / r.minorStep + 1e-9));
  for (int i = 0; i <= n; ++i) {
    const double v = r.from + i * r.minorStep;
    const double k = v / r.majorStep;
    f(v, std::abs(k - std::round(k)) < 1e-6);
  }
}

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

void AircraftOutline(cairo_t* cr, double cx, double top, double s) {
  const double pts[][2] = {{0, 0},     {4, 14},  {6, 34},   {8, 44},  {40, 62},  {42, 70},
                           {10, 70},   {11, 82}, {26, 92},  {26, 98}, {6, 96},   {4, 100},
                           {-4, 100},  {-6, 96}, {-26, 98}, {-26, 92}, {-11, 82}, {-10, 70},
                           {-42, 70},  {-40, 62}, {-8, 44}, {-6, 34}, {-4, 14}};
  cairo_new_path(cr);
  for (auto& p : pts) cairo_line_to(cr, cx + p[0] * s, top + p[1] * s);
  cairo_close_path(cr);
}

}  // namespace velmora::art
