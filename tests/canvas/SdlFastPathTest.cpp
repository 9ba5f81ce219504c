// The software renderer's fast paths against SDL's own: every scene is
// drawn on the SDL canvas twice, once with the fast paths off, and the
// pictures must agree (tolerance stated per case). A mismatch saves both
// frames as <case>_slow.png / <case>_fast.png in $VELMORA_TEST_OUT.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "canvas/SdlCanvas.h"
#include "pages/Fonts.h"
#include "window/SdlPngFile.h"

namespace velmora {
namespace {

struct Frame {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
};

using Scene = std::function<void(Canvas&)>;

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

// Picture 0: the gradient, 256 × 256.
const std::vector<PictureData>& Pictures() {
  static const std::vector<PictureData> pictures{{"gradient", 256, 256, 0, 0, Gradient()}};
  return pictures;
}

// A translucent page with stripes of several colours and alphas, so
// blending shows in every channel.
void Background(Canvas& c) {
  c.BeginFrame(0x80FFFFFFu);
  const std::uint32_t colours[] = {0xFF000000u, 0xFF2080C0u, 0x80FF0000u, 0xFFFFFFFFu, 0x4010F010u, 0xFFFEFEFEu};
  for (int i = 0; i < 40; ++i) {
    if (i % 2) c.FillRect(colours[i % 6], static_cast<float>(i * 26), 0, 13, 650);
    else c.Box({i * 26, 0, i * 26 + 12, 649}, true, 0, colours[i % 6]);
  }
  c.Box({0, 300, 1023, 309}, true, 0, 0xFF7F7F7Fu);
}

Frame Render(const Scene& scene, SdlCanvasOptions options, const std::string& saveAs, int ww = 1024, int wh = 650,
             std::vector<std::uint32_t>* shown = nullptr) {
  Frame f;
  SDL_Window* window = SDL_CreateWindow("fast path test", 0, 0, ww, wh, SDL_WINDOW_HIDDEN);
  if (!window) {
    ADD_FAILURE() << SDL_GetError();
    return f;
  }
  {
    SdlCanvas canvas(window, options);
    std::string failed;
    if (canvas.Open(1024, 650, Pictures(), kFontTable, failed) != ScreenStatus::Ok || !canvas.IsSoftware()) {
      ADD_FAILURE() << "no software renderer";
    } else {
      Background(canvas);
      scene(canvas);
      EXPECT_TRUE(canvas.ReadPixels(f.px, f.w, f.h));
      EXPECT_EQ(canvas.FastPathDraws() > 0, options.fastPaths) << "the scene must exercise the fast path";
      if (!saveAs.empty()) SaveScreenshot(canvas, saveAs);
      if (shown) {
        canvas.Present();
        SDL_Surface* win = SDL_GetWindowSurface(window);
        for (int y = 0; win && y < win->h; ++y) {
          const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(win->pixels) + y * win->pitch);
          shown->insert(shown->end(), row, row + win->w);
        }
      }
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

// SDL's own paths against the fast ones; returns how many pixels differed.
int Compare(const std::string& name, const Scene& scene, int tolerance, Spread* spread = nullptr) {
  const SdlCanvasOptions slowly{true, 16, false}, fast{true, 16, true};
  const Frame slow = Render(scene, slowly, ""), quick = Render(scene, fast, "");
  if (slow.px.size() != quick.px.size() || slow.px.empty()) {
    ADD_FAILURE() << name << ": frames missing";
    return -1;
  }
  int bad = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < slow.px.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>((slow.px[i] >> shift) & 0xFF), b = static_cast<int>((quick.px[i] >> shift) & 0xFF);
      worst = std::max(worst, std::abs(a - b));
    }
    if (spread) ++(*spread)[static_cast<std::size_t>(std::min(worst, 3))];
    if (worst > tolerance && bad++ == 0) first = i;
  }
  if (bad) {
    Render(scene, slowly, OutPath(name + "_slow.png"));
    Render(scene, fast, OutPath(name + "_fast.png"));
    ADD_FAILURE() << name << ": " << bad << " pixels differ beyond ±" << tolerance << "; first ("
                  << first % static_cast<std::size_t>(slow.w) << ", " << first / static_cast<std::size_t>(slow.w)
                  << "): SDL 0x" << std::hex << slow.px[first] << ", fast 0x" << quick.px[first];
  }
  return bad;
}

class SdlFastPath : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
  void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

// The instruments' draws, each case on its own: flat fans are exact,
// pictures drawn from a copy with their colour multiplied in within two
// steps a channel of SDL's modulation (three where SDL also filters a
// stretched one), turned pictures exact (SDL's triangle blender modulates
// by the copy's rule), text exact.
TEST_F(SdlFastPath, CanvasDrawsMatchSdl) {
  const std::uint32_t green = 0xFF00FF00u, red = 0xFFFF0000u, half = 0x80C02040u;
  const CanvasPoint fold[] = {{300, 300}, {400, 250}, {420, 330}, {380, 200}, {450, 280}, {310, 390}};
  const auto sector = [](Canvas& c) { c.FillSector(0xFF00FF00u, 900, 560, 40, 0, 90); };
  struct Case {
    const char* name;
    Scene scene;
    int tolerance;
  } cases[] = {
      {"sectors_of_the_flight_page", [&](Canvas& c) { c.FillSector(green, 550, 188, 300, 0, 60); c.FillSector(red, 1120, 188, 300, 0, 135); }, 0},
      {"reversed_translucent_and_off_the_top_left",
       [](Canvas& c) {
         c.FillSector(0x80203040u, 400, 400, 120, 200, 20);
         c.FillSector(0x40FF8000u, 420, 380, 90, 0, 360);
         c.FillSector(0xC0102030u, -10.7f, 3.3f, 80.4f, -90, 170);
         c.FillSector(green, 100.5f, 600.5f, 6, 0, 360);
       }, 0},
      // Rim points that double back: some pixels lie under two slices.
      {"folding_over_itself", [&](Canvas& c) { c.FillPolygon(half, fold); }, 0},
      {"upright_and_tinted_pictures",
       [&](Canvas& c) {
         c.DrawPicture(0, 10, 10);
         c.DrawPicture(0, 300, 20, {.tint = 0xC0FF8020u});
         c.DrawPicture(0, 600, 30, {.tint = 0x40FFFFFFu});
         c.DrawPicture(0, 20, 330, {.tint = 0xFF204060u});
         sector(c);
       }, 2},
      {"stretched_and_filtered",
       [&](Canvas& c) {
         c.DrawPicture(0, 10, 10, {.scaleX = 500.0f / 256, .scaleY = 300.0f / 256});
         c.DrawPicture(0, 700, 300, {.scaleX = 300.5f / 256, .scaleY = 200.25f / 256, .tint = 0x90E0C0A0u});
         sector(c);
       }, 3},
      {"turned_pictures",
       [&](Canvas& c) {
         c.DrawPicture(0, 200, 150, {.angle = 34.4f, .pivotX = 0.5f, .pivotY = 0.5f});
         c.DrawPicture(0, 600, 300, {.angle = -126, .pivotX = 1, .pivotY = 0.5f, .tint = 0xA0FF4000u});
         sector(c);
       }, 0},
      {"text", [&](Canvas& c) { c.Text(FontRole::DialReadout, 100, 100, "12750", 0xFF323232u); c.Text(FontRole::Caption, 300, 500, "Топливо:", 0x80FF0000u); sector(c); }, 0},
  };
  Spread total{};
  for (auto& c : cases) {
    Spread spread{};
    Compare(c.name, c.scene, c.tolerance, &spread);
    std::printf("%s: %ld pixels the same, %ld differ by 1, %ld by 2, %ld by more\n", c.name, spread[0], spread[1],
                spread[2], spread[3]);
    for (std::size_t i = 0; i < spread.size(); ++i) total[i] += spread[i];
  }
  EXPECT_GT(total[1] + total[2], 0) << "the copies must actually be drawn";
}

// A picture row blended straight in equals SDL's own blit of it, texel for
// texel: every alpha, runs of eight transparent texels (skipped whole) and
// runs where a single texel of eight, at each place, is not transparent.
TEST(DirectBlits, BlendCopyEqualsSdlsBlit) {
  std::vector<std::uint32_t> texels;  // R G B A bytes, as the canvas's copies hold them
  for (std::uint32_t a = 0; a < 256; ++a) texels.push_back(a << 24 | (a * 7 & 0xFF) << 16 | (255 - a) << 8 | (a * 3 & 0xFF));
  for (int place = 0; place < 9; ++place)
    for (int k = 0; k < 8; ++k) texels.push_back(k == place ? 0x80FF4020u : 0x00FFFFFFu);
  const int n = static_cast<int>(texels.size());
  std::vector<std::uint32_t> ours(static_cast<std::size_t>(n) + 3), theirs;
  for (int i = 0; i < n + 3; ++i) ours[static_cast<std::size_t>(i)] = 0x40000000u * static_cast<std::uint32_t>(i % 4) | 0x8040C0u * static_cast<std::uint32_t>(i % 3);
  theirs = ours;
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(texels.data(), n, 1, 32, n * 4, SDL_PIXELFORMAT_RGBA32);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormatFrom(theirs.data() + 3, n, 1, 32, n * 4, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_TRUE(from && to) << SDL_GetError();
  SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_BLEND);
  ASSERT_EQ(SDL_BlitSurface(from, nullptr, to, nullptr), 0) << SDL_GetError();
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  // Three pixels in, so that the runs of eight start off the vector width.
  BlendCopy(PixelRows{texels.data(), n, 1, n}, IntBox{0, 0, n, 1}, PixelRows{ours.data() + 3, n, 1, n}, 0, 0);
  for (int i = 0; i < n + 3; ++i)
    ASSERT_EQ(ours[static_cast<std::size_t>(i)], theirs[static_cast<std::size_t>(i)]) << "pixel " << i << std::hex << ", texel 0x" << texels[static_cast<std::size_t>(std::max(i - 3, 0))];
}

// The software canvas blends pictures into its page itself and presents it
// itself; SDL doing both must give the very same bytes, in the page and in
// the window (one window as tall as the page is wide divided by 1.6, as
// the program's, one narrower).
TEST_F(SdlFastPath, DirectBlitsAndPresentMatchSdlExactly) {
  const Scene scene = [](Canvas& c) {
    c.DrawPicture(0, 10, 10);
    c.DrawPicture(0, -100, -60);  // off the top left
    c.DrawPicture(0, 900, 500);   // off the bottom right
    c.DrawPicture(0, 380, 200, {.tint = 0xC0FF8020u});
    c.DrawPicture(0, 200, 300, {.angle = 34.4f, .pivotX = 0.5f, .pivotY = 0.5f});
    c.DrawPicture(0, 700, 380, {.angle = 63, .pivotX = 0.5f, .pivotY = 0.9f, .scaleX = 11.0f / 256, .scaleY = 162.0f / 256});  // a thin needle
    c.DrawPicture(0, -40, 520, {.angle = 17, .scaleX = 252.0f / 256, .scaleY = 16.0f / 256});  // turned over the edges
    c.DrawPicture(0, 450, 420, {.scaleX = 300.5f / 256, .scaleY = 200.25f / 256});  // stretched: SDL's
    c.FillSector(0xFF00FF00u, 900, 560, 40, 0, 90);
  };
  for (const auto& [ww, wh] : {std::pair{1024, 640}, std::pair{800, 500}}) {
    std::vector<std::uint32_t> shown[2];
    Frame back[2];
    for (int direct = 0; direct < 2; ++direct)
      back[direct] = Render(scene, SdlCanvasOptions{true, 16, true, direct == 1}, "", ww, wh, &shown[direct]);
    EXPECT_TRUE(back[0].px == back[1].px) << "page, window " << ww << " x " << wh;
    EXPECT_TRUE(!shown[0].empty() && shown[0] == shown[1]) << "window " << ww << " x " << wh;
  }
}

// Memory: a picture drawn in one colour holds one SDL texture, the
// modulated copy; the number of colour copies is bounded, beyond it the
// plain copy comes back from the packed texels and SDL modulates.
TEST_F(SdlFastPath, PictureCopiesAreMadeOnDemandAndBounded) {
  SDL_Window* window = SDL_CreateWindow("copies", 0, 0, 300, 300, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  {
    SdlCanvas canvas(window, SdlCanvasOptions{true, 16, true});
    std::string failed;
    ASSERT_EQ(canvas.Open(300, 300, Pictures(), {}, failed), ScreenStatus::Ok);
    EXPECT_EQ(canvas.PictureCopies(), 0u);
    const auto opaqueTexel = [&](int x, int y) {  // an opaque texel drawn at (x, y) on black
      std::vector<std::uint32_t> out;
      int w = 0, h = 0;
      EXPECT_TRUE(canvas.ReadPixels(out, w, h));
      return out.at(static_cast<std::size_t>(y * w + x));
    };
    struct Step {
      std::uint32_t tint;
      std::size_t copies;
    } steps[] = {
        {0xFFFFFFFFu, 1},  // the one copy
        {0xFFFFFFFFu, 1},  // reused
        {0xFF808080u, 2},  // a second colour
        {0xFF404040u, 3},  // beyond the bound: the plain copy, SDL modulates
        {0xFF202020u, 3},
    };
    std::uint32_t screenTexel = 0;
    for (const auto& st : steps) {
      canvas.BeginFrame(0xFF000000u);
      canvas.DrawPicture(0, 0, 0, {.tint = st.tint});
      EXPECT_EQ(canvas.PictureCopies(), st.copies) << std::hex << st.tint;
      // Texel (100, 30) is R 100, G 40, B 122, opaque: each channel ×
      // colour div 255 (the colour scaled by 255/256 first), then blended
      // onto black by the copy's alpha, 254: × 254 / 256.
      const std::uint32_t m = ScaledColor(st.tint);
      const auto channel = [&](std::uint32_t texel, int shift) {
        return ((texel * ((m >> shift) & 0xFF) / 255) * 254 >> 8) << shift;
      };
      const std::uint32_t want = 0xFE000000u | channel(100, 16) | channel(40, 8) | channel(122, 0);
      if (st.copies < 3) {
        EXPECT_EQ(opaqueTexel(100, 30), want) << std::hex << m;
      }
      if (st.tint == 0xFFFFFFFFu) screenTexel = opaqueTexel(100, 30);
    }

    // A target reset keeps the copies; a device reset drops them, and the
    // same picture draws the same pixels from copies made anew.
    canvas.NotifyTargetsReset();
    canvas.BeginFrame(0xFF000000u);
    EXPECT_EQ(canvas.PictureCopies(), 3u);
    canvas.NotifyDeviceReset();
    canvas.BeginFrame(0xFF000000u);
    EXPECT_EQ(canvas.PictureCopies(), 0u);
    canvas.DrawPicture(0, 0, 0);
    EXPECT_EQ(canvas.PictureCopies(), 1u);
    EXPECT_EQ(opaqueTexel(100, 30), screenTexel);
  }
  SDL_DestroyWindow(window);
}

}  // namespace
}  // namespace velmora
