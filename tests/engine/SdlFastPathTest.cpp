// The software renderer's fast paths against SDL's own triangle path: every
// scene is drawn twice, once with the fast paths off, and the back buffers
// must agree (tolerance stated per case). A mismatch saves both frames as
// <case>_slow.png / <case>_fast.png in $VELMORA_TEST_OUT.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/SdlFanCoverage.h"
#include "engine/SdlRenderDevice.h"

namespace velmora {
namespace {

struct Frame {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
};

using Scene = std::function<void(SdlRenderDevice&)>;

// Stripes of several colours and alphas, so blending shows in every channel.
void Background(SdlRenderDevice& dev) {
  dev.Clear(0xFFFFFFFFu);
  const std::uint32_t colours[] = {0xFF000000u, 0xFF2080C0u, 0x80FF0000u, 0xFFFFFFFFu, 0x4010F010u, 0xFFFEFEFEu};
  for (int i = 0; i < 40; ++i)
    dev.ClearRect(IntRect{i * 26, 0, i * 26 + 13, 650}, colours[i % 6]);
  dev.ClearRect(IntRect{0, 300, 1024, 310}, 0xFF7F7F7Fu);
}

Frame Render(const Scene& scene, bool fast, const std::string& saveAs) {
  Frame f;
  SDL_Window* window = SDL_CreateWindow("fast path test", 0, 0, 1024, 650, SDL_WINDOW_HIDDEN);
  if (!window) {
    ADD_FAILURE() << SDL_GetError();
    return f;
  }
  {
    SdlRenderDevice dev(window, SdlDeviceOptions{true, 16, fast});
    if (dev.Open(DeviceParams{}) != DeviceStatus::Ok || !dev.IsSoftware()) {
      ADD_FAILURE() << "no software renderer";
    } else {
      dev.BeginFrame();
      Background(dev);
      scene(dev);
      EXPECT_TRUE(dev.ReadPixels(f.px, f.w, f.h));
      EXPECT_EQ(dev.FastPathDraws() > 0, fast) << "the scene must exercise the fast path";
      if (!saveAs.empty()) dev.SaveScreenshot(saveAs);
    }
  }
  SDL_DestroyWindow(window);
  return f;
}

std::string OutPath(const std::string& name) {
  const char* out = std::getenv("VELMORA_TEST_OUT");
  const std::filesystem::path dir = out ? out : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

// Pixels by their largest channel difference: 0, 1, 2, more.
using Spread = std::array<long, 4>;

// Compares the two renderings; returns how many pixels differed.
int Compare(const std::string& name, const Scene& scene, int tolerance, Spread* spread = nullptr) {
  const Frame slow = Render(scene, false, "");
  const Frame fast = Render(scene, true, "");
  if (slow.px.size() != fast.px.size() || slow.px.empty()) {
    ADD_FAILURE() << name << ": frames missing";
    return -1;
  }
  int bad = 0, firstX = -1, firstY = -1;
  for (std::size_t i = 0; i < slow.px.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>((slow.px[i] >> shift) & 0xFF), b = static_cast<int>((fast.px[i] >> shift) & 0xFF);
      worst = std::max(worst, std::abs(a - b));
    }
    if (spread) ++(*spread)[static_cast<std::size_t>(std::min(worst, 3))];
    if (worst > tolerance && bad++ == 0) {
      firstX = static_cast<int>(i % static_cast<std::size_t>(slow.w));
      firstY = static_cast<int>(i / static_cast<std::size_t>(slow.w));
    }
  }
  if (bad) {
    const std::size_t i = static_cast<std::size_t>(firstY) * static_cast<std::size_t>(slow.w) + static_cast<std::size_t>(firstX);
    Render(scene, false, OutPath(name + "_slow.png"));
    Render(scene, true, OutPath(name + "_fast.png"));
    ADD_FAILURE() << name << ": " << bad << " pixels differ beyond ±" << tolerance << "; first (" << firstX << ", "
                  << firstY << "): SDL 0x" << std::hex << slow.px[i] << ", fast 0x" << fast.px[i];
  }
  return bad;
}

// A pie sector as the primitives draw it: centre, then n + 1 rim points.
std::vector<Vertex> Sector(float cx, float cy, float r, float start, float end, std::uint32_t colour) {
  const int n = static_cast<int>(std::nearbyint(r));
  std::vector<Vertex> v;
  v.push_back(Vertex{cx, cy, colour, 0, 0});
  double t = start / 360.0;
  const double step = (end - start) * (1.0 / n) * (1.0 / 360.0);
  for (int i = 0; i <= n; ++i, t += step) {
    const double a = t * 6.28318530716;
    v.push_back(Vertex{static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)), colour, 0, 0});
  }
  return v;
}

