// Writing the pictures out: PNG through cairo, the 8-bit palette BMP, and the
// contact sheet.
#include "tools/artgen/Artwork.h"

#include "assets/ImageCatalogue.h"
#include "tools/artgen/Drawing.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace velmora::art {
namespace {

cairo_status_t WriteToVector(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<unsigned char>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

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

bool WritePicture(const ImageEntry& e, const Picture& picture, const std::string& dir, std::string& error) {
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
