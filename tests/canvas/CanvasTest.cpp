// The canvas: rounding of picture places, instruments' origins (nested,
// restored), turning about a pivot, rectangles and sectors, and the
// recording canvas's page places.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "../engine/EngineTestSupport.h"
#include "canvas/RecordingCanvas.h"
#include "assets/ImageCatalogue.h"
#include "canvas/ScreenCanvas.h"
#include "engine/PictureList.h"

namespace velmora {
namespace {

TEST(RoundCoord, RoundsHalfAwayAtFourDecimals) {
  struct Case {
    float v;
    int want;
  } cases[] = {{2.5f, 3},      {-2.5f, -3},     {2.49996f, 3},  {2.4999f, 2},  {100.4f, 100}, {100.5f, 101},
               {-0.5f, -1},    {-0.4f, 0},      {0.0f, 0},      {-100.6f, -101}, {1023.49f, 1023}, {-2.49996f, -3}};
  for (const auto& c : cases) EXPECT_EQ(RoundCoord(c.v), c.want) << c.v;
}

struct OnScreen {
  RecordingDevice dev;
  Screen screen{&dev};
  PictureList list{&screen};
  std::array<Font*, kFontCount> fonts{};
  ScreenCanvas canvas{screen, list.Pictures, fonts};
  OnScreen() {
    auto& item = list.Pictures.Add();
    item.Name = "Needle";
    item.SetPicturePixels(252, 16, test::SolidPixels(252, 16, 255, 255, 255));
    test::StartScene(screen, dev);
  }
  const std::vector<Vertex>& Quad(std::size_t i = 0) const { return dev.CallsOf(CallKind::DrawFan).at(i)->vertices; }
};

// The left edge of the quad lies half a pixel left of the rounded place.
TEST(ScreenCanvas, PicturePlaceIsTheOriginPlusTheLocalPlaceRounded) {
  struct Case { int originX; float x; float wantLeft; } cases[] = {
      {0, 100.4f, 99.5f}, {0, 100.5f, 100.5f}, {0, -0.5f, -1.5f}, {100, 2.5f, 102.5f}, {-50, 5000, 4949.5f}};
  for (const auto& c : cases) {
    OnScreen s;
    {
      AtOrigin at(s.canvas, c.originX, 7);
      AtOrigin nested(s.canvas, 0, 93);
      s.canvas.DrawPicture(0, c.x, 0, {});
    }
    s.canvas.DrawPicture(0, 0, 0, {});  // the origins are gone again
    EXPECT_FLOAT_EQ(s.Quad()[0].x, c.wantLeft) << c.x;
    EXPECT_FLOAT_EQ(s.Quad()[0].y, 99.5f) << c.x;
    EXPECT_FLOAT_EQ(s.Quad()[1].x, c.wantLeft + 0.5f + 252) << c.x;
    EXPECT_FLOAT_EQ(s.Quad(1)[0].x, -0.5f) << c.x;
  }
}

TEST(ScreenCanvas, TurnsClockwiseAboutThePivot) {
  OnScreen s;
  AtOrigin at(s.canvas, 400, 300);
  s.canvas.DrawPicture(0, 100, 0, {.angle = 30, .pivotX = 1, .pivotY = 0.5f});
  const auto& v = s.Quad();
  // Pivot (752, 308): the top-right corner (752, 299.5) swings right and down.
  const double c30 = std::cos(std::numbers::pi / 6), s30 = std::sin(std::numbers::pi / 6);
  EXPECT_NEAR(v[1].x, 752 + s30 * 8.5, 1e-3);
  EXPECT_NEAR(v[1].y, 308 - c30 * 8.5, 1e-3);
  // The far left end moves up (clockwise about the right end).
  EXPECT_NEAR(v[0].x, 752 - c30 * 252.5 + s30 * 8.5, 1e-3);
  EXPECT_NEAR(v[0].y, 308 - s30 * 252.5 - c30 * 8.5, 1e-3);
}

// Shapes draw untextured (a texture bound and a mode set must not leak in),
// in page places, colours scaled by 255/256 on the way.
TEST(ScreenCanvas, RectanglesFilledAndOutlined) {
  for (bool filled : {true, false}) {
    OnScreen s;
    s.dev.BindTexture(7);
    s.canvas.Translate(400, 300);
    if (filled) s.canvas.FillRect(0xFF000000u, 17, 100, 4, 100);
    else s.canvas.StrokeRect(0xFF000000u, 17, 100, 4, 100);
    auto draws = s.dev.CallsOf(filled ? CallKind::DrawFan : CallKind::DrawLineStrip);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0]->texture, 0u);
    const auto& v = draws[0]->vertices;
    ASSERT_EQ(v.size(), filled ? 4u : 5u);
    const float want[5][2] = {{417, 400}, {421, 400}, {421, 500}, {417, 500}, {417, 400}};
    for (std::size_t i = 0; i < v.size(); ++i) {
      EXPECT_EQ(v[i].x, want[i][0]) << i;
      EXPECT_EQ(v[i].y, want[i][1]) << i;
      EXPECT_EQ(v[i].color, 0xFE000000u);
    }
  }
}

