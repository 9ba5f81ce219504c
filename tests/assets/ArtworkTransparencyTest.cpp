// The pictures stay out of the way: anything the page draws before a picture
// and under it must show through that picture.
#include "ArtworkRig.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace artwork_test;

struct Box {
  double x0, y0, x1, y1;
};

// Every screen pixel of `box` that falls on the picture is fully transparent.
void ExpectClear(std::string_view name, const Sprite& s, const Box& b) {
  const Picture& p = Pic(name);
  int opaque = 0;
  for (double y = b.y0; y < b.y1; y += 1)
    for (double x = b.x0; x < b.x1; x += 1) {
      const Pt q = ToPicture(s, {x + 0.5, y + 0.5});
      const int px = static_cast<int>(std::floor(q.x)), py = static_cast<int>(std::floor(q.y));
      if (Inside(p, px, py) && p.Alpha(px, py) > 0) ++opaque;
    }
  EXPECT_EQ(opaque, 0) << name << " over (" << b.x0 << "," << b.y0 << ")-(" << b.x1 << "," << b.y1 << ")";
}

TEST(ArtworkTransparency, LaterPicturesLetEarlierItemsShow) {
  struct Case { std::string_view picture; Sprite s; Box item; };
  const Case cases[] = {
      // Altitude and radar-altitude readouts and the altitude box, drawn before the altimeter dial.
      {"Alt", kAltDial, {657, 325, 705, 343}},
      {"Alt", kAltDial, {653, 324, 717, 347}},
      {"Alt", kAltDial, {645, 535, 705, 559}},
      // Airspeed box, Mach readout, true airspeed, and the Mach window under the airspeed dial.
      {"Speed", kSpeedDial, {83, 324, 137, 347}},
      {"Speed", kSpeedDial, {87, 359, 125, 377}},
      {"Speed", kSpeedDial, {100, 535, 165, 557}},
      {"Speed", kSpeedDial, {art::kMachWindowLeft, art::kMachWindowTop, art::kMachWindowRight, art::kMachWindowBottom}},
      // Fuel texts, temperature labels, readouts and boxes among the engine dials.
      {"Engine_Fon", kEngine, {797, 361, 865, 378}},   {"Engine_Fon_2", kEngine2, {797, 361, 865, 378}},
      {"Engine_Fon", kEngine, {797, 381, 872, 399}},   {"Engine_Fon_2", kEngine2, {797, 381, 872, 399}},
      {"Engine_Fon", kEngine, {710, 228, 762, 259}},   {"Engine_Fon_2", kEngine2, {710, 228, 762, 259}},
      {"Engine_Fon", kEngine, {890, 228, 942, 259}},   {"Engine_Fon_2", kEngine2, {890, 228, 942, 259}},
      {"Engine_Fon", kEngine, {748, 209, 762, 228}},   {"Engine_Fon_2", kEngine2, {893, 209, 907, 228}},
      // Tactical frame drawn again over everything: heading readout, its box
      // and outline, and the range labels.
      {"Tactic_Frame", kFrame, {378, 115, 431, 145}},
      {"Tactic_Frame", kFrame, {85, 530, 103, 548}},   {"Tactic_Frame", kFrame, {235, 530, 253, 548}},
      {"Tactic_Frame", kFrame, {557, 530, 575, 548}},  {"Tactic_Frame", kFrame, {697, 530, 715, 548}},
      // The G readout rides left of the pointer, over the G scale's picture.
      {"G_meter", kGScale, {83, 90, 122, 311}},
  };
  for (const Case& c : cases) ExpectClear(c.picture, c.s, c.item);
}

