// The icon, drawn by hand and stored as an uncompressed palette PNG: a few
// hundred kilobytes at most, made once per size, so no compressor is needed.
#include "web/TabletIcon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace velmora {
namespace {

enum Colour : std::uint8_t { kCase, kBezel, kSky, kGround, kLine, kSymbol, kColours };
constexpr std::array<std::array<std::uint8_t, 3>, kColours> kPalette{{
    {40, 46, 52},     // the display's dark case
    {12, 12, 14},     // the instrument's black bezel
    {84, 146, 214},   // sky
    {128, 84, 48},    // ground
    {255, 255, 255},  // horizon and pitch lines
    {255, 168, 20},   // aircraft symbol
}};

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::string& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  PutBig32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png += type;
  png += data;
  PutBig32(png, Crc32(reinterpret_cast<const std::uint8_t*>(png.data() + start), png.size() - start));
}

// The zlib stream of `raw` in stored (uncompressed) blocks.
std::string Stored(const std::vector<std::uint8_t>& raw) {
  std::string z = "\x78\x01";
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(reinterpret_cast<const char*>(raw.data() + at), n);
    at += n;
    if (last) break;
  }
  PutBig32(z, (b << 16) | a);
  return z;
}

Colour PixelAt(double x, double y) {
  // Unit coordinates: centre 0, edges at +/-1.
  const double r = std::hypot(x, y);
  if (r > 0.8) return kCase;
  if (r > 0.68) return kBezel;
  const double line = 0.025;
  // The aircraft symbol: two wings and a centre dot.
  if (std::abs(y) < 0.035 && std::abs(x) > 0.14 && std::abs(x) < 0.5) return kSymbol;
  if (std::hypot(x, y) < 0.06) return kSymbol;
  // Horizon, and two short pitch lines each side of it.
  if (std::abs(y) < line) return kLine;
  for (double p : {-0.3, 0.3})
    if (std::abs(y - p) < line * 0.7 && std::abs(x) < 0.18) return kLine;
  return y < 0 ? kSky : kGround;
}

}  // namespace

std::string TabletIconPng(int size) {
  size = std::clamp(size, 16, 1024);
  std::vector<std::uint8_t> raw;
  raw.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size + 1));
  for (int y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < size; ++x)
      raw.push_back(PixelAt((x + 0.5) * 2.0 / size - 1.0, (y + 0.5) * 2.0 / size - 1.0));
  }
  std::string header;
  PutBig32(header, static_cast<std::uint32_t>(size));
  PutBig32(header, static_cast<std::uint32_t>(size));
  header += std::string("\x08\x03\x00\x00\x00", 5);  // 8-bit palette, no interlace
  std::string palette;
  for (const auto& c : kPalette)
    for (std::uint8_t v : c) palette += static_cast<char>(v);

  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk(png, "IHDR", header);
  Chunk(png, "PLTE", palette);
  Chunk(png, "IDAT", Stored(raw));
  Chunk(png, "IEND", "");
  return png;
}

}  // namespace velmora
