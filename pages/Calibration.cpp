// Calibration laws of the MFD instruments (see Calibration.h).
//
// The polynomials come from fitting the needle positions of the instrument
// faces; they are evaluated term by term as written. Results that end in a
// sprite property are rounded to a single once, and the limits then act on
// that single.
#include "pages/Calibration.h"

#include <cmath>

namespace velmora::calibration {
namespace {

// Limits in the instruments' own style: upper test "> max", lower test
// "not >= min", in the order the needle logic applies them.
float LimitUpperThenLower(float v, float lo, float hi) {
  if (v > hi) v = hi;
  if (!(v >= lo)) v = lo;
  return v;
}

float LimitLowerThenUpper(float v, float lo, float hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return v;
}

}  // namespace

int WindowHeight(int width) {
  // One single-precision division, then round half to even.
  const float h = static_cast<float>(static_cast<double>(width) / 1.6);
  return static_cast<int>(std::nearbyint(h));
}

int WindowOpacity(double g) {
  if (!(g > 6.0)) return 255;
  const float product = static_cast<float>(35.0 * g);
  const float value = static_cast<float>(465.0 - static_cast<double>(product));
  // Past 93/7 g the ramp would go negative: the window is simply gone.
  if (!(value > 0.0f)) return 0;
  const double r = std::nearbyint(static_cast<double>(value));
  return r > 255.0 ? 255 : static_cast<int>(r);
}

float PitchTapeOffset(double p) {
  return static_cast<float>(-593.19343 + 5.8370516 * p - 0.00048669832 * p * p -
                            1.3963161e-5 * p * p * p + 5.0273906e-8 * p * p * p * p);
}

float DirectorPitchBarOffset(double pitch, double directorPitch) {
  const float v = static_cast<float>((pitch - directorPitch) * 6.05 + 21.333333);
  return LimitLowerThenUpper(v, kDirectorPitchBarMin, kDirectorPitchBarMax);
}

float DirectorBankBarAngle(double directorBank, double bank) {
  const float v = static_cast<float>(directorBank - bank);
  return LimitUpperThenLower(v, -kDirectorBankBarLimit, kDirectorBankBarLimit);
}

float AircraftSymbolAngle(double bank) { return static_cast<float>(bank); }

float MachStripX(double mach) { return static_cast<float>(152.78578 - 285.21076 * mach); }

float LoadFactorPointerOffset(double n) {
  return static_cast<float>(159.00291 - 15.960681 * n + 0.39736305 * n * n -
                            0.065543253 * n * n * n + 0.0029865967 * n * n * n * n);
}

float VerticalSpeedAngle(double v) {
  const float a = static_cast<float>(4.6 * v - 89.0);
  return LimitUpperThenLower(a, kVerticalSpeedAngleMin, kVerticalSpeedAngleMax);
}

float AirspeedAngle(double s) {
  const double s2 = s * s, s3 = s2 * s, s4 = s3 * s, s5 = s4 * s, s6 = s5 * s, s7 = s6 * s;
  return static_cast<float>(62.555902 + 0.10355174 * s + 0.00026261974 * s2 + 2.8264123e-6 * s3 -
                            9.610696e-9 * s4 + 1.2004001e-11 * s5 - 6.7538426e-15 * s6 +
                            1.4362265e-18 * s7);
}

float AoaAngle(double a) {
  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a;
  const float v = static_cast<float>(-10.943241 + 1.6439734 * a - 1.4096649e-5 * a2 +
                                     0.00049438464 * a3 - 1.3136679e-5 * a4);
  return LimitUpperThenLower(v, kAoaAngleMin, kAoaAngleMax);
}

float AltitudeKmAngle(double k) {
  const double k2 = k * k, k3 = k2 * k, k4 = k3 * k;
  return static_cast<float>(-50.448605 + 35.754161 * k + 0.044227566 * k2 - 0.0023464192 * k3 +
                            3.7645428e-5 * k4);
}

float AltitudeMetreAngle(double m) { return static_cast<float>(0.3604838 * m - 198.05788); }

double AltitudeKilometres(double altitudeMetres) { return altitudeMetres / 1000.0; }

double AltitudeMetresInKilometre(double altitudeMetres) {
  const double k = altitudeMetres / 1000.0;
  return (k - std::trunc(k)) * 1000.0;
}

float HsiCardAngle(double heading) { return static_cast<float>(-(360.0 - heading) - 30.0); }

float BearingNeedleAngle(float cardAngle, double bearing) {
  return static_cast<float>(360.0 - bearing + static_cast<double>(cardAngle) + 30.0);
}

double ClampDeviation(double d) {
  if (!(d >= -1.0)) d = -1.0;
  if (d > 1.0) d = 1.0;
  return d;
}

float LocalizerBarX(double deviation) { return static_cast<float>(399.66667 + 43.0 * deviation); }

float GlideslopeBarY(double deviation) { return static_cast<float>(464.0 - 45.0 * deviation); }

float BallAngle(double deflection) { return static_cast<float>(-12.0 * deflection); }

double ClampBall(double d) {
  if (d > 12.0) d = 12.0;
  if (!(d >= -12.0)) d = -12.0;
  return d;
}

bool EngineHighRegime(double leftRpm, double rightRpm) {
  return leftRpm >= kHighRegimeRpm && rightRpm >= kHighRegimeRpm;
}

float EngineNeedleAngleHigh(double r) { return static_cast<float>(88.339286 - 0.88047619 * r); }

float EngineNeedleAngleLow(double r) {
  const double r2 = r * r, r3 = r2 * r, r4 = r3 * r, r5 = r4 * r;
  if (r > 60.0) {
    return static_cast<float>(742.13231 - 43.100862 * r + 1.057997 * r2 - 0.013170207 * r3 +
                              8.1981e-5 * r4 - 2.0399531e-7 * r5);
  }
  return static_cast<float>(40.790584 - 0.36576515 * r + 0.0072897727 * r2 - 0.0002342803 * r3 +
                            3.0113636e-6 * r4 - 1.25e-8 * r5);
}

float LeftEngineNeedleAngle(double rpm, bool highRegime) {
  return highRegime ? EngineNeedleAngleHigh(rpm) : EngineNeedleAngleLow(rpm);
}

float RightEngineNeedleAngle(double rpm, bool highRegime) {
  return -LeftEngineNeedleAngle(rpm, highRegime);
}

float TemperatureSectorStartLeft(double t, bool highRegime) {
  if (highRegime) {
    return static_cast<float>(-20.384 + 0.38505556 * t - 0.00063615 * t * t + 2.74747e-7 * t * t * t);
  }
  if (t >= 600.0) return static_cast<float>(69.739286 - 0.069785714 * t);
  return static_cast<float>(47.053571 - 0.032035714 * t);
}

float TemperatureSectorStartRight(double t, bool highRegime) {
  if (highRegime) {
    return static_cast<float>(175.26652 - 0.2536431 * t + 0.00043507937 * t * t -
                              1.7710438e-7 * t * t * t);
  }
  if (t >= 600.0) return static_cast<float>(113.85952 + 0.065761905 * t);
  return static_cast<float>(135.13571 + 0.030071429 * t);
}

}  // namespace velmora::calibration
