// Real pixels from the SDL canvas (offscreen video driver, software
// renderer): box borders, turned pictures, sectors, lines, clips, text
// placement and its cache, screenshots and device resets. A failing probe
// saves the frame as <test>_err.png in $VELMORA_TEST_OUT and names the first
// pixel that differs.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

#include "assets/SdlImageDecoder.h"
#include "canvas/SdlCanvas.h"
#include "canvas/SdlText.h"
#include "pages/Fonts.h"
#include "window/SdlPngFile.h"

namespace velmora {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kRed = 0xFFFF0000u;

struct Probe {
  int x, y;
  std::uint32_t want;
  int tolerance;  // per channel
};

PictureData Solid(const char* name, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  PictureData p{name, w, h, 0, 0, std::vector<std::uint8_t>(static_cast<std::size_t>(w * h) * 4, 255)};
  for (std::size_t i = 0; i < p.rgba.size(); i += 4) p.rgba[i] = r, p.rgba[i + 1] = g, p.rgba[i + 2] = b;
  return p;
}

class SdlPixels : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window = SDL_CreateWindow("canvas test", 0, 0, 1024, 650, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
  }
  void TearDown() override {
    canvas.reset();
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  // Pictures 0 Bar (40 × 20 red), 1 Block (30 × 10 black), 2 Blue (30 × 10).
  void Start(bool fast = true) {
    canvas = std::make_unique<SdlCanvas>(window, SdlCanvasOptions{true, 64, fast, fast});
    const PictureData pictures[] = {Solid("Bar", 40, 20, 255, 0, 0), Solid("Block", 30, 10, 0, 0, 0),
                                    Solid("Blue", 30, 10, 0, 0, 255)};
    std::string failed;
    ASSERT_EQ(canvas->Open(1024, 650, pictures, kFontTable, failed), ScreenStatus::Ok);
    EXPECT_EQ(failed, "");
    canvas->BeginFrame(kWhite);
  }
  std::uint32_t At(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }

  static bool Close(std::uint32_t a, std::uint32_t b, int tol) {
    for (int shift = 0; shift < 32; shift += 8)
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tol) return false;
    return true;
  }

  void Check(const std::vector<Probe>& probes) {
    ASSERT_TRUE(canvas->ReadPixels(px, w, h));
    for (const auto& p : probes) {
      if (Close(At(p.x, p.y), p.want, p.tolerance)) continue;
      const char* out = std::getenv("VELMORA_TEST_OUT");
      std::string file = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_err.png";
      if (out) {
        std::filesystem::create_directories(out);
        file = std::string(out) + "/" + file;
      }
      SaveScreenshot(*canvas, file);
      ADD_FAILURE() << "first differing pixel (" << p.x << ", " << p.y << "): got 0x" << std::hex << At(p.x, p.y)
                    << ", want 0x" << p.want << " ±" << std::dec << p.tolerance << "; frame saved to " << file;
      return;
    }
  }

  SDL_Window* window = nullptr;
  std::unique_ptr<SdlCanvas> canvas;
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
};

TEST_F(SdlPixels, BoxBorderOutsideAndInside) {
  Start();
  canvas->Translate(5, 6);  // boxes move with the origin
  canvas->Box({80, 320, 130, 339}, false, 2, kBlack);
  canvas->Box({295, 294, 345, 314}, false, -2, kBlack);
  canvas->Box({495, 494, 496, 495}, true, 0, 0x00FF0000u);  // alpha ignored: pixels replaced
  // Boxes replace their pixels: no tolerance.
  Check({{83, 324, kBlack, 0}, {84, 325, kBlack, 0}, {85, 326, kWhite, 0}, {110, 335, kWhite, 0},
         {82, 324, kWhite, 0}, {83, 323, kWhite, 0}, {137, 347, kBlack, 0}, {138, 347, kWhite, 0},
         {137, 348, kWhite, 0}, {135, 345, kWhite, 0}, {136, 346, kBlack, 0},
         {300, 300, kBlack, 0}, {301, 301, kBlack, 0}, {302, 302, kWhite, 0}, {350, 320, kBlack, 0},
         {299, 300, kWhite, 0}, {348, 318, kWhite, 0},
         {500, 500, kRed, 0}, {501, 501, kRed, 0}, {502, 501, kWhite, 0}, {499, 500, kWhite, 0}});
}

