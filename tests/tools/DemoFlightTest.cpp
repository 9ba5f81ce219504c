// The demo flight takes every instrument through its range with plausible,
// smooth values, and its messages read back exactly through the display's own
// scanner.
#include "link/FlightData.h"
#include "link/Telemetry.h"
#include "tools/send/DemoFlight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace velmora {
namespace {

constexpr double kStep = 1.0 / 30;  // the default message rate

const std::vector<FlightData>& Loop() {
  static const std::vector<FlightData> states = [] {
    std::vector<FlightData> s;
    for (int i = 0; i * kStep < kDemoPeriod; ++i) s.push_back(DemoState(i * kStep));
    return s;
  }();
  return states;
}

double Fuel(const FlightData& d) { return d.FuelQuantity1 + d.FuelQuantity2; }

double Min(double FlightData::*m) {
  double v = std::numeric_limits<double>::infinity();
  for (const auto& d : Loop()) v = std::min(v, d.*m);
  return v;
}
double Max(double FlightData::*m) {
  double v = -std::numeric_limits<double>::infinity();
  for (const auto& d : Loop()) v = std::max(v, d.*m);
  return v;
}

TEST(DemoFlightTest, EveryInstrumentGoesThroughItsRange) {
  struct Range {
    const char* name;
    double FlightData::*member;
    double lowest, lowReach;    // min must lie in [lowest, lowReach]
    double highReach, highest;  // max must lie in [highReach, highest]
  };
  const Range ranges[] = {
      {"Altitude", &FlightData::Altitude, 100, 200, 3000, 12000},
      {"IndicatedAirspeed", &FlightData::IndicatedAirspeed, 0, 0, 1100, 1400},
      {"TrueAirspeed", &FlightData::TrueAirspeed, 0, 0, 1200, 1800},
      {"Mach", &FlightData::Mach, 0, 0, 1.05, 1.6},
      {"Pitch", &FlightData::Pitch, -30, -10, 20, 40},
      {"Bank", &FlightData::Bank, -30, -5, 70, 85},
      {"AngleOfAttack", &FlightData::AngleOfAttack, -10, -1, 20, 25},
      {"LoadFactor", &FlightData::LoadFactor, -2, 0, 7.99, 8.5},
      {"VerticalSpeed", &FlightData::VerticalSpeed, -18, -10, 10, 18},
      {"LeftEngineRpm", &FlightData::LeftEngineRpm, 30, 64, 100.5, 110},
      {"RightEngineRpm", &FlightData::RightEngineRpm, 30, 64, 100.5, 110},
      {"LeftEngineTemp", &FlightData::LeftEngineTemp, 300, 599, 801, 1000},
      {"RightEngineTemp", &FlightData::RightEngineTemp, 300, 599, 801, 1000},
      {"GlideslopeDeviation", &FlightData::GlideslopeDeviation, -1, -0.5, 0.9, 1},
      {"LocalizerDeviation", &FlightData::LocalizerDeviation, -1, -0.5, 0.7, 1},
      {"BallDeflection", &FlightData::BallDeflection, -4, -1, 1, 4},
      {"Heading", &FlightData::Heading, 0, 10, 350, 359.99},
      {"AdfBearing", &FlightData::AdfBearing, 0, 90, 180, 359.99},
      {"RmiBearing", &FlightData::RmiBearing, 0, 300, 300, 359.99},
      {"PressureSetting", &FlightData::PressureSetting, 740, 756, 759.9, 780},
      {"RadarAltitude", &FlightData::RadarAltitude, 0, 0, 1000, 1480},
      {"NavDistance", &FlightData::NavDistance, 0, 0, 10000, 50000},
      {"FuelQuantity1", &FlightData::FuelQuantity1, 0, 800, 1300, 5000},
      {"FuelQuantity2", &FlightData::FuelQuantity2, 0, 0, 800, 5000},
  };
  for (const auto& r : ranges) {
    const double lo = Min(r.member), hi = Max(r.member);
    EXPECT_GE(lo, r.lowest) << r.name;
    EXPECT_LE(lo, r.lowReach) << r.name;
    EXPECT_GE(hi, r.highReach) << r.name;
    EXPECT_LE(hi, r.highest) << r.name;
  }
  for (auto spare : {&FlightData::Spare6, &FlightData::Spare26, &FlightData::Spare27}) {
    EXPECT_EQ(Min(spare), 0);
    EXPECT_EQ(Max(spare), 0);
  }
}

TEST(DemoFlightTest, TargetClosesOnceFrom20To3KilometresAcrossTheScaleChange) {
  std::size_t first = 0, last = 0, windows = 0;
  const auto& s = Loop();
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool target = s[i].TargetRange != -1.0;
    if (target && (i == 0 || s[i - 1].TargetRange == -1.0)) {
      ++windows;
      first = i;
    }
    if (target) last = i;
  }
  ASSERT_EQ(windows, 1u);
  EXPECT_GE(s[first].TargetRange, 19900);
  EXPECT_LE(s[first].TargetRange, 20000);
  EXPECT_GE(s[last].TargetRange, 3000);
  EXPECT_LE(s[last].TargetRange, 3100);
  bool crossed = false;
  for (std::size_t i = first + 1; i <= last; ++i) {
    EXPECT_LE(s[i].TargetRange, s[i - 1].TargetRange) << "at " << i * kStep << " s";
    crossed |= s[i - 1].TargetRange >= 10000 && s[i].TargetRange < 10000;
  }
  EXPECT_TRUE(crossed);
  // Half a minute or so, so the scale change can be watched.
  EXPECT_GT((last - first) * kStep, 15);
}

