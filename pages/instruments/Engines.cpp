// The engines' laws and draw steps.
#include "pages/instruments/Engines.h"

#include <cstdint>

#include "pages/Notation.h"

namespace velmora {

namespace calibration {

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

float RightEngineNeedleAngle(double rpm, bool highRegime) { return -LeftEngineNeedleAngle(rpm, highRegime); }

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

}  // namespace calibration

namespace cal = calibration;

namespace {

constexpr Argb kRed = MakeArgb(255, 0, 0);
constexpr Argb kGreen = MakeArgb(0, 255, 0);
constexpr int kX = 730, kY = 155;  // the low-regime dial's top-left corner

bool OverSpeed(double rpm) { return rpm > 100; }

// An engine's speed readout: the afterburner letter above 100 %, else the
// figure; and its box.
void SpeedReadout(Canvas& canvas, double rpm, int letterX, int numberX) {
  if (OverSpeed(rpm)) {
    canvas.Text(FontRole::EngineSpeed, letterX, -40, "Ф", MakeArgb(0, 200, 81));
  } else {
    canvas.Text(FontRole::EngineSpeed, numberX, -40, notation::RoundText(rpm).view(), kBlack);
  }
}

}  // namespace

void Engines::DrawTemperatureSectors(Canvas& canvas, const FlightData& r) const {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  AtOrigin at(canvas, kX, kY);
  constexpr float x = static_cast<float>(kX), y = static_cast<float>(kY);
  canvas.FillSector(OverSpeed(r.LeftEngineRpm) ? kRed : kGreen, cal::kLeftSectorCenterX - x,
                    cal::kLeftSectorCenterY - y, cal::kSectorRadius,
                    cal::TemperatureSectorStartLeft(r.LeftEngineTemp, high), cal::kLeftSectorEnd);
  canvas.FillSector(OverSpeed(r.RightEngineRpm) ? kRed : kGreen, cal::kRightSectorCenterX - x,
                    cal::kRightSectorCenterY - y, cal::kSectorRadius,
                    cal::TemperatureSectorStartRight(r.RightEngineTemp, high), cal::kRightSectorEnd);
}

void Engines::DrawSpeedReadouts(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  SpeedReadout(canvas, r.LeftEngineRpm, 42, 39);
  SpeedReadout(canvas, r.RightEngineRpm, 130, 128);
  ReadoutBox(canvas, 35, -40, 70, -18);
  ReadoutBox(canvas, 125, -40, 160, -18);
}

void Engines::DrawDialAndNeedles(Canvas& canvas, const FlightData& r) const {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  AtOrigin at(canvas, kX, kY);
  if (high) {
    canvas.DrawPicture(PictureNamed("Engine_Fon_2"), 10, 0);
  } else {
    canvas.DrawPicture(PictureNamed("Engine_Fon"), 0, 0);
  }
  // A needle turns red with its engine above 100 %.
  canvas.DrawPicture(OverSpeed(r.RightEngineRpm) ? PictureNamed("Engine_Right_Arrow_Red")
                                                 : PictureNamed("Engine_Right_Arrow"),
                     175, 25,
                     {.angle = cal::RightEngineNeedleAngle(r.RightEngineRpm, high), .pivotX = 1, .pivotY = 0.5f,
                      .scaleX = 1.2f, .scaleY = 1.2f});
  canvas.DrawPicture(OverSpeed(r.LeftEngineRpm) ? PictureNamed("Engine_Left_Arrow_Red")
                                                : PictureNamed("Engine_Left_Arrow"),
                     -228, 25,
                     {.angle = cal::LeftEngineNeedleAngle(r.LeftEngineRpm, high), .pivotX = 0, .pivotY = 0.5f,
                      .scaleX = 1.2f, .scaleY = 1.2f});
}

void Engines::DrawTemperatureReadouts(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  const Argb ink = FontColor(FontRole::DialReadout);
  canvas.Text(FontRole::DialReadout, 18, 54, "T", ink);
  canvas.Text(FontRole::DialReadout, 163, 54, "T", ink);
  canvas.Text(FontRole::DialReadout, -10, 80, notation::IntText(r.LeftEngineTemp).view(), ink);
  canvas.Text(FontRole::DialReadout, 170, 80, notation::IntText(r.RightEngineTemp).view(), ink);
  canvas.Box({-18, 75, 30, 102}, false, -2, kBlack);
  canvas.Box({162, 75, 210, 102}, false, -2, kBlack);
}

}  // namespace velmora
