// Text fonts drawn through the device.
#include "engine/Font.h"

#include <cmath>
#include <utility>

#include "engine/Screen.h"

namespace velmora {

Font::Font(Screen* screen, std::string name) : name_(std::move(name)) { AttachScreen(screen); }

Font::~Font() {
  ReleaseDeviceFont();
  if (screen_) screen_->Unregister(this);
}

void Font::AttachScreen(Screen* screen) {
  if (screen == screen_) return;
  ReleaseDeviceFont();
  if (screen_) screen_->Unregister(this);
  screen_ = screen;
  if (screen_) screen_->Register(this);
}

int Font::PixelHeight(int points) {
  // Points at 96 pixels per inch, rounded to the nearest pixel.
  return static_cast<int>(std::lround(static_cast<double>(points) * 96.0 / 72.0));
}

bool Font::CreateFont(std::string_view faceName, int size, std::uint8_t style) {
  face_ = std::string(faceName);
  size_ = size;
  style_ = style;
  SetColor(ColorToARGB(-1));
  ReleaseDeviceFont();
  InitDeviceFont();
  return true;
}

void Font::SetColor(std::uint32_t color) {
  color_ = color;
  red_ = static_cast<std::uint8_t>(color >> 16);
  green_ = static_cast<std::uint8_t>(color >> 8);
  blue_ = static_cast<std::uint8_t>(color);
  alpha_ = static_cast<std::uint8_t>(color >> 24);
}

void Font::TextOut(int x, int y, std::string_view text) { TextOutColor(x, y, text, red_, green_, blue_, alpha_); }

void Font::TextOutColor(int x, int y, std::string_view text, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue, std::uint8_t alpha) {
  if (font_ == 0 || !screen_ || !screen_->Device() || text.empty()) return;
  // Like every other draw, text lands only inside a begun frame.
  if (!screen_->InFrame()) return;
  fontDevice_->DrawText(font_, x, y, text, MakeColor(red, green, blue, alpha));
}

void Font::InitDeviceFont() {
  if (font_ != 0 || !screen_ || !screen_->Device() || !screen_->DeviceReady()) return;
  FontDesc desc;
  desc.face = face_;
  desc.pixelHeight = PixelHeight(size_);
  desc.bold = (style_ & FontStyle::Bold) != 0;
  desc.italic = (style_ & FontStyle::Italic) != 0;
  desc.underline = (style_ & FontStyle::Underline) != 0;
  desc.strikeout = (style_ & FontStyle::StrikeOut) != 0;
  desc.debugName = name_;
  fontDevice_ = screen_->Device();
  font_ = fontDevice_->CreateFont(desc);
}

void Font::ReleaseDeviceFont() {
  if (font_ != 0 && fontDevice_) fontDevice_->ReleaseFont(font_);
  font_ = 0;
  fontDevice_ = nullptr;
}

}  // namespace velmora
