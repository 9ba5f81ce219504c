// Image list: lookup, texture layout, quad arithmetic (half-pixel edges,
// pivot, rotation, scale, mirroring, patterns) and texture failures.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/PictureList.h"
#include "engine/Screen.h"
#include "engine/RecordingDevice.h"

namespace velmora {
namespace {

using test::SolidPixels;

struct Scene {
  RecordingDevice dev;
  Screen screen{&dev};
  PictureList list{&screen};

  Picture& Add(const char* name, int w, int h) {
    auto& item = list.Pictures.Add();
    item.Name = name;
    item.SetPicturePixels(w, h, SolidPixels(w, h, 200, 100, 50));
    return item;
  }
  void Start() { test::StartScene(screen, dev); }
  const RecordedCall& LastFan() {
    auto fans = dev.CallsOf(CallKind::DrawFan);
    EXPECT_FALSE(fans.empty());
    return *fans.back();
  }
};

TEST(PictureCollection, FindIsExactCaseSensitiveFirstMatch) {
  PictureList list;
  const char* names[] = {"Plane", "Main_minus_ADI", "White_line", "Speed", "Speed_arrow",
                         "Vertical_speed", "Vertical_speed_arrow", "ADI_pitch", "Speed"};
  for (const char* n : names) list.Pictures.Add().Name = n;
  struct Case {
    const char* name;
    int want;  // index or -1
  } cases[] = {{"ADI_pitch", 7}, {"adi_pitch", -1}, {"ADI", -1}, {"ADI_pitch ", -1},
               {"Speed", 3},     {"Plane", 0},      {"", -1}};
  for (const auto& c : cases) {
    Picture* got = list.Pictures.Find(c.name);
    Picture* want = c.want < 0 ? nullptr : &list.Pictures.Items(c.want);
    EXPECT_EQ(got, want) << "'" << c.name << "'";
  }
}

TEST(Picture, TextureSizesAndPatternCounts) {
  struct Case {
    int w, h, tileW, tileH;
    int texW, texH, cols, rows;
  } cases[] = {
      {892, 280, 0, 0, 1024, 512, 1, 1},  {1024, 665, 0, 0, 1024, 1024, 1, 1}, {150, 2, 0, 0, 256, 2, 1, 1},
      {1, 1, 0, 0, 2, 2, 1, 1},           {256, 1600, 0, 0, 256, 2048, 1, 1},  {64, 32, 16, 16, 64, 32, 4, 2},
      {70, 30, 16, 16, 128, 32, 4, 1},    {20, 20, 40, 40, 32, 32, 0, 0},
  };
  for (const auto& c : cases) {
    Picture item;
    item.SetPicturePixels(c.w, c.h, SolidPixels(c.w, c.h, 0, 0, 0));
    EXPECT_EQ(item.TileWidth(), c.w);
    EXPECT_EQ(item.TileHeight(), c.h);
    if (c.tileW) item.SetTileWidth(c.tileW);
    if (c.tileH) item.SetTileHeight(c.tileH);
    EXPECT_EQ(item.TextureWidth(), c.texW) << c.w << "x" << c.h;
    EXPECT_EQ(item.TextureHeight(), c.texH) << c.w << "x" << c.h;
    EXPECT_EQ(item.PatternColumns(), c.cols) << c.w << "x" << c.h;
    EXPECT_EQ(item.PatternRows(), c.rows) << c.w << "x" << c.h;
  }
  Picture item;
  item.SetPicturePixels(64, 32, SolidPixels(64, 32, 0, 0, 0));
  item.SetTileWidth(16);
  item.SetTileWidth(0);
  EXPECT_EQ(item.TileWidth(), 64) << "tile width 0 means the picture width";
}

TEST(Picture, TextureHoldsPictureTopLeftWithTransparentMargin) {
  Scene s;
  auto& item = s.list.Pictures.Add();
  item.Name = "Tiny";
  std::vector<std::uint8_t> px = SolidPixels(3, 2, 10, 20, 30, 40);
  px[(1 * 3 + 2) * 4] = 99;  // pixel (2, 1)
  item.SetPicturePixels(3, 2, px);
  s.Start();

  const auto* tex = s.dev.TexturePixels(item.Texture());
  ASSERT_NE(tex, nullptr);
  ASSERT_EQ(tex->size(), 4u * 2u * 4u);
  auto texel = [&](const std::vector<std::uint8_t>& t, int texW, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(texW) + static_cast<std::size_t>(x)) * 4;
    return std::vector<int>{t[i], t[i + 1], t[i + 2], t[i + 3]};
  };
  EXPECT_EQ(texel(*tex, 4, 0, 0), (std::vector<int>{10, 20, 30, 40}));
  EXPECT_EQ(texel(*tex, 4, 2, 1), (std::vector<int>{99, 20, 30, 40}));
  EXPECT_EQ(texel(*tex, 4, 3, 0), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(texel(*tex, 4, 3, 1), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(s.dev.TextureName(item.Texture()), "Tiny");
}

// Turns the 24-byte header of kPng5x3 into a 5 × 3 picture; fails on
// anything else.
struct CountingDecoder : ImageDecoder {
  int decodes = 0;
  bool Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) override {
    ++decodes;
    if (bytes.size() != 24) return false;
    out.width = 5;
    out.height = 3;
    out.rgba = SolidPixels(5, 3, 1, 1, 1);
    return true;
  }
};

const std::vector<std::uint8_t> kPng5x3 = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                           'I',  'H', 'D', 'R', 0,    0,    0,    5,    0, 0, 0, 3};

TEST(Picture, EncodedPicturesAreDecodedByTheListsDecoder) {
  Scene s;
  CountingDecoder decoder;
  s.list.SetDecoder(&decoder);
  auto& good = s.list.Pictures.Add();
  good.Name = "Good";
  good.SetPicture(kPng5x3);
  EXPECT_EQ(good.PictureWidth(), 5);
  EXPECT_EQ(good.TileHeight(), 3);
  auto& bad = s.list.Pictures.Add();
  bad.Name = "Bad";
  bad.SetPicture({1, 2, 3});
  s.Start();
  EXPECT_NE(good.Texture(), 0u);
  EXPECT_EQ(s.dev.TextureSizeOf(good.Texture(), false), 8);
  EXPECT_EQ(s.dev.TextureSizeOf(good.Texture(), true), 4);
  EXPECT_EQ(good.Pixels().size(), 5u * 3 * 4) << "decoded pixels kept for a device reset";
  EXPECT_EQ(bad.Texture(), 0u);
  EXPECT_EQ(s.screen.TakeTextureFailure(), "Bad");
  // A second load (the program's own call) does not decode again.
  s.list.LoadTextures();
  EXPECT_EQ(decoder.decodes, 3);  // good once, bad twice
}

TEST(Picture, WithoutADecoderAnEncodedPictureGetsNoTexture) {
  Scene s;
  auto& item = s.list.Pictures.Add();
  item.Name = "Undecoded";
  item.SetPicture(kPng5x3);
  s.Start();
  EXPECT_EQ(item.Texture(), 0u);
  EXPECT_EQ(s.screen.TakeTextureFailure(), "Undecoded");
}

TEST(Picture, TextureFailureIsReportedAndOthersStillLoad) {
  Scene s;
  s.Add("Plane", 892, 280);
  auto& speed = s.Add("Speed", 219, 213);
  auto& after = s.Add("Speed_arrow", 83, 44);
  s.dev.FailTexture("Speed");
  s.Start();
  EXPECT_EQ(s.screen.TakeTextureFailure(), "Speed");
  EXPECT_EQ(s.screen.TakeTextureFailure(), "") << "reported once";
  EXPECT_EQ(speed.Texture(), 0u);
  EXPECT_NE(after.Texture(), 0u);
}

struct Corner {
  float x, y, u, v;
};

void ExpectCorners(const RecordedCall& fan, const std::vector<Corner>& want, const char* what) {
  ASSERT_EQ(fan.vertices.size(), 4u) << what;
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(fan.vertices[i].x, want[i].x, 1e-3) << what << " V" << i << ".x";
    EXPECT_NEAR(fan.vertices[i].y, want[i].y, 1e-3) << what << " V" << i << ".y";
    EXPECT_NEAR(fan.vertices[i].u, want[i].u, 1e-6) << what << " V" << i << ".u";
    EXPECT_NEAR(fan.vertices[i].v, want[i].v, 1e-6) << what << " V" << i << ".v";
  }
}

