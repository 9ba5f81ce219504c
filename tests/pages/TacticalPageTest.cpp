// The tactical page on the recording canvas.
#include <limits>
#include <numbers>

#include "support/DisplayRig.h"

namespace velmora {
namespace {

using testing::Rig;

struct TacticalRig : Rig {
  TacticalRig() { display->ShowTacticalPage(); }
};

TEST(TacticalPage, NoTargetDrawsFrameOnceAndOwnSymbolOnTop) {
  TacticalRig rig;
  rig.Frame();
  std::vector<std::string> expected = {"Tactic_Fon", "Tactic_Compass", "Tactic_Frame", "Tactic_Course_Line",
                                       "Map_Plane"};
  EXPECT_EQ(rig.Pictures(), expected);
  EXPECT_EQ(rig.TextOf("dialReadoutFont", 385, 120), "360");
  EXPECT_EQ(rig.TextAt("dialReadoutFont", 235, 530), nullptr);
  // The translucent outline around the heading readout, then its black box.
  auto strips = rig.CallsOf(CanvasCall::Kind::StrokeRect);
  ASSERT_EQ(strips.size(), 1u);
  EXPECT_EQ(strips[0]->color, 0x67394710u);
  EXPECT_TRUE(rig.HasBox({380, 117, 428, 142}, false, 2, MakeArgb(0, 0, 0)));
}

TEST(TacticalPage, RangeScalesAndTargetPlacement) {
  struct Case { double range; const char* inner; const char* outer; double offset; } cases[] = {
      {0, "5", "10", 0},
      {9999, "5", "10", 344.7931},
      {10000, "10", "20", 166.6667},
      {-5, "5", "10", -0.1724},
  };
  for (const auto& c : cases) {
    TacticalRig rig;
    rig.rec().TargetRange = c.range;
    rig.Frame();
    EXPECT_EQ(rig.TextOf("dialReadoutFont", 235, 530), c.inner) << c.range;
    EXPECT_EQ(rig.TextOf("dialReadoutFont", 557, 530), c.inner);
    EXPECT_EQ(rig.TextOf("dialReadoutFont", 85, 530), c.outer);
    EXPECT_EQ(rig.TextOf("dialReadoutFont", 697, 530), c.outer);
    EXPECT_NEAR(rig.tactical().target.Offset(), c.offset, 1e-3);
    EXPECT_FLOAT_EQ(rig.Drawn("Map_Plane", 1).x, 387.0f);
    EXPECT_NEAR(rig.Drawn("Map_Plane", 1).y, 520.0 - c.offset, 1e-3);
    auto pics = rig.Pictures();
    ASSERT_EQ(pics.size(), 7u);
    EXPECT_EQ(pics[5], "Map_Plane");      // the target
    EXPECT_EQ(pics[6], "Tactic_Frame");   // frame again over it
  }
}

// 2900 m is 100 pixels from the own aircraft (top-left at 379, 500; the
// symbol's corner 8 right and 20 below it at zero range). Right of the own
// aircraft is a positive bearing; the symbol turns by heading minus target
// heading.
TEST(TacticalPage, TargetSideAndTurn) {
  const double pi = std::numbers::pi;
  struct Case { double bearing, heading, targetHeading; float x, y, angle; } cases[] = {
      {pi / 2, 30, 75, 487, 520, -45},  {-pi / 2, 30, -60, 287, 520, 90}, {0, -20, 10, 387, 420, -30},
      {pi, 0, -90, 387, 620, 90},       {pi / 6, 0, 0, 437, 433.397f, 0}, {-pi / 6, 100, 50, 337, 433.397f, 50}};
  for (const auto& c : cases) {
    TacticalRig rig;
    rig.rec().TargetRange = 2900;
    rig.rec().TargetBearing = c.bearing;
    rig.rec().Heading = c.heading;
    rig.rec().TargetHeading = c.targetHeading;
    rig.Frame();
    const CanvasCall& symbol = rig.Drawn("Map_Plane", 1);
    EXPECT_NEAR(symbol.x, c.x, 1e-3) << c.bearing;
    EXPECT_NEAR(symbol.y, c.y, 1e-3) << c.bearing;
    EXPECT_EQ(symbol.turn.angle, c.angle) << c.bearing;
  }
}

TEST(TacticalPage, NotANumberRangeCountsAsNoTarget) {
  TacticalRig rig;
  rig.rec().TargetRange = std::numeric_limits<double>::quiet_NaN();
  rig.Frame();
  EXPECT_EQ(rig.Pictures().size(), 5u);
}

TEST(TacticalPage, HeadingReadoutAndRose) {
  TacticalRig rig;
  rig.rec().Heading = 90;
  rig.Frame();
  EXPECT_EQ(rig.TextOf("dialReadoutFont", 385, 120), "270");
  EXPECT_EQ(rig.Drawn("Tactic_Compass").turn.angle, 90.0f);
  EXPECT_EQ(rig.Drawn("Tactic_Compass").turn.pivotX, 0.5f);
  struct Case { double heading; const char* text; } cases[] = {{1e-8, "360"}, {0.001, "359"}, {-30, "390"}};
  for (const auto& c : cases) {
    rig.rec().Heading = c.heading;
    rig.Frame();
    EXPECT_EQ(rig.TextOf("dialReadoutFont", 385, 120), c.text) << c.heading;
  }
}

TEST(TacticalPage, PagesTakingTurnsDrawAsOnTheirOwn) {
  TacticalRig rig;
  rig.rec().TargetRange = 9999;
  rig.Frame();
  const auto pictures = rig.Pictures();
  const auto strips = rig.canvas.CountOf(CanvasCall::Kind::StrokeRect);
  rig.display->ShowFlightPage();
  rig.Frame();
  // The sectors are filled on the first flight frame after it too.
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::StrokeRect), 0);
  rig.display->ShowTacticalPage();
  rig.Frame();
  EXPECT_EQ(rig.Pictures(), pictures);
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::StrokeRect), strips);
  EXPECT_NEAR(rig.Drawn("Map_Plane", 1).y, 520.0 - 344.7931, 1e-3);
}

}  // namespace
}  // namespace velmora