TEST(DemoFlightTest, LampsUseExactStatesAndFollowGearFlapsAndFuel) {
  bool pairLit = false, pairDark = false, singleLit = false, singleDark = false, tripleLit = false,
       tripleDark = false, lowFuelSeen = false, afterburnerSeen = false;
  double fadeSeconds = 0;
  for (const auto& d : Loop()) {
    EXPECT_TRUE(d.PairLampState == 0 || d.PairLampState == 1 || d.PairLampState == 2);
    EXPECT_TRUE(d.SingleLampState == 0 || d.SingleLampState == 1);
    EXPECT_TRUE(d.TripleLampState == 0 || d.TripleLampState == 1);
    (d.PairLampState == 2 ? pairLit : pairDark) = true;
    (d.SingleLampState == 1 ? singleLit : singleDark) = true;
    (d.TripleLampState == 1 ? tripleLit : tripleDark) = true;
    // The single lamp is the low-fuel warning.
    EXPECT_EQ(d.SingleLampState == 1, Fuel(d) < 800);
    lowFuelSeen |= Fuel(d) < 800;
    afterburnerSeen |= d.LeftEngineRpm > 100 && d.RightEngineRpm > 100;
    if (d.LoadFactor > 6) fadeSeconds += kStep;
  }
  EXPECT_TRUE(pairLit && pairDark && singleLit && singleDark && tripleLit && tripleDark);
  EXPECT_TRUE(lowFuelSeen);
  EXPECT_TRUE(afterburnerSeen);
  EXPECT_GT(fadeSeconds, 5) << "the window should stay faded long enough to notice";
  // Lined up for take-off: flaps down (the pair lit) and gear down (the three
  // lit), fuel plenty; in cruise all dark; on the approach all three lit;
  // at the end of the roll-out flaps up, gear still down.
  struct Moment { double t; double pair, triple, single; } moments[] = {
      {0, 2, 1, 0}, {60, 0, 0, 0}, {165, 2, 1, 1}, {kDemoPeriod - kStep, 0, 1, 1}};
  for (const auto& m : moments) {
    const FlightData d = DemoState(m.t);
    EXPECT_EQ(d.PairLampState, m.pair) << m.t;
    EXPECT_EQ(d.TripleLampState, m.triple) << m.t;
    EXPECT_EQ(d.SingleLampState, m.single) << m.t;
  }
}

