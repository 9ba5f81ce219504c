// The pictures read true.
//
// Truth: for sample values across every scale, the needle tip (or the strip
// row/column at the index) is computed here from the calibration law, the
// sprite table and the quad rule (left and top edges half a pixel out, pivot
// X + CenterX W, Y + CenterY H), independently of the generator's own
// placement code, and the generated picture must carry its mark there.
#include "ArtworkRig.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace artwork_test;

TEST(ArtworkTruth, NeedleTipsStandOnTheirMarks) {
  const std::vector<DialCase> cases = {
      {"airspeed", "Speed", kSpeedDial, kSpeedArrow, art::kSpeedNeedle.tip, art::kSpeedRing,
       [](double s) { return cal::AirspeedAngle(s); }, Steps(0, 1400, 100)},
      {"vertical speed", "Vertical_speed", kVsDial, kVsArrow, art::kVsNeedle.tip, art::kVsRing,
       [](double v) { return cal::VerticalSpeedAngle(v); }, Steps(-15, 15, 5)},
      {"angle of attack", "AOA", kAoaDial, kAoaArrow, art::kAoaNeedle.tip, art::kAoaRing,
       [](double a) { return cal::AoaAngle(a); }, Steps(-10, 30, 5)},
      {"metres", "Alt", kAltDial, kAltM, art::kAltMetreNeedle.tip, art::kAltMetreRing,
       [](double m) { return cal::AltitudeMetreAngle(m); }, Steps(0, 900, 100)},
      {"kilometres", "Alt", kAltDial, kAltKm, art::kAltKmNeedle.tip, art::kAltKmRing,
       [](double k) { return cal::AltitudeKmAngle(k); }, Steps(0, 9, 1)},
      {"left engine low", "Engine_Fon", kEngine, kLeftArrow, art::kLeftEngineNeedle.tip, art::kEngineRing,
       [](double r) { return cal::LeftEngineNeedleAngle(r, false); }, Steps(0, 100, 20)},
      {"right engine low", "Engine_Fon", kEngine, kRightArrow, art::kRightEngineNeedle.tip, art::kEngineRing,
       [](double r) { return cal::RightEngineNeedleAngle(r, false); }, Steps(0, 100, 20)},
      {"left engine high", "Engine_Fon_2", kEngine2, kLeftArrow, art::kLeftEngineNeedle.tip, art::kEngineRing,
       [](double r) { return cal::LeftEngineNeedleAngle(r, true); }, Steps(65, 105, 5)},
      {"right engine high", "Engine_Fon_2", kEngine2, kRightArrow, art::kRightEngineNeedle.tip, art::kEngineRing,
       [](double r) { return cal::RightEngineNeedleAngle(r, true); }, Steps(65, 100, 5)},
  };
  for (const DialCase& c : cases) {
    const Picture& dial = Pic(c.dial);
    const Pt pivot = c.needleSprite.Pivot();
    for (double v : c.values) {
      SCOPED_TRACE(c.name + " at " + std::to_string(v));
      const Pt tip = ToScreen(c.needleSprite, c.tip, c.law(v));
      const double r = std::hypot(tip.x - pivot.x, tip.y - pivot.y);
      EXPECT_GE(r, c.ring.inner - 1);  // the tip reaches the mark ...
      EXPECT_LE(r, c.ring.outer + 1);  // ... and does not overshoot it
      const double rm = (c.ring.inner + c.ring.outer) / 2 + 2;
      const Pt onRay{pivot.x + (tip.x - pivot.x) * rm / r, pivot.y + (tip.y - pivot.y) * rm / r};
      EXPECT_TRUE(MarkNear(dial, ToPicture(c.dialSprite, onRay), c.bright));
    }
  }
}

// Half-way between two kilometre wedges, or two vertical-speed marks, the
// needle points at bare face: the marks are where the law puts them and
// nowhere else.
TEST(ArtworkTruth, BetweenMarksIsBareFace) {
  struct Case { Sprite dial, needle; std::string_view name; Pt tip; double r; std::function<double(double)> law; double v; };
  const Case cases[] = {
      {kAltDial, kAltKm, "Alt", art::kAltKmNeedle.tip, 67, [](double k) { return cal::AltitudeKmAngle(k); }, 3.5},
      {kAltDial, kAltKm, "Alt", art::kAltKmNeedle.tip, 67, [](double k) { return cal::AltitudeKmAngle(k); }, 7.5},
      {kVsDial, kVsArrow, "Vertical_speed", art::kVsNeedle.tip, 79, [](double v) { return cal::VerticalSpeedAngle(v); }, 2.5},
      {kVsDial, kVsArrow, "Vertical_speed", art::kVsNeedle.tip, 79, [](double v) { return cal::VerticalSpeedAngle(v); }, -7.5},
  };
  for (const Case& c : cases) {
    const Pt pivot = c.needle.Pivot();
    const Pt tip = ToScreen(c.needle, c.tip, c.law(c.v));
    const double r = std::hypot(tip.x - pivot.x, tip.y - pivot.y);
    const Pt q = ToPicture(c.dial, {pivot.x + (tip.x - pivot.x) * c.r / r, pivot.y + (tip.y - pivot.y) * c.r / r});
    EXPECT_LT(Pic(c.name).Brightness(static_cast<int>(q.x), static_cast<int>(q.y)), 90) << c.name << " " << c.v;
  }
}

