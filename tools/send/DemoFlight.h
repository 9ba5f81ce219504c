// The built-in demo flight of velmora-send and the telemetry message writer.
//
// DemoState(t) is a pure function of the flight time: a three-minute sortie
// from brake release to roll-out on the same runway, looping, that takes every
// instrument of the display through its range. FormatMessage writes the 33
// received positions of a record as one message in the exporter's format.
#pragma once

#include "link/FlightData.h"

#include <string>
#include <string_view>

namespace velmora {

// Length of one loop of the demo flight, seconds.
inline constexpr double kDemoPeriod = 180.0;

// One phase of the demo, for --help and for anyone reading a recording.
struct DemoPhase {
  double start;  // seconds into the loop
  std::string_view what;
};
inline constexpr DemoPhase kDemoPhases[] = {
    {0, "lined up on runway 09, engines at idle"},
    {5, "run-up against the brakes"},
    {9, "brake release, afterburner (engine speed above 100 %), take-off roll"},
    {25, "rotation, lift-off at 28 s, gear up at 31 s, flaps up at 35 s"},
    {38, "climbing right turn to the west, to 3600 m"},
    {70, "push-over, level acceleration in afterburner to Mach 1.15"},
    {86, "descending 360-degree turn pulling 8 g (window fades)"},
    {106, "roll-out at 2500 m, heading 270"},
    {112, "level flight, target closing from 20 km to 3 km"},
    {134, "descending right turn back to the airfield, idle power"},
    {153, "fuel below 800 kg, low-fuel lamp"},
    {150, "ILS approach: gear down, flaps, both deviation bars moving"},
    {172, "touch-down and roll-out, engines to idle"},
};

// The aircraft state t seconds into the demo (any t; the flight repeats every
// kDemoPeriod). Every received position holds a plausible value in the units
// the display expects (see FlightData.h); values are rounded to the
// resolution a real exporter sends, so they survive a text round trip exactly.
// The radar altitude is sent as 0 wherever the display would zero it anyway
// (bank beyond 65 degrees, above 1480 m). Positions the display does not read
// (6, 26, 27) are 0; TargetRange is exactly -1 outside the intercept.
FlightData DemoState(double t);

// One message: positions 1..33 of rec, each as a compact decimal number
// (shortest text that reads back to the same double, "." separator, no
// exponent, independent of the C and C++ locales) followed by one space, then
// "$" and CR LF. Throws std::invalid_argument for a value that is not finite,
// which the display could not read.
std::string FormatMessage(const FlightData& rec);

}  // namespace velmora
