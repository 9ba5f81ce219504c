#include "pages/Calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace velmora::calibration {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Calibration, WindowHeightRoundsHalfToEven) {
  struct Case { int width, height; };
  for (const Case c : {Case{1024, 640}, {666, 416}, {1000, 625}, {1001, 626}, {1012, 632},
                       {1020, 638}, {600, 375}, {0, 0}}) {
    EXPECT_EQ(WindowHeight(c.width), c.height) << "width " << c.width;
  }
}

TEST(Calibration, WindowOpacityRampAndEnds) {
  struct Case { double g; int opacity; };
  const Case cases[] = {
      {-5, 255}, {0, 255}, {1, 255}, {6.0, 255}, {6.01, 255},
      {6.3, 244},  // 35 x 6.3 is the single 220.5; 244.5 rounds to the even 244
      {7, 220}, {8, 185}, {9, 150}, {10, 115}, {11, 80}, {12, 45}, {13, 10}, {13.2, 3},
      {93.0 / 7.0, 0}, {13.3, 0}, {100, 0}, {kInf, 0}, {kNaN, 255}, {-kInf, 255},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowOpacity(c.g), c.opacity) << "g " << c.g;
}

// One row per law and telling value: the law, its input, the expected result
// and how close (the document's values carry three decimals or more).
struct LawCase {
  std::string name;
  std::function<float()> law;
  double expected;
  double tolerance;
};

void CheckLaws(const std::vector<LawCase>& cases) {
  for (const LawCase& c : cases) {
    const float got = c.law();
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(got)) << c.name;
    } else {
      EXPECT_NEAR(got, c.expected, c.tolerance) << c.name;
    }
  }
}

TEST(Calibration, AttitudeAndStripLaws) {
  CheckLaws({
      {"tape p=0", [] { return PitchTapeOffset(0); }, -593.193, 0.001},
      {"tape p=30", [] { return PitchTapeOffset(30); }, -418.856, 0.001},
      {"tape p=-30", [] { return PitchTapeOffset(-30); }, -768.325, 0.001},
      {"tape start-up p=-0.5", [] { return PitchTapeOffset(-0.5); }, -596.11208, 0.0001},
      {"mach 1", [] { return MachStripX(1.0); }, -132.42498, 0.0001},
      {"mach 0", [] { return MachStripX(0.0); }, 152.78578, 0.0001},
      {"DRP start-up", [] { return DirectorPitchBarOffset(-0.5, 0.0); }, 18.308333, 1e-5},
      {"DRP level", [] { return DirectorPitchBarOffset(5, 5); }, 21.333333, 1e-5},
      {"DRP upper stop", [] { return DirectorPitchBarOffset(20, 0); }, 88, 0},
      {"DRP lower stop", [] { return DirectorPitchBarOffset(-20, 0); }, -48, 0},
      {"DRP NaN pitch", [] { return DirectorPitchBarOffset(kNaN, 0); }, -48, 0},
      {"DRP NaN director", [] { return DirectorPitchBarOffset(0, kNaN); }, -48, 0},
      {"DRB inside", [] { return DirectorBankBarAngle(10, -5); }, 15, 0},
      {"DRB upper", [] { return DirectorBankBarAngle(50, 0); }, 30, 0},
      {"DRB lower", [] { return DirectorBankBarAngle(0, 45); }, -30, 0},
      {"DRB NaN", [] { return DirectorBankBarAngle(kNaN, 0); }, -30, 0},
      {"plane bank", [] { return AircraftSymbolAngle(-33.5); }, -33.5, 0},
      {"G 1", [] { return LoadFactorPointerOffset(1); }, 143.377, 0.001},
      {"G 5", [] { return LoadFactorPointerOffset(5); }, 82.807, 0.001},
      {"G 9", [] { return LoadFactorPointerOffset(9); }, 19.357, 0.001},
  });
}

