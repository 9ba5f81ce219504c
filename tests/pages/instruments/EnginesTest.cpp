// The engines' laws: regime, needles, temperature sectors.
#include "LawCheck.h"
#include "pages/instruments/Engines.h"

namespace velmora::calibration {
namespace {

using test::kNaN;

TEST(EngineLaws, RegimeIsBothAtOrAbove65) {
  struct Case { double l, r; bool high; };
  for (const Case c : {Case{65, 65, true}, {64.99, 90, false}, {90, 64.99, false},
                       {100, 100, true}, {0, 0, false}, {kNaN, 80, false}}) {
    EXPECT_EQ(EngineHighRegime(c.l, c.r), c.high) << c.l << "/" << c.r;
  }
}

TEST(EngineLaws, Needles) {
  struct Case { double rpm; bool high; double left; };
  const Case cases[] = {
      {0, false, 40.791},  {20, false, 34.959}, {40, false, 29.259}, {60, false, 23.791},
      {60.5, false, 23.573}, {64.9, false, 20.528},
      {65, true, 31.108},  {100, true, 0.292},  {110, true, -8.513},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(LeftEngineNeedleAngle(c.rpm, c.high), c.left, 0.001) << c.rpm;
    EXPECT_EQ(RightEngineNeedleAngle(c.rpm, c.high), -LeftEngineNeedleAngle(c.rpm, c.high)) << c.rpm;
  }
  // The 60 % branch is "above 60": exactly 60 stays on the lower polynomial,
  // and the two branches meet there to within 0.2 degrees (no visible jump).
  EXPECT_NEAR(EngineNeedleAngleLow(60.0), EngineNeedleAngleLow(std::nextafter(60.0, 61.0)), 0.2);
  EXPECT_NEAR(EngineNeedleAngleLow(60.0), 23.791, 0.001);
}

TEST(EngineLaws, TemperatureSectorStarts) {
  struct Case { double t, lowL, lowR, highL, highR; };
  const Case cases[] = {
      {0, 47.054, 135.136, -20.384, 175.267},    {300, 37.443, 144.157, 45.297, 133.549},
      {600, 27.868, 153.317, 40.981, 141.455},   {800, 13.911, 166.469, 21.195, 160.125},
      {1000, -0.046, 179.621, 3.269, 179.598},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(TemperatureSectorStartLeft(c.t, false), c.lowL, 0.001) << c.t;
    EXPECT_NEAR(TemperatureSectorStartRight(c.t, false), c.lowR, 0.001) << c.t;
    EXPECT_NEAR(TemperatureSectorStartLeft(c.t, true), c.highL, 0.001) << c.t;
    EXPECT_NEAR(TemperatureSectorStartRight(c.t, true), c.highR, 0.001) << c.t;
  }
  // The low-regime threshold is per engine and inclusive at 600.
  EXPECT_NEAR(TemperatureSectorStartLeft(599.999, false), 47.053571 - 0.032035714 * 599.999, 1e-4);
}

}  // namespace
}  // namespace velmora::calibration
