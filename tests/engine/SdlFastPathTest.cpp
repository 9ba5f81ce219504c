// The software renderer's fast paths against SDL's own triangle path: every
// scene is drawn twice, once with the fast paths off, and the back buffers
// must agree (tolerance stated per case). A mismatch saves both frames as
// <case>_slow.png / <case>_fast.png in $VELMORA_TEST_OUT.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
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
      dev.BeginScene();
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

// Compares the two renderings; returns how many pixels differed.
int Compare(const std::string& name, const Scene& scene, int tolerance) {
  const Frame slow = Render(scene, false, "");
  const Frame fast = Render(scene, true, "");
  if (slow.px.size() != fast.px.size() || slow.px.empty()) {
    ADD_FAILURE() << name << ": frames missing";
    return -1;
  }
  int bad = 0, firstX = -1, firstY = -1;
  for (std::size_t i = 0; i < slow.px.size(); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>((slow.px[i] >> shift) & 0xFF), b = static_cast<int>((fast.px[i] >> shift) & 0xFF);
      if (std::abs(a - b) > tolerance) {
        if (bad++ == 0) {
          firstX = static_cast<int>(i % static_cast<std::size_t>(slow.w));
          firstY = static_cast<int>(i / static_cast<std::size_t>(slow.w));
        }
        break;
      }
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
std::vector<TVertex> Sector(float cx, float cy, float r, float start, float end, std::uint32_t colour) {
  const int n = static_cast<int>(std::nearbyint(r));
  std::vector<TVertex> v;
  v.push_back(TVertex{cx, cy, 0, 1, colour, 0, 0});
  double t = start / 360.0;
  const double step = (end - start) * (1.0 / n) * (1.0 / 360.0);
  for (int i = 0; i <= n; ++i, t += step) {
    const double a = t * 6.28318530716;
    v.push_back(TVertex{static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)), 0, 1, colour, 0, 0});
  }
  return v;
}

Scene Fans(std::vector<std::vector<TVertex>> fans, BlendFactor src = BlendFactor::SrcAlpha,
           BlendFactor dst = BlendFactor::InvSrcAlpha) {
  return [fans = std::move(fans), src, dst](SdlRenderDevice& dev) {
    dev.BindTexture(0);
    dev.SetBlend(src, dst);
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
      {"additive", Fans({Sector(700, 450, 150, 30, 250, 0x9000A0FFu)}, BlendFactor::SrcAlpha, BlendFactor::One)},
      // Rim points that double back: some pixels lie under two slices.
      {"folding_over_itself",
       Fans({{{300, 300, 0, 1, half}, {400, 250, 0, 1, half}, {420, 330, 0, 1, half}, {380, 200, 0, 1, half},
              {450, 280, 0, 1, half}, {310, 390, 0, 1, half}}})},
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

}  // namespace
}  // namespace velmora
