// The recording canvas.
#include "canvas/RecordingCanvas.h"

#include "assets/ImageCatalogue.h"

namespace velmora {

CanvasCall& RecordingCanvas::Push(CanvasCall::Kind kind, float x, float y) {
  CanvasCall& c = calls_.emplace_back();
  c.kind = kind;
  // The origin added as the screen adds it, so a page place is exact.
  c.x = static_cast<float>(OriginX()) + x;
  c.y = static_cast<float>(OriginY()) + y;
  return c;
}

const CanvasCall* RecordingCanvas::Picture(std::string_view name) const {
  for (const CanvasCall& c : calls_)
    if (c.kind == CanvasCall::Kind::Picture && c.picture == name) return &c;
  return nullptr;
}

std::vector<std::string> RecordingCanvas::Pictures() const {
  std::vector<std::string> out;
  for (const CanvasCall& c : calls_)
    if (c.kind == CanvasCall::Kind::Picture) out.emplace_back(c.picture);
  return out;
}

void RecordingCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  CanvasCall& c = Push(CanvasCall::Kind::Picture, x, y);
  c.picture = picture >= 0 && picture < static_cast<int>(kImageCatalogue.size())
                  ? kImageCatalogue[static_cast<std::size_t>(picture)].name
                  : std::string_view("?");
  c.turn = turn;
  if (next_) next_->DrawPicture(picture, c.x, c.y, turn);
}

void RecordingCanvas::FillRect(Argb color, float x, float y, float width, float height) {
  CanvasCall& c = Push(CanvasCall::Kind::FillRect, x, y);
  c.color = color, c.width = width, c.height = height;
  if (next_) next_->FillRect(color, c.x, c.y, width, height);
}

void RecordingCanvas::StrokeRect(Argb color, float x, float y, float width, float height) {
  CanvasCall& c = Push(CanvasCall::Kind::StrokeRect, x, y);
  c.color = color, c.width = width, c.height = height;
  if (next_) next_->StrokeRect(color, c.x, c.y, width, height);
}

void RecordingCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  CanvasCall& c = Push(CanvasCall::Kind::FillSector, cx, cy);
  c.color = color, c.width = radius, c.fromAngle = fromAngle, c.toAngle = toAngle;
  if (next_) next_->FillSector(color, c.x, c.y, radius, fromAngle, toAngle);
}

void RecordingCanvas::Box(PixelBox box, bool filled, int thickness, Argb color) {
  CanvasCall& c = Push(CanvasCall::Kind::Box, 0, 0);
  c.box = {box.x1 + OriginX(), box.y1 + OriginY(), box.x2 + OriginX(), box.y2 + OriginY()};
  c.filled = filled, c.thickness = thickness, c.color = color;
  if (next_) next_->Box(c.box, filled, thickness, color);
}

void RecordingCanvas::Text(FontRole font, int x, int y, std::string_view utf8, Argb color) {
  CanvasCall& c = Push(CanvasCall::Kind::Text, 0, 0);
  c.x = static_cast<float>(x + OriginX()), c.y = static_cast<float>(y + OriginY());
  c.font = font, c.text = std::string(utf8), c.color = color;
  if (next_) next_->Text(font, x + OriginX(), y + OriginY(), utf8, color);
}

}  // namespace velmora