TEST(Calibration, RoundDialLawsAndStops) {
  CheckLaws({
      {"VS 0", [] { return VerticalSpeedAngle(0); }, -89, 1e-5},
      {"VS 10", [] { return VerticalSpeedAngle(10); }, -43, 1e-4},
      {"VS stop up 25", [] { return VerticalSpeedAngle(25); }, -5, 0},
      {"VS stop down -25", [] { return VerticalSpeedAngle(-25); }, -175, 0},
      {"VS just inside 18.26", [] { return VerticalSpeedAngle(18.26); }, -5.004, 0.001},
      {"VS just inside -18.69", [] { return VerticalSpeedAngle(-18.69); }, -174.974, 0.001},
      {"VS NaN", [] { return VerticalSpeedAngle(kNaN); }, -175, 0},
      {"IAS 0", [] { return AirspeedAngle(0); }, 62.556, 0.001},
      {"IAS 300", [] { return AirspeedAngle(300); }, 140.284, 0.001},
      {"IAS 600", [] { return AirspeedAngle(600); }, 242.718, 0.001},
      {"IAS 1000", [] { return AirspeedAngle(1000); }, 330.829, 0.001},
      {"IAS 1400", [] { return AirspeedAngle(1400); }, 404.353, 0.001},
      {"AOA 0", [] { return AoaAngle(0); }, -10.943, 0.001},
      {"AOA 10", [] { return AoaAngle(10); }, 5.858, 0.001},
      {"AOA 30 limited", [] { return AoaAngle(30); }, 41, 0},
      {"AOA 40 limited", [] { return AoaAngle(40); }, 41, 0},
      {"AOA -10 limited", [] { return AoaAngle(-10); }, -28, 0},
      {"AOA NaN", [] { return AoaAngle(kNaN); }, -28, 0},
      {"km 0", [] { return AltitudeKmAngle(0); }, -50.449, 0.001},
      {"km 1", [] { return AltitudeKmAngle(1); }, -14.653, 0.001},
      {"km 10", [] { return AltitudeKmAngle(10); }, 309.546, 0.001},
      {"m 0", [] { return AltitudeMetreAngle(0); }, -198.058, 0.001},
      {"m 500", [] { return AltitudeMetreAngle(500); }, -17.816, 0.001},
      {"m 750", [] { return AltitudeMetreAngle(750); }, 72.30497, 0.0001},
  });
}

TEST(Calibration, AltimeterSplitsKilometresAndMetres) {
  struct Case { double altitude, k, m; };
  for (const Case c : {Case{12750, 12.75, 750}, {0, 0, 0}, {999, 0.999, 999}, {1000, 1, 0},
                       {-250, -0.25, -250}}) {
    EXPECT_NEAR(AltitudeKilometres(c.altitude), c.k, 1e-12) << c.altitude;
    EXPECT_NEAR(AltitudeMetresInKilometre(c.altitude), c.m, 1e-9) << c.altitude;
  }
}

TEST(Calibration, HsiCardNeedlesAndDeviationBars) {
  EXPECT_EQ(HsiCardAngle(0), -390.0f);
  EXPECT_EQ(HsiCardAngle(90), -300.0f);
  // A bearing needle reads heading - bearing (up to the card's single rounding).
  struct Needle { double heading, bearing, angle; };
  for (const Needle n : {Needle{0, 0, 0}, {90, 0, 90}, {0, 90, -90}, {123.4, 300.2, -176.8},
                         {359.9, 0.1, 359.8}}) {
    const float k = HsiCardAngle(n.heading);
    EXPECT_NEAR(BearingNeedleAngle(k, n.bearing), n.angle, 1e-4) << n.heading << "/" << n.bearing;
  }
  struct Dev { double raw, limited, barX, barY; };
  for (const Dev d : {Dev{3.5, 1, 442.66667, 419}, {-7, -1, 356.66667, 509}, {0, 0, 399.66667, 464},
                      {-1, -1, 356.66667, 509}, {0.5, 0.5, 421.16667, 441.5}, {kNaN, -1, 356.66667, 509}}) {
    const double lim = ClampDeviation(d.raw);
    EXPECT_EQ(lim, d.limited) << d.raw;
    EXPECT_NEAR(LocalizerBarX(lim), d.barX, 1e-4) << d.raw;
    EXPECT_NEAR(GlideslopeBarY(lim), d.barY, 1e-4) << d.raw;
  }
}

TEST(Calibration, BallSwingsBeforeTheRecordIsLimited) {
  EXPECT_EQ(BallAngle(20), -240.0f);
  EXPECT_EQ(ClampBall(20), 12.0);
  EXPECT_EQ(BallAngle(ClampBall(20)), -144.0f);
  EXPECT_EQ(ClampBall(-30), -12.0);
  EXPECT_EQ(ClampBall(kNaN), -12.0);
  EXPECT_EQ(ClampBall(3.25), 3.25);
  EXPECT_EQ(BallAngle(-0.5), 6.0f);
}

TEST(Calibration, EngineRegimeIsBothAtOrAbove65) {
  struct Case { double l, r; bool high; };
  for (const Case c : {Case{65, 65, true}, {64.99, 90, false}, {90, 64.99, false},
                       {100, 100, true}, {0, 0, false}, {kNaN, 80, false}}) {
    EXPECT_EQ(EngineHighRegime(c.l, c.r), c.high) << c.l << "/" << c.r;
  }
}

TEST(Calibration, EngineNeedleLaws) {
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

TEST(Calibration, TemperatureSectorStarts) {
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
