// Fonts: pixel heights, style bits, colour handling and what reaches the device.
#include <gtest/gtest.h>

#include "engine/Font.h"
#include "engine/Screen.h"
#include "engine/RecordingDevice.h"

namespace velmora {
namespace {

TEST(Font, PixelHeightAt96Dpi) {
  const std::pair<int, int> cases[] = {{10, 13}, {12, 16}, {13, 17}, {16, 21}, {17, 23}, {20, 27}, {0, 0}, {3, 4}};
  for (auto [pt, px] : cases) EXPECT_EQ(Font::PixelHeight(pt), px) << pt << " pt";
}

struct Scene {
  RecordingDevice dev;
  Screen screen{&dev};
  Font font{&screen, "readout"};
  Scene() {
    EXPECT_EQ(screen.Initialize(), ScreenStatus::Ok);
    screen.BeginFrame();
    dev.ClearLog();
  }
};

TEST(Font, CreateFontPassesFaceHeightAndStyle) {
  struct Case {
    int size;
    std::uint8_t style;
    int px;
    bool bold, italic, underline, strike;
  } cases[] = {{13, FontStyle::Bold, 17, true, false, false, false},
               {17, FontStyle::Underline, 23, false, false, true, false},
               {20, FontStyle::Italic | FontStyle::StrikeOut, 27, false, true, false, true},
               {16, 0, 21, false, false, false, false}};
  for (const auto& c : cases) {
    Scene s;
    EXPECT_TRUE(s.font.CreateFont("Arial", c.size, c.style));
    const FontDesc* d = s.dev.Font(s.font.DeviceFont());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->face, "Arial");
    EXPECT_EQ(d->pixelHeight, c.px);
    EXPECT_EQ(d->bold, c.bold);
    EXPECT_EQ(d->italic, c.italic);
    EXPECT_EQ(d->underline, c.underline);
    EXPECT_EQ(d->strikeout, c.strike);
    EXPECT_EQ(d->debugName, "readout");
  }
}

TEST(Font, ColourAndText) {
  Scene s;
  s.font.SetColor(0x11223344u);
  s.font.CreateFont("Arial", 13, FontStyle::Bold);
  EXPECT_EQ(s.font.Color(), 0xFFFFFFFFu) << "CreateFont resets the colour";
  EXPECT_EQ(s.dev.LiveFonts(), 1);
  s.font.CreateFont("Arial", 16, FontStyle::Bold);
  EXPECT_EQ(s.dev.LiveFonts(), 1) << "the old device font is released";

  s.font.TextOut(459, 333, "60");
  s.font.SetColor(0x67394710u);
  s.font.TextOut(570, 475, "P760.0");
  s.font.TextOut(1, 1, "");
  s.font.TextOutColor(10, 20, "Топливо:", 1, 2, 3, 4);
  auto texts = s.dev.CallsOf(CallKind::DrawText);
  ASSERT_EQ(texts.size(), 3u) << "empty text draws nothing";
  struct Want {
    int x, y;
    const char* text;
    std::uint32_t color;
  } want[] = {{459, 333, "60", 0xFFFFFFFFu}, {570, 475, "P760.0", 0x67394710u}, {10, 20, "Топливо:", 0x04010203u}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(texts[i]->x, want[i].x);
    EXPECT_EQ(texts[i]->y, want[i].y);
    EXPECT_EQ(texts[i]->text, want[i].text);
    EXPECT_EQ(texts[i]->color, want[i].color);
    EXPECT_EQ(texts[i]->name, "readout");
  }
}

TEST(Font, NoDeviceFontDrawsNothing) {
  RecordingDevice dev;
  Screen screen(&dev);
  Font font(&screen, "font1");
  font.CreateFont("Arial", 10, FontStyle::Bold);  // before Initialize: no device font yet
  EXPECT_EQ(font.DeviceFont(), 0u);
  font.TextOut(0, 0, "x");
  EXPECT_EQ(dev.CountOf(CallKind::DrawText), 0);
  ASSERT_EQ(screen.Initialize(), ScreenStatus::Ok);
  EXPECT_NE(font.DeviceFont(), 0u) << "the screen creates it from the stored settings";
  EXPECT_EQ(dev.Font(font.DeviceFont())->pixelHeight, 13);
  font.TextOut(0, 0, "x");
  EXPECT_EQ(dev.CountOf(CallKind::DrawText), 0) << "outside a scene";
  Font loose;
  loose.CreateFont("Arial", 10, 0);
  loose.TextOut(0, 0, "x");
  EXPECT_EQ(dev.CountOf(CallKind::DrawText), 0);
}

}  // namespace
}  // namespace velmora
