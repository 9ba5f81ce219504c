// The canvas: rounding of picture places, the geometry every back end draws
// (quads turned about a pivot, sectors, colours), the transform stack
// (origins nested and restored, turns, clips) and the recording canvas's
// page places.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "assets/ImageCatalogue.h"
#include "canvas/RecordingCanvas.h"
#include "pages/Fonts.h"

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

// Every colour reaches the pixels scaled by 255/256.
TEST(ScaledColor, EveryChannelTimes255Div256) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0xFFFFFFFFu, 0xFEFEFEFEu}, {0xFF000000u, 0xFE000000u}, {0x80FF4010u, 0x7FFE3F0Fu}, {0x67394710u, 0x6638460Fu}};
  for (const auto& [in, want] : cases) EXPECT_EQ(ScaledColor(in), want) << std::hex << in;
}

// A 252 × 16 tile in a 256 × 16 texture at (100, 200): only the left and top
// edges move by half a pixel; turns and scales go about the pivot.
TEST(PictureQuad, CornersUnderPivotRotationAndScale) {
  const float U = 252.0f / 256.0f;
  struct Case {
    const char* what;
    PictureTurn turn;
    float want[4][4];  // x, y, u, v
  } cases[] = {
      {"plain", {}, {{99.5f, 199.5f, 0, 0}, {352, 199.5f, U, 0}, {352, 216, U, 1}, {99.5f, 216, 0, 1}}},
      {"90 about the centre", {.angle = 90, .pivotX = 0.5f, .pivotY = 0.5f},
       {{234.5f, 81.5f, 0, 0}, {234.5f, 334, U, 0}, {218, 334, U, 1}, {218, 81.5f, 0, 1}}},
      {"90 about the middle of the left edge", {.angle = 90, .pivotY = 0.5f},
       {{108.5f, 207.5f, 0, 0}, {108.5f, 460, U, 0}, {92, 460, U, 1}, {92, 207.5f, 0, 1}}},
      {"scale x 2, scale y 0 draws as 1", {.scaleX = 2, .scaleY = 0},
       {{99, 199.5f, 0, 0}, {604, 199.5f, U, 0}, {604, 216, U, 1}, {99, 216, 0, 1}}},
      {"180 about the right edge middle", {.angle = 180, .pivotX = 1, .pivotY = 0.5f},
       {{604.5f, 216.5f, 0, 0}, {352, 216.5f, U, 0}, {352, 200, U, 1}, {604.5f, 200, 0, 1}}},
  };
  for (const auto& c : cases) {
    const auto q = PictureQuad(100, 200, 252, 16, 256, 16, c.turn);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(q[i].x, c.want[i][0], 1e-3) << c.what << " #" << i;
      EXPECT_NEAR(q[i].y, c.want[i][1], 1e-3) << c.what << " #" << i;
      EXPECT_NEAR(q[i].u, c.want[i][2], 1e-6) << c.what << " #" << i;
      EXPECT_NEAR(q[i].v, c.want[i][3], 1e-6) << c.what << " #" << i;
      EXPECT_EQ(q[i].color, 0xFEFEFEFEu) << c.what;
    }
  }
}

