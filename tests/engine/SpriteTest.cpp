// Sprites: rounding, Z order, drawing position (offsets, world, Fixed,
// drawing area), setters, range errors and ownership.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "EngineTestSupport.h"
#include "engine/PictureList.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "engine/RecordingDevice.h"

namespace velmora {
namespace {

using test::CaptureBoxes;
using test::SolidPixels;

TEST(RoundCoord, RoundsHalfAwayAtFourDecimals) {
  struct Case {
    float v;
    int want;
  } cases[] = {{2.5f, 3},      {-2.5f, -3},     {2.49996f, 3},  {2.4999f, 2},  {100.4f, 100}, {100.5f, 101},
               {-0.5f, -1},    {-0.4f, 0},      {0.0f, 0},      {-100.6f, -101}, {1023.49f, 1023}, {-2.49996f, -3}};
  for (const auto& c : cases) EXPECT_EQ(RoundCoord(c.v), c.want) << c.v;
}

TEST(Sprite, InitialValues) {
  SpriteSet engine;
  Sprite* s = engine.CreateSprite();
  EXPECT_EQ(s->Width(), 10);
  EXPECT_EQ(s->Height(), 10);
  EXPECT_EQ(s->X1(), 10);
  EXPECT_EQ(s->Y2(), 10);
  EXPECT_EQ(s->Y3(), 10);
  EXPECT_EQ(s->Color1, 0xFFFFFFFFu);
  EXPECT_EQ(s->ScaleX, 1.0f);
  EXPECT_TRUE(s->Visible);
  EXPECT_EQ(s->PatternIndex(), 0);
  EXPECT_EQ(s->Image(), nullptr);
}

TEST(SpriteSet, InsertionByBisectionPutsNewBeforeEqualZ) {
  SpriteSet engine;
  Sprite* a = engine.CreateSprite();
  Sprite* b = engine.CreateSprite();
  Sprite* c = engine.CreateSprite();
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, b, a})) << "Z 0 each: newest first";
  a->SetZ(1);
  b->SetZ(1);
  c->SetZ(1);
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, b, a}));
  struct Step {
    Sprite* who;
    int z;
  } steps[] = {{a, 5}, {c, -2}, {b, 5}};
  for (auto st : steps) st.who->SetZ(st.z);
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, b, a}));
  b->SetZ(3);
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, b, a}));
  a->SetZ(0);
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, a, b}));
  delete a;  // frees itself out of the engine
  EXPECT_EQ(engine.Sprites(), (std::vector<Sprite*>{c, b}));
}

struct Scene {
  RecordingDevice dev;
  Screen screen{&dev};
  PictureList list{&screen};
  SpriteSet engine;
  CaptureBoxes boxes;
  Picture* item;
  Scene(int w = 252, int h = 16) {
    item = &list.Pictures.Add();
    item->Name = "Needle";
    item->SetPicturePixels(w, h, SolidPixels(w, h, 255, 255, 255));
  }
  void Start() { test::StartScene(screen, dev); }
};

TEST(Sprite, DrawPositionFromOffsets) {
  struct Case {
    const char* what;
    float x, offsetX;
    float wantLeft;  // V0.x = drawn x − 0.5
  } cases[] = {
      {"100.4 rounds down", 100.4f, 0, 99.5f},
      {"100.5 rounds up", 100.5f, 0, 100.5f},
      {"-0.5 goes to -1", -0.5f, 0, -1.5f},
      {"offset added", 100, 2.5f, 102.5f},
      {"far away still drawn", 5000, 0, 4999.5f},
  };
  for (const auto& c : cases) {
    Scene s;
    s.Start();
    Sprite* sp = s.engine.CreateSprite();
    sp->SetImage(s.item);
    sp->SetX(c.x);
    sp->SetY(100);
    sp->OffsetX = c.offsetX;
    sp->Draw();
    auto fans = s.dev.CallsOf(CallKind::DrawFan);
    ASSERT_EQ(fans.size(), 1u) << c.what;
    EXPECT_FLOAT_EQ(fans[0]->vertices[0].x, c.wantLeft) << c.what;
    EXPECT_FLOAT_EQ(fans[0]->vertices[1].x, c.wantLeft + 0.5f + 252) << c.what;
  }
}

TEST(Sprite, RotatesAboutItsPivotClockwise) {
  Scene s;
  s.Start();
  Sprite* sp = s.engine.CreateSprite();
  sp->SetImage(s.item);
  sp->SetX(500);
  sp->SetY(300);
  sp->CenterX = 1;
  sp->CenterY = 0.5f;
  sp->Angle = 30;
  sp->ScaleX = 1.2f;  // scaling does not change the stored size
  EXPECT_EQ(sp->Width(), 252);
  EXPECT_EQ(sp->Height(), 16);
  sp->ScaleX = 1;
  sp->Draw();
  const auto& v = s.dev.CallsOf(CallKind::DrawFan).at(0)->vertices;
  // Pivot (752, 308): the top-right corner (752, 299.5) swings right and down.
  const double c30 = std::cos(std::numbers::pi / 6), s30 = std::sin(std::numbers::pi / 6);
  EXPECT_NEAR(v[1].x, 752 + s30 * 8.5, 1e-3);
  EXPECT_NEAR(v[1].y, 308 - c30 * 8.5, 1e-3);
  // The far left end moves up (clockwise about the right end).
  EXPECT_NEAR(v[0].x, 752 - c30 * 252.5 + s30 * 8.5, 1e-3);
  EXPECT_NEAR(v[0].y, 308 - s30 * 252.5 - c30 * 8.5, 1e-3);
}

TEST(Sprite, DrawWithoutLoadedTexturesDrawsNothingAndShowsNoBox) {
  Scene s;
  Sprite* sp = s.engine.CreateSprite();
  sp->SetImage(s.item);
  sp->Draw();
  EXPECT_TRUE(s.boxes.boxes.empty());
  EXPECT_EQ(s.dev.CountOf(CallKind::DrawFan), 0);
}

TEST(Sprite, GeometryFollowsSetters) {
  Scene s(54, 45);
  Sprite* sp = s.engine.CreateSprite();
  sp->SetX(592.6f);
  sp->SetY(402);
  sp->SetImage(s.item);
  EXPECT_EQ(sp->BoundsRect(), (PixelRect{593, 402, 647, 447}));
  EXPECT_FLOAT_EQ(sp->X1(), 646.6f);
  EXPECT_FLOAT_EQ(sp->Y2(), 447);
  EXPECT_FLOAT_EQ(sp->X3(), 592.6f);
  EXPECT_FLOAT_EQ(sp->CenterPointX(), 619.6f);
  sp->SetWidth(10);
  EXPECT_EQ(sp->BoundsRect().Right, 603);
}

TEST(Sprite, PatternSource) {
  Scene s(64, 32);
  s.item->SetTileWidth(16);
  s.item->SetTileHeight(16);
  Sprite* sp = s.engine.CreateSprite();
  sp->SetImage(s.item);
  struct Case {
    int index, stored, srcX, srcY;
  } cases[] = {{5, 5, 16, 16}, {3, 3, 48, 0}, {20, 8, 0, 32}, {-3, -3, 0, 0}};
  for (const auto& c : cases) {
    sp->SetPatternIndex(c.index);
    EXPECT_EQ(sp->PatternIndex(), c.stored) << c.index;
    if (c.index >= 0) {
      EXPECT_EQ(sp->PatternSourceX(), c.srcX) << c.index;
      EXPECT_EQ(sp->PatternSourceY(), c.srcY) << c.index;
    }
  }
}

}  // namespace
}  // namespace velmora
