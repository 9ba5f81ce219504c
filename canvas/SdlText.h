// Text for the SDL canvas: the display's fonts (FontRoles.h) as SDL_ttf faces
// found by the platform's font look-up (platform/Fonts.h), and an LRU of
// strings rasterised once in white and drawn with their colour as a
// modulation, so a readout redrawn every frame is rasterised only when its
// text changes.
//
// Sizes: a font asks for a character height (the em height, the text
// cell without internal leading). SDL_ttf at 72 dpi takes its point size as
// the em height in pixels, so the point size passed is the character height
// itself; the rendered surface is ascent + descent high, which is the text
// cell, so its top-left is placed at (x, y).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "canvas/FontRoles.h"

struct SDL_Renderer;

namespace velmora {

class SdlText {
 public:
  explicit SdlText(std::size_t cacheSize);  // strings kept, at least one
  ~SdlText();
  SdlText(const SdlText&) = delete;
  SdlText& operator=(const SdlText&) = delete;

  // Opens every font of the table (again); a face that is not found draws nothing.
  void OpenFonts();
  void Draw(SDL_Renderer* renderer, FontRole font, int x, int y, std::string_view utf8, std::uint32_t argb);
  bool HasFont(FontRole font) const;

  // Drops the rasterised strings (their textures belong to the renderer).
  void DropCache();
  // Drops the strings and closes every font.
  void CloseAll();

  std::size_t Rasterisations() const;
  // Character height in pixels of a size in points at 96 pixels per inch.
  static int PixelHeight(int points);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
