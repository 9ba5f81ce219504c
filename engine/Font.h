// Text fonts: a face, size in points and style bits, drawn through the
// device with the text cell's top-left at (X, Y). UTF-8 strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/RenderDevice.h"

namespace velmora {

class Screen;

// Style bits of CreateFont.
struct FontStyle {
  static constexpr std::uint8_t Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8;
};

class Font {
 public:
  // name identifies the font in recordings (e.g. "readout").
  explicit Font(Screen* screen = nullptr, std::string name = {});
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  Screen* AttachedScreen() const { return screen_; }
  void AttachScreen(Screen* screen);
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
  friend class Screen;
  Screen* screen_ = nullptr;
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
