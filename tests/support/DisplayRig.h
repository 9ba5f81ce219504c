// The whole display on the recording canvas: a started display with a fake
// window and no sockets, and helpers to read back what a frame drew.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeWindow.h"
#include "canvas/RecordingCanvas.h"
#include "pages/Fonts.h"

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
    canvas.Clear();
    display->PrepareFrame();
    display->DrawFrame();
  }

  std::vector<const CanvasCall*> CallsOf(CanvasCall::Kind kind) const {
    std::vector<const CanvasCall*> out;
    for (const CanvasCall& c : canvas.Calls())
      if (c.kind == kind) out.push_back(&c);
    return out;
  }
  std::vector<DrawnText> Texts() const {
    std::vector<DrawnText> out;
    for (const CanvasCall* c : CallsOf(CanvasCall::Kind::Text))
      out.push_back({std::string(SpecOf(c->font).name), static_cast<int>(c->x), static_cast<int>(c->y), c->text,
                     c->color});
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
  std::vector<std::string> Pictures() const { return canvas.Pictures(); }
  // Flat fills (bars, sectors) in order.
  std::vector<const CanvasCall*> Fills() const {
    std::vector<const CanvasCall*> out;
    for (const CanvasCall& c : canvas.Calls())
      if (c.kind == CanvasCall::Kind::FillRect || c.kind == CanvasCall::Kind::FillSector ||
          c.kind == CanvasCall::Kind::Polygon)
        out.push_back(&c);
    return out;
  }
  // A box (corners included) drawn so, in the colour.
  bool HasBox(PixelBox b, bool filled, int thickness, std::uint32_t color) const {
    for (const CanvasCall* c : CallsOf(CanvasCall::Kind::Box))
      if (c->filled == filled && c->thickness == thickness && c->box.x1 == b.x1 && c->box.y1 == b.y1 &&
          c->box.x2 == b.x2 && c->box.y2 == b.y2 && (c->color | 0xFF000000u) == color)
        return true;
    return false;
  }

  RecordingCanvas canvas;
  WhiteHeaderDecoder decoder;
  FakeWindow window{&canvas};
  FlightData record;
  std::unique_ptr<Display> display;

 private:
  mutable std::vector<DrawnText> texts_;
};

}  // namespace velmora::testing