// One segment per pixel of radius (rounded to even), clockwise on the
// screen; radius 999.5 and up is refused with "Range check error".
TEST(ScreenCanvas, Sectors) {
  struct Case {
    float radius, from, to;
    int segments;  // -1: refused
  } cases[] = {{300, 0, 60, 300}, {300, 60, 0, 300}, {2.5f, 0, 90, 2}, {3.5f, 0, 90, 4}, {10, 0, 360, 10},
               {999.4f, 0, 10, 999}, {0.4f, 0, 60, 0}, {-5, 0, 60, 0}, {999.5f, 0, 60, -1}, {5000, 0, 60, -1}};
  for (const auto& c : cases) {
    OnScreen s;
    s.canvas.Translate(500, 100);
    try {
      s.canvas.FillSector(0xFFFF0000u, 50, 88, c.radius, c.from, c.to);
      EXPECT_NE(c.segments, -1) << c.radius << " accepted";
    } catch (const std::out_of_range& e) {
      EXPECT_EQ(c.segments, -1) << c.radius;
      EXPECT_STREQ(e.what(), "Range check error");
    }
    auto fans = s.dev.CallsOf(CallKind::DrawFan);
    ASSERT_EQ(fans.size(), c.segments > 0 ? 1u : 0u) << c.radius;
    if (c.segments <= 0) continue;
    const auto& v = fans[0]->vertices;
    ASSERT_EQ(v.size(), static_cast<std::size_t>(c.segments) + 2) << c.radius;
    EXPECT_EQ(v[0].x, 550);
    EXPECT_EQ(v[0].y, 188);
    for (int i = 1; i <= c.segments + 1; ++i) {
      const double a = (c.from + (c.to - c.from) * (i - 1) / c.segments) * std::numbers::pi / 180.0;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].x, 550 + c.radius * std::cos(a), 2e-3) << c.radius << " #" << i;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].y, 188 + c.radius * std::sin(a), 2e-3) << c.radius << " #" << i;
    }
    EXPECT_EQ(v[1].color, 0xFEFE0000u);
  }
}

TEST(ScreenCanvas, APictureWithoutTextureDrawsNothing) {
  RecordingDevice dev;
  Screen screen(&dev);
  PictureList list(&screen);
  list.Pictures.Add().SetPicturePixels(4, 4, test::SolidPixels(4, 4, 1, 2, 3));
  std::array<Font*, kFontCount> fonts{};
  ScreenCanvas canvas(screen, list.Pictures, fonts);
  canvas.DrawPicture(0, 0, 0, {});  // before the screen started
  canvas.DrawPicture(7, 0, 0, {});  // no such picture
  EXPECT_EQ(dev.CountOf(CallKind::DrawFan), 0);
}

TEST(RecordingCanvas, RecordsPagePlacesAndHandsThemOn) {
  RecordingCanvas inner;
  RecordingCanvas outer(&inner);
  outer.Translate(300, 20);
  outer.Save();
  outer.Translate(10, 5);
  outer.DrawPicture(FindImage("Speed_arrow"), 1.5f, 2, {.angle = 140.25f});
  outer.Box({1, 2, 3, 4}, true, -2, 0xFF000000u);
  outer.Restore();
  outer.Text(FontRole::Readout, 1, 1, "P760.0", 0xFF323232u);
  for (const RecordingCanvas* c : {&outer, &inner}) {
    ASSERT_EQ(c->Calls().size(), 3u);
    EXPECT_EQ(c->Calls()[0].picture, "Speed_arrow");
    EXPECT_EQ(c->Calls()[0].x, 311.5f);
    EXPECT_EQ(c->Calls()[0].y, 27.0f);
    EXPECT_EQ(c->Calls()[0].turn.angle, 140.25f);
    EXPECT_EQ(c->Calls()[1].box.x2, 313);
    EXPECT_EQ(c->Calls()[1].box.y1, 27);
    EXPECT_EQ(c->Calls()[2].x, 301.0f);
    EXPECT_EQ(c->Calls()[2].text, "P760.0");
  }
  EXPECT_THROW({ outer.Restore(); }, std::logic_error);
}

}  // namespace
}  // namespace velmora