TEST(ArtworkTruth, PitchTapeLinesCrossTheAircraftSymbolsPivot) {
  const Picture& tape = Pic("ADI_pitch");
  // The aircraft symbol's pivot: X + CenterX W, Y + CenterY H of its row.
  const Pt centre{-44 + 0.5 * 892, 16 + 0.75 * 280};
  ASSERT_DOUBLE_EQ(centre.x, 402);
  ASSERT_DOUBLE_EQ(centre.y, 226);
  for (double p : Steps(-80, 80, 10)) {
    SCOPED_TRACE(p);
    Sprite s = kTape;
    s.y += cal::PitchTapeOffset(p);
    const Pt q = ToPicture(s, centre);
    EXPECT_TRUE(MarkNear(tape, {p == 0 ? 10 : q.x + 25, q.y}));
    if (p == 0) {
      const std::uint32_t sky = tape.At(10, static_cast<int>(q.y) - 12), ground = tape.At(10, static_cast<int>(q.y) + 12);
      EXPECT_GT(sky & 0xFF, (sky >> 16) & 0xFF);        // blue above the horizon
      EXPECT_GT((ground >> 16) & 0xFF, ground & 0xFF);  // brown below
    }
  }
}

TEST(ArtworkTruth, MachStripStandsAtTheIndex) {
  const Picture& strip = Pic("Mach_meter");
  for (double m : Steps(0.2, 2.7, 0.1)) {
    Sprite s = kMach;
    s.x = cal::MachStripX(m);
    const Pt q = ToPicture(s, {art::kMachIndexX, 394});
    EXPECT_TRUE(MarkNear(strip, {q.x, 3})) << m;
    EXPECT_GE(art::kMachIndexX, art::kMachWindowLeft);
    EXPECT_LE(art::kMachIndexX, art::kMachWindowRight);
  }
}

TEST(ArtworkTruth, GPointerTipOnTheScale) {
  const Picture& scale = Pic("G_meter");
  const Picture& arrow = Pic("G_meter_arrow");
  EXPECT_GT(arrow.Alpha(static_cast<int>(art::kGPointerTip.x) - 1, static_cast<int>(art::kGPointerTip.y)), 150);
  for (double n : Steps(-2, 10, 1)) {
    Sprite s = kGArrow;
    s.y += cal::LoadFactorPointerOffset(n);
    const Pt q = ToPicture(kGScale, ToScreen(s, art::kGPointerTip, 0));
    EXPECT_TRUE(MarkNear(scale, {q.x + 3, q.y})) << n;
  }
}

TEST(ArtworkTruth, HsiCardShowsTheHeadingUnderTheLubberLine) {
  const Picture& card = Pic("HSI_compass");
  const Pt lubber{402, 464.5 - 82};
  ASSERT_DOUBLE_EQ(kCard.Pivot().x, 402);
  // Record headings whose displayed heading (360 - h) carries a 10-degree tick.
  for (double h : {10.0, 20.0, 50.0, 80.0, 100.0, 140.0, 190.0, 250.0, 320.0, 350.0}) {
    SCOPED_TRACE(h);
    EXPECT_TRUE(MarkNear(card, ToPicture(kCard, lubber, cal::HsiCardAngle(h))));
    const Pt between = ToPicture(kCard, lubber, cal::HsiCardAngle(h + 2.5));
    EXPECT_LT(card.Brightness(static_cast<int>(between.x), static_cast<int>(between.y)), 90);
  }
  // Bearing needles: with the station dead ahead (bearing = heading) the head
  // is at the top.
  for (auto [name, sprite] : {std::pair{"ADF", kAdf}, std::pair{"RMI", kRmi}}) {
    const float k = cal::HsiCardAngle(77);
    const double a = cal::BearingNeedleAngle(k, 77);
    const Picture& p = Pic(name);
    const Pt head = ToPicture(sprite, {sprite.Pivot().x, sprite.Pivot().y - 76}, a);
    EXPECT_GT(p.Alpha(static_cast<int>(head.x), static_cast<int>(head.y)), 200) << name;
  }
}

TEST(ArtworkTruth, BallRestsInTheMiddleOfTheTube) {
  const Picture& ball = Pic("Ball");
  const Picture& tube = Pic("Slide_ball");
  EXPECT_EQ(ball.Alpha(4, static_cast<int>(art::kBallCentre.y)), 255);
  for (double defl : {-1.0, 0.0, 1.0}) {
    const Pt c = ToScreen(kBall, art::kBallCentre, cal::BallAngle(defl));
    const Pt q = ToPicture(kTube, c);
    ASSERT_TRUE(Inside(tube, static_cast<int>(q.x), static_cast<int>(q.y))) << defl;
    EXPECT_GT(tube.Brightness(static_cast<int>(q.x), static_cast<int>(q.y)), 150) << defl;  // on the glass
  }
}

