// A canvas that writes down what is drawn on it, in page coordinates, and
// hands each call on to another canvas if given one: tests read a frame back
// as "Speed_arrow at (127, 394) turned 140.3 degrees about (1, 1)".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "canvas/Canvas.h"

namespace velmora {

struct CanvasCall {
  enum class Kind { Picture, FillRect, StrokeRect, FillSector, Box, Text };
  Kind kind{};
  std::string_view picture;  // catalogue name
  float x = 0, y = 0;        // place (sector: centre) on the page
  PictureTurn turn;
  Argb color = 0;
  float width = 0, height = 0;            // rectangles; sector: radius in width
  float fromAngle = 0, toAngle = 0;       // sectors
  PixelBox box;                           // boxes, on the page
  bool filled = false;
  int thickness = 0;
  FontRole font{};
  std::string text;
};

class RecordingCanvas final : public Canvas {
 public:
  explicit RecordingCanvas(Canvas* next = nullptr) : next_(next) {}
  void SetNext(Canvas* next) { next_ = next; }

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  // The first picture drawn with that name, or null.
  const CanvasCall* Picture(std::string_view name) const;
  // Names of the pictures in drawing order.
  std::vector<std::string> Pictures() const;

  void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn) override;
  void FillRect(Argb color, float x, float y, float width, float height) override;
  void StrokeRect(Argb color, float x, float y, float width, float height) override;
  void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) override;
  void Box(PixelBox box, bool filled, int thickness, Argb color) override;
  void Text(FontRole font, int x, int y, std::string_view utf8, Argb color) override;

 private:
  CanvasCall& Push(CanvasCall::Kind kind, float x, float y);

  Canvas* next_;
  std::vector<CanvasCall> calls_;
};

}  // namespace velmora
