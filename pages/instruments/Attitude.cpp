// The attitude indicator's laws, sprites and draw steps.
#include "pages/instruments/Attitude.h"

#include "engine/Font.h"
#include "engine/Sprite.h"

namespace velmora {

namespace calibration {

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

}  // namespace calibration

namespace cal = calibration;

void Attitude::CreateSprites(const SpriteFactory& make) {
  pitchTape = make({"ADI_pitch", 275, 16});
  pitchBar = make({"DRP", 373, 206});
  bankBar = make({.picture = "DRB", .x = 402, .y = 206, .centerX = 0.5f, .centerY = 1.0f});
  symbol = make({.picture = "Plane", .x = -44, .y = 16, .scaleX = 0.26f, .scaleY = 0.26f, .centerX = 0.5f,
                 .centerY = 0.75f});
}

void Attitude::DrawPitchTape(const FlightData& r) const {
  pitchTape->OffsetY = cal::PitchTapeOffset(r.Pitch);
  pitchTape->Draw();
}

void Attitude::DrawPitchBar(const FlightData& r) const {
  pitchBar->OffsetY = cal::DirectorPitchBarOffset(r.Pitch, r.DirectorPitch);
  pitchBar->Draw();
}

void Attitude::DrawBankLabels(const DrawKit& kit) const {
  kit.font(FontRole::BankLabel).TextOut(459, 333, "60");
  kit.font(FontRole::BankLabel).TextOut(333, 333, "60");
  kit.font(FontRole::BankLabel).TextOut(280, 287, "30");
  kit.font(FontRole::BankLabel).TextOut(512, 287, "30");
}

void Attitude::DrawBankBarAndSymbol(const FlightData& r) const {
  bankBar->Angle = cal::DirectorBankBarAngle(r.DirectorBank, r.Bank);
  bankBar->Draw();
  symbol->Angle = cal::AircraftSymbolAngle(r.Bank);
  symbol->Draw();
}

}  // namespace velmora
