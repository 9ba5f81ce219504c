// The artwork generator: every catalogue picture drawn with cairo at its
// catalogue size and kind, and written out as the file the build embeds. The
// tests call these directly to look at the pixels; the artgen program writes
// them out.
#pragma once

#include "assets/ImageCatalogue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::art {

// A drawn picture: cairo's ARGB32 (premultiplied) pixels, row by row. Kinds
// without alpha are drawn fully opaque.
struct Picture {
  int width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<std::uint32_t> argb;

  std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
  int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
  // Brightness 0..255 of the (premultiplied) colour: the mean of r, g, b.
  int Brightness(int x, int y) const;
};

// Draws the catalogue picture with exactly this name; an empty picture (0 x 0)
// for a name outside the catalogue.
Picture DrawPicture(std::string_view name);

// Writes catalogue picture `entry` as DIR/<Name>.png (RGBA or RGB as the
// catalogue says) or DIR/<Name>.bmp (8-bit palette). Returns false with a
// message on failure.
bool WritePicture(const ImageEntry& entry, const Picture& picture, const std::string& dir, std::string& error);

// A contact sheet of all pictures (in catalogue order) with their names, as PNG.
bool WriteContactSheet(const std::vector<Picture>& pictures, const std::string& file, std::string& error);

// Encodes an 8-bit palette BMP (bottom-up rows padded to 4 bytes) of a
// picture; each pixel takes the nearest grey of a 256-entry grey palette.
std::vector<std::uint8_t> EncodeBmp8(const Picture& picture);

// Writes the program's icon for Windows, every size it uses in one .ico.
bool WriteIcon(const std::string& file, std::string& error);

// Frees cairo's and fontconfig's process-wide font caches. Call once at the
// very end (they are otherwise left to the process exit, which leak checkers
// report).
void ReleaseFontCaches();

}  // namespace velmora::art
