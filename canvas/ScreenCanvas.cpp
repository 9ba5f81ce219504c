// The canvas on the screen.
#include "canvas/ScreenCanvas.h"

#include <cmath>
#include <stdexcept>

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
    : screen_(screen), pictures_(pictures), fonts_(fonts) {}

void ScreenCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  if (picture < 0 || picture >= pictures_.Count()) return;
  Picture& item = pictures_.Items(picture);
  if (!item.Ready()) return;  // no texture: its failure was reported
  const Argb t = turn.tint;
  item.DrawImage(RoundCoord(X(x)), RoundCoord(Y(y)),
                 PictureStyle{turn.angle, turn.pivotX, turn.pivotY, turn.scaleX, turn.scaleY, t, t, t, t, false, false,
                              0, BlendMode::Alpha});
}

void ScreenCanvas::Rect(bool filled, Argb color, float x, float y, float width, float height) {
  if (!screen_.Device()) return;
  const float right = x + width, bottom = y + height;
  shape_[0] = Vertex{x, y, color, 0, 0};
  shape_[1] = Vertex{right, y, color, 0, 0};
  shape_[2] = Vertex{right, bottom, color, 0, 0};
  shape_[3] = Vertex{x, bottom, color, 0, 0};
  shape_[4] = shape_[0];
  screen_.Device()->BindTexture(0);
  screen_.Draw(filled ? PrimitiveType::TriangleFan : PrimitiveType::LineStrip, shape_.data(), filled ? 4 : 5);
}

void ScreenCanvas::FillRect(Argb color, float x, float y, float width, float height) {
  Rect(true, color, X(x), Y(y), width, height);
}

void ScreenCanvas::StrokeRect(Argb color, float x, float y, float width, float height) {
  Rect(false, color, X(x), Y(y), width, height);
}

void ScreenCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  const float x = X(cx), y = Y(cy);
  if (std::isnan(radius)) return;
  if (radius > 1000) radius = 1000;
  const long n = std::lrint(static_cast<double>(radius));  // ties to even
  if (n + 2 > kShapeVertices) throw std::out_of_range("Range check error");
  if (n <= 0 || !screen_.Device()) return;
  double t = static_cast<double>(fromAngle) / 360.0;
  const double step = (static_cast<double>(toAngle) - fromAngle) * (1.0 / static_cast<double>(n)) * (1.0 / 360.0);
  shape_[0] = Vertex{x, y, color, 0, 0};
  for (long i = 1; i <= n + 1; ++i) {
    const double a = t * 6.28318530716;
    shape_[static_cast<std::size_t>(i)] =
        Vertex{static_cast<float>(x + radius * std::cos(a)), static_cast<float>(y + radius * std::sin(a)), color, 0, 0};
    t += step;
  }
  screen_.Device()->BindTexture(0);
  screen_.Draw(PrimitiveType::TriangleFan, shape_.data(), static_cast<int>(n) + 2);
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
