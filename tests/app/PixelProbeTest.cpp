// A few pixels of the real picture, rendered by the software rasteriser on
// SDL's offscreen driver: lamps, readout boxes and the low-fuel colour. A
// failing probe saves the frame it saw into $VELMORA_TEST_OUT.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/FakeWindow.h"
#include "window/SdlOffscreen.h"
#include "canvas/SdlCanvas.h"
#include "window/SdlPngFile.h"

namespace velmora {
namespace {

class PixelProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    screen_ = std::make_unique<SdlOffscreen>();
    ASSERT_TRUE(screen_->ok()) << screen_->error();
    device_ = &screen_->canvas();
    display_ = std::make_unique<testing::StartedDisplay>(*device_, screen_->decoder());
  }
  void TearDown() override {
    display_.reset();
    screen_.reset();
  }

  void Render() {
    display_->Frame();
    ASSERT_TRUE(device_->ReadPixels(pixels_, width_, height_));
  }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)] & 0xFFFFFFu; }

  // Every probe must match within the tolerance (per channel).
  void ExpectColour(const char* what, std::initializer_list<std::pair<int, int>> points, std::uint32_t rgb,
                    int tolerance) {
    for (auto [x, y] : points) {
      std::uint32_t got = At(x, y);
      auto ch = [](std::uint32_t c, int s) { return static_cast<int>((c >> s) & 0xFF); };
      bool ok = std::abs(ch(got, 16) - ch(rgb, 16)) <= tolerance && std::abs(ch(got, 8) - ch(rgb, 8)) <= tolerance &&
                std::abs(ch(got, 0) - ch(rgb, 0)) <= tolerance;
      if (!ok) {
        SaveFrame(what);
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is 0x" << std::hex << got << ", wanted 0x" << rgb;
        return;
      }
    }
  }
  int CountRedIn(int x1, int y1, int x2, int y2) const {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) {
        std::uint32_t c = At(x, y);
        if (((c >> 16) & 0xFF) > 180 && ((c >> 8) & 0xFF) < 90 && (c & 0xFF) < 90) ++n;
      }
    return n;
  }
  void SaveFrame(const std::string& what) {
    const char* dir = std::getenv("VELMORA_TEST_OUT");
    std::filesystem::path out = dir ? dir : ".";
    std::filesystem::create_directories(out);
    std::string name = (out / ("PixelProbe_" + what + "_err.png")).string();
    for (char& c : name)
      if (c == ' ') c = '_';
    if (SaveScreenshot(*device_, name)) std::fprintf(stderr, "frame saved to %s\n", name.c_str());
  }

  std::unique_ptr<SdlOffscreen> screen_;
  SdlCanvas* device_ = nullptr;
  std::unique_ptr<testing::StartedDisplay> display_;
  std::vector<std::uint32_t> pixels_;
  int width_ = 0, height_ = 0;
};

TEST_F(PixelProbe, LampsAreGreenOnlyWhenLit) {
  FlightData& r = display_->flight;
  r.PairLampState = 2;
  r.SingleLampState = 1;
  r.TripleLampState = 1;
  Render();
  // Rectangle clears: exact colour, no blending.
  ExpectColour("lamps lit", {{767, 505}, {902, 505}, {835, 422}, {834, 525}, {804, 558}, {865, 558}}, 0x00FF00, 0);
  r.PairLampState = 1;
  r.SingleLampState = 0;
  r.TripleLampState = 2;
  Render();
  for (auto [x, y] : {std::pair{767, 505}, {835, 422}, {834, 525}})
    EXPECT_NE(At(x, y), 0x00FF00u) << x << "," << y;
}

TEST_F(PixelProbe, ReadoutBoxesAreBlack) {
  Render();
  // Two-pixel borders outside the airspeed box (85,326)-(135,345) and inside
  // the temperature box (712,230)-(760,257).
  ExpectColour("boxes", {{83, 330}, {84, 340}, {110, 324}, {110, 347}, {137, 335}, {712, 240}, {713, 256}}, 0x000000, 0);
}

TEST_F(PixelProbe, FuelReadoutIsRedBelow800) {
  display_->flight.FuelQuantity1 = 500;
  Render();
  EXPECT_GT(CountRedIn(797, 381, 880, 400), 20);
  display_->flight.FuelQuantity1 = 5000;
  Render();
  EXPECT_EQ(CountRedIn(797, 381, 880, 400), 0);
}

}  // namespace
}  // namespace velmora
