// Text for the SDL canvas: the fonts handed to Open as SDL_ttf faces
// found by the platform's font look-up (platform/Fonts.h), and an LRU of
// strings rasterised once in white and drawn with their colour as a
// modulation, so a readout redrawn every frame is rasterised only when its
// text changes. Private to the back end.
//
// Sizes: a font asks for a character height (the em height, the text cell
// without internal leading). SDL_ttf at 72 dpi takes its point size as the
// em height in pixels, so the point size passed is the character height
// itself; the rendered surface is ascent + descent high, which is the text
// cell, so its top-left is placed at (x, y).
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cmath>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include <span>
#include <vector>

#include "canvas/Canvas.h"

namespace velmora {

class SdlText {
 public:
  explicit SdlText(std::size_t cacheSize);  // strings kept, at least one
  ~SdlText();
  SdlText(const SdlText&) = delete;
  SdlText& operator=(const SdlText&) = delete;

  // Opens every font of the table (again); a face that is not found draws nothing.
  void OpenFonts(std::span<const FontSpec> fonts);
  void Draw(SDL_Renderer* renderer, FontId font, int x, int y, std::string_view utf8, std::uint32_t argb);
  // Drops the rasterised strings (their textures belong to the renderer).
  void DropCache();
  // Drops the strings and closes every font.
  void CloseAll();
  std::size_t Rasterisations() const { return rasterisations_; }
  // Character height in pixels of a size in points at 96 pixels per inch.
  static int PixelHeight(int points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

 private:
  struct Entry {
    std::string key;  // the font's number, then the text
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
  };
  std::size_t cacheSize_;
  bool ttfStarted_ = false;
  std::vector<TTF_Font*> fonts_;
  std::list<Entry> lru_;  // most recent first
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
  std::string probe_;  // the key looked up, its capacity kept between frames
  std::size_t rasterisations_ = 0;
};

}  // namespace velmora
