// Real pixels from the SDL device (offscreen video driver, software
// renderer): rectangle borders, a rotated picture, a filled arc, text
// placement, the text cache, screenshots and device resets. A failing probe
// saves the frame as <test>_err.png in $VELMORA_TEST_OUT and names the first
// pixel that differs.
#include <gtest/gtest.h>

#include <SDL.h>

#include <array>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "EngineTestSupport.h"
#include "engine/Font.h"
#include "engine/PictureList.h"
#include "canvas/ScreenCanvas.h"
#include "engine/Screen.h"
#include "engine/SdlImageDecoder.h"
#include "engine/SdlRenderDevice.h"

namespace velmora {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kRed = 0xFFFF0000u;

struct Probe {
  int x, y;
  std::uint32_t want;
  int tolerance;  // per channel
};

class SdlPixels : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window = SDL_CreateWindow("engine test", 0, 0, 1024, 650, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    dev = std::make_unique<SdlRenderDevice>(window, SdlDeviceOptions{true, 64});
    screen = std::make_unique<Screen>(dev.get());
    list = std::make_unique<PictureList>(screen.get());
    screen->Width = 1024;
    screen->Height = 650;
  }
  void TearDown() override {
    list.reset();
    screen.reset();
    dev.reset();
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  void Start() {
    ASSERT_EQ(screen->Initialize(), ScreenStatus::Ok);
    NewFrame();
  }
  void NewFrame() {
    screen->Clear(255, 255, 255, 255);
    screen->BeginFrame();
    screen->SetTextureFilter(true);
  }
  bool Read() { return dev->ReadPixels(px, w, h); }
  std::uint32_t At(int x, int y) const { return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]; }

  static bool Close(std::uint32_t a, std::uint32_t b, int tol) {
    for (int shift = 0; shift < 32; shift += 8)
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tol) return false;
    return true;
  }

  void Check(const std::vector<Probe>& probes) {
    ASSERT_TRUE(Read());
    for (const auto& p : probes) {
      if (Close(At(p.x, p.y), p.want, p.tolerance)) continue;
      const char* out = std::getenv("VELMORA_TEST_OUT");
      std::string file = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_err.png";
      if (out) {
        std::filesystem::create_directories(out);
        file = std::string(out) + "/" + file;
      }
      dev->SaveScreenshot(file);
      ADD_FAILURE() << "first differing pixel (" << p.x << ", " << p.y << "): got 0x" << std::hex << At(p.x, p.y)
                    << ", want 0x" << p.want << " ±" << std::dec << p.tolerance << "; frame saved to " << file;
      return;
    }
  }

  SDL_Window* window = nullptr;
  std::unique_ptr<SdlRenderDevice> dev;
  std::unique_ptr<Screen> screen;
  std::unique_ptr<PictureList> list;
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
};

TEST_F(SdlPixels, DrawRectBorderOutsideAndInside) {
  Start();
  screen->DrawRect(85, 326, 135, 345, false, 2, 0, 0, 0);
  screen->DrawRect(300, 300, 350, 320, false, -2, 0, 0, 0);
  screen->DrawRect(500, 500, 501, 501, true, 0, 255, 0, 0);
  // Rectangle clears are exact: no tolerance.
  Check({{83, 324, kBlack, 0}, {84, 325, kBlack, 0}, {85, 326, kWhite, 0}, {110, 335, kWhite, 0},
         {82, 324, kWhite, 0}, {83, 323, kWhite, 0}, {137, 347, kBlack, 0}, {138, 347, kWhite, 0},
         {137, 348, kWhite, 0}, {135, 345, kWhite, 0}, {136, 346, kBlack, 0},
         {300, 300, kBlack, 0}, {301, 301, kBlack, 0}, {302, 302, kWhite, 0}, {350, 320, kBlack, 0},
         {299, 300, kWhite, 0}, {348, 318, kWhite, 0},
         {500, 500, kRed, 0}, {501, 501, kRed, 0}, {502, 501, kWhite, 0}, {499, 500, kWhite, 0}});
}

TEST_F(SdlPixels, RotatedPictureCorners) {
  auto& item = list->Pictures.Add();
  item.Name = "Bar";
  item.SetPicturePixels(40, 20, test::SolidPixels(40, 20, 255, 0, 0));
  Start();
  PictureStyle turned;
  turned.angle = 90;
  turned.centerX = 0.5f;
  turned.centerY = 0.5f;
  item.DrawImage(200, 100, turned);
  // Turned about (220, 110): covers columns 210..230 and rows 90..129.
  // Probes one pixel inside and two outside each edge; inside tolerance 64
  // allows for filtering against the transparent margin.
  Check({{211, 91, kRed, 64}, {229, 91, kRed, 64}, {211, 128, kRed, 64}, {229, 128, kRed, 64},
         {220, 110, kRed, 2}, {208, 110, kWhite, 0}, {232, 110, kWhite, 0}, {220, 87, kWhite, 0},
         {220, 132, kWhite, 0}});
}

TEST_F(SdlPixels, UnrotatedTileCoversExactlyItsPixels) {
  auto& item = list->Pictures.Add();
  item.Name = "Block";
  item.SetPicturePixels(30, 10, test::SolidPixels(30, 10, 0, 0, 0));
  Start();
  screen->SetTextureFilter(false);
  item.DrawImage(100, 50, {});
  // 0xFE from the screen colour's 255 × 255 div 256 on the alpha channel.
  const std::uint32_t nearBlack = 0xFF000000u;
  Check({{100, 50, nearBlack, 2}, {129, 59, nearBlack, 2}, {99, 50, kWhite, 0}, {130, 50, kWhite, 0},
         {100, 49, kWhite, 0}, {100, 60, kWhite, 0}});
}

