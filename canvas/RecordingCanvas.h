// A canvas that writes down what is drawn on it, in page coordinates: tests
// read a frame back as "Speed_arrow at (127, 394) turned 140.3 degrees
// about (1, 1)" or "'P760.0' in the readout font at (570, 475)". Recording
// nothing, it is the canvas of --null-render runs: every frame computed and
// handed over, nothing rasterised.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "canvas/Canvas.h"

namespace velmora {

struct CanvasCall {
  enum class Kind { Frame, Present, Picture, FillRect, StrokeRect, FillSector, Polygon, Line, Box, Text };
  Kind kind{};
  std::string_view picture;  // catalogue name
  float x = 0, y = 0;        // place (sector: centre; line: start) on the page
  PictureTurn turn;
  Argb color = 0;                    // frames: the clear colour
  float width = 0, height = 0;       // rectangles; sector: radius in width; line: its end
  float fromAngle = 0, toAngle = 0;  // sectors
  PixelBox box;                      // boxes, on the page
  bool filled = false;
  int thickness = 0;
  FontId font = 0;
  std::string text;
  std::vector<CanvasPoint> points;  // polygons, on the page
};

class RecordingCanvas final : public Canvas {
 public:
  explicit RecordingCanvas(bool record = true) : record_(record) {}

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  int CountOf(CanvasCall::Kind kind) const;
  // The first picture drawn with that name, or null.
  const CanvasCall* Picture(std::string_view name) const;
  // Names of the pictures in drawing order.
  std::vector<std::string> Pictures() const;

  // Scripted failures: the next Open calls fail; a picture gets no texture.
  int failOpens = 0;
  std::string failPicture;
  int opens = 0;  // successful Open calls

  ScreenStatus Open(int width, int height, std::span<const PictureData> pictures, std::span<const FontSpec> fonts,
                    std::string& failed) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void BeginFrame(Argb clear) override {
    if (CanvasCall* c = Push(CanvasCall::Kind::Frame, 0, 0)) c->color = clear;
  }
  void Present() override { Push(CanvasCall::Kind::Present, 0, 0); }
  void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn = {}) override;
  void FillRect(Argb color, float x, float y, float width, float height) override;
  void StrokeRect(Argb color, float x, float y, float width, float height) override;
  void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) override;
  void FillPolygon(Argb color, std::span<const CanvasPoint> points) override;
  void Line(Argb color, float x1, float y1, float x2, float y2) override;
  void Box(PixelBox box, bool filled, int thickness, Argb color) override;
  void Text(FontId font, int x, int y, std::string_view utf8, Argb color) override;

 private:
  // Null when nothing is recorded.
  CanvasCall* Push(CanvasCall::Kind kind, float x, float y);

  bool record_;
  int width_ = 0, height_ = 0;
  std::vector<CanvasCall> calls_;
};

}  // namespace velmora
