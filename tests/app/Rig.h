// The whole display on a recording device: a started TForm1 with a fake
// window, listeners on free ports, and helpers to read back what a frame drew.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FakeWindow.h"
#include "engine/RecordingDevice.h"
#include "link/Handover.h"

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
    char tmpl[] = "/tmp/velmora-rig-XXXXXX";
    dir_ = mkdtemp(tmpl);
    form = std::make_unique<TForm1>(window, handover, ListenerConfig{0, 0}, ListenerHooks{}, dir_ / "config.txt");
    form->OmegaImageList1.SetDecoder(&decoder);
    form->FormCreate();
    form->Frames().SetSleep([this](std::chrono::milliseconds d) { slept.push_back(d); });
  }
  ~Rig() {
    form.reset();
    std::filesystem::remove_all(dir_);
  }

  FlightData& rec() { return form->record; }
  const Instruments& ins() { return form->instruments; }

  // One frame, with only its own calls in the log.
  void Frame() {
    device.ClearLog();
    form->OmegaTimer1Timer();
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
  HandoverQueue handover{[] {}};
  std::unique_ptr<TForm1> form;
  std::vector<std::chrono::milliseconds> slept;

 private:
  std::filesystem::path dir_;
  mutable std::vector<DrawnText> texts_;
};

}  // namespace velmora::testing