// Turned by the picture's own turn, and by the canvas's: the same pixels.
TEST_F(SdlPixels, TurnedPictureCorners) {
  for (const bool byCanvas : {false, true}) {
    Start();
    if (byCanvas) {
      AtOrigin at(*canvas, 220, 110);
      canvas->Rotate(90);
      canvas->DrawPicture(0, -20, -10, {.pivotX = 0.5f, .pivotY = 0.5f});
    } else {
      canvas->DrawPicture(0, 200, 100, {.angle = 90, .pivotX = 0.5f, .pivotY = 0.5f});
    }
    // Turned about (220, 110): covers columns 210..230 and rows 90..129.
    // Inside tolerance 64 allows for filtering against the transparent margin.
    Check({{211, 91, kRed, 64}, {229, 91, kRed, 64}, {211, 128, kRed, 64}, {229, 128, kRed, 64},
           {220, 110, kRed, 2}, {208, 110, kWhite, 0}, {232, 110, kWhite, 0}, {220, 87, kWhite, 0},
           {220, 132, kWhite, 0}});
  }
}

TEST_F(SdlPixels, UnturnedTileCoversExactlyItsPixels) {
  Start();
  canvas->DrawPicture(1, 100, 50);
  Check({{100, 50, kBlack, 2}, {129, 59, kBlack, 2}, {99, 50, kWhite, 0}, {130, 50, kWhite, 0},
         {100, 49, kWhite, 0}, {100, 60, kWhite, 0}});
}

TEST_F(SdlPixels, SectorsLinesAndClips) {
  Start();
  canvas->FillSector(kRed, 300, 300, 100, 0, 90);
  canvas->Line(kBlack, 600, 100, 700, 100);
  canvas->Save();
  canvas->Clip({800, 100, 849, 149});
  canvas->FillRect(kBlack, 700, 50, 300, 300);
  canvas->Restore();
  canvas->FillRect(kBlack, 900, 400, 10, 10);  // the clip ended
  auto polar = [](double deg, double r, std::uint32_t c, int tol) {
    const double a = deg * std::numbers::pi / 180.0;
    return Probe{static_cast<int>(std::lround(300 + r * std::cos(a))), static_cast<int>(std::lround(300 + r * std::sin(a))), c, tol};
  };
  // The colour arrives as 0xFEFE0000 and the blender rounds it once more.
  Check({polar(45, 50, kRed, 4), polar(10, 95, kRed, 4), polar(80, 95, kRed, 4), polar(135, 50, kWhite, 0),
         polar(-45, 50, kWhite, 0), polar(45, 105, kWhite, 0), polar(180, 20, kWhite, 0),
         {650, 100, kBlack, 2}, {650, 101, kWhite, 0}, {650, 99, kWhite, 0},
         {800, 100, kBlack, 2}, {849, 149, kBlack, 2}, {799, 120, kWhite, 0}, {850, 120, kWhite, 0},
         {820, 150, kWhite, 0}, {905, 405, kBlack, 2}});
}