Scene Fans(std::vector<std::vector<Vertex>> fans, BlendMode mode = BlendMode::Alpha) {
  return [fans = std::move(fans), mode](SdlRenderDevice& dev) {
    dev.BindTexture(0);
    dev.SetBlend(mode);
    for (const auto& f : fans) dev.DrawFan(f.data(), static_cast<int>(f.size()));
  };
}

class SdlFastPath : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
  void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

TEST_F(SdlFastPath, FlatFansMatchSdlTrianglesExactly) {
  // Colours as the screen hands them over (255 × 255 div 256 = 254).
  const std::uint32_t green = 0xFE00FE00u, red = 0xFEFE0000u, half = 0x80C02040u;
  struct Case {
    const char* name;
    Scene scene;
  } cases[] = {
      {"sectors_of_the_flight_page", Fans({Sector(550, 188, 300, 0, 60, green), Sector(1120, 188, 300, 0, 135, red)})},
      {"reversed_and_translucent", Fans({Sector(400, 400, 120, 200, 20, 0x80203040u), Sector(420, 380, 90, 0, 360, 0x40FF8000u)})},
      {"fractional_and_off_the_top_left", Fans({Sector(-10.7f, 3.3f, 80.4f, -90, 170, 0xC0102030u)})},
      {"small_and_dense", Fans({Sector(100.5f, 600.5f, 6, 0, 360, green), Sector(200, 600, 3, 10, 300, red)})},
      {"additive", Fans({Sector(700, 450, 150, 30, 250, 0x9000A0FFu)}, BlendMode::Additive)},
      // Rim points that double back: some pixels lie under two slices.
      {"folding_over_itself",
       Fans({{{300, 300, half}, {400, 250, half}, {420, 330, half}, {380, 200, half},
              {450, 280, half}, {310, 390, half}}})},
  };
  for (const auto& c : cases) Compare(c.name, c.scene, 0);
}

TEST(FanCoverage, CountsPixelCentresByTheTopLeftRule) {
  FanCoverage c;
  // A 4 × 3 rectangle as a fan of two triangles (vertex 4 repeats vertex 1):
  // its shared diagonal gives no pixel twice, its right and bottom edges
  // none at all.
  const float rect[] = {10, 20, 14, 20, 14, 23, 10, 23, 14, 20};
  ASSERT_TRUE(CoverFan(rect, 4, 100, 100, c));
  int covered = 0;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const int n = c.count[static_cast<std::size_t>(y * c.width + x)];
      covered += n;
      const bool inside = c.left + x >= 10 && c.left + x < 14 && c.top + y >= 20 && c.top + y < 23;
      EXPECT_EQ(n, inside ? 1 : 0) << "pixel (" << c.left + x << ", " << c.top + y << ")";
    }
  EXPECT_EQ(covered, 12);
  EXPECT_EQ(c.maxCount, 1);

  // Clipped away entirely, flat, or too few points: nothing covered.
  const float off[] = {-50, -50, -20, -50, -20, -20, -50, -20};
  EXPECT_FALSE(CoverFan(off, 4, 100, 100, c));
  const float flat[] = {0, 0, 10, 10, 20, 20};
  EXPECT_FALSE(CoverFan(flat, 3, 100, 100, c));
  EXPECT_FALSE(CoverFan(rect, 2, 100, 100, c));

  // Two slices over the same ground count twice there.
  const float fold[] = {0, 0, 10, 0, 10, 10, 10, 0};
  ASSERT_TRUE(CoverFan(fold, 4, 100, 100, c));
  EXPECT_EQ(c.maxCount, 2);
}