TEST_F(SdlPixels, FilledArcSector) {
  Start();
  const std::array<Font*, kFontCount> fonts{};
  ScreenCanvas canvas(*screen, list->Pictures, fonts);
  canvas.FillSector(MakeColor(255, 0, 0, 255), 300, 300, 100, 0, 90);
  auto polar = [](double deg, double r, std::uint32_t c, int tol) {
    const double a = deg * std::numbers::pi / 180.0;
    return Probe{static_cast<int>(std::lround(300 + r * std::cos(a))), static_cast<int>(std::lround(300 + r * std::sin(a))), c, tol};
  };
  // Inside the sector: red within 4 per channel (the vertex colour arrives
  // as 0xFEFE0000 and the software blender rounds it once more).
  Check({polar(45, 50, kRed, 4), polar(10, 95, kRed, 4), polar(80, 95, kRed, 4), polar(135, 50, kWhite, 0),
         polar(-45, 50, kWhite, 0), polar(45, 105, kWhite, 0), polar(180, 20, kWhite, 0)});
}

TEST_F(SdlPixels, TextTopLeftAndCache) {
  Start();
  Font font(screen.get(), "OmegaFont4");
  ASSERT_TRUE(font.CreateFont("Arial", 16, 0));
  ASSERT_NE(font.DeviceFont(), 0u) << "fontconfig found no face for Arial";
  font.SetColor(MakeColor(0, 0, 0, 255));
  font.TextOut(459, 333, "60");
  ASSERT_TRUE(Read());
  int minX = 1 << 30, minY = 1 << 30, maxY = -1;
  for (int y = 300; y < 380; ++y)
    for (int x = 430; x < 520; ++x)
      if (((At(x, y) >> 8) & 0xFF) < 128) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  // The "6" starts at most 3 pixels right of the cell's left edge; the
  // digits' tops sit below the cell top by the ascent minus the figure
  // height (about 4 px at 21 px); their height is about 15 px.
  EXPECT_GE(minX, 459);
  EXPECT_LE(minX, 462);
  EXPECT_GE(minY, 335);
  EXPECT_LE(minY, 340);
  EXPECT_GE(maxY - minY + 1, 13);
  EXPECT_LE(maxY - minY + 1, 17);

  const std::size_t first = dev->TextRasterisations();
  screen->Present();
  NewFrame();
  font.TextOut(459, 333, "60");
  font.SetColor(MakeColor(255, 0, 0, 255));
  font.TextOut(10, 10, "60");
  EXPECT_EQ(dev->TextRasterisations(), first) << "an unchanged readout is not rasterised again";
  font.TextOut(10, 40, "Топливо: 1200 км");
  EXPECT_EQ(dev->TextRasterisations(), first + 1);
  ASSERT_TRUE(Read());
  int red = 0;
  for (int y = 10; y < 35; ++y)
    for (int x = 10; x < 40; ++x) red += ((At(x, y) >> 16) & 0xFF) > 200 && ((At(x, y) >> 8) & 0xFF) < 80;
  EXPECT_GT(red, 10) << "colour applies to a cached string";
}

TEST_F(SdlPixels, ScreenshotIsAPngOfTheBackBuffer) {
  Start();
  screen->DrawRect(10, 10, 19, 19, true, 0, 0, 0, 255);
  const char* out = std::getenv("VELMORA_TEST_OUT");
  const std::filesystem::path dir = out ? out : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(dir);
  const auto file = dir / "engine_screenshot.png";
  ASSERT_TRUE(dev->SaveScreenshot(file.string()));
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  DecodedImage img;
  ASSERT_TRUE(SdlImageDecoder().Decode(bytes, img));
  EXPECT_EQ(img.width, 1024);
  EXPECT_EQ(img.height, 650);
  const std::size_t i = (15u * 1024u + 15u) * 4u;
  EXPECT_EQ(img.rgba[i + 2], 255);
  EXPECT_EQ(img.rgba[i], 0);
  EXPECT_FALSE(dev->SaveScreenshot((dir / "no-such-dir" / "x.png").string()));
}

// With the fast paths (copies made on the next draw) and without (the plain
// textures uploaded again from kept texels).
TEST_F(SdlPixels, DeviceResetRecreatesTexturesAndFonts) {
  for (const bool fast : {true, false}) {
    list.reset();
    screen.reset();
    dev = std::make_unique<SdlRenderDevice>(window, SdlDeviceOptions{true, 64, fast, fast});
    screen = std::make_unique<Screen>(dev.get());
    list = std::make_unique<PictureList>(screen.get());
    screen->Width = 1024;
    screen->Height = 650;
    auto& item = list->Pictures.Add();
    item.Name = "Block";
    item.SetPicturePixels(30, 10, test::SolidPixels(30, 10, 0, 0, 255));
    Font font(screen.get(), "OmegaFont1");
    Start();
    font.CreateFont("Arial", 10, FontStyle::Bold);
    screen->Present();
    dev->NotifyDeviceReset();
    NewFrame();  // the device rebuilds what it lost, and the frame draws
    ASSERT_TRUE(screen->InFrame());
    EXPECT_NE(font.DeviceFont(), 0u);
    item.DrawImage(100, 50, {});
    Check({{110, 55, 0xFF0000FFu, 2}, {99, 50, kWhite, 0}});
  }
}

}  // namespace
}  // namespace velmora
