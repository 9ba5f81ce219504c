#include "link/Telemetry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace std::string_literals;

// Message of n fields where field k (1-based) is value(k), each followed by a space.
template <class F>
std::string Message(int n, F value, std::string_view end = "$") {
  std::string s;
  for (int k = 1; k <= n; ++k) s += value(k) + " ";
  s += end;
  return s;
}

FlightData Started() {
  FlightData d;
  ApplyStartupValues(d);
  return d;
}

struct NumberCase {
  std::string text;
  bool valid;
  double value;
};

TEST(TelemetryNumber, Syntax) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<NumberCase> cases = {
      {"1", true, 1},         {"-17", true, -17},      {"+.5", true, 0.5},
      {"+,5", true, 0.5},     {".", true, 0},          {",", true, 0},
      {"1.", true, 1},        {".25", true, 0.25},     {"10,5", true, 10.5},
      {"1e3", true, 1000},    {"1E3", true, 1000},     {"1e", true, 1},
      {"1e+", true, 1},       {"1e-", true, 1},        {"1e-2", true, 0.01},
      {"-2.5E+2", true, -250}, {".e5", true, 0},       {"007", true, 7},
      {"0.1", true, 0.1},     {"123456789012345678901234567890", true, 1.2345678901234568e29},
      {"1.7976931348623157e308", true, 1.7976931348623157e308},
      {"1e-400", true, 0},    {"-1e-400", true, -0.0}, {"0e99999", true, 0},
      {"0.0001e312", true, 1e308},
      {"1e-99999999999999999999", true, 0},
      // invalid syntax
      {"", false, nan},       {"-", false, nan},       {"+", false, nan},
      {"--1", false, nan},    {"+-1", false, nan},     {"10.5.1", false, nan},
      {"1,5,", false, nan},   {"1e3.5", false, nan},   {"1ee3", false, nan},
      {"e5", false, nan},     {"1x", false, nan},      {"inf", false, nan},
      {"nan", false, nan},    {"0x10", false, nan},    {" 1", false, nan},
      {"1\r", false, nan},    {"1\n", false, nan},     {"\t1", false, nan},
      {"1\0"s, false, nan},   {"1e 3", false, nan},    {"1$", false, nan},
      // magnitude beyond a double
      {"1e400", false, nan},  {"-1e400", false, nan},  {"1.8e308", false, nan},
      {"1e99999999999999999999", false, nan},
      {"1000e306", false, nan},
  };
  for (const auto& c : cases) {
    double v = 12345;
    const bool ok = ParseTelemetryNumber(c.text, v);
    EXPECT_EQ(ok, c.valid) << "'" << c.text << "'";
    if (ok && c.valid) {
      EXPECT_EQ(v, c.value) << "'" << c.text << "'";
      EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << "'" << c.text << "'";
    }
  }
}

TEST(TelemetryNumber, LongFieldsConvertExactly) {
  double v = 0;
  ASSERT_TRUE(ParseTelemetryNumber("1" + std::string(299, '0'), v));
  EXPECT_EQ(v, 1e299);
  // Leading zeros far past the stack buffer, then a large exponent.
  ASSERT_TRUE(ParseTelemetryNumber("0." + std::string(400, '0') + "15e402", v));
  EXPECT_EQ(v, 15.0);
  ASSERT_TRUE(ParseTelemetryNumber(std::string(500, '0') + "3,25", v));
  EXPECT_EQ(v, 3.25);
  EXPECT_FALSE(ParseTelemetryNumber(std::string(400, '9'), v));  // 1e400
}

struct ScanCase {
  const char* name;
  std::string text;
  std::optional<TelemetryError::Kind> error;
  std::string message;                  // checked when error is set
  std::vector<std::pair<double FlightData::*, double>> expect;
  int field = 0;  // the position the error names, checked when set
};

