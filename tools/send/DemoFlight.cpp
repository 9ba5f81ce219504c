// The demo flight: every smoothly varying value is a monotone cubic through a
// few key points (no overshoot between them, so a descent never bounces and the
// target range only ever closes), discrete values are steps, and the derived
// values (vertical speed, true airspeed, Mach, temperatures, director bars)
// are computed from the others so the instruments agree with each other.
#include "tools/send/DemoFlight.h"

#include "link/Telemetry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <span>
#include <stdexcept>

namespace velmora {
namespace {

struct Key {
  double t;
  double v;
};

// Monotone piecewise cubic Hermite interpolation (Fritsch-Carlson): slopes
// are the harmonic mean of neighbouring secants, zero at local extrema and at
// both ends, so the curve is C1 and stays within each segment's end values.
double Curve(std::span<const Key> k, double t) {
  if (t <= k.front().t) return k.front().v;
  if (t >= k.back().t) return k.back().v;
  std::size_t i = 0;
  while (k[i + 1].t <= t) ++i;
  auto secant = [&](std::size_t j) { return (k[j + 1].v - k[j].v) / (k[j + 1].t - k[j].t); };
  auto slope = [&](std::size_t j) {
    if (j == 0 || j + 1 == k.size()) return 0.0;
    const double a = secant(j - 1), b = secant(j);
    if (a * b <= 0) return 0.0;
    const double ha = k[j].t - k[j - 1].t, hb = k[j + 1].t - k[j].t;
    const double wa = 2 * hb + ha, wb = hb + 2 * ha;
    return (wa + wb) / (wa / a + wb / b);
  };
  const double h = k[i + 1].t - k[i].t;
  const double s = (t - k[i].t) / h;
  const double s2 = s * s, s3 = s2 * s;
  return (2 * s3 - 3 * s2 + 1) * k[i].v + (s3 - 2 * s2 + s) * h * slope(i) +
         (-2 * s3 + 3 * s2) * k[i + 1].v + (s3 - s2) * h * slope(i + 1);
}

// Rounds to 1/perUnit (10 = one decimal). Dividing the rounded integer gives
// the double nearest to that decimal, whose shortest text is the decimal.
double Round(double v, double perUnit) {
  const double r = std::round(v * perUnit) / perUnit;
  return r == 0 ? 0.0 : r;  // no "-0" in the message
}

// Degrees of the exporter's convention: the display shows 360 minus the value,
// so a true direction d is sent as 360 - d, kept in [0, 360).
double ExporterDegrees(double trueDegrees) {
  double v = Round(std::fmod(360.0 - std::fmod(trueDegrees, 360.0), 360.0), 10);
  if (v < 0) v += 360.0;
  if (v >= 360.0) v -= 360.0;
  return v;
}

double Loop(double t) {
  double u = std::fmod(t, kDemoPeriod);
  if (u < 0) u += kDemoPeriod;
  return u;
}

constexpr double kFieldElevation = 150.0;  // metres

constexpr Key kAltitude[] = {{0, 150},     {28, 150},    {31, 170},   {38, 400},   {54, 2000},
                             {70, 3600},   {86, 3600},   {96, 3050},  {106, 2500}, {134, 2500},
                             {144, 1500},  {154, 450},   {160, 330},  {166, 230},  {172, 150},
                             {180, 150}};
constexpr Key kAirspeed[] = {{0, 0},      {9, 0},      {15, 110},   {21, 220},   {27, 320},
                             {31, 360},   {38, 450},   {54, 600},   {70, 700},   {78, 950},
                             {86, 1150},  {96, 1000},  {106, 800},  {134, 800},  {144, 600},
                             {154, 380},  {166, 310},  {172, 280},  {176, 150},
                             {180, 0}};
constexpr Key kPitch[] = {{0, 0},     {25, 0},    {29, 12},   {38, 15},   {42, 28},   {62, 28},
                          {66, 15},   {70, 2},    {86, 0},    {90, -4},   {104, -5},  {106, 0},
                          {134, 0},   {138, -15}, {148, -15}, {154, -4},  {160, -5},  {170, -4},
                          {172, 3},   {174, 0},   {180, 0}};
constexpr Key kBank[] = {{0, 0},     {38, 0},    {42, 50},   {66, 50},   {70, 0},   {86, 0},
                         {89, 80},   {103, 80},  {106, 0},   {134, 0},   {137, 45}, {151, 45},
                         {154, 0},   {158, -6},  {162, 5},   {166, -2},  {170, 0},  {180, 0}};
// True heading, unwrapped: right turns only add.
constexpr Key kHeading[] = {{0, 90},    {38, 90},   {70, 270},  {86, 270},  {106, 630}, {134, 630},
                            {154, 810}, {158, 808}, {164, 812}, {170, 810}, {180, 810}};
constexpr Key kAngleOfAttack[] = {{0, 0},     {25, 0},    {29, 10},   {38, 8},    {45, 7},
                                  {66, 4},    {68, -2},   {72, 2},    {86, 1.5},  {90, 18},
                                  {94, 22},   {99, 22},   {104, 12},  {106, 3},   {134, 3},
                                  {138, 1},   {150, 5},   {154, 10},  {170, 12},  {172, 13},
                                  {174, 2},   {180, 0}};
constexpr Key kLoadFactor[] = {{0, 1},     {25, 1},    {28, 1.3},  {31, 1.1},  {38, 1.2},
                               {42, 2},    {66, 2},    {68, -0.5}, {71, 1},    {86, 1},
                               {90, 6},    {94, 8},    {99, 8},    {104, 4},   {106, 1},
                               {134, 1},   {137, 1.5}, {151, 1.5}, {154, 1},   {171, 1},
                               {172, 1.6}, {173, 1},   {180, 1}};
constexpr Key kBall[] = {{0, 0},     {9, 0},     {15, 0.4},  {21, -0.3}, {27, 0.2},  {31, 0},
                         {40, 0.8},  {44, 0.2},  {66, 0.2},  {70, 0},    {88, -2.5}, {92, 0.5},
                         {102, 0.5}, {106, 0},   {137, 0.6}, {140, 0},   {156, 0.8}, {160, -0.7},
                         {164, 0.4}, {168, -0.2}, {172, 0},  {174, 1.2}, {177, -0.5}, {180, 0}};
constexpr Key kPressure[] = {{0, 755}, {40, 755}, {42, 760}, {140, 760}, {142, 755}, {180, 755}};
// Bearing of the outer marker 4 km west of runway 09, and of a VOR north-east.
constexpr Key kAdf[] = {{0, 270},   {38, 270},  {70, 265},  {86, 262},  {106, 258}, {134, 255},
                        {137, 200}, {140, 120}, {144, 95},  {154, 90},  {158, 88},  {161, 150},
                        {163, 240}, {166, 268}, {180, 270}};
constexpr Key kRmi[] = {{0, 30},   {38, 35},   {70, 60},   {106, 120}, {134, 150}, {154, 80},
                        {172, 40}, {180, 30}};
constexpr Key kNavDistance[] = {{0, 0},       {28, 1000},   {38, 2500},  {70, 8000},
                                {86, 14000},  {106, 15000}, {134, 9000}, {154, 9000},
                                {172, 600},   {180, 0}};
constexpr Key kLeftRpm[] = {{0, 45},     {5, 45},    {9, 100},   {10, 103.5}, {45, 103.5},
                            {50, 97},    {70, 98},   {72, 103},  {86, 103},   {106, 102},
                            {110, 92},   {134, 90},  {140, 62},  {150, 60},   {156, 75},
                            {172, 70},   {174, 45},  {180, 45}};
constexpr Key kFuel1[] = {{0, 1400},  {9, 1392},  {30, 1300}, {70, 1150}, {86, 1120},
                          {106, 1110}, {120, 1050}, {134, 1000}, {154, 790}, {180, 700}};
constexpr Key kFuel2[] = {{0, 900}, {9, 898}, {30, 850}, {70, 600}, {86, 380}, {106, 120},
                          {118, 0}, {180, 0}};
constexpr Key kTargetRange[] = {{112, 20000}, {123, 11200}, {134, 3000}};
constexpr Key kLocalizer[] = {{0, -1},   {150, -1},  {154, 0.8}, {158, -0.5}, {162, 0.3},
                              {166, -0.1}, {172, 0},  {174, 0},   {178, -1},   {180, -1}};
constexpr Key kGlideslope[] = {{0, -1},   {150, -1},  {154, 1},   {158, 0.4}, {162, -0.6},
                               {166, 0.2}, {172, 0},  {174, 0},   {178, -1},  {180, -1}};

// ISA troposphere: density ratio and speed of sound at an altitude in metres.
double DensityRatio(double alt) { return std::pow(1.0 - 2.25577e-5 * alt, 4.2559); }
double SpeedOfSound(double alt) { return 340.294 * std::sqrt((288.15 - 0.0065 * alt) / 288.15); }

// Exhaust temperature for an engine speed; the afterburner adds its own heat.
double EngineTemp(double rpm) {
  return 200.0 + 5.5 * rpm + (rpm > 100 ? 30.0 * (rpm - 100) : 0.0);
}

double Rpm(double u) { return Curve(kLeftRpm, Loop(u)); }

}  // namespace

FlightData DemoState(double t) {
  const double u = Loop(t);
  FlightData d;

  const double alt = Curve(kAltitude, u);
  const double ias = Curve(kAirspeed, u);
  const double bank = Curve(kBank, u);
  d.Altitude = Round(alt, 10);
  d.IndicatedAirspeed = Round(ias, 10);
  const double tas = ias / std::sqrt(DensityRatio(alt));
  d.TrueAirspeed = Round(tas, 10);
  d.Mach = Round(tas / 3.6 / SpeedOfSound(alt), 1000);
  d.Pitch = Round(Curve(kPitch, u), 100);
  d.Bank = Round(bank, 100);
  d.AngleOfAttack = Round(Curve(kAngleOfAttack, u), 100);
  d.LoadFactor = Round(Curve(kLoadFactor, u), 100);

  // The dial's unit is 10 m/s: the climb and the descent reach into the
  // unmarked part of the scale, short of the stops.
  const double h = 0.25;
  d.VerticalSpeed = Round((Curve(kAltitude, std::min(u + h, kDemoPeriod)) -
                           Curve(kAltitude, std::max(u - h, 0.0))) /
                              (std::min(u + h, kDemoPeriod) - std::max(u - h, 0.0)) / 10.0,
                          100);

  // The flight director commands the attitude the aircraft will hold 1.5 s on.
  d.DirectorPitch = Round(Curve(kPitch, Loop(u + 1.5)), 100);
  d.DirectorBank = Round(Curve(kBank, Loop(u + 1.5)), 100);

  d.Heading = ExporterDegrees(Curve(kHeading, u));
  d.AdfBearing = ExporterDegrees(Curve(kAdf, u));
  d.RmiBearing = ExporterDegrees(Curve(kRmi, u));
  d.BallDeflection = Round(Curve(kBall, u), 100);
  d.PressureSetting = Round(Curve(kPressure, u), 10);

  // The radar altimeter loses lock in steep bank and above its 1480 m range.
  const double height = alt - kFieldElevation;
  d.RadarAltitude = (std::abs(d.Bank) <= 65 && height <= 1480) ? Round(std::max(height, 0.0), 10) : 0.0;

  d.GlideslopeDeviation = Round(Curve(kGlideslope, u), 1000);
  d.LocalizerDeviation = Round(Curve(kLocalizer, u), 1000);

  // The right engine follows the throttle 0.6 s behind the left; exhaust
  // temperatures lag the engine speed by 1.5 s.
  const double left = Rpm(u), right = Rpm(u - 0.6);
  d.LeftEngineRpm = Round(left, 10);
  d.RightEngineRpm = Round(right, 10);
  d.LeftEngineTemp = Round(EngineTemp(Rpm(u - 1.5)), 1);
  d.RightEngineTemp = Round(EngineTemp(Rpm(u - 2.1)), 1);

  d.FuelQuantity1 = Round(Curve(kFuel1, u), 10);
  d.FuelQuantity2 = Round(Curve(kFuel2, u), 10);
  d.NavDistance = Round(Curve(kNavDistance, u), 1);

  const bool intercept = u >= std::begin(kTargetRange)->t && u <= std::rbegin(kTargetRange)->t;
  d.TargetRange = intercept ? Round(Curve(kTargetRange, u), 1) : -1.0;

  // Lamps: flaps down lights the pair (1 while they travel, which is dark),
  // gear down and locked the three, low fuel the single lamp.
  const bool flapsDown = u < 35 || (u >= 155 && u < 177);
  const bool flapsMoving = (u >= 35 && u < 37) || (u >= 153 && u < 155) || (u >= 177 && u < 179);
  d.PairLampState = flapsDown ? 2 : flapsMoving ? 1 : 0;
  d.TripleLampState = (u < 31 || u >= 152) ? 1 : 0;
  d.SingleLampState = d.FuelQuantity1 + d.FuelQuantity2 < 800 ? 1 : 0;
  return d;
}

std::string FormatMessage(const FlightData& rec) {
  static constexpr auto kByPosition = [] {
    std::array<const FlightField*, kRecordPositions + 1> table{};
    for (const auto& f : kFlightFields)
      if (f.position >= 1 && f.position <= kRecordPositions) table[f.position] = &f;
    return table;
  }();
  std::string out;
  out.reserve(kRecordPositions * 8 + 3);
  for (int pos = 1; pos <= kRecordPositions; ++pos) {
    const FlightField& f = *kByPosition[pos];
    const double v = rec.*f.member;
    if (!std::isfinite(v))
      throw std::invalid_argument(std::string(f.name) + " is not a finite number");
    // Fixed notation at its shortest exact length: to_chars ignores every
    // locale, and the display's scanner reads it back to the same double.
    char number[400];
    const auto end = std::to_chars(number, number + sizeof number, v == 0 ? 0.0 : v,
                                   std::chars_format::fixed)
                         .ptr;
    out.append(number, end);
    out += ' ';
  }
  out += "$\r\n";
  return out;
}

}  // namespace velmora
