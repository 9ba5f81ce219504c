// The attitude indicator's laws and draw steps.
#include "pages/instruments/Attitude.h"


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

namespace {
constexpr int kX = 275, kY = 16;  // the pitch tape's top-left corner at rest
}  // namespace

void Attitude::DrawPitchTape(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.DrawPicture(PictureNamed("ADI_pitch"), 0, cal::PitchTapeOffset(r.Pitch));
}

void Attitude::DrawPitchBar(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  AtOrigin bar(canvas, 98, 190);  // the bar's rest place: the offset moves it from there
  canvas.DrawPicture(PictureNamed("DRP"), 0, cal::DirectorPitchBarOffset(r.Pitch, r.DirectorPitch));
}

void Attitude::DrawBankLabels(Canvas& canvas) const {
  AtOrigin at(canvas, kX, kY);
  const Argb white = FontColor(FontRole::BankLabel);
  canvas.Text(FontRole::BankLabel, 184, 317, "60", white);
  canvas.Text(FontRole::BankLabel, 58, 317, "60", white);
  canvas.Text(FontRole::BankLabel, 5, 271, "30", white);
  canvas.Text(FontRole::BankLabel, 237, 271, "30", white);
}

void Attitude::DrawBankBarAndSymbol(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.DrawPicture(PictureNamed("DRB"), 127, 190,
                     {.angle = cal::DirectorBankBarAngle(r.DirectorBank, r.Bank), .pivotX = 0.5f, .pivotY = 1});
  canvas.DrawPicture(PictureNamed("Plane"), -319, 0,
                     {.angle = cal::AircraftSymbolAngle(r.Bank), .pivotX = 0.5f, .pivotY = 0.75f, .scaleX = 0.26f,
                      .scaleY = 0.26f});
}

}  // namespace velmora
