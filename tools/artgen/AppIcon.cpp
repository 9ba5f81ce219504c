// The program's icon for Windows (Explorer, the taskbar, the Start menu): the
// instrument of packaging/velmora.svg, a bezel around an attitude indicator,
// drawn with cairo at each size Windows asks for and packed into one .ico.
// Every size is a PNG inside the .ico, which Windows reads since Vista.
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/artgen/Artwork.h"
#include "tools/artgen/Drawing.h"

namespace velmora::art {

namespace {

void Colour(cairo_t* cr, std::uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

void Line(cairo_t* cr, double x1, double y1, double x2, double y2, double width, std::uint32_t rgb) {
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_set_line_width(cr, width);
  Colour(cr, rgb);
  cairo_stroke(cr);
}

// The 256-unit design; small sizes get thicker strokes so the horizon and
// the aircraft symbol survive at 16 pixels.
void DrawIcon(cairo_t* cr, int size) {
  const double s = size / 256.0;
  const double bold = size < 48 ? 1.8 : 1.0;
  cairo_scale(cr, s, s);
  RoundRect(cr, 8, 28, 240, 200, 18);
  Colour(cr, 0xb9c4b4);
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 4);
  Colour(cr, 0x6f7a6c);
  cairo_stroke(cr);
  RoundRect(cr, 22, 42, 212, 172, 8);
  Colour(cr, 0x1d2120);
  cairo_fill(cr);

  // Sky, and the ground banked 18 degrees below the horizon line.
  const double cx = 128, cy = 128, r = 70, bank = -18 * M_PI / 180;
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  Colour(cr, 0x5b8fd0);
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, r, bank, bank + M_PI);  // through the bottom of the dial
  cairo_close_path(cr);
  Colour(cr, 0x7a5532);
  cairo_fill(cr);
  const double dx = r * std::cos(bank), dy = r * std::sin(bank);
  Line(cr, cx - dx, cy - dy, cx + dx, cy + dy, 4 * bold, 0xffffff);
  if (size >= 32) {
    // Pitch marks ten degrees up and down.
    const double nx = -std::sin(bank) * 23, ny = std::cos(bank) * 23, hx = std::cos(bank) * 20, hy = std::sin(bank) * 20;
    Line(cr, cx - nx - hx, cy - ny - hy, cx - nx + hx, cy - ny + hy, 3, 0xffffff);
    Line(cr, cx + nx - hx, cy + ny - hy, cx + nx + hx, cy + ny + hy, 3, 0xffffff);
  }
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_set_line_width(cr, 5 * bold);
  Colour(cr, 0xe8ece6);
  cairo_stroke(cr);
  // The aircraft symbol.
  cairo_move_to(cr, 84, 130);
  cairo_line_to(cr, 116, 130);
  cairo_line_to(cr, 128, 142);
  cairo_line_to(cr, 140, 130);
  cairo_line_to(cr, 172, 130);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 7 * bold);
  Colour(cr, 0xf2a51a);
  cairo_stroke(cr);
  // Push-buttons on the lower edge.
  for (const double x : {60.0, 156.0}) {
    RoundRect(cr, x, 214, 40, 12, 3);
    Colour(cr, 0x3a403c);
    cairo_fill(cr);
  }
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::size_t v) {
  Put16(out, static_cast<unsigned>(v & 0xffff));
  Put16(out, static_cast<unsigned>(v >> 16));
}

}  // namespace

bool WriteIcon(const std::string& file, std::string& error) {
  static constexpr int kSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
  std::vector<std::vector<std::uint8_t>> pngs;
  for (const int size : kSizes) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    DrawIcon(cr, size);
    cairo_destroy(cr);
    pngs.emplace_back();
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &pngs.back());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      error = std::string("cannot encode the icon: ") + cairo_status_to_string(status);
      return false;
    }
  }
  // ICONDIR, one ICONDIRENTRY per size, then the images.
  std::vector<std::uint8_t> ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, static_cast<unsigned>(pngs.size()));
  std::size_t offset = 6 + 16 * pngs.size();
  for (std::size_t i = 0; i < pngs.size(); ++i) {
    ico.push_back(static_cast<std::uint8_t>(kSizes[i] % 256));  // 0 stands for 256
    ico.push_back(static_cast<std::uint8_t>(kSizes[i] % 256));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    Put16(ico, 1);   // colour planes
    Put16(ico, 32);  // bits per pixel
    Put32(ico, pngs[i].size());
    Put32(ico, offset);
    offset += pngs[i].size();
  }
  for (const auto& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  std::FILE* f = std::fopen(file.c_str(), "wb");
  const bool ok = f && std::fwrite(ico.data(), 1, ico.size(), f) == ico.size();
  if (f && std::fclose(f) != 0) error = "cannot write " + file;
  if (!ok) error = "cannot write " + file;
  return ok && error.empty();
}

}  // namespace velmora::art