TEST(TelemetryScan, Table) {
  const std::vector<ScanCase> cases = {
      {"three fields", "1 2 3 $", {}, "",
       {{&FlightData::Altitude, 1}, {&FlightData::IndicatedAirspeed, 2}, {&FlightData::LeftEngineRpm, 3}}},
      {"text before $ is not a field", "1 2 3$", {}, "",
       {{&FlightData::Altitude, 1}, {&FlightData::IndicatedAirspeed, 2}, {&FlightData::LeftEngineRpm, 0}}},
      {"comma separator", "10,5 $", {}, "", {{&FlightData::Altitude, 10.5}}},
      {"second separator quoted with dots", "7 10,5,1 $", TelemetryError::Conversion,
       "'10.5.1' is not a valid floating point value",
       {{&FlightData::Altitude, 7}, {&FlightData::IndicatedAirspeed, 0}}, 2},
      {"two spaces make an empty field", "1  2 $", TelemetryError::Conversion,
       "'' is not a valid floating point value", {{&FlightData::Altitude, 1}, {&FlightData::LeftEngineRpm, 2}}, 2},
      {"leading space", " 1 $", TelemetryError::Conversion, "'' is not a valid floating point value",
       {{&FlightData::Altitude, 0}}},
      {"line end inside a field", "1 2\r\n3 $", TelemetryError::Conversion,
       "'2\r\n3' is not a valid floating point value", {{&FlightData::Altitude, 1}}},
      {"lone minus", "- $", TelemetryError::Conversion, "'-' is not a valid floating point value", {}},
      {"overflow", "5 1e999 $", TelemetryError::Conversion, "'1e999' is not a valid floating point value",
       {{&FlightData::Altitude, 5}, {&FlightData::IndicatedAirspeed, 0}}},
      {"no $ after fields", "4 5 ", TelemetryError::Range, "Range check error",
       {{&FlightData::Altitude, 4}, {&FlightData::IndicatedAirspeed, 5}}, 3},
      {"empty text", "", TelemetryError::Range, "Range check error", {}},
      {"only spaces", "   ", TelemetryError::Conversion, "'' is not a valid floating point value", {}},
      {"$ alone fills no field", "$", TelemetryError::NoField,
       "no field before \"$\" (each number must be followed by a space)", {{&FlightData::Pitch, -0.5}}},
      {"tab-separated fills no field", "1\t2\t3\t$", TelemetryError::NoField,
       "no field before \"$\" (each number must be followed by a space)", {{&FlightData::Altitude, 0}}},
      {"a bad field 7 leaves 8 to 33 applied",
       Message(33, [](int k) { return k == 7 ? "-nan"s : std::to_string(k); }), TelemetryError::Conversion,
       "'-nan' is not a valid floating point value",
       {{&FlightData::Bank, 5}, {&FlightData::AngleOfAttack, 0}, {&FlightData::LoadFactor, 8},
        {&FlightData::TripleLampState, 33}}, 7},
      {"the first of two bad fields is named",
       Message(33, [](int k) { return k == 9 ? "inf"s : k == 3 ? "x"s : std::to_string(k); }),
       TelemetryError::Conversion, "'x' is not a valid floating point value",
       {{&FlightData::LeftEngineRpm, 0}, {&FlightData::VerticalSpeed, 0}, {&FlightData::Mach, 10}}, 3},
      {"bytes after $ ignored", "1 $ 2 3 $", {}, "",
       {{&FlightData::Altitude, 1}, {&FlightData::IndicatedAirspeed, 0}}},
      {"bytes after $ may be garbage", "1 $\r\n\x01xyz", {}, "", {{&FlightData::Altitude, 1}}},
      {"bank 70 zeroes radar altitude", Message(18, [](int k) { return k == 5 ? "70"s : k == 18 ? "300"s : "0"s; }),
       {}, "", {{&FlightData::Bank, 70}, {&FlightData::RadarAltitude, 0}}},
      {"bank -65 and 1480 m keep it", Message(18, [](int k) { return k == 5 ? "-65"s : k == 18 ? "1480"s : "0"s; }),
       {}, "", {{&FlightData::RadarAltitude, 1480}}},
      {"bank 65 keeps it", Message(18, [](int k) { return k == 5 ? "65"s : k == 18 ? "12"s : "0"s; }),
       {}, "", {{&FlightData::RadarAltitude, 12}}},
      {"bank just below -65", Message(18, [](int k) { return k == 5 ? "-65.001"s : k == 18 ? "12"s : "0"s; }),
       {}, "", {{&FlightData::RadarAltitude, 0}}},
      {"radar altitude above 1480", Message(18, [](int k) { return k == 18 ? "1480.01"s : "0"s; }),
       {}, "", {{&FlightData::RadarAltitude, 0}}},
      {"forty fields", Message(40, [](int k) { return std::to_string(k); }), {}, "",
       {{&FlightData::TripleLampState, 33}}},
      {"41 fields", Message(41, [](int k) { return std::to_string(k); }), TelemetryError::Range,
       "Range check error", {{&FlightData::Altitude, 1}, {&FlightData::TripleLampState, 33}}, 41},
      {"invalid 41st field converts first",
       Message(41, [](int k) { return k == 41 ? "x"s : std::to_string(k); }), TelemetryError::Conversion,
       "'x' is not a valid floating point value", {{&FlightData::TripleLampState, 33}}, 41},
      {"error in field 34 after 33 applied",
       Message(34, [](int k) { return k == 34 ? "1..2"s : std::to_string(k); }), TelemetryError::Conversion,
       "'1..2' is not a valid floating point value", {{&FlightData::TripleLampState, 33}}},
  };
  for (const auto& c : cases) {
    FlightData rec = Started();
    const auto error = ScanTelemetry(c.text, rec);
    ASSERT_EQ(error.has_value(), c.error.has_value()) << c.name;
    if (error) {
      EXPECT_EQ(error->kind, *c.error) << c.name;
      EXPECT_EQ(error->message, c.message) << c.name;
      if (c.field) {
        EXPECT_EQ(error->field, c.field) << c.name;
      }
    }
    for (const auto& [member, value] : c.expect) EXPECT_EQ(rec.*member, value) << c.name;
  }
}

