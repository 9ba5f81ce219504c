// The canvas on the screen.
#include "canvas/ScreenCanvas.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/PictureList.h"
#include "engine/Screen.h"

namespace velmora {

int RoundCoord(float v) {
  // Rounding at four decimals first makes values a hair below .5 (2.49996)
  // go up like the .5 itself.
  const double shifted = v >= 0 ? static_cast<double>(v) + 0.5 : static_cast<double>(v) - 0.5;
  const double r = std::nearbyint(shifted * 10000.0) / 10000.0;
  return static_cast<int>(std::trunc(r));
}

namespace {
std::uint8_t Channel(Argb color, int shift) { return static_cast<std::uint8_t>(color >> shift); }
}  // namespace

ScreenCanvas::ScreenCanvas(Screen& screen, const PictureCollection& pictures,
                           const std::array<Font*, kFontCount>& fonts)
    : screen_(screen), pictures_(pictures), fonts_(fonts), shapes_(&screen) {}

void ScreenCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  if (picture < 0 || picture >= pictures_.Count()) return;
  Picture& item = pictures_.Items(picture);
  if (!item.Ready()) return;  // no texture: its failure was reported
  const Argb t = turn.tint;
  item.DrawImage(RoundCoord(X(x)), RoundCoord(Y(y)),
                 PictureStyle{turn.angle, turn.pivotX, turn.pivotY, turn.scaleX, turn.scaleY, t, t, t, t, false, false,
                              0, BlendMode::Alpha});
}

void ScreenCanvas::FillRect(Argb color, float x, float y, float width, float height) {
  shapes_.Filled = true;
  shapes_.Rectangle(color, X(x), Y(y), width, height);
}

void ScreenCanvas::StrokeRect(Argb color, float x, float y, float width, float height) {
  shapes_.Filled = false;
  shapes_.Rectangle(color, X(x), Y(y), width, height);
}

void ScreenCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  shapes_.Filled = true;
  shapes_.Arc(color, true, X(cx), Y(cy), radius, fromAngle, toAngle);
}

void ScreenCanvas::Box(PixelBox b, bool filled, int thickness, Argb color) {
  const int ox = OriginX(), oy = OriginY();
  screen_.DrawRect(b.x1 + ox, b.y1 + oy, b.x2 + ox, b.y2 + oy, filled, thickness, Channel(color, 16),
                   Channel(color, 8), Channel(color, 0));
}

void ScreenCanvas::Text(FontRole font, int x, int y, std::string_view utf8, Argb color) {
  Font* f = fonts_[static_cast<std::size_t>(font)];
  if (!f) return;
  f->TextOutColor(x + OriginX(), y + OriginY(), utf8, Channel(color, 16), Channel(color, 8), Channel(color, 0),
                  Channel(color, 24));
}

}  // namespace velmora