TEST(ArtworkTruth, TemperatureMarksBesideTheSlits) {
  struct Case { std::string_view dial; Sprite s; bool high; double t; };
  // Up to 800: at full scale the slits' upper ends lie side by side, and
  // the 1000 mark would fall into the neighbouring slit (which stays clear).
  const Case cases[] = {{"Engine_Fon", kEngine, false, 200},   {"Engine_Fon", kEngine, false, 400},
                        {"Engine_Fon", kEngine, false, 600},   {"Engine_Fon", kEngine, false, 800},
                        {"Engine_Fon_2", kEngine2, true, 600}, {"Engine_Fon_2", kEngine2, true, 800}};
  for (const Case& c : cases) {
    for (bool left : {true, false}) {
      const double a = left ? cal::TemperatureSectorStartLeft(c.t, c.high) : cal::TemperatureSectorStartRight(c.t, c.high);
      const double cx = left ? 550 : 1120, r = art::kSlitInner - 4.5 - 4;
      const Pt q = ToPicture(c.s, {cx + r * std::cos(a * kDeg), 188 + r * std::sin(a * kDeg)});
      EXPECT_TRUE(MarkNear(Pic(c.dial), q)) << c.dial << (left ? " left " : " right ") << c.t;
    }
  }
}

TEST(ArtworkTruth, LampSocketsLieUnderTheLamps) {
  const Picture& ppi = Pic("PPI");
  auto socket = [&](Pt s) {
    const Pt q = ToPicture(kPpi, s);
    const std::uint32_t px = ppi.At(static_cast<int>(q.x), static_cast<int>(q.y));
    return static_cast<int>((px >> 8) & 0xFF) - static_cast<int>((px >> 16) & 0xFF) > 15;
  };
  for (const art::Rect& r : art::kLamps) {
    SCOPED_TRACE(std::to_string(r.x0) + "," + std::to_string(r.y0));
    EXPECT_TRUE(socket({(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}));
    EXPECT_TRUE(socket({r.x0 + 1, r.y0 + 1}));
    EXPECT_TRUE(socket({r.x1 - 1, r.y1 - 1}));
    EXPECT_FALSE(socket({r.x0 - 4, (r.y0 + r.y1) / 2}));
    EXPECT_FALSE(socket({r.x1 + 4, (r.y0 + r.y1) / 2}));
  }
}

TEST(ArtworkTruth, BankLabelsSitAtTheBankMarksOnDarkFace) {
  const Picture& frame = Pic("Main_minus_ADI");
  struct Label { double x, y; double bank; };
  for (const Label l : {Label{459, 333, 60}, {333, 333, 120}, {280, 287, 150}, {512, 287, 30}}) {
    const Pt c{l.x + 8, l.y + 7};
    const double dir = std::atan2(c.y - 226, c.x - 402) / kDeg;
    EXPECT_NEAR(dir, l.bank, 3.5) << l.x;
    // The mark itself is on the same ray, inside the label.
    const Pt m{402 + 115 * std::cos(l.bank * kDeg), 226 + 115 * std::sin(l.bank * kDeg)};
    EXPECT_TRUE(MarkNear(frame, m)) << l.x;
    for (int y = static_cast<int>(l.y); y < l.y + 14; ++y)
      for (int x = static_cast<int>(l.x); x < l.x + 16; ++x) ASSERT_LT(frame.Brightness(x, y), 60) << x << "," << y;
  }
}

// Each hundred-metre figure of the altimeter is one digit: no figure is
// printed twice over another (the scale ends at 900 m, not at 1000).
TEST(ArtworkTruth, AltimeterFiguresAreSingleDigits) {
  const Picture& alt = Pic("Alt");
  const Pt pivot = kAltM.Pivot();
  for (double m = 0; m < 1000; m += 100) {
    SCOPED_TRACE(m);
    const double dir = (cal::AltitudeMetreAngle(m) - cal::AltitudeMetreAngle(0)) * kDeg;  // 0 m points up
    const Pt c = ToPicture(kAltDial, {pivot.x + art::kAltMetreRing.label * std::sin(dir),
                                      pivot.y - art::kAltMetreRing.label * std::cos(dir)});
    // Ink near the figure's centre, measured across the ray (along the scale).
    const Pt across{std::cos(dir), std::sin(dir)};
    double lo = 1e9, hi = -1e9;
    for (int y = static_cast<int>(c.y) - 10; y <= static_cast<int>(c.y) + 10; ++y)
      for (int x = static_cast<int>(c.x) - 10; x <= static_cast<int>(c.x) + 10; ++x) {
        const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
        if (std::hypot(dx, dy) > 8.5 || !Inside(alt, x, y) || alt.Brightness(x, y) <= 180) continue;
        const double t = dx * across.x + dy * across.y;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
      }
    ASSERT_GE(hi, lo);  // the figure is there
    EXPECT_LE(hi - lo, 11) << "ink across the ray " << lo << ".." << hi;
  }
}

// Font caches are process-wide: free them after the last test.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { art::ReleaseFontCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
}  // namespace velmora
