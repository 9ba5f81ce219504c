// The bitmap font: characters as tiles of an image-list item. It is brought
// up with the screen (tile rectangles and character map) but nothing draws
// with it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/OmegaRenderer.h"

namespace velmora {

class TOmegaScreen;
class TOmegaImageList;

enum class TBitmapFontPositionMode { pmTopLeft, pmCenter };

class TOmegaBitmapFont {
 public:
  TOmegaBitmapFont(TOmegaScreen* screen = nullptr, TOmegaImageList* imageList = nullptr);
  ~TOmegaBitmapFont();
  TOmegaBitmapFont(const TOmegaBitmapFont&) = delete;
  TOmegaBitmapFont& operator=(const TOmegaBitmapFont&) = delete;

  std::string FontName;
  TOmegaImageList* OmegaImageList = nullptr;
  int OmegaImageIndex = 0;
  std::string Characters;  // empty: the printable ASCII characters 32..126
  std::uint8_t Red = 255, Green = 255, Blue = 255, Alpha = 255;
  int LineSpace = 10;
  float CenterX = 0, CenterY = 0, ScaleX = 1.0f, ScaleY = 1.0f, Rotation = 0, CharRotation = 0;
  int Spacing = 0;
  TBitmapFontPositionMode PositionMode = TBitmapFontPositionMode::pmTopLeft;

  TOmegaScreen* OmegaScreen() const { return screen_; }
  void SetOmegaScreen(TOmegaScreen* screen);

  // Run by the screen's InitComponents.
  void Init();
  void Release();

  struct GlyphRect {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  const GlyphRect& Glyph(std::uint8_t code) const { return glyphs_[code]; }
  // Position of the character in Characters (space: 0 when absent).
  int CharIndex(std::uint8_t code) const { return charMap_[code]; }

 private:
  friend class TOmegaScreen;
  TOmegaScreen* screen_ = nullptr;
  TOmegaRenderer renderer_;
  std::array<GlyphRect, 256> glyphs_{};
  std::array<int, 256> charMap_{};
};

}  // namespace velmora