TEST(TelemetryScan, EveryPositionReachesItsField) {
  FlightData rec = Started();
  ASSERT_FALSE(ScanTelemetry(Message(33, [](int k) { return std::to_string(k * 10) + ",5"; }), rec));
  for (const auto& f : kFlightFields) {
    const double expected = f.position * 10 + 0.5;
    if (f.position) {
      EXPECT_EQ(rec.*f.member, expected) << f.name;
    }
  }
  EXPECT_EQ(rec.TargetHeading, 0.0);
  EXPECT_EQ(rec.TargetBearing, 0.0);
  EXPECT_EQ(rec.TargetOffset, 0.0);
}

// Positions 34 and 35 reach the target only with the option, by every entry
// point, and a bad or missing one keeps what the target had.
TEST(TelemetryScan, TargetFieldsOnlyWithTheOption) {
  auto msg = [](std::string p34, std::string p35, int n = 36) {
    return Message(n, [&](int k) { return k == 34 ? p34 : k == 35 ? p35 : "0"s; });
  };
  struct Case {
    std::string text;
    bool option;
    double bearing, heading;  // the record held 0.25 and 45 before
    int errorField;
  } const cases[] = {
      {msg("1.5", "270"), true, 1.5, 270, 0},
      {msg("-0,5", "1e1"), true, -0.5, 10, 0},
      {msg("1.5", "270"), false, 0.25, 45, 0},
      {msg("1.5", "x"), false, 0.25, 45, 35},
      {msg("1..5", "270"), true, 0.25, 270, 34},
      {msg("nan", "inf"), true, 0.25, 45, 34},
      {msg("1.5", "", 34), true, 1.5, 45, 0},
      {msg("", "", 33), true, 0.25, 45, 0},
  };
  for (const Case& c : cases) {
    FlightData start = Started();
    start.TargetBearing = 0.25;
    start.TargetHeading = 45;
    FlightData scanned = start, datagram = start, stream = start;
    const auto error = ScanTelemetry(c.text, scanned, ScanOptions{c.option});
    ApplyDatagram(datagram, c.text, ScanOptions{c.option});
    TcpStreamFramer(ScanOptions{c.option}).Feed(c.text, stream, [](const TelemetryError&) {});
    EXPECT_EQ(error ? error->field : 0, c.errorField) << c.text;
    for (const FlightData* r : {&scanned, &datagram, &stream}) {
      EXPECT_EQ(r->TargetBearing, c.bearing) << c.option << " " << c.text;
      EXPECT_EQ(r->TargetHeading, c.heading) << c.option << " " << c.text;
    }
  }
}