TEST(Picture, QuadCornersUnderPivotRotationScaleAndMirroring) {
  const float U = 252.0f / 256.0f;
  struct Case {
    const char* what;
    float angle, cx, cy, sx, sy;
    bool mirrorY, mirrorX;
    std::vector<Corner> want;
  } cases[] = {
      {"plain: only left/top edges shift", 0, 0, 0, 1, 1, false, false,
       {{99.5f, 199.5f, 0, 0}, {352, 199.5f, U, 0}, {352, 216, U, 1}, {99.5f, 216, 0, 1}}},
      {"90 about the centre: long side runs down", 90, 0.5f, 0.5f, 1, 1, false, false,
       {{234.5f, 81.5f, 0, 0}, {234.5f, 334, U, 0}, {218, 334, U, 1}, {218, 81.5f, 0, 1}}},
      {"90 about the middle of the left edge", 90, 0, 0.5f, 1, 1, false, false,
       {{108.5f, 207.5f, 0, 0}, {108.5f, 460, U, 0}, {92, 460, U, 1}, {92, 207.5f, 0, 1}}},
      {"ScaleX 2, ScaleY 0 draws as 1", 0, 0, 0, 2, 0, false, false,
       {{99, 199.5f, 0, 0}, {604, 199.5f, U, 0}, {604, 216, U, 1}, {99, 216, 0, 1}}},
      {"ScaleX 0 draws as 1", 0, 0, 0, 0, 1, false, false,
       {{99.5f, 199.5f, 0, 0}, {352, 199.5f, U, 0}, {352, 216, U, 1}, {99.5f, 216, 0, 1}}},
      {"mirror X", 0, 0, 0, 1, 1, false, true,
       {{99.5f, 199.5f, U, 0}, {352, 199.5f, 0, 0}, {352, 216, 0, 1}, {99.5f, 216, U, 1}}},
      {"mirror Y", 0, 0, 0, 1, 1, true, false,
       {{99.5f, 199.5f, 0, 1}, {352, 199.5f, U, 1}, {352, 216, U, 0}, {99.5f, 216, 0, 0}}},
      {"mirror both", 0, 0, 0, 1, 1, true, true,
       {{99.5f, 199.5f, U, 1}, {352, 199.5f, 0, 1}, {352, 216, 0, 0}, {99.5f, 216, U, 0}}},
      {"180 about the right edge middle", 180, 1, 0.5f, 1, 1, false, false,
       {{604.5f, 216.5f, 0, 0}, {352, 216.5f, U, 0}, {352, 200, U, 1}, {604.5f, 200, 0, 1}}},
  };
  for (const auto& c : cases) {
    Scene s;
    auto& item = s.Add("Engine_Left_Arrow", 252, 16);
    s.Start();
    item.DrawImage(100, 200, {.angle = c.angle, .centerX = c.cx, .centerY = c.cy, .scaleX = c.sx, .scaleY = c.sy,
                              .mirrorX = c.mirrorX, .mirrorY = c.mirrorY});
    const RecordedCall& fan = s.LastFan();
    EXPECT_EQ(fan.name, "Engine_Left_Arrow") << c.what;
    ExpectCorners(fan, c.want, c.what);
  }
}

