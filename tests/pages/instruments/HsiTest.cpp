// The HSI's and the slip ball's laws.
#include "LawCheck.h"
#include "pages/instruments/Hsi.h"
#include "pages/instruments/SlipBall.h"

namespace velmora::calibration {
namespace {

using test::kNaN;

TEST(HsiLaws, CardNeedlesAndDeviationBars) {
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

TEST(SlipBallLaws, SwingBeforeTheLimit) {
  EXPECT_EQ(BallAngle(20), -240.0f);
  EXPECT_EQ(ClampBall(20), 12.0);
  EXPECT_EQ(BallAngle(ClampBall(20)), -144.0f);
  EXPECT_EQ(ClampBall(-30), -12.0);
  EXPECT_EQ(ClampBall(kNaN), -12.0);
  EXPECT_EQ(ClampBall(3.25), 3.25);
  EXPECT_EQ(BallAngle(-0.5), 6.0f);
}

}  // namespace
}  // namespace velmora::calibration
