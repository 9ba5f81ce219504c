// The round dials' laws: vertical speed, airspeed, angle of attack, altimeter.
#include "LawCheck.h"
#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/AngleOfAttack.h"
#include "pages/instruments/VerticalSpeed.h"

namespace velmora::calibration {
namespace {

using test::kNaN;

TEST(RoundDialLaws, NeedlesAndStops) {
  test::CheckLaws({
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

TEST(RoundDialLaws, AltimeterSplitsKilometresAndMetres) {
  struct Case { double altitude, k, m; };
  for (const Case c : {Case{12750, 12.75, 750}, {0, 0, 0}, {999, 0.999, 999}, {1000, 1, 0},
                       {-250, -0.25, -250}}) {
    EXPECT_NEAR(AltitudeKilometres(c.altitude), c.k, 1e-12) << c.altitude;
    EXPECT_NEAR(AltitudeMetresInKilometre(c.altitude), c.m, 1e-9) << c.altitude;
  }
}

}  // namespace
}  // namespace velmora::calibration