TEST(Picture, PatternsPickTheirTile) {
  struct Case {
    int pattern;
    float left, top, right, bottom;
  } cases[] = {
      {0, 0, 0, 0.25f, 0.5f},       {1, 0.25f, 0, 0.5f, 0.5f},    {5, 0.25f, 0.5f, 0.5f, 1},
      {7, 0.75f, 0.5f, 1, 1},       {9, 0.75f, 0.5f, 1, 1},       {-1, 0, 0, 1, 1},
  };
  for (const auto& c : cases) {
    Scene s;
    auto& item = s.Add("Tiles", 64, 32);
    item.SetTileWidth(16);
    item.SetTileHeight(16);
    s.Start();
    item.DrawImage(10, 10,
                   {.color1 = 1, .color2 = 2, .color3 = 3, .color4 = 4, .patternIndex = c.pattern});
    const RecordedCall& fan = s.LastFan();
    ExpectCorners(fan,
                  {{9.5f, 9.5f, c.left, c.top}, {26, 9.5f, c.right, c.top}, {26, 26, c.right, c.bottom},
                   {9.5f, 26, c.left, c.bottom}},
                  ("pattern " + std::to_string(c.pattern)).c_str());
    // Corner colours arrive modulated by the opaque white screen colour.
    EXPECT_EQ(fan.vertices[0].color, 1u * 255u >> 8);
  }
  // One-pattern item: pattern 5 draws pattern 0.
  Scene s;
  auto& one = s.Add("One", 892, 280);
  s.Start();
  one.DrawImage(0, 0, {.patternIndex = 5});
  ExpectCorners(s.LastFan(),
                {{-0.5f, -0.5f, 0, 0}, {892, -0.5f, 892.0f / 1024, 0}, {892, 280, 892.0f / 1024, 280.0f / 512},
                 {-0.5f, 280, 0, 280.0f / 512}},
                "one pattern");
}

TEST(Picture, BlendModeOfTheDraw) {
  Scene s;
  auto& item = s.Add("Ball", 9, 201);
  s.Start();
  item.DrawImage(0, 0, {.blendMode = BlendMode::Additive});
  item.DrawImage(0, 0, {.blendMode = BlendMode::Additive});
  EXPECT_EQ(s.screen.Blend(), BlendMode::Additive);
  EXPECT_EQ(s.dev.CountOf(CallKind::SetBlend), 1);
  EXPECT_EQ(s.dev.CountOf(CallKind::DrawFan), 2);
}

TEST(Picture, NothingDrawsBeforeTexturesLoad) {
  Scene s;
  auto& item = s.Add("Ball", 9, 201);
  item.DrawImage(0, 0, {});
  EXPECT_EQ(s.dev.CountOf(CallKind::DrawFan), 0);
  EXPECT_FALSE(item.Ready());
}

}  // namespace
}  // namespace velmora
