// Text fonts drawn through the device.
#include "engine/OmegaFont.h"

#include <cmath>
#include <utility>

#include "engine/OmegaScreen.h"

namespace velmora {

TOmegaFont::TOmegaFont(TOmegaScreen* screen, std::string name) : name_(std::move(name)) { SetOmegaScreen(screen); }

TOmegaFont::~TOmegaFont() {
  ReleaseDeviceFont();
  if (screen_) screen_->Unregister(this);
}

void TOmegaFont::SetOmegaScreen(TOmegaScreen* screen) {
  if (screen == screen_) return;
  ReleaseDeviceFont();
  if (screen_) screen_->Unregister(this);
  screen_ = screen;
  if (screen_) screen_->Register(this);
}

int TOmegaFont::PixelHeight(int points) {
  // Points at 96 pixels per inch, rounded to the nearest pixel.
  return static_cast<int>(std::lround(static_cast<double>(points) * 96.0 / 72.0));
}

bool TOmegaFont::CreateFont(std::string_view faceName, int size, std::uint8_t style) {
  face_ = std::string(faceName);
  size_ = size;
  style_ = style;
  SetColor(ColorToARGB(-1));
  ReleaseDeviceFont();
  InitDeviceFont();
  return true;
}

void TOmegaFont::SetColor(std::uint32_t color) {
  color_ = color;
  red_ = static_cast<std::uint8_t>(color >> 16);
  green_ = static_cast<std::uint8_t>(color >> 8);
  blue_ = static_cast<std::uint8_t>(color);
  alpha_ = static_cast<std::uint8_t>(color >> 24);
}

void TOmegaFont::TextOut(int x, int y, std::string_view text) { TextOutColor(x, y, text, red_, green_, blue_, alpha_); }

void TOmegaFont::TextOutColor(int x, int y, std::string_view text, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue, std::uint8_t alpha) {
  if (font_ == 0 || !screen_ || !screen_->Device() || text.empty()) return;
  // Like every other draw, text lands only inside a begun scene.
  if (!screen_->InScene()) return;
  fontDevice_->DrawText(font_, x, y, text, MakeColor(red, green, blue, alpha));
}

void TOmegaFont::InitDeviceFont() {
  if (font_ != 0 || !screen_ || !screen_->Device() || !screen_->DeviceReady()) return;
  FontDesc desc;
  desc.face = face_;
  desc.pixelHeight = PixelHeight(size_);
  desc.bold = (style_ & fsBold) != 0;
  desc.italic = (style_ & fsItalic) != 0;
  desc.underline = (style_ & fsUnderline) != 0;
  desc.strikeout = (style_ & fsStrikeOut) != 0;
  desc.debugName = name_;
  fontDevice_ = screen_->Device();
  font_ = fontDevice_->CreateFont(desc);
}

void TOmegaFont::ReleaseDeviceFont() {
  if (font_ != 0 && fontDevice_) fontDevice_->ReleaseFont(font_);
  font_ = 0;
  fontDevice_ = nullptr;
}

}  // namespace velmora