// A 256 × 256 picture with every channel value and many alphas: red runs
// across, green down, blue and alpha mix both; the bottom quarter is the
// transparent margin a power-of-two texture gets.
std::vector<std::uint8_t> Gradient() {
  std::vector<std::uint8_t> px(256 * 256 * 4, 0);
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 256; ++x) {
      std::uint8_t* p = &px[static_cast<std::size_t>(y * 256 + x) * 4];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y * 4 / 3);
      p[2] = static_cast<std::uint8_t>(x ^ y);
      p[3] = static_cast<std::uint8_t>(x < 128 ? 255 : (x * 7 + y * 3) & 0xFF);
    }
  return px;
}

// A textured quad as the image list draws it: four corners, one colour
// each, texture coordinates of the whole picture (or mirrored).
std::vector<Vertex> Quad(float x, float y, float w, float h, std::array<std::uint32_t, 4> colour,
                          float angle = 0, bool mirror = false) {
  const float cx = x + w / 2, cy = y + h / 2, c = std::cos(angle), s = std::sin(angle);
  const float xs[] = {x, x + w, x + w, x}, ys[] = {y, y, y + h, y + h};
  const float us[] = {0, 1, 1, 0}, vs[] = {0, 0, 1, 1};
  std::vector<Vertex> v;
  for (int i = 0; i < 4; ++i) {
    const float dx = xs[i] - cx, dy = ys[i] - cy;
    v.push_back(Vertex{cx + dx * c - dy * s, cy + dx * s + dy * c, colour[static_cast<std::size_t>(i)],
                        mirror ? 1 - us[i] : us[i], vs[i]});
  }
  return v;
}

std::array<std::uint32_t, 4> All(std::uint32_t c) { return {c, c, c, c}; }

struct Sprite {
  std::vector<Vertex> quad;
  bool additive = false, linear = false;
};

Scene Pictures(std::vector<Sprite> sprites) {
  return [sprites = std::move(sprites)](SdlRenderDevice& dev) {
    const std::vector<std::uint8_t> px = Gradient();
    const TextureId tex = dev.CreateTexture(px, 256, 256, "gradient");
    ASSERT_NE(tex, 0u);
    dev.BindTexture(tex);
    for (const auto& s : sprites) {
      dev.SetBlend(s.additive ? BlendMode::Additive : BlendMode::Alpha);
      dev.SetTextureFilter(s.linear);
      dev.DrawFan(s.quad.data(), 4);
    }
    dev.ReleaseTexture(tex);
  };
}