TEST(DemoFlightTest, FlightIsSmoothIncludingTheLoopSeam) {
  struct Limit {
    const char* name;
    double FlightData::*member;
    double perStep;  // largest change in 1/30 s
    bool angle;
  };
  const Limit limits[] = {
      {"Altitude", &FlightData::Altitude, 6, false},
      {"IndicatedAirspeed", &FlightData::IndicatedAirspeed, 2, false},
      {"Mach", &FlightData::Mach, 0.005, false},
      {"Pitch", &FlightData::Pitch, 0.5, false},
      {"Bank", &FlightData::Bank, 1.5, false},
      {"AngleOfAttack", &FlightData::AngleOfAttack, 0.5, false},
      {"LoadFactor", &FlightData::LoadFactor, 0.2, false},
      {"VerticalSpeed", &FlightData::VerticalSpeed, 0.3, false},
      {"Heading", &FlightData::Heading, 1.5, true},
      {"AdfBearing", &FlightData::AdfBearing, 2, true},
      {"RmiBearing", &FlightData::RmiBearing, 0.5, true},
      {"LeftEngineRpm", &FlightData::LeftEngineRpm, 1.5, false},
      {"LeftEngineTemp", &FlightData::LeftEngineTemp, 10, false},
      {"GlideslopeDeviation", &FlightData::GlideslopeDeviation, 0.03, false},
      {"LocalizerDeviation", &FlightData::LocalizerDeviation, 0.03, false},
      {"BallDeflection", &FlightData::BallDeflection, 0.05, false},
      {"NavDistance", &FlightData::NavDistance, 30, false},
  };
  const auto& s = Loop();
  for (const auto& l : limits) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      const FlightData& a = s[i];
      const FlightData& b = i + 1 < s.size() ? s[i + 1] : DemoState(kDemoPeriod);  // the seam
      double step = std::abs(b.*l.member - a.*l.member);
      if (l.angle) step = std::min(step, 360 - step);
      ASSERT_LE(step, l.perStep) << l.name << " jumps at " << i * kStep << " s";
    }
  }
  // Fuel only ever falls within a loop.
  for (std::size_t i = 1; i < s.size(); ++i) ASSERT_LE(Fuel(s[i]), Fuel(s[i - 1])) << i * kStep;
}

TEST(DemoFlightTest, RepeatsEveryPeriodForAnyTime) {
  for (double t : {0.0, 12.34, 95.0, 179.9}) {
    const std::string m = FormatMessage(DemoState(t));
    EXPECT_EQ(FormatMessage(DemoState(t + kDemoPeriod)), m) << t;
    EXPECT_EQ(FormatMessage(DemoState(t + 7 * kDemoPeriod)), m) << t;
    EXPECT_EQ(FormatMessage(DemoState(t - kDemoPeriod)), m) << t;
  }
}

// Every message of the loop reads back through the display's UDP entry to
// exactly the values sent: no error, no rounding, and the radar altitude rule
// never has to change what the demo said.
TEST(DemoFlightTest, MessagesScanBackToTheSameValues) {
  for (const auto& sent : Loop()) {
    const std::string message = FormatMessage(sent);
    FlightData got;
    ApplyStartupValues(got);
    const auto error = ApplyDatagram(got, message);
    ASSERT_FALSE(error.has_value()) << error->message << " in " << message;
    for (const auto& f : kFlightFields) {
      if (f.position >= 1) {
        ASSERT_EQ(got.*f.member, sent.*f.member) << f.name << " in " << message;
      }
    }
  }
}

TEST(DemoFlightTest, MessageLayoutIsTheExportersOwn) {
  const std::string m = FormatMessage(DemoState(100));
  ASSERT_GE(m.size(), 4u);
  EXPECT_EQ(m.substr(m.size() - 4), " $\r\n");
  EXPECT_EQ(std::count(m.begin(), m.end(), ' '), kRecordPositions);
  EXPECT_EQ(m.find("  "), std::string::npos);
  EXPECT_EQ(m.find_first_of(",eE"), std::string::npos) << m;
}

TEST(DemoFlightTest, NumbersAreCompactExactAndLocaleFree) {
  // A desktop whose locale writes "1,5" must still send "1.5".
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_ALL, name)) break;

  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},           {-0.0, "0"},         {-1, "-1"},
      {0.1, "0.1"},       {1e-7, "0.0000001"}, {760, "760"},
      {1e22, "10000000000000000000000"},       {-12345.678, "-12345.678"},
  };
  for (const auto& c : cases) {
    FlightData d;
    d.TargetRange = c.value;  // position 30
    const std::string m = FormatMessage(d);
    std::size_t start = 0;
    for (int pos = 1; pos < 30; ++pos) start = m.find(' ', start) + 1;
    EXPECT_EQ(m.substr(start, m.find(' ', start) - start), c.text) << c.value;
  }
  // The extremes a double can hold still read back exactly.
  for (double v : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::min(), 0.1 + 0.2}) {
    FlightData d;
    d.Altitude = v;
    FlightData got;
    EXPECT_FALSE(ScanTelemetry(FormatMessage(d), got).has_value()) << v;
    EXPECT_EQ(got.Altitude, v);
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(DemoFlightTest, ValuesTheDisplayCouldNotReadAreRefused) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    FlightData d;
    d.Mach = bad;
    try {
      FormatMessage(d);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("Mach"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace velmora
