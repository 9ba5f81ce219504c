// The pictures read true and stay out of the way.
//
// Truth: for sample values across every scale, the needle tip (or the strip
// row/column at the index) is computed here from the calibration law, the
// sprite table and the quad rule (left and top edges half a pixel out, pivot
// X + CenterX W, Y + CenterY H), independently of the generator's own
// placement code, and the generated picture must carry its mark there.
//
// Transparency: anything the page draws before a picture and under it must
// show through that picture.
#include "pages/instruments/Airspeed.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/AngleOfAttack.h"
#include "pages/instruments/Attitude.h"
#include "pages/instruments/Engines.h"
#include "pages/instruments/Hsi.h"
#include "pages/instruments/LoadFactorMeter.h"
#include "pages/instruments/MachScale.h"
#include "pages/instruments/SlipBall.h"
#include "pages/instruments/VerticalSpeed.h"
#include "tools/artgen/ArtGeometry.h"
#include "tools/artgen/Artwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace velmora {
namespace {
namespace cal = calibration;
using art::Picture;
using art::Pt;

constexpr double kDeg = std::numbers::pi / 180.0;

// A sprite as the start-up table places it.
struct Sprite {
  double x, y;
  int w, h;
  double cx = 0, cy = 0, sx = 1, sy = 1;
  Pt Pivot() const { return {x + cx * w, y + cy * h}; }
};

// The quad rule: picture point -> screen, turned by `angle` about the pivot.
Pt ToScreen(const Sprite& s, Pt q, double angle) {
  const Pt c = s.Pivot();
  const double ux = s.x - 0.5 + q.x / s.w * (s.w + 0.5) - c.x;
  const double uy = s.y - 0.5 + q.y / s.h * (s.h + 0.5) - c.y;
  const double co = std::cos(angle * kDeg), si = std::sin(angle * kDeg);
  return {c.x + s.sx * co * ux - s.sy * si * uy, c.y + s.sx * si * ux + s.sy * co * uy};
}

// Screen -> picture for a sprite turned by `angle`.
Pt ToPicture(const Sprite& s, Pt p, double angle = 0) {
  const Pt c = s.Pivot();
  const double co = std::cos(angle * kDeg), si = std::sin(angle * kDeg);
  const double ux = (co * (p.x - c.x) + si * (p.y - c.y)) / s.sx;
  const double uy = (-si * (p.x - c.x) + co * (p.y - c.y)) / s.sy;
  return {(ux + c.x - s.x + 0.5) * s.w / (s.w + 0.5), (uy + c.y - s.y + 0.5) * s.h / (s.h + 0.5)};
}

const Picture& Pic(std::string_view name) {
  static std::map<std::string_view, Picture> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, art::DrawPicture(name)).first;
  return it->second;
}

bool Inside(const Picture& p, int x, int y) { return x >= 0 && y >= 0 && x < p.width && y < p.height; }

// Strongest channel of a pixel: white, amber and red marks all stand out
// from the dark faces by it.
int Vivid(const Picture& p, int x, int y) {
  const std::uint32_t c = p.At(x, y);
  return static_cast<int>(std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu}));
}

// A mark pixel (opaque, strongest channel at least `bright`) within one pixel of q.
bool MarkNear(const Picture& p, Pt q, int bright = 200) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = static_cast<int>(std::floor(q.x)) + dx, y = static_cast<int>(std::floor(q.y)) + dy;
      if (Inside(p, x, y) && p.Alpha(x, y) > 200 && Vivid(p, x, y) >= bright) return true;
    }
  return false;
}

// Sprite table rows used here.
const Sprite kSpeedDial{103, 330, 219, 213}, kSpeedArrow{127, 394, 83, 44, 1, 1};
const Sprite kVsDial{555, 113, 102, 203}, kVsArrow{650, 147, 23, 80, 0.25, 1};
const Sprite kAoaDial{160, 107, 104, 220}, kAoaArrow{185, 215, 176, 48, 1, 1};
const Sprite kAltDial{488, 335, 219, 211}, kAltKm{592, 402, 54, 45, 0.1, 0.9}, kAltM{568, 436, 35, 93, 0.82, 0.05};
const Sprite kEngine{730, 155, 198, 278}, kEngine2{740, 155, 177, 283};
const Sprite kLeftArrow{502, 180, 252, 16, 0, 0.5, 1.2, 1.2}, kRightArrow{905, 180, 252, 16, 1, 0.5, 1.2, 1.2};
const Sprite kTape{275, 16, 256, 1600}, kMach{0, 392, 900, 31};
const Sprite kGScale{90, 90, 64, 221}, kGArrow{93, 90, 33, 10};
const Sprite kCard{318, 380, 168, 169, 0.5, 0.5}, kAdf{396, 384, 11, 162, 0.5, 0.5}, kRmi{395, 384, 13, 160, 0.5, 0.5};
const Sprite kTube{356, 340, 94, 23}, kBall{399, 160, 9, 201, 0.5, 0};
const Sprite kPpi{745, 415, 200, 171, 0, 0, 0.9, 0.9};
const Sprite kFrame{0, 0, 1024, 665};

struct DialCase {
  std::string name;
  std::string_view dial;
  Sprite dialSprite, needleSprite;
  Pt tip;
  art::Ring ring;
  std::function<double(double)> law;
  std::vector<double> values;
  int bright = 200;
};

std::vector<double> Steps(double from, double to, double step) {
  std::vector<double> v;
  for (double x = from; x <= to + 1e-9; x += step) v.push_back(x);
  return v;
}

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

// ---- Transparency from the draw order ------------------------------------------

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

// Font caches are process-wide: free them after the last test.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { art::ReleaseFontCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
}  // namespace velmora