// The frame's windows: moving artwork drawn before the frame shows through them.
TEST(ArtworkTransparency, FrameWindowsAndSlits) {
  const Picture& f = Pic("Main_minus_ADI");
  ExpectClear("Main_minus_ADI", kFrame, {402 - 75, 226 - 75, 402 + 75, 226 + 75});
  ExpectClear("Main_minus_ADI", kFrame, {art::kMachWindowLeft + 1, art::kMachWindowTop + 1, art::kMachWindowRight - 1,
                                         art::kMachWindowBottom - 1});
  EXPECT_EQ(f.Alpha(402, 226 - 115), 255);  // bank scale ring is opaque
  EXPECT_EQ(f.Alpha(5, 5), 255);
  // Along each slit, frame and both engine dials are clear; just outside, the frame is opaque.
  for (bool left : {true, false}) {
    const double a0 = left ? 1 : 137, a1 = left ? 46 : 179, cx = left ? 550 : 1120;
    for (double a = a0; a <= a1; a += 1) {
      const Pt mid{cx + 293 * std::cos(a * kDeg), 188 + 293 * std::sin(a * kDeg)};
      ExpectClear("Main_minus_ADI", kFrame, {mid.x - 1.5, mid.y - 1.5, mid.x + 1.5, mid.y + 1.5});
      ExpectClear("Engine_Fon", kEngine, {mid.x - 1.5, mid.y - 1.5, mid.x + 1.5, mid.y + 1.5});
      ExpectClear("Engine_Fon_2", kEngine2, {mid.x - 1.5, mid.y - 1.5, mid.x + 1.5, mid.y + 1.5});
      const Pt out{cx + 303 * std::cos(a * kDeg), 188 + 303 * std::sin(a * kDeg)};
      const double otherR = std::hypot(out.x - (left ? 1120 : 550), out.y - 188);
      if (otherR > art::kSlitInner - 2 && otherR < art::kSlitOuter + 2) continue;  // where the slits cross
      EXPECT_EQ(f.Alpha(static_cast<int>(out.x), static_cast<int>(out.y)), 255) << a;
    }
    // The sector at temperature 0 (low regime) stays beyond the slit's lower end.
    const double a = left ? cal::TemperatureSectorStartLeft(0, false) : cal::TemperatureSectorStartRight(0, false);
    EXPECT_TRUE(left ? a >= art::kLeftSlitTo - 0.01 : a <= art::kRightSlitFrom + 0.01) << a;
  }
}

// Pictures that turn about a pivot: paint only where it can never hide what
// lies beneath (the deviation bars inside the HSI, the attitude indicator
// under the long needles' shafts).
TEST(ArtworkTransparency, TurningPicturesPaintOnlyAwayFromThePivot) {
  // Farthest reach of the deviation bars from each HSI pivot.
  auto barReach = [](Pt c) {
    double r = 0;
    const double lx0 = cal::LocalizerBarX(-1), lx1 = cal::LocalizerBarX(1) + 4;
    const double gy0 = cal::GlideslopeBarY(1), gy1 = cal::GlideslopeBarY(-1) + 4;
    for (Pt p : {Pt{lx0, 417}, Pt{lx1, 417}, Pt{lx0, 517}, Pt{lx1, 517}, Pt{355, gy0}, Pt{455, gy0}, Pt{355, gy1},
                 Pt{455, gy1}})
      r = std::max(r, std::hypot(p.x - c.x, p.y - c.y));
    return r;
  };
  struct Case { std::string_view name; Sprite s; double minRadius; };
  const Case cases[] = {
      {"HSI_compass", kCard, barReach(kCard.Pivot())},
      {"ADF", kAdf, barReach(kAdf.Pivot())},
      {"RMI", kRmi, barReach(kRmi.Pivot())},
      {"AOA_arrow", kAoaArrow, 140},  // clear of the attitude indicator's face
      {"Engine_Left_Arrow", kLeftArrow, 255},
      {"Engine_Left_Arrow_Red", kLeftArrow, 255},
      {"Engine_Right_Arrow", kRightArrow, 255},
      {"Engine_Right_Arrow_Red", kRightArrow, 255},
  };
  for (const Case& c : cases) {
    const Picture& p = Pic(c.name);
    const Pt pivot = c.s.Pivot();
    double nearest = 1e9;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.Alpha(x, y) > 0)
          for (Pt corner : {Pt{x + 0.0, y + 0.0}, Pt{x + 1.0, y + 0.0}, Pt{x + 0.0, y + 1.0}, Pt{x + 1.0, y + 1.0}}) {
            const Pt s = ToScreen(c.s, corner, 0);
            nearest = std::min(nearest, std::hypot(s.x - pivot.x, s.y - pivot.y));
          }
    EXPECT_GT(nearest, c.minRadius) << c.name;
  }
  // The ball picture is clear except the ball.
  const Picture& ball = Pic("Ball");
  for (int y = 0; y < ball.height; ++y)
    for (int x = 0; x < ball.width; ++x)
      if (std::hypot(x + 0.5 - art::kBallCentre.x, y + 0.5 - art::kBallCentre.y) > art::kBallRadius + 1.0) {
        ASSERT_EQ(ball.Alpha(x, y), 0) << x << "," << y;
      }
}

