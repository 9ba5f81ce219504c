// The flight data record: the one store of aircraft state that telemetry
// writes and every frame reads. Plain public fields, no operations of its own;
// all access happens on the main thread, so no lock is needed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

struct FlightData {
  std::string LastDatagramText;  // bytes of the last UDP datagram, parsed from this copy

  double Altitude = 0;             // msg 1, metres
  double IndicatedAirspeed = 0;    // msg 2, dial units (0..14 hundreds)
  double TrueAirspeed = 0;         // msg 28, same unit, readout with "и"
  double Pitch = 0;                // msg 4, degrees
  double Bank = 0;                 // msg 5, degrees
  double Spare6 = 0;               // msg 6, read by nothing
  double AngleOfAttack = 0;        // msg 7, degrees
  double LoadFactor = 0;           // msg 8, g
  double VerticalSpeed = 0;        // msg 9, scale units
  double Mach = 0;                 // msg 10
  double DirectorPitch = 0;        // msg 11, commanded pitch, degrees
  double DirectorBank = 0;         // msg 12, commanded bank, degrees
  double AdfBearing = 0;           // msg 13, degrees
  double RmiBearing = 0;           // msg 14, degrees
  double Heading = 0;              // msg 15, degrees (exporter's convention)
  double BallDeflection = 0;       // msg 16, ball units (12 degrees each)
  double PressureSetting = 0;      // msg 17, mm Hg
  double RadarAltitude = 0;        // msg 18, metres
  double TargetRange = 0;          // msg 30, metres; exactly -1 means no target
  double TargetHeading = 0;        // msg 35 with --target-fields, degrees; else stays 0
  double TargetBearing = 0;        // msg 34 with --target-fields, radians; else stays 0
  double TargetOffset = 0;         // never written: the tactical page keeps its own
  double GlideslopeDeviation = 0;  // msg 19, -1..+1
  double LocalizerDeviation = 0;   // msg 20, -1..+1
  double LeftEngineRpm = 0;        // msg 3, percent
  double RightEngineRpm = 0;       // msg 21, percent
  double RightEngineTemp = 0;      // msg 23
  double LeftEngineTemp = 0;       // msg 22
  double FuelQuantity1 = 0;        // msg 24, kg
  double FuelQuantity2 = 0;        // msg 25, kg
  double Spare26 = 0;              // msg 26, read by nothing
  double Spare27 = 0;              // msg 27, read by nothing
  double NavDistance = 0;          // msg 29, metres
  double PairLampState = 0;        // msg 31, lit at exactly 2
  double SingleLampState = 0;      // msg 32, lit at exactly 1
  double TripleLampState = 0;      // msg 33, lit at exactly 1
};

// Start-up values, assigned once after the configuration has been read and
// the listener chosen. Fields not listed keep the zero of process start.
inline void ApplyStartupValues(FlightData& d) {
  d.Bank = 0;
  d.VerticalSpeed = 0;
  d.Pitch = -0.5;
  d.LoadFactor = 1.0;
  d.AngleOfAttack = 0;
  d.Altitude = 0;
  d.IndicatedAirspeed = 0;
  d.Heading = 0;
  d.Mach = 0;
  d.BallDeflection = 0;
  d.PressureSetting = 760.0;
  d.TargetRange = -1.0;
  d.LocalizerDeviation = -1.0;
  d.GlideslopeDeviation = -1.0;
  d.LeftEngineRpm = 0;
  d.RightEngineRpm = 0;
  d.LeftEngineTemp = 0;
  d.RightEngineTemp = 0;
  d.PairLampState = 0;
  d.TripleLampState = 0;
  d.SingleLampState = 0;
}

// The numeric fields in declared order, with their message position
// (0 = not received). Used by the decoder tool and by tests.
struct FlightField {
  std::string_view name;
  double FlightData::*member;
  int position;
};

inline constexpr std::array<FlightField, 36> kFlightFields{{
    {"Altitude", &FlightData::Altitude, 1},
    {"IndicatedAirspeed", &FlightData::IndicatedAirspeed, 2},
    {"TrueAirspeed", &FlightData::TrueAirspeed, 28},
    {"Pitch", &FlightData::Pitch, 4},
    {"Bank", &FlightData::Bank, 5},
    {"Spare6", &FlightData::Spare6, 6},
    {"AngleOfAttack", &FlightData::AngleOfAttack, 7},
    {"LoadFactor", &FlightData::LoadFactor, 8},
    {"VerticalSpeed", &FlightData::VerticalSpeed, 9},
    {"Mach", &FlightData::Mach, 10},
    {"DirectorPitch", &FlightData::DirectorPitch, 11},
    {"DirectorBank", &FlightData::DirectorBank, 12},
    {"AdfBearing", &FlightData::AdfBearing, 13},
    {"RmiBearing", &FlightData::RmiBearing, 14},
    {"Heading", &FlightData::Heading, 15},
    {"BallDeflection", &FlightData::BallDeflection, 16},
    {"PressureSetting", &FlightData::PressureSetting, 17},
    {"RadarAltitude", &FlightData::RadarAltitude, 18},
    {"TargetRange", &FlightData::TargetRange, 30},
    {"TargetHeading", &FlightData::TargetHeading, 0},
    {"TargetBearing", &FlightData::TargetBearing, 0},
    {"TargetOffset", &FlightData::TargetOffset, 0},
    {"GlideslopeDeviation", &FlightData::GlideslopeDeviation, 19},
    {"LocalizerDeviation", &FlightData::LocalizerDeviation, 20},
    {"LeftEngineRpm", &FlightData::LeftEngineRpm, 3},
    {"RightEngineRpm", &FlightData::RightEngineRpm, 21},
    {"RightEngineTemp", &FlightData::RightEngineTemp, 23},
    {"LeftEngineTemp", &FlightData::LeftEngineTemp, 22},
    {"FuelQuantity1", &FlightData::FuelQuantity1, 24},
    {"FuelQuantity2", &FlightData::FuelQuantity2, 25},
    {"Spare26", &FlightData::Spare26, 26},
    {"Spare27", &FlightData::Spare27, 27},
    {"NavDistance", &FlightData::NavDistance, 29},
    {"PairLampState", &FlightData::PairLampState, 31},
    {"SingleLampState", &FlightData::SingleLampState, 32},
    {"TripleLampState", &FlightData::TripleLampState, 33},
}};

}  // namespace velmora
