// Render screen: colour helpers, property rules, rectangle strips, vertex
// submission, blend modes, the frame bracket, device loss and fatal errors.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "engine/Font.h"
#include "engine/PictureList.h"
#include "engine/Screen.h"
#include "engine/RecordingDevice.h"

namespace velmora {
namespace {


TEST(ColorHelpers, PackAndConvert) {
  struct Case {
    const char* what;
    std::uint32_t got, want;
  } cases[] = {
      {"MakeColor packs ARGB", MakeColor(0x11, 0x22, 0x33, 0x44), 0x44112233u},
      {"MakeColor opaque red", MakeColor(255, 0, 0, 255), 0xFFFF0000u},
      {"ColorToARGB black", ColorToARGB(0), 0xFF000000u},
      {"ColorToARGB -1 unchanged", ColorToARGB(-1), 0xFFFFFFFFu},
      {"ColorToARGB swaps red and blue", ColorToARGB(0x00112233), 0xFF332211u},
      {"ColorToARGB clRed (0x0000FF)", ColorToARGB(0x000000FF), 0xFFFF0000u},
      {"ColorToARGB keeps values with alpha", ColorToARGB(0x01000000), 0x01000000u},
      {"ColorToARGB keeps system colours", ColorToARGB(static_cast<std::int32_t>(0x8000000F)), 0x8000000Fu},
      {"ColorToARGBAlpha swaps, sets alpha", ColorToARGBAlpha(0x00112233, 0x80), 0x80332211u},
      {"ColorToARGBAlpha alpha 0", ColorToARGBAlpha(0x00FFFFFF, 0), 0x00FFFFFFu},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Screen, ConstructorDefaults) {
  Screen s;
  EXPECT_EQ(s.Width, 800);
  EXPECT_EQ(s.Height, 600);
  EXPECT_FALSE(s.VSYNC);
}

struct Frame {
  RecordingDevice dev;
  Screen screen{&dev};
  Frame() {
    screen.Width = 1024;
    screen.Height = 650;
    EXPECT_EQ(screen.Initialize(), ScreenStatus::Ok);
    screen.Clear(255, 255, 255, 255);
    screen.BeginFrame();
    dev.ClearLog();
  }
};

TEST(Screen, DrawRectStrips) {
  struct Case {
    const char* what;
    bool filled;
    int thickness;
    std::vector<IntRect> rects;
  } cases[] = {
      {"border outside", false, 2,
       {{83, 324, 138, 326}, {83, 324, 85, 348}, {83, 346, 138, 348}, {136, 324, 138, 348}}},
      {"border inside", false, -2,
       {{85, 326, 136, 328}, {85, 326, 87, 346}, {85, 344, 136, 346}, {134, 326, 136, 346}}},
      {"filled only", true, 0, {{85, 326, 136, 346}}},
      {"nothing", false, 0, {}},
      {"filled then inside border", true, -1,
       {{85, 326, 136, 346}, {85, 326, 136, 327}, {85, 326, 86, 346}, {85, 345, 136, 346}, {135, 326, 136, 346}}},
  };
  for (const auto& c : cases) {
    Frame f;
    f.screen.DrawRect(85, 326, 135, 345, c.filled, c.thickness, 10, 20, 30);
    auto calls = f.dev.CallsOf(CallKind::ClearRect);
    ASSERT_EQ(calls.size(), c.rects.size()) << c.what;
    EXPECT_EQ(f.dev.Calls().size(), c.rects.size()) << c.what << ": rectangle clears only";
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i]->rect, c.rects[i]) << c.what << " strip " << i;
      EXPECT_EQ(calls[i]->color, 0xFF0A141Eu) << c.what;
    }
  }
}

// Every colour is scaled by 255/256 on its way to the device, and the
// places and texture coordinates pass unchanged.
TEST(Screen, DrawScalesColoursAndKeepsPlaces) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0xFFFFFFFFu, 0xFEFEFEFEu}, {0xFF000000u, 0xFE000000u}, {0x80FF4010u, 0x7FFE3F0Fu}};
  for (const auto& [in, want] : cases) {
    Frame f;
    Vertex v{417.25f, 400.5f, in, 0.25f, 0.75f};
    ASSERT_TRUE(f.screen.Draw(PrimitiveType::TriangleFan, &v, 1));
    EXPECT_EQ(v.color, want) << std::hex << in;
    EXPECT_EQ(v.x, 417.25f);
    EXPECT_EQ(v.y, 400.5f);
    EXPECT_EQ(v.u, 0.25f);
    EXPECT_EQ(v.v, 0.75f);
  }
}