// Pictures drawn over the frame that move: at every position their law can
// give, their paint stays off the items around them.
TEST(ArtworkTransparency, MovingPicturesStayOffTheirNeighbours) {
  // Screen points of a picture's opaque pixels (pixel centres) at `angle`.
  auto paint = [](const Picture& p, const Sprite& s, double angle) {
    std::vector<Pt> out;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.Alpha(x, y) > 0) out.push_back(ToScreen(s, {x + 0.5, y + 0.5}, angle));
    return out;
  };
  // The bank-director bar hangs from below the attitude window: at every
  // command up to its 30-degree limit it stays inside the window (radius 108
  // round the aircraft symbol's pivot), off the dark bank-scale ring.
  for (double a = -30; a <= 30; a += 2.5) {
    for (Pt q : paint(Pic("DRB"), {402, 206, 3, 153, 0.5, 1}, a))
      ASSERT_LT(std::hypot(q.x - 402, q.y - 226), 108) << "bank bar at " << a << ": " << q.x << "," << q.y;
  }
  // Engine needles at every speed of both regimes keep out of the temperature
  // readout boxes (their 2-pixel borders included) and the "T" labels, which
  // are drawn after them and would be crossed out.
  const Box keepOut[] = {{710, 228, 762, 259}, {890, 228, 942, 259}, {748, 209, 762, 228}, {893, 209, 907, 228}};
  for (bool high : {false, true})
    for (double r = high ? 65 : 0; r <= 110; r += 1)
      for (bool left : {true, false}) {
        const double a = left ? cal::LeftEngineNeedleAngle(r, high) : cal::RightEngineNeedleAngle(r, high);
        const std::string_view name = left ? "Engine_Left_Arrow" : "Engine_Right_Arrow";
        for (Pt q : paint(Pic(name), left ? kLeftArrow : kRightArrow, a))
          for (const Box& b : keepOut)
            ASSERT_FALSE(q.x > b.x0 && q.x < b.x1 && q.y > b.y0 && q.y < b.y1)
                << name << " at " << r << "% (" << (high ? "high" : "low") << ") over box " << b.x0 << "," << b.y0;
      }
  // The G pointer is drawn before its readout, whose figures ("1." at x 83,
  // the tenths at x 103) ride just above it: only the arrowhead, right of
  // the tenths digit, is painted.
  ExpectClear("G_meter_arrow", kGArrow, {83, 90, 111, 100});
}

// Readout boxes lie on a plain, opaque background: the frame's bezel, or the
// altimeter's counter panel for the kilometre box.
TEST(ArtworkTransparency, ReadoutBoxesOnPlainBackground) {
  struct Case { std::string_view name; Sprite s; Box box; };
  const Case cases[] = {
      {"Main_minus_ADI", kFrame, {83, 324, 137, 347}},  {"Main_minus_ADI", kFrame, {653, 324, 717, 347}},
      {"Main_minus_ADI", kFrame, {763, 113, 802, 139}}, {"Main_minus_ADI", kFrame, {853, 113, 892, 139}},
      {"Main_minus_ADI", kFrame, {712, 230, 760, 257}}, {"Main_minus_ADI", kFrame, {892, 230, 940, 257}},
      {"Main_minus_ADI", kFrame, {797, 361, 872, 399}}, {"Alt", kAltDial, {538, 424, 576, 447}},
      {"Alt", kAltDial, {570, 475, 622, 492}},
  };
  for (const Case& c : cases) {
    const Picture& p = Pic(c.name);
    const Pt q0 = ToPicture(c.s, {c.box.x0, c.box.y0});
    const int ref = p.Brightness(static_cast<int>(q0.x), static_cast<int>(q0.y));
    int off = 0;
    for (double y = c.box.y0; y < c.box.y1; ++y)
      for (double x = c.box.x0; x < c.box.x1; ++x) {
        const Pt q = ToPicture(c.s, {x + 0.5, y + 0.5});
        const int px = static_cast<int>(q.x), py = static_cast<int>(q.y);
        if (p.Alpha(px, py) != 255 || std::abs(p.Brightness(px, py) - ref) > 10) ++off;
      }
    EXPECT_EQ(off, 0) << c.name << " box at " << c.box.x0 << "," << c.box.y0;
    EXPECT_GT(ref, 150) << c.name;  // light: the dark readout figures stay legible
  }
}

}  // namespace
}  // namespace velmora
