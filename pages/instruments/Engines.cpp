// The engines' laws, sprites and draw steps.
#include "pages/instruments/Engines.h"

#include <cstdint>

#include "engine/Font.h"
#include "engine/PictureList.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
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

constexpr std::uint32_t Red() { return 0xFFFF0000u; }    // MakeColor(255, 0, 0, 255)
constexpr std::uint32_t Green() { return 0xFF00FF00u; }  // MakeColor(0, 255, 0, 255)

bool OverSpeed(double rpm) { return rpm > 100; }

}  // namespace

void Engines::CreateSprites(const SpriteFactory& make) {
  lowRegimeDial = make({"Engine_Fon", 730, 155});
  highRegimeDial = make({"Engine_Fon_2", 740, 155});
  leftNeedle = make({.picture = "Engine_Left_Arrow", .x = 502, .y = 180, .scaleX = 1.2f, .scaleY = 1.2f,
                     .centerX = 0.0f, .centerY = 0.5f});
  rightNeedle = make({.picture = "Engine_Right_Arrow", .x = 905, .y = 180, .scaleX = 1.2f, .scaleY = 1.2f,
                      .centerX = 1.0f, .centerY = 0.5f});
  left_ = {make.Pictures().Find("Engine_Left_Arrow"), make.Pictures().Find("Engine_Left_Arrow_Red")};
  right_ = {make.Pictures().Find("Engine_Right_Arrow"), make.Pictures().Find("Engine_Right_Arrow_Red")};
}

void Engines::DrawTemperatureSectors(const DrawKit& kit, const FlightData& r) const {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  kit.primitives->Filled = true;
  kit.primitives->Arc(OverSpeed(r.LeftEngineRpm) ? Red() : Green(), true, cal::kLeftSectorCenterX,
                      cal::kLeftSectorCenterY, cal::kSectorRadius,
                      cal::TemperatureSectorStartLeft(r.LeftEngineTemp, high), cal::kLeftSectorEnd);
  kit.primitives->Arc(OverSpeed(r.RightEngineRpm) ? Red() : Green(), true, cal::kRightSectorCenterX,
                      cal::kRightSectorCenterY, cal::kSectorRadius,
                      cal::TemperatureSectorStartRight(r.RightEngineTemp, high), cal::kRightSectorEnd);
}

void Engines::SpeedReadout(const DrawKit& kit, Sprite* needle, const NeedlePictures& pictures, double rpm,
                           int letterX, int numberX) const {
  Font& font = kit.font(FontRole::EngineSpeed);
  if (OverSpeed(rpm)) {
    needle->SetImage(pictures.red);
    font.SetColor(MakeColor(0, 200, 81, 255));
    font.TextOut(letterX, 115, "Ф");
  } else {
    needle->SetImage(pictures.normal);
    font.SetColor(MakeColor(0, 0, 0, 255));
    font.TextOut(numberX, 115, notation::RoundText(rpm).view());
  }
}

void Engines::DrawSpeedReadouts(const DrawKit& kit, const FlightData& r) const {
  SpeedReadout(kit, leftNeedle, left_, r.LeftEngineRpm, 772, 769);
  SpeedReadout(kit, rightNeedle, right_, r.RightEngineRpm, 860, 858);
  ReadoutBox(kit, 765, 115, 800, 137);
  ReadoutBox(kit, 855, 115, 890, 137);
}

void Engines::DrawDialAndNeedles(const FlightData& r) const {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  (high ? highRegimeDial : lowRegimeDial)->Draw();
  leftNeedle->Angle = cal::LeftEngineNeedleAngle(r.LeftEngineRpm, high);
  rightNeedle->Angle = cal::RightEngineNeedleAngle(r.RightEngineRpm, high);
  rightNeedle->Draw();
  leftNeedle->Draw();
}

void Engines::DrawTemperatureReadouts(const DrawKit& kit, const FlightData& r) const {
  Font& font = kit.font(FontRole::DialReadout);
  font.TextOut(748, 209, "T");
  font.TextOut(893, 209, "T");
  font.TextOut(720, 235, notation::IntText(r.LeftEngineTemp).view());
  font.TextOut(900, 235, notation::IntText(r.RightEngineTemp).view());
  kit.screen->DrawRect(712, 230, 760, 257, false, -2, 0, 0, 0);
  kit.screen->DrawRect(892, 230, 940, 257, false, -2, 0, 0, 0);
}

}  // namespace velmora
