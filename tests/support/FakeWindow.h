// A window for shell tests: remembers what the shell asked of it.
#pragma once

#include "app/Display.h"
#include "window/WindowHost.h"
#include "assets/ImageDecoder.h"
#include "canvas/RecordingCanvas.h"

namespace velmora::testing {

// For displays on the recording canvas: each picture gets its real size
// (read from the PNG or BMP header) and opaque white pixels.
struct WhiteHeaderDecoder : HeaderSizeDecoder {
  WhiteHeaderDecoder() : HeaderSizeDecoder(255) {}
};

class FakeWindow : public WindowHost {
 public:
  explicit FakeWindow(Canvas* canvas) : canvas_(canvas) {}

  int OuterWidth() const override { return bounds.width; }
  void SetOuterHeight(int h) override { bounds.height = h; }
  void SetOpacity(int o) override { opacity = o; }
  OuterBounds GetOuterBounds() const override { return bounds; }
  void SetOuterPosition(int l, int t) override {
    bounds.left = l;
    bounds.top = t;
  }
  void SetOuterWidth(int w) override { bounds.width = w; }
  void CenterOnPrimary(int w, int h) override {
    centred = true;
    bounds.left = (display.width - w) / 2;
    bounds.top = (display.height - h) / 2;
  }
  bool OnSomeDisplay(const OuterBounds& b) const override {
    return b.left < display.left + display.width && display.left < b.left + b.width &&
           b.top < display.top + display.height && display.top < b.top + b.height;
  }
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  Canvas* Device() override { return canvas_; }

  OuterBounds bounds{10, 10, 800, 500};
  OuterBounds display{0, 0, 1920, 1080};
  std::string caption;
  int opacity = -1;
  bool centred = false;

 private:
  Canvas* canvas_;
};

// A started display on a canvas: fake window, no config.txt (the
// fallback), no sockets.
struct StartedDisplay {
  StartedDisplay(Canvas& canvas, ImageDecoder& decoder) : window(&canvas), display(window, decoder, flight) {
    display.Start(display.RestoreWindow(std::nullopt));
  }
  // One whole frame; the pacing wait belongs to the main loop.
  void Frame() {
    display.PrepareFrame();
    display.DrawFrame();
  }
  FakeWindow window;
  FlightData flight;
  Display display;
};

}  // namespace velmora::testing