TEST_F(SdlFastPath, PicturesInOneColourStayCloseToSdlModulation) {
  const std::uint32_t screen = 0xFEFEFEFEu;  // the screen's modulation
  struct Case {
    const char* name;
    std::vector<Sprite> sprites;
    int tolerance;
  } cases[] = {
      {"modulated_pictures",
       {{Quad(10, 10, 256, 256, All(screen))},
        {Quad(300, 20, 256, 256, All(0xC0FF8020u))},
        {Quad(600, 30, 256, 256, All(0x40FFFFFFu))},
        {Quad(20, 330, 256, 256, All(0xFF204060u))}},
       2},
      {"stretched_and_mirrored",
       {{Quad(10, 10, 500, 300, All(screen), 0, true)},
        {Quad(520, 40, 130, 400, All(0x90E0C0A0u))},
        {Quad(700, 300, 300.5f, 200.25f, All(screen))}},
       2},
      // SDL filters before it modulates, the copy is modulated before it is
      // filtered: the two roundings can add up to one step more.
      {"stretched_and_filtered",
       {{Quad(10, 10, 500, 300, All(screen), 0, true), false, true},
        {Quad(520, 40, 130, 400, All(0x90E0C0A0u)), false, true},
        {Quad(700, 300, 300.5f, 200.25f, All(screen)), false, true}},
       3},
      // SDL's triangle blender modulates by the same rule as the copy.
      {"rotated", {{Quad(200, 150, 256, 256, All(screen), 0.6f)}, {Quad(600, 300, 200, 120, All(0xA0FF4000u), -2.2f)}}, 0},
      {"additive", {{Quad(100, 100, 256, 256, All(screen)), true}, {Quad(400, 200, 256, 256, All(0x8000FF80u)), true}}, 2},
      // White and mixed corner colours draw the plain picture as before.
      {"white_and_mixed_corners",
       {{Quad(50, 50, 256, 256, All(0xFFFFFFFFu))},
        {Quad(400, 100, 256, 256, {screen, screen, screen, 0xFEFE0000u})}},
       0},
  };
  Spread total{};
  for (auto& c : cases) {
    // A small sector too: the last scene has no modulated picture, and the
    // harness wants every fast scene to use some fast path.
    const Scene pictures = Pictures(c.sprites), fan = Fans({Sector(900, 560, 40, 0, 90, 0xFE00FE00u)});
    Spread spread{};
    Compare(c.name, [&](SdlRenderDevice& dev) { pictures(dev); fan(dev); }, c.tolerance, &spread);
    std::printf("%s: %ld pixels the same, %ld differ by 1, %ld by 2, %ld by more\n", c.name, spread[0], spread[1],
                spread[2], spread[3]);
    for (std::size_t i = 0; i < spread.size(); ++i) total[i] += spread[i];
  }
  EXPECT_GT(total[1] + total[2], 0) << "the copies must actually be drawn";
}

// The software device blends pictures into its back buffer itself and
// presents it itself; SDL doing both must give the very same bytes, in the
// back buffer and in the window (one window as tall as the buffer is wide
// divided by 1.6, as the program's, one narrower).
TEST_F(SdlFastPath, DirectBlitsAndPresentMatchSdlExactly) {
  const std::uint32_t screen = 0xFEFEFEFEu, white = 0xFFFFFFFFu;
  const Scene scene = Pictures({
      {Quad(10, 10, 256, 256, All(screen))},
      {Quad(-100, -60, 256, 256, All(white))},  // off the top left
      {Quad(900, 500, 256, 256, All(screen))},  // off the bottom right
      {Quad(380, 200, 256, 256, All(0xC0FF8020u))},
      {Quad(200, 300, 256, 256, All(screen), 0.6f)},
      {Quad(600, 100, 256, 256, All(white), -2.2f)},
      {Quad(700, 380, 11, 162, All(screen), 1.1f)},     // a thin needle
      {Quad(-40, 520, 252, 16, All(screen), 0.3f)},     // turned over the edges
      {Quad(880, -30, 176, 48, All(screen), 2.9f, true)},
      {Quad(450, 420, 300.5f, 200.25f, All(screen))},  // stretched: SDL's
      {Quad(100, 100, 120, 120, All(screen), 0.2f), true},  // additive: SDL's
  });
  for (const auto& [ww, wh] : {std::pair{1024, 640}, std::pair{800, 500}}) {
    std::vector<std::uint32_t> back[2], shown[2];
    for (int direct = 0; direct < 2; ++direct) {
      SDL_Window* window = SDL_CreateWindow("direct", 0, 0, ww, wh, SDL_WINDOW_HIDDEN);
      ASSERT_NE(window, nullptr) << SDL_GetError();
      {
        SdlRenderDevice dev(window, SdlDeviceOptions{true, 16, true, direct == 1});
        ASSERT_EQ(dev.Open(DeviceParams{}), DeviceStatus::Ok);
        dev.BeginFrame();
        Background(dev);
        scene(dev);
        dev.Present();
        int w = 0, h = 0;
        EXPECT_TRUE(dev.ReadPixels(back[direct], w, h));
        SDL_Surface* win = SDL_GetWindowSurface(window);
        ASSERT_NE(win, nullptr);
        for (int y = 0; y < win->h; ++y) {
          const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(win->pixels) + y * win->pitch);
          shown[direct].insert(shown[direct].end(), row, row + win->w);
        }
      }
      SDL_DestroyWindow(window);
    }
    EXPECT_TRUE(back[0] == back[1]) << "back buffer, window " << ww << " x " << wh;
    EXPECT_TRUE(shown[0] == shown[1]) << "window " << ww << " x " << wh;
  }
}

