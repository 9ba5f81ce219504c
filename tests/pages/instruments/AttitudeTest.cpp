// The attitude indicator's, Mach scale's and G meter's laws.
#include "LawCheck.h"
#include "pages/instruments/Attitude.h"
#include "pages/instruments/LoadFactorMeter.h"
#include "pages/instruments/MachScale.h"

namespace velmora::calibration {
namespace {

using test::kNaN;

TEST(AttitudeLaws, TapeBarsSymbolStripAndPointer) {
  test::CheckLaws({
      {"tape p=0", [] { return PitchTapeOffset(0); }, -593.193, 0.001},
      {"tape p=30", [] { return PitchTapeOffset(30); }, -418.856, 0.001},
      {"tape p=-30", [] { return PitchTapeOffset(-30); }, -768.325, 0.001},
      {"tape start-up p=-0.5", [] { return PitchTapeOffset(-0.5); }, -596.11208, 0.0001},
      {"mach 1", [] { return MachStripX(1.0); }, -132.42498, 0.0001},
      {"mach 0", [] { return MachStripX(0.0); }, 152.78578, 0.0001},
      {"DRP start-up", [] { return DirectorPitchBarOffset(-0.5, 0.0); }, 18.308333, 1e-5},
      {"DRP level", [] { return DirectorPitchBarOffset(5, 5); }, 21.333333, 1e-5},
      {"DRP upper stop", [] { return DirectorPitchBarOffset(20, 0); }, 88, 0},
      {"DRP lower stop", [] { return DirectorPitchBarOffset(-20, 0); }, -48, 0},
      {"DRP NaN pitch", [] { return DirectorPitchBarOffset(kNaN, 0); }, -48, 0},
      {"DRP NaN director", [] { return DirectorPitchBarOffset(0, kNaN); }, -48, 0},
      {"DRB inside", [] { return DirectorBankBarAngle(10, -5); }, 15, 0},
      {"DRB upper", [] { return DirectorBankBarAngle(50, 0); }, 30, 0},
      {"DRB lower", [] { return DirectorBankBarAngle(0, 45); }, -30, 0},
      {"DRB NaN", [] { return DirectorBankBarAngle(kNaN, 0); }, -30, 0},
      {"plane bank", [] { return AircraftSymbolAngle(-33.5); }, -33.5, 0},
      {"G 1", [] { return LoadFactorPointerOffset(1); }, 143.377, 0.001},
      {"G 5", [] { return LoadFactorPointerOffset(5); }, 82.807, 0.001},
      {"G 9", [] { return LoadFactorPointerOffset(9); }, 19.357, 0.001},
  });
}

}  // namespace
}  // namespace velmora::calibration
