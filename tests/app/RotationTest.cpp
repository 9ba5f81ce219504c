// Panels mounted sideways or upside down. The picture a turned display
// presents into its window, and the one it reads back for screenshots and
// the browser view, equal the upright frame turned by SDL's own renderer,
// pixel for pixel, on both software present paths. Clicks on the turned
// bezel buttons select their pages.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "window/SdlPlatform.h"
#include "window/SdlWindowHost.h"
#include "assets/BezelButtons.h"
#include "assets/SdlImageDecoder.h"
#include "canvas/SdlCanvas.h"
#include "support/FakeWindow.h"

namespace velmora {
namespace {

constexpr int kW = 1024, kH = 650;
constexpr int kTurns[] = {90, 180, 270};

bool Sideways(int turn) { return turn == 90 || turn == 270; }

// The window's pixels as 0x00RRGGBB.
std::vector<std::uint32_t> WindowPixels(SDL_Window* window) {
  SDL_Surface* s = SDL_ConvertSurfaceFormat(SDL_GetWindowSurface(window), SDL_PIXELFORMAT_ARGB8888, 0);
  std::vector<std::uint32_t> out;
  if (!s) return out;
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x)
      out.push_back(static_cast<const std::uint32_t*>(s->pixels)[y * s->pitch / 4 + x] & 0xFFFFFFu);
  SDL_FreeSurface(s);
  return out;
}

// The upright picture (w x h) turned clockwise by SDL's renderer.
std::vector<std::uint32_t> TurnedBySdl(const std::vector<std::uint32_t>& upright, int turn, int w = kW, int h = kH) {
  const int tw = Sideways(turn) ? h : w, th = Sideways(turn) ? w : h;
  std::vector<std::uint32_t> copy(upright);
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(copy.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, tw, th, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(dst);
  SDL_Texture* t = SDL_CreateTextureFromSurface(r, src);
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
  const SDL_Rect place{(tw - w) / 2, (th - h) / 2, w, h};
  SDL_RenderCopyEx(r, t, nullptr, &place, turn, nullptr, SDL_FLIP_NONE);
  SDL_RenderPresent(r);
  std::vector<std::uint32_t> out;
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) out.push_back(static_cast<const std::uint32_t*>(dst->pixels)[y * tw + x] & 0xFFFFFFu);
  SDL_DestroyTexture(t);
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(dst);
  SDL_FreeSurface(src);
  return out;
}

// Index of the first pixel that differs, or -1.
long FirstDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return static_cast<long>(i);
  return -1;
}

class TurnedPicture : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_ = SDL_CreateWindow("velmora", 0, 0, kW, kH, SDL_WINDOW_HIDDEN);
    ASSERT_TRUE(window_) << SDL_GetError();
    SdlCanvasOptions options{true, 256};
    options.directBlits = GetParam();
    device_ = std::make_unique<SdlCanvas>(window_, options);
    display_ = std::make_unique<testing::StartedDisplay>(*device_, decoder_);
    display_->flight.LoadFactor = 1;
  }
  void TearDown() override {
    display_.reset();
    device_.reset();
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  SDL_Window* window_ = nullptr;
  SdlImageDecoder decoder_;
  std::unique_ptr<SdlCanvas> device_;
  std::unique_ptr<testing::StartedDisplay> display_;
};

TEST_P(TurnedPicture, WindowAndReadBackEqualTheUprightFrameTurned) {
  for (int turn : kTurns) {
    SCOPED_TRACE(turn);
    SDL_SetWindowSize(window_, Sideways(turn) ? kH : kW, Sideways(turn) ? kW : kH);
    device_->SetRotation(turn);
    display_->display.DrawFrame();
    const std::vector<std::uint32_t> presented = WindowPixels(window_);
    std::vector<std::uint32_t> read, upright;
    int w = 0, h = 0;
    ASSERT_TRUE(device_->ReadPixels(read, w, h));
    EXPECT_EQ(w, Sideways(turn) ? kH : kW);
    EXPECT_EQ(h, Sideways(turn) ? kW : kH);
    // The same frame upright: the turn applies where the picture leaves
    // the back buffer, never inside it.
    device_->SetRotation(0);
    ASSERT_TRUE(device_->ReadPixels(upright, w, h));
    ASSERT_EQ(w, kW);
    const std::vector<std::uint32_t> want = TurnedBySdl(upright, turn);
    EXPECT_EQ(FirstDifference(presented, want), -1) << "window";
    for (auto& p : read) p &= 0xFFFFFFu;
    EXPECT_EQ(FirstDifference(read, want), -1) << "read back";
  }
}

// The usual turned window is not the picture's size (640 x 1024 for 650 x
// 1024): on the fast software path it shows the upright window's picture
// (1024 x 640, rows mixed) turned.
// (SDL's renderer, on the other path, scales and turns in one step.)
class FastTurnedPicture : public TurnedPicture {};
TEST_P(FastTurnedPicture, ScaledTurnedWindowIsTheScaledUprightWindowTurned) {
  SDL_SetWindowSize(window_, kW, 640);
  display_->display.DrawFrame();
  const std::vector<std::uint32_t> upright = WindowPixels(window_);
  for (int turn : kTurns) {
    SCOPED_TRACE(turn);
    SDL_SetWindowSize(window_, Sideways(turn) ? 640 : kW, Sideways(turn) ? kW : 640);
    device_->SetRotation(turn);
    device_->Present();  // the same picture presented again
    EXPECT_EQ(FirstDifference(WindowPixels(window_), TurnedBySdl(upright, turn, kW, 640)), -1);
  }
}