// Memory: a picture drawn in one colour holds one SDL texture, the
// modulated copy; the plain one comes back from the packed texels only when
// it is drawn unmodulated, and the number of colour copies is bounded.
TEST_F(SdlFastPath, PictureCopiesAreMadeOnDemandAndBounded) {
  SDL_Window* window = SDL_CreateWindow("copies", 0, 0, 300, 300, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  {
    SdlRenderDevice dev(window, SdlDeviceOptions{true, 16, true});
    ASSERT_EQ(dev.Open(DeviceParams{300, 300}), DeviceStatus::Ok);
    const std::vector<std::uint8_t> px = Gradient();
    TextureId tex = dev.CreateTexture(px, 256, 256, "gradient");
    ASSERT_NE(tex, 0u);
    EXPECT_EQ(dev.PictureCopies(), 0u);
    dev.BeginFrame();
    dev.BindTexture(tex);
    dev.SetBlend(BlendMode::Alpha);
    const auto draw = [&](std::array<std::uint32_t, 4> colour) {
      const auto q = Quad(0, 0, 256, 256, colour);
      dev.DrawFan(q.data(), 4);
    };
    const auto opaqueTexel = [&](int x, int y) {  // an opaque texel drawn at (x, y) on black
      std::vector<std::uint32_t> out;
      int w = 0, h = 0;
      EXPECT_TRUE(dev.ReadPixels(out, w, h));
      return out.at(static_cast<std::size_t>(y * w + x));
    };
    struct Step {
      std::array<std::uint32_t, 4> colour;
      std::size_t copies;
    } steps[] = {
        {All(0xFEFEFEFEu), 1},                                      // the one copy
        {All(0xFEFEFEFEu), 1},                                      // reused
        {All(0xFFFFFFFFu), 2},                                      // plain made back
        {All(0xFF808080u), 3},                                      // a second colour
        {All(0xFF404040u), 3},                                      // beyond the bound: SDL modulates
        {{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u}, 3},  // mixed corners: plain
    };
    std::uint32_t screenTexel = 0;
    for (const auto& st : steps) {
      dev.Clear(0xFF000000u);
      draw(st.colour);
      if (st.colour == All(0xFEFEFEFEu)) screenTexel = opaqueTexel(100, 30);
      EXPECT_EQ(dev.PictureCopies(), st.copies) << std::hex << st.colour[0];
      // Texel (100, 30) is R 100, G 40, B 122, opaque: each channel ×
      // colour div 255 when the colour is opaque too.
      if (st.colour[0] == st.colour[3] && st.colour[0] >> 24 == 0xFF) {
        const std::uint32_t m = st.colour[0], want = 0xFF000000u | ((100 * ((m >> 16) & 0xFF) / 255) << 16) |
                                                     ((40 * ((m >> 8) & 0xFF) / 255) << 8) | (122 * (m & 0xFF) / 255);
        EXPECT_EQ(opaqueTexel(100, 30), want) << std::hex << m;
      }
    }

    // A target reset keeps the copies; a device reset drops them, and the
    // same texture draws the same pixels from copies made anew.
    dev.NotifyTargetsReset();
    dev.BeginFrame();
    EXPECT_EQ(dev.PictureCopies(), 3u);
    dev.NotifyDeviceReset();
    dev.BeginFrame();
    EXPECT_EQ(dev.PictureCopies(), 0u);
    dev.BindTexture(tex);
    dev.Clear(0xFF000000u);
    draw(All(0xFEFEFEFEu));
    EXPECT_EQ(dev.PictureCopies(), 1u);
    EXPECT_EQ(opaqueTexel(100, 30), screenTexel);
    dev.ReleaseTexture(tex);
    EXPECT_EQ(dev.PictureCopies(), 0u);
  }
  SDL_DestroyWindow(window);
}

}  // namespace
}  // namespace velmora
