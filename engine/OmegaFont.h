// Text fonts: a face, size in points and style bits, drawn through the
// device with the text cell's top-left at (X, Y). UTF-8 strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/RenderDevice.h"

namespace velmora {

class TOmegaScreen;

// Style bits of CreateFont.
inline constexpr std::uint8_t fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

class TOmegaFont {
 public:
  // name identifies the font in recordings (e.g. "OmegaFont5").
  explicit TOmegaFont(TOmegaScreen* screen = nullptr, std::string name = {});
  ~TOmegaFont();
  TOmegaFont(const TOmegaFont&) = delete;
  TOmegaFont& operator=(const TOmegaFont&) = delete;

  TOmegaScreen* OmegaScreen() const { return screen_; }
  void SetOmegaScreen(TOmegaScreen* screen);
  const std::string& Name() const { return name_; }

  // Stores the settings, resets the colour to opaque white and creates the
  // device font anew. Returns true.
  bool CreateFont(std::string_view faceName, int size, std::uint8_t style);
  void SetColor(std::uint32_t color);
  void TextOut(int x, int y, std::string_view text);
  void TextOutColor(int x, int y, std::string_view text, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue, std::uint8_t alpha);

  const std::string& FaceName() const { return face_; }
  int Size() const { return size_; }
  std::uint8_t Style() const { return style_; }
  std::uint32_t Color() const { return color_; }
  FontId DeviceFont() const { return font_; }

  // Character height in pixels of a size in points at 96 pixels per inch.
  static int PixelHeight(int points);

  // Called by the screen around device resets.
  void InitDeviceFont();
  void ReleaseDeviceFont();

 private:
  friend class TOmegaScreen;
  TOmegaScreen* screen_ = nullptr;
  std::string name_;
  FontId font_ = 0;
  RenderDevice* fontDevice_ = nullptr;  // device that made font_
  std::string face_;
  int size_ = 0;
  std::uint8_t style_ = 0;
  std::uint8_t red_ = 0, blue_ = 0, green_ = 0, alpha_ = 0;
  std::uint32_t color_ = 0;
};

}  // namespace velmora