// One segment per pixel of radius (rounded to even), clockwise on the
// screen; radius 999.5 and up is refused with "Range check error".
TEST(SectorFan, OneSegmentPerPixelOfRadius) {
  struct Case {
    float radius, from, to;
    int segments;  // -1: refused
  } cases[] = {{300, 0, 60, 300}, {300, 60, 0, 300}, {2.5f, 0, 90, 2}, {3.5f, 0, 90, 4}, {10, 0, 360, 10},
               {999.4f, 0, 10, 999}, {0.4f, 0, 60, 0}, {-5, 0, 60, 0}, {999.5f, 0, 60, -1}, {5000, 0, 60, -1}};
  std::array<CanvasPoint, kSectorPoints> v;
  for (const auto& c : cases) {
    int n = 0;
    try {
      n = SectorFan(550, 188, c.radius, c.from, c.to, v);
      EXPECT_NE(c.segments, -1) << c.radius << " accepted";
    } catch (const std::out_of_range& e) {
      EXPECT_EQ(c.segments, -1) << c.radius;
      EXPECT_STREQ(e.what(), "Range check error");
      continue;
    }
    ASSERT_EQ(n, c.segments > 0 ? c.segments + 2 : 0) << c.radius;
    if (n == 0) continue;
    EXPECT_EQ(v[0].x, 550);
    EXPECT_EQ(v[0].y, 188);
    for (int i = 1; i <= c.segments + 1; ++i) {
      const double a = (c.from + (c.to - c.from) * (i - 1) / c.segments) * std::numbers::pi / 180.0;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].x, 550 + c.radius * std::cos(a), 2e-3) << c.radius << " #" << i;
      EXPECT_NEAR(v[static_cast<std::size_t>(i)].y, 188 + c.radius * std::sin(a), 2e-3) << c.radius << " #" << i;
    }
  }
}

// Origins nest and come back; a turn carries what follows about the origin
// it was made at; a clip narrows the one around it and ends with its Restore.
TEST(CanvasTransform, TranslateRotateClipAndRestore) {
  RecordingCanvas c;
  c.Translate(300, 20);
  c.Save();
  c.Translate(10, 5);
  c.Clip({0, 0, 100, 50});
  c.Save();
  c.Rotate(90);
  c.Translate(10, 0);  // down the page once turned
  c.Clip({-20, -20, 500, 500});
  EXPECT_EQ(c.OriginX(), 310);
  EXPECT_EQ(c.OriginY(), 35);
  const CanvasPoint p = c.Map(4, 2);  // x runs down, y to the left
  EXPECT_NEAR(p.x, 308, 1e-4);
  EXPECT_NEAR(p.y, 39, 1e-4);
  EXPECT_EQ(c.ClipBox().x1, 310);
  EXPECT_EQ(c.ClipBox().y1, 25);
  EXPECT_EQ(c.ClipBox().x2, 410);
  EXPECT_EQ(c.ClipBox().y2, 75);
  c.Restore();
  EXPECT_EQ(c.Angle(), 0);
  EXPECT_EQ(c.ClipBox().y1, 25);
  c.Restore();
  EXPECT_FALSE(c.Clipped());
  EXPECT_EQ(c.OriginX(), 300);
  EXPECT_THROW(c.Restore(), std::logic_error);
}

TEST(RecordingCanvas, RecordsPagePlaces) {
  RecordingCanvas c;
  c.Translate(300, 20);
  c.Save();
  c.Translate(10, 5);
  c.DrawPicture(FindImage("Speed_arrow"), 1.5f, 2, {.angle = 140.25f});
  c.Box({1, 2, 3, 4}, true, -2, 0xFF000000u);
  c.Rotate(-30);
  c.DrawPicture(FindImage("Speed_arrow"), 0, 0, {.angle = 140.25f});
  c.Rotate(-60);
  c.Text(FontRole::Readout, 10, 0, "N", 0xFF323232u);  // the place turns, the text does not
  c.Restore();
  c.Text(FontRole::Readout, 1, 1, "P760.0", 0xFF323232u);
  const auto& calls = c.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].picture, "Speed_arrow");
  EXPECT_EQ(calls[0].x, 311.5f);
  EXPECT_EQ(calls[0].y, 27.0f);
  EXPECT_EQ(calls[0].turn.angle, 140.25f);
  EXPECT_EQ(calls[1].box.x2, 313);
  EXPECT_EQ(calls[1].box.y1, 27);
  EXPECT_EQ(calls[2].turn.angle, 110.25f);
  EXPECT_EQ(calls[3].x, 310.0f);
  EXPECT_EQ(calls[3].y, 15.0f);
  EXPECT_EQ(calls[4].x, 301.0f);
  EXPECT_EQ(calls[4].text, "P760.0");
}

}  // namespace
}  // namespace velmora