TEST(Screen, BlendModesSkipRedundantChanges) {
  Frame f;
  f.screen.SetBlendMode(BlendMode::Alpha);  // the starting mode
  EXPECT_EQ(f.dev.CountOf(CallKind::SetBlend), 0);
  f.screen.SetBlendMode(BlendMode::Additive);
  f.screen.SetBlendMode(BlendMode::Additive);
  ASSERT_EQ(f.dev.CountOf(CallKind::SetBlend), 1);
  EXPECT_EQ(f.dev.Calls().back().blend, BlendMode::Additive);
  EXPECT_EQ(f.screen.Blend(), BlendMode::Additive);
}

TEST(Screen, FrameBracket) {
  RecordingDevice dev;
  Screen screen(&dev);
  screen.Width = 1024;
  screen.Height = 650;
  ASSERT_EQ(screen.Initialize(), ScreenStatus::Ok);
  EXPECT_EQ(dev.Width(), 1024);
  EXPECT_EQ(dev.Height(), 650);

  // A frame that was never begun presents nothing.
  dev.ClearLog();
  screen.Present();
  EXPECT_EQ(dev.CountOf(CallKind::Present), 0);

  screen.BeginFrame();
  EXPECT_TRUE(screen.InFrame());
  Vertex quad[4];
  ASSERT_TRUE(screen.Draw(PrimitiveType::TriangleFan, quad, 4));
  screen.Present();
  EXPECT_EQ(dev.CountOf(CallKind::DrawFan), 1);
  EXPECT_EQ(dev.CountOf(CallKind::Present), 1);
}

TEST(Screen, DeviceParameters) {
  struct Case {
    bool fullScreen;
    int w, h;
    bool vsync;
    int wantW, wantH;
    bool wantVsync;
  } cases[] = {
      {false, 1024, 650, true, 1024, 650, false},
      {true, 1024, 650, true, 1024, 650, true},
      {true, 1024, 768, false, 1024, 768, false},
      {true, 320, 200, true, 320, 200, true},
  };
  for (const auto& c : cases) {
    RecordingDevice dev;
    Screen screen(&dev);
    screen.FullScreen = c.fullScreen;
    screen.Width = c.w;
    screen.Height = c.h;
    screen.VSYNC = c.vsync;
    ASSERT_EQ(screen.Initialize(), ScreenStatus::Ok);
    EXPECT_EQ(dev.Width(), c.wantW);
    EXPECT_EQ(dev.Height(), c.wantH);
    EXPECT_EQ(dev.CallsOf(CallKind::Open).back()->params.vsync, c.wantVsync);
  }
}

TEST(Screen, FailedStartsSayWhy) {
  struct Case {
    const char* what;
    bool haveDevice;
    RenderMode mode;
    int openFailures;
    ScreenStatus status;
    int opens;
  } cases[] = {
      {"no device", false, RenderMode::Hardware, 0, ScreenStatus::NoDevice, 0},
      {"hardware falls back to software", true, RenderMode::Hardware, 1, ScreenStatus::Ok, 2},
      {"hardware and software fail", true, RenderMode::Hardware, 2, ScreenStatus::NoCompatibleDevice, 2},
      {"software fails", true, RenderMode::Software, 1, ScreenStatus::NoCompatibleDevice, 1},
      {"reference fails", true, RenderMode::Reference, 1, ScreenStatus::NoCompatibleDevice, 1},
  };
  for (const auto& c : cases) {
    RecordingDevice dev;
    dev.FailOpen(c.openFailures);
    Screen screen(c.haveDevice ? &dev : nullptr);
    screen.Mode = c.mode;
    EXPECT_EQ(screen.Initialize(), c.status) << c.what;
    EXPECT_EQ(dev.CountOf(CallKind::Open), c.opens) << c.what;
    EXPECT_EQ(screen.Initialized(), c.status == ScreenStatus::Ok) << c.what;
    if (c.status == ScreenStatus::Ok) {
      EXPECT_TRUE(dev.CallsOf(CallKind::Open).back()->params.software) << c.what;
    }
  }
  EXPECT_EQ(ScreenStatusMessage(ScreenStatus::NoDevice), kMsgNoDirect3D);
  EXPECT_EQ(ScreenStatusMessage(ScreenStatus::NoCompatibleDevice), kMsgNoDevice);
}

}  // namespace
}  // namespace velmora