TEST(TelemetryScan, UnfilledPositionsKeepPreviousValues) {
  FlightData rec = Started();
  ASSERT_FALSE(ScanTelemetry(Message(33, [](int k) { return std::to_string(k); }), rec));
  // Short message, then one with a bad last field, then one without "$".
  for (const std::string& text : {"100 200 $"s, "100 200 oops $"s, "100 200 "s}) {
    FlightData r = rec;
    ScanTelemetry(text, r);
    EXPECT_EQ(r.Altitude, 100) << text;
    EXPECT_EQ(r.IndicatedAirspeed, 200) << text;
    for (const auto& f : kFlightFields) {
      if (f.position >= 3) {
        EXPECT_EQ(r.*f.member, rec.*f.member) << text << " " << f.name;
      }
    }
  }
}

TEST(TelemetryScan, NothingConsumedTouchesNothing) {
  // A record that breaks the plausibility rule shows whether a copy happened.
  for (const std::string& text : {"$"s, "$1 2 3 $"s, ""s}) {
    FlightData rec = Started();
    rec.Bank = 80;
    rec.RadarAltitude = 500;
    ScanTelemetry(text, rec);
    EXPECT_EQ(rec.RadarAltitude, 500) << "'" << text << "'";
  }
  FlightData rec = Started();
  rec.Bank = 80;
  rec.RadarAltitude = 500;
  ScanTelemetry("1$", rec);  // one byte consumed: copy and rule
  EXPECT_EQ(rec.RadarAltitude, 0);
}

TEST(TelemetryScan, QuotedFieldIsBounded) {
  FlightData rec = Started();
  const std::string field = std::string(60, 'a') + "b,cdefgh" + std::string(5000, 'z');
  const auto error = ScanTelemetry(field + " $", rec);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->message, "'" + std::string(60, 'a') + "b.cd...' is not a valid floating point value");
  const std::string exact(kQuotedFieldLimit, 'q');
  EXPECT_EQ(ScanTelemetry(exact + " $", rec)->message, "'" + exact + "' is not a valid floating point value");
}

TEST(TelemetryUdp, KeepsTheWholeDatagramAndScansIt) {
  FlightData rec = Started();
  const std::string datagram = "1 2 3 $\r\n\0tail"s;
  EXPECT_FALSE(ApplyDatagram(rec, datagram));
  EXPECT_EQ(rec.LastDatagramText, datagram);
  EXPECT_EQ(rec.LeftEngineRpm, 3);
  // Trailing line end without "$" stays part of the last field over UDP.
  const auto error = ApplyDatagram(rec, "5 6\r\n");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, TelemetryError::Range);
  EXPECT_EQ(rec.Altitude, 5);
  EXPECT_EQ(rec.LastDatagramText, "5 6\r\n");
  // A payload that aliases the stored copy (a caller replaying the last datagram).
  rec.LastDatagramText = "9 8 $";
  EXPECT_FALSE(ApplyDatagram(rec, std::string_view(rec.LastDatagramText).substr(2)));
  EXPECT_EQ(rec.LastDatagramText, "8 $");
  EXPECT_EQ(rec.Altitude, 8);
}

TEST(TelemetryUdp, LeadingBlanksAreSkippedAsTheStreamFramerDoes) {
  for (const std::string lead : {" ", "\t", "\r\n", "\n \r\t"}) {
    FlightData rec = Started();
    EXPECT_FALSE(ApplyDatagram(rec, lead + "7 8 $")) << lead.size();
    EXPECT_EQ(rec.Altitude, 7) << lead.size();
    EXPECT_EQ(rec.IndicatedAirspeed, 8) << lead.size();
    EXPECT_EQ(rec.LastDatagramText, lead + "7 8 $");
  }
  FlightData rec = Started();
  const auto error = ApplyDatagram(rec, "\x01" "7 $");  // other control bytes stay part of field 1
  ASSERT_TRUE(error);
  EXPECT_EQ(error->field, 1);
}

}  // namespace
}  // namespace velmora
