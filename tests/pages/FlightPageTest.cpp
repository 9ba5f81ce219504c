// The flight page on the recording canvas: what each instrument shows for
// telling record values, and the order the layers are drawn in.
#include <cmath>
#include <sstream>

#include "support/DisplayRig.h"
#include "pages/instruments/Altimeter.h"
#include "pages/instruments/LoadFactorMeter.h"

namespace velmora {
namespace {

using testing::Rig;

TEST(FlightPage, StartupFrame) {
  Rig rig;
  rig.Frame();
  EXPECT_NEAR(rig.Drawn("ADI_pitch").y, 16 - 596.11208f, 1e-3);
  EXPECT_NEAR(rig.Drawn("DRP").y, 206 + 18.308333f, 1e-4);
  EXPECT_EQ(rig.TextOf("loadFactorFont", 83, 143 + 71), "1.");
  EXPECT_EQ(rig.TextOf("smallReadoutFont", 103, 143 + 77), "0");
  EXPECT_EQ(rig.TextOf("smallReadoutFont", 570, 475), "P760.0");
  EXPECT_EQ(rig.TextOf("readoutFont", 630, 120), "0");
  EXPECT_EQ(rig.TextOf("smallReadoutFont", 87, 359), "0.00");
  EXPECT_EQ(rig.TextOf("readoutFont", 460, 543), "Д 0.0 км");
  EXPECT_EQ(rig.TextOf("captionFont", 797, 361), "Топливо:");
  EXPECT_EQ(rig.Drawn("HSI_compass").turn.angle, -390.0f);
  // The two deviation bars: the first untextured fans after the sectors.
  auto fans = rig.Fills();
  ASSERT_GE(fans.size(), 4u);
  EXPECT_NEAR(fans[2]->x, 356.66667f, 1e-3);  // localizer bar at its -1 end
  EXPECT_EQ(fans[2]->y, 417.0f);
  EXPECT_EQ(fans[3]->x, 355.0f);
  EXPECT_EQ(fans[3]->y, 509.0f);              // glideslope bar at its -1 end
}

TEST(FlightPage, LayersAreDrawnBackToFront) {
  Rig rig;
  rig.Frame();
  std::vector<std::string> expected = {
      "ADI_pitch", "Mach_meter", "DRP", "Main_minus_ADI", "G_meter", "G_meter_arrow", "DRB", "Plane",
      "Vertical_speed", "Vertical_speed_arrow", "Speed", "Speed_arrow", "AOA", "AOA_arrow", "Alt", "Alt_KM",
      "Alt_M", "HSI_fon", "HSI_compass", "ADF", "RMI", "Slide_ball", "Ball", "Engine_Fon",
      "Engine_Right_Arrow", "Engine_Left_Arrow", "PPI"};
  EXPECT_EQ(rig.Pictures(), expected);
}

TEST(FlightPage, DeviationBarsStopAtTheirLimits) {
  Rig rig;
  rig.rec().LocalizerDeviation = 3.5;
  rig.rec().GlideslopeDeviation = -7;
  rig.Frame();
  auto fans = rig.Fills();
  ASSERT_GE(fans.size(), 4u);
  EXPECT_NEAR(fans[2]->x, 442.66667f, 1e-3);
  EXPECT_EQ(fans[3]->y, 509.0f);
  EXPECT_EQ(rig.rec().LocalizerDeviation, 3.5) << "the page only reads the record";
}

TEST(FlightPage, BallSwingsFullyOnceThenStaysOnTheLimit) {
  Rig rig;
  rig.rec().BallDeflection = 20;
  rig.Frame();
  EXPECT_EQ(rig.Drawn("Ball").turn.angle, -240.0f);
  rig.display->ShowTacticalPage();  // a tactical frame between changes nothing
  rig.Frame();
  rig.display->ShowFlightPage();
  rig.Frame();
  EXPECT_EQ(rig.Drawn("Ball").turn.angle, -144.0f);
  EXPECT_EQ(rig.rec().BallDeflection, 20.0) << "the page only reads the record";
  rig.rec().BallDeflection = -20;  // a new value swings in full again
  rig.Frame();
  EXPECT_EQ(rig.Drawn("Ball").turn.angle, 240.0f);
}

// Frame after frame: one full swing for a new value beyond the tube's end,
// then the ball stays at the end for as long as the value stays.
TEST(FlightPage, BallOverManyFramesStaysAtTheLimit) {
  struct Step { double deflection; float angle; } steps[] = {
      {0.5, -6}, {20, -240}, {20, -144}, {20, -144}, {20, -144}, {20, -144}, {20, -144},
      {-13, 156}, {-13, 144}, {-13, 144}, {-13, 144}, {3, -36}, {3, -36}};
  Rig rig;
  int frame = 0;
  for (const auto& s : steps) {
    rig.rec().BallDeflection = s.deflection;
    rig.Frame();
    EXPECT_EQ(rig.Drawn("Ball").turn.angle, s.angle) << "frame " << frame++;
  }
}

TEST(FlightPage, VerticalSpeedText) {
  struct Case { double v; const char* text; float angle; } cases[] = {
      {-1.0, "-1", -93.6f}, {-1.5, "- 1", -95.9f}, {-12.7, "- 12", -147.42f}, {-0.4, "0", -90.84f},
      {3.9, "3", -71.06f}, {25, "25", -5.0f}, {-25, "- 25", -175.0f},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.rec().VerticalSpeed = c.v;
    rig.Frame();
    EXPECT_EQ(rig.TextOf("readoutFont", 630, 120), c.text) << c.v;
    EXPECT_NEAR(rig.Drawn("Vertical_speed_arrow").turn.angle, c.angle, 1e-3) << c.v;
  }
}

TEST(FlightPage, LoadFactorReadoutRidesWithThePointer) {
  struct Case { double n; const char* whole; const char* tenth; } cases[] = {
      {4.57, "4.", "5"}, {2.3, "2.", "3"}, {1.9, "1.", "9"}, {1.0, "1.", "0"},
      {-0.5, "0.", "-5"}, {9.99, "9.", "9"}, {10.0, "10.", "0"},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.rec().LoadFactor = c.n;
    rig.Frame();
    int y0 = static_cast<int>(std::nearbyint(calibration::LoadFactorPointerOffset(c.n)));
    EXPECT_EQ(rig.TextOf("loadFactorFont", 83, y0 + 71), c.whole) << c.n;
    EXPECT_EQ(rig.TextOf("smallReadoutFont", 103, y0 + 77), c.tenth) << c.n;
  }
}

TEST(FlightPage, AbsurdLoadFactorSkipsOnlyTheReadout) {
  Rig rig;
  rig.rec().LoadFactor = 1e6;
  EXPECT_NO_THROW(rig.Frame());
  EXPECT_EQ(rig.canvas.CountOf(CanvasCall::Kind::Present), 1);
  EXPECT_EQ(rig.TextOf("smallReadoutFont", 570, 475), "P760.0");
}

TEST(FlightPage, AltimeterAndAngleOfAttack) {
  Rig rig;
  rig.rec().Altitude = 12750;
  rig.rec().AngleOfAttack = 40;
  rig.Frame();
  EXPECT_EQ(rig.TextOf("dialReadoutFont", 657, 325), "12750");
  EXPECT_EQ(rig.TextOf("dialReadoutFont", 547, 425), "12");
  EXPECT_EQ(rig.Drawn("Alt_KM").turn.angle, calibration::AltitudeKmAngle(12.75));
  EXPECT_NEAR(rig.Drawn("Alt_M").turn.angle, 72.30497f, 1e-3);
  EXPECT_EQ(rig.Drawn("AOA_arrow").turn.angle, 41.0f);
  rig.rec().AngleOfAttack = -10;
  rig.rec().Altitude = 2999.9999;
  rig.Frame();
  EXPECT_EQ(rig.Drawn("AOA_arrow").turn.angle, -28.0f);
  EXPECT_EQ(rig.TextOf("dialReadoutFont", 547, 425), "3");
}

// What a frame drew, call by call: enough to tell two frames apart.
std::string FrameLog(const RecordingCanvas& canvas) {
  std::ostringstream out;
  for (const CanvasCall& c : canvas.Calls()) {
    const PictureTurn& t = c.turn;
    out << static_cast<int>(c.kind) << ' ' << c.picture << ' ' << c.color << ' ' << c.text << ' ' << c.x << ','
        << c.y << ' ' << t.angle << ',' << t.pivotX << ',' << t.pivotY << ',' << t.scaleX << ',' << t.scaleY << ','
        << t.tint << ' ' << c.width << ',' << c.height << ',' << c.fromAngle << ',' << c.toAngle << ' ' << c.box.x1
        << ',' << c.box.y1 << ',' << c.box.x2 << ',' << c.box.y2 << '\n';
  }
  return out.str();
}

// Every needle shows the record of the frame it is drawn in: the first frame
// after a change, or after the other page, draws what the next frame draws.
TEST(Pages, FirstFrameAfterAChangeShowsIt) {
  struct Case { Page before, page; } cases[] = {
      {Page::Flight, Page::Flight}, {Page::Tactical, Page::Tactical},
      {Page::Tactical, Page::Flight}, {Page::Flight, Page::Tactical}};
  for (const auto& c : cases) {
    Rig rig;
    rig.display->ShowPage(c.before);
    rig.Frame();
    FlightData& r = rig.rec();
    r.IndicatedAirspeed = 300, r.Heading = 123, r.Pitch = 12, r.Bank = -20, r.AngleOfAttack = 8;
    r.LoadFactor = 3.4, r.VerticalSpeed = 7, r.Mach = 0.8, r.DirectorPitch = 4, r.DirectorBank = 9;
    r.AdfBearing = 40, r.RmiBearing = 200, r.Altitude = 4321, r.LeftEngineRpm = 101, r.RightEngineRpm = 80;
    r.LeftEngineTemp = 650, r.RightEngineTemp = 500, r.TargetRange = 7000, r.TargetBearing = 0.5;
    rig.display->ShowPage(c.page);
    rig.Frame();
    const std::string first = FrameLog(rig.canvas);
    rig.Frame();
    EXPECT_EQ(first, FrameLog(rig.canvas)) << static_cast<int>(c.before) << " -> " << static_cast<int>(c.page);
  }
  Rig rig;
  rig.rec().IndicatedAirspeed = 300;
  rig.Frame();
  EXPECT_NEAR(rig.Drawn("Speed_arrow").turn.angle, 140.284f, 1e-3);
}

TEST(FlightPage, EngineRegimesAndOverspeed) {
  struct Case { double left, right; const char* dial; const char* leftImage; const char* leftText; int textX; } cases[] = {
      {64.99, 80, "Engine_Fon", "Engine_Left_Arrow", "65", 769},
      {65, 65, "Engine_Fon_2", "Engine_Left_Arrow", "65", 769},
      {100, 70, "Engine_Fon_2", "Engine_Left_Arrow", "100", 769},
      {100.01, 70, "Engine_Fon_2", "Engine_Left_Arrow_Red", "Ф", 772},
      {99.5, 70, "Engine_Fon_2", "Engine_Left_Arrow", "100", 769},
      {98.5, 70, "Engine_Fon_2", "Engine_Left_Arrow", "98", 769},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.rec().LeftEngineRpm = c.left;
    rig.rec().RightEngineRpm = c.right;
    rig.Frame();
    auto pics = rig.Pictures();
    EXPECT_NE(std::find(pics.begin(), pics.end(), c.dial), pics.end()) << c.left;
    EXPECT_EQ(pics.back() == "PPI" ? pics[pics.size() - 2] : "", c.leftImage) << c.left;
    EXPECT_EQ(rig.TextOf("engineSpeedFont", c.textX, 115), c.leftText) << c.left;
  }
  Rig rig;
  rig.rec().LeftEngineRpm = 60;
  rig.Frame();
  EXPECT_NEAR(rig.Drawn("Engine_Left_Arrow").turn.angle, 23.791f, 1e-3);
  rig.rec().LeftEngineRpm = 60.5;
  rig.rec().RightEngineRpm = 60.5;
  rig.Frame();
  EXPECT_NEAR(rig.Drawn("Engine_Left_Arrow").turn.angle, 23.573f, 1e-3);
  EXPECT_NEAR(rig.Drawn("Engine_Right_Arrow").turn.angle, -23.573f, 1e-3);
}

TEST(FlightPage, FuelTurnsRedBelow800) {
  struct Case { double a, b; const char* text; std::uint32_t color; } cases[] = {
      {400, 400, "800 кг", MakeArgb(50, 60, 50, 255)},
      {799.99, 0, "800 кг", MakeArgb(255, 0, 0, 255)},
      {12345.6, 0, "12346 кг", MakeArgb(50, 60, 50, 255)},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.rec().FuelQuantity1 = c.a;
    rig.rec().FuelQuantity2 = c.b;
    rig.Frame();
    const auto* t = rig.TextAt("smallReadoutFont", 797, 381);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text, c.text);
    EXPECT_EQ(t->color, c.color) << c.a;
    // The next frame gives the font its normal colour back before the Mach readout.
    rig.rec().FuelQuantity1 = 5000;
    rig.Frame();
    EXPECT_EQ(rig.TextAt("smallReadoutFont", 87, 359)->color, MakeArgb(50, 60, 50, 255));
  }
}

TEST(FlightPage, LampsLightOnlyAtTheirExactStates) {
  const std::uint32_t green = MakeArgb(0, 255, 0);
  struct Case { double pair, single, triple; bool pairLit, singleLit, tripleLit; } cases[] = {
      {2, 1, 1, true, true, true}, {1, 0, 2, false, false, false}, {1.5, -1, 0, false, false, false},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.rec().PairLampState = c.pair;
    rig.rec().SingleLampState = c.single;
    rig.rec().TripleLampState = c.triple;
    rig.Frame();
    EXPECT_EQ(rig.HasBox({749, 499, 785, 512}, true, -2, green), c.pairLit);
    EXPECT_EQ(rig.HasBox({884, 499, 920, 512}, true, -2, green), c.pairLit);
    EXPECT_EQ(rig.HasBox({826, 415, 845, 430}, true, -2, green), c.singleLit);
    EXPECT_EQ(rig.HasBox({799, 548, 810, 568}, true, -2, green), c.tripleLit);
  }
}

}  // namespace
}  // namespace velmora