TEST_F(SdlPixels, TextTopLeftAndCache) {
  Start();
  canvas->Text(FontRole::Readout, 459, 333, "60", kBlack);
  ASSERT_TRUE(canvas->ReadPixels(px, w, h));
  int minX = 1 << 30, minY = 1 << 30, maxY = -1;
  for (int y = 300; y < 380; ++y)
    for (int x = 430; x < 520; ++x)
      if (((At(x, y) >> 8) & 0xFF) < 128) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  ASSERT_GE(maxY, 0) << "fontconfig found no face for Arial";
  // The "6" starts at most 3 pixels right of the cell's left edge; the
  // digits' tops sit below the cell top by the ascent minus the figure
  // height (about 4 px at 21 px); their height is about 15 px.
  EXPECT_GE(minX, 459);
  EXPECT_LE(minX, 462);
  EXPECT_GE(minY, 335);
  EXPECT_LE(minY, 340);
  EXPECT_GE(maxY - minY + 1, 13);
  EXPECT_LE(maxY - minY + 1, 17);

  const std::size_t first = canvas->TextRasterisations();
  canvas->Present();
  canvas->BeginFrame(kWhite);
  canvas->Text(FontRole::Readout, 459, 333, "60", kBlack);
  canvas->Text(FontRole::Readout, 10, 10, "60", kRed);
  EXPECT_EQ(canvas->TextRasterisations(), first) << "an unchanged readout is not rasterised again";
  canvas->Text(FontRole::Readout, 10, 40, "Топливо: 1200 км", kBlack);
  EXPECT_EQ(canvas->TextRasterisations(), first + 1);
  ASSERT_TRUE(canvas->ReadPixels(px, w, h));
  int red = 0;
  for (int y = 10; y < 35; ++y)
    for (int x = 10; x < 40; ++x) red += ((At(x, y) >> 16) & 0xFF) > 200 && ((At(x, y) >> 8) & 0xFF) < 80;
  EXPECT_GT(red, 10) << "colour applies to a cached string";
}

TEST_F(SdlPixels, ScreenshotIsAPngOfThePicture) {
  Start();
  canvas->Box({10, 10, 19, 19}, true, 0, 0xFF0000FFu);
  const char* out = std::getenv("VELMORA_TEST_OUT");
  const std::filesystem::path dir = out ? out : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(dir);
  const auto file = dir / "canvas_screenshot.png";
  ASSERT_TRUE(SaveScreenshot(*canvas, file.string()));
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
  EXPECT_FALSE(SaveScreenshot(*canvas, (dir / "no-such-dir" / "x.png").string()));
}

// A picture that could not be decoded is named, draws nothing, and the
// others still draw.
TEST_F(SdlPixels, AnUndecodedPictureIsNamedAndSkipped) {
  for (const bool fast : {true, false}) {
    canvas = std::make_unique<SdlCanvas>(window, SdlCanvasOptions{true, 64, fast, fast});
    const PictureData pictures[] = {Solid("Bar", 40, 20, 255, 0, 0), PictureData{"Speed", 219, 213, 0, 0, {}},
                                    Solid("Blue", 30, 10, 0, 0, 255)};
    std::string failed;
    ASSERT_EQ(canvas->Open(1024, 650, pictures, kFontTable, failed), ScreenStatus::Ok);
    EXPECT_EQ(failed, "Speed");
    canvas->BeginFrame(kWhite);
    canvas->DrawPicture(1, 0, 0);
    canvas->DrawPicture(2, 100, 50);
    Check({{10, 10, kWhite, 0}, {110, 55, 0xFF0000FFu, 2}});
  }
}

TEST(SdlText, PixelHeightAt96Dpi) {
  const std::pair<int, int> cases[] = {{10, 13}, {12, 16}, {13, 17}, {16, 21}, {17, 23}, {20, 27}, {0, 0}, {3, 4}};
  for (auto [pt, px] : cases) EXPECT_EQ(SdlText::PixelHeight(pt), px) << pt << " pt";
}

// With the fast paths (copies made on the next draw) and without (the plain
// textures uploaded again from kept texels); text comes back too.
TEST_F(SdlPixels, DeviceResetRecreatesPicturesAndText) {
  for (const bool fast : {true, false}) {
    Start(fast);
    canvas->Present();
    canvas->NotifyDeviceReset();
    canvas->BeginFrame(kWhite);  // the canvas rebuilds what it lost, and the frame draws
    canvas->DrawPicture(2, 100, 50);
    canvas->Text(FontRole::Readout, 300, 300, "60", kBlack);
    Check({{110, 55, 0xFF0000FFu, 2}, {99, 50, kWhite, 0}});
    int dark = 0;
    for (int y = 300; y < 325; ++y)
      for (int x = 300; x < 330; ++x) dark += (At(x, y) & 0xFF) < 128;
    EXPECT_GT(dark, 10) << "fast " << fast;
  }
}

}  // namespace
}  // namespace velmora
