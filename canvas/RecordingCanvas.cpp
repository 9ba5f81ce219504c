// The recording canvas.
#include "canvas/RecordingCanvas.h"

#include <algorithm>

#include "assets/ImageCatalogue.h"

namespace velmora {

CanvasCall* RecordingCanvas::Push(CanvasCall::Kind kind, float x, float y) {
  if (!record_) return nullptr;
  CanvasCall& c = calls_.emplace_back();
  c.kind = kind;
  const CanvasPoint p = Map(x, y);
  c.x = p.x;
  c.y = p.y;
  return &c;
}

int RecordingCanvas::CountOf(CanvasCall::Kind kind) const {
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const CanvasCall& c) { return c.kind == kind; }));
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

ScreenStatus RecordingCanvas::Open(int width, int height, std::span<const PictureData> pictures, std::span<const FontSpec>,
                                   std::string& failed) {
  failed.clear();
  if (failOpens > 0) {
    --failOpens;
    return ScreenStatus::NoCompatibleDevice;
  }
  width_ = width;
  height_ = height;
  ++opens;
  for (const PictureData& p : pictures)
    if (failed.empty() && (p.rgba.empty() || p.name == failPicture)) failed = p.name;
  return ScreenStatus::Ok;
}

void RecordingCanvas::DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) {
  if (CanvasCall* c = Push(CanvasCall::Kind::Picture, x, y)) {
    const bool known = picture >= 0 && picture < static_cast<int>(kImageCatalogue.size());
    c->picture = known ? kImageCatalogue[static_cast<std::size_t>(picture)].name : std::string_view("?");
    c->turn = turn;
    c->turn.angle += Angle();
  }
}

void RecordingCanvas::FillRect(Argb color, float x, float y, float width, float height) {
  if (CanvasCall* c = Push(CanvasCall::Kind::FillRect, x, y)) c->color = color, c->width = width, c->height = height;
}

void RecordingCanvas::StrokeRect(Argb color, float x, float y, float width, float height) {
  if (CanvasCall* c = Push(CanvasCall::Kind::StrokeRect, x, y)) c->color = color, c->width = width, c->height = height;
}

void RecordingCanvas::FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) {
  if (CanvasCall* c = Push(CanvasCall::Kind::FillSector, cx, cy))
    c->color = color, c->width = radius, c->fromAngle = fromAngle + Angle(), c->toAngle = toAngle + Angle();
}

void RecordingCanvas::FillPolygon(Argb color, std::span<const CanvasPoint> points) {
  if (CanvasCall* c = Push(CanvasCall::Kind::Polygon, 0, 0)) {
    c->color = color;
    for (const CanvasPoint& p : points) c->points.push_back(Map(p.x, p.y));
  }
}

void RecordingCanvas::Line(Argb color, float x1, float y1, float x2, float y2) {
  const CanvasPoint end = Map(x2, y2);
  if (CanvasCall* c = Push(CanvasCall::Kind::Line, x1, y1)) c->color = color, c->width = end.x, c->height = end.y;
}

void RecordingCanvas::Box(PixelBox b, bool filled, int thickness, Argb color) {
  const int ox = OriginX(), oy = OriginY();
  if (CanvasCall* c = Push(CanvasCall::Kind::Box, 0, 0))
    c->box = {b.x1 + ox, b.y1 + oy, b.x2 + ox, b.y2 + oy}, c->filled = filled, c->thickness = thickness, c->color = color;
}

void RecordingCanvas::Text(FontId font, int x, int y, std::string_view utf8, Argb color) {
  MapPixel(x, y);
  if (CanvasCall* c = Push(CanvasCall::Kind::Text, 0, 0)) {
    c->x = static_cast<float>(x), c->y = static_cast<float>(y);
    c->font = font, c->text = std::string(utf8), c->color = color;
  }
}

}  // namespace velmora
