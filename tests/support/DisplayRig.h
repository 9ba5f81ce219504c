// The whole display on a recording device: a started display with a fake
// window and no sockets, and helpers to read back what a frame drew.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/FakeWindow.h"
#include "canvas/RecordingCanvas.h"
#include "engine/RecordingDevice.h"

namespace velmora::testing {

struct DrawnText {
  std::string font;
  int x, y;
  std::string text;
  std::uint32_t color;
};

class Rig {
 public:
  Rig() {
    display = std::make_unique<Display>(window, decoder, record);
    display->Start(display->RestoreWindow(std::nullopt));
    canvas.SetNext(&display->OnScreen());
    display->SetPageCanvas(&canvas);
  }

  FlightData& rec() { return record; }
  const TacticalPage& tactical() const { return display->TacticalInstruments(); }
  // The index-th drawing of a picture in the last frame, as the page gave it.
  const CanvasCall& Drawn(std::string_view picture, int index = 0) const {
    for (const CanvasCall& c : canvas.Calls())
      if (c.kind == CanvasCall::Kind::Picture && c.picture == picture && index-- == 0) return c;
    ADD_FAILURE() << picture << " not drawn";
    static const CanvasCall none;
    return none;
  }

  // One frame, with only its own calls in the log (the pacing wait belongs
  // to the main loop).
  void Frame() {
    device.ClearLog();
    canvas.Clear();
    display->PrepareFrame();
    display->DrawFrame();
  }

  std::vector<DrawnText> Texts() const {
    std::vector<DrawnText> out;
    for (const RecordedCall* c : device.CallsOf(CallKind::DrawText)) {
      const FontDesc* f = device.Font(c->font);
      out.push_back({f ? f->debugName : "?", c->x, c->y, c->text, c->color});
    }
    return out;
  }
  // The text written with a font at a place, or nullptr.
  const DrawnText* TextAt(const std::string& font, int x, int y) const {
    texts_ = Texts();
    for (const auto& t : texts_)
      if (t.font == font && t.x == x && t.y == y) return &t;
    return nullptr;
  }
  std::string TextOf(const std::string& font, int x, int y) const {
    const DrawnText* t = TextAt(font, x, y);
    return t ? t->text : "<none>";
  }
  // Texture names of the textured fans, in drawing order.
  std::vector<std::string> Pictures() const {
    std::vector<std::string> out;
    for (const RecordedCall* c : device.CallsOf(CallKind::DrawFan))
      if (c->texture != 0) out.push_back(device.TextureName(c->texture));
    return out;
  }
  // Untextured fans (bars, filled sectors) in order.
  std::vector<const RecordedCall*> PlainFans() const {
    std::vector<const RecordedCall*> out;
    for (const RecordedCall* c : device.CallsOf(CallKind::DrawFan))
      if (c->texture == 0) out.push_back(c);
    return out;
  }
  bool HasClearRect(IntRect r, std::uint32_t color) const {
    for (const RecordedCall* c : device.CallsOf(CallKind::ClearRect))
      if (c->rect == r && c->color == color) return true;
    return false;
  }

  RecordingDevice device;
  WhiteHeaderDecoder decoder;
  FakeWindow window{&device};
  FlightData record;
  std::unique_ptr<Display> display;
  RecordingCanvas canvas;  // in front of the display's own canvas

 private:
  mutable std::vector<DrawnText> texts_;
};

}  // namespace velmora::testing