// A full screen that stayed landscape under a sideways turn: the picture
// keeps its shape between black bars (650 x 1024 fits 1024 x 650 as 412 x
// 650 from x = 306), where the previous frame must not show through.
TEST_P(TurnedPicture, SidewaysOnALandscapeScreenKeepsItsShapeBetweenBars) {
  display_->display.DrawFrame();  // upright, over the whole window
  device_->SetRotation(90);
  display_->display.DrawFrame();
  const std::vector<std::uint32_t> presented = WindowPixels(window_);
  ASSERT_EQ(presented.size(), static_cast<std::size_t>(kW * kH));
  auto at = [&](int x, int y) { return presented[static_cast<std::size_t>(y * kW + x)]; };
  for (int y : {0, 325, 649})
    for (int x : {0, 300, 305, 718, 723, 1023}) EXPECT_EQ(at(x, y), 0u) << x << ", " << y;
  int lit = 0;
  for (int x = 306; x < 718; ++x) lit += at(x, 325) != 0;
  EXPECT_GT(lit, 400);
}

// Direct blits into the device's own surface, and SDL's target texture.
INSTANTIATE_TEST_SUITE_P(PresentPaths, TurnedPicture, ::testing::Bool());
INSTANTIATE_TEST_SUITE_P(DirectBlits, FastTurnedPicture, ::testing::Values(true));

TEST(TurnedWindow, TakesTheTurnedShape) {
  SdlPlatform platform(PlatformOptions{true});
  ASSERT_TRUE(platform.Start("velmora"));
  SDL_Window* window = nullptr;
  for (Uint32 id = 1; id < 16 && !window; ++id) window = SDL_GetWindowFromID(id);
  ASSERT_TRUE(window);
  for (int turn : {0, 90, 180, 270}) {
    SCOPED_TRACE(turn);
    platform.SetRotation(turn);
    // What the display asks: the picture's width, its height from the width.
    platform.Window().SetOuterWidth(1200);
    platform.Window().SetOuterHeight(750);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    EXPECT_EQ(ww, Sideways(turn) ? 750 : 1200);
    EXPECT_EQ(wh, Sideways(turn) ? 1200 : 750);
    EXPECT_EQ(platform.Window().OuterWidth(), 1200);
  }
}

TEST(TurnedClicks, BezelButtonsSelectTheirPagesWhereverTheyTurnedTo) {
  SdlPlatform platform(PlatformOptions{true});
  ASSERT_TRUE(platform.Start("velmora"));
  SDL_Window* window = nullptr;
  for (Uint32 id = 1; id < 16 && !window; ++id) window = SDL_GetWindowFromID(id);
  ASSERT_TRUE(window);
  // The window at 1.5 times the picture in its turned shape, or a screen
  // that stayed landscape under a sideways turn: the picture in a box of its
  // own shape (650 x 1024 fits 1600 x 1000 as 634 x 1000 from x = 483).
  struct Case { int turn; int ww, wh; double bx, by, scale; } cases[] = {
      {0, kW * 3 / 2, kH * 3 / 2, 0, 0, 1.5},
      {90, kH * 3 / 2, kW * 3 / 2, 0, 0, 1.5},
      {180, kW * 3 / 2, kH * 3 / 2, 0, 0, 1.5},
      {270, kH * 3 / 2, kW * 3 / 2, 0, 0, 1.5},
      {90, 1600, 1000, 483, 0, 1000.0 / kW},
      {270, 1600, 1000, 483, 0, 1000.0 / kW},
  };
  for (const Case& c : cases) {
    const int turn = c.turn;
    SCOPED_TRACE(::testing::Message() << turn << " in " << c.ww << " x " << c.wh);
    platform.SetRotation(turn);
    SDL_SetWindowSize(window, c.ww, c.wh);
    for (const BezelButton& b : kPageButtons) {
      // The button's centre, and where a clockwise turn takes it.
      const double cx = b.x + b.w / 2.0, cy = b.y + b.h / 2.0;
      double tx = cx, ty = cy;
      if (turn == 90) tx = kH - cy, ty = cx;
      if (turn == 180) tx = kW - cx, ty = kH - cy;
      if (turn == 270) tx = cy, ty = kW - cx;
      SDL_Event e{};
      e.type = SDL_MOUSEBUTTONDOWN;
      e.button.button = SDL_BUTTON_LEFT;
      e.button.x = static_cast<int>(c.bx + tx * c.scale);
      e.button.y = static_cast<int>(c.by + ty * c.scale);
      ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
      // SDL ends each round of polling with a marker: a click pushed after
      // it comes in the next round.
      InputEvent click{InputEvent::Quit};
      bool got = false;
      for (int round = 0; round < 3 && !got; ++round) got = platform.PollEvent(click);
      ASSERT_TRUE(got);
      ASSERT_EQ(click.kind, InputEvent::Click);
      const BezelButton* hit = PageButtonAt(click.x, click.y);
      ASSERT_TRUE(hit) << "click at " << click.x << ", " << click.y;
      EXPECT_EQ(hit->page, b.page);
    }
  }
}

}  // namespace
}  // namespace velmora
