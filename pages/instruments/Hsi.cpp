// The HSI's laws, sprites and draw steps.
#include "pages/instruments/Hsi.h"

#include "engine/Font.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

namespace calibration {

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

}  // namespace calibration

namespace cal = calibration;

void Hsi::CreateSprites(const SpriteFactory& make) {
  card = make({.picture = "HSI_compass", .x = 318, .y = 380, .centerX = 0.5f, .centerY = 0.5f});
  adfNeedle = make({.picture = "ADF", .x = 396, .y = 384, .centerX = 0.5f, .centerY = 0.5f});
  rmiNeedle = make({.picture = "RMI", .x = 395, .y = 384, .centerX = 0.5f, .centerY = 0.5f});
  background = make({"HSI_fon", 350, 415});
}

void Hsi::DrawDeviationBars(const DrawKit& kit, const FlightData& r) const {
  background->Draw();
  kit.primitives->Filled = true;
  kit.primitives->Rectangle(ColorToARGB(0), cal::LocalizerBarX(cal::ClampDeviation(r.LocalizerDeviation)), 417, 4,
                            100);
  kit.primitives->Rectangle(ColorToARGB(0), 355, cal::GlideslopeBarY(cal::ClampDeviation(r.GlideslopeDeviation)),
                            100, 4);
}

void Hsi::DrawCard(const FlightData& r) const {
  card->Angle = cal::HsiCardAngle(r.Heading);
  card->Draw();
  // The needles turn with the card as stored, single rounding included.
  const float k = card->Angle;
  adfNeedle->Angle = cal::BearingNeedleAngle(k, r.AdfBearing);
  adfNeedle->Draw();
  rmiNeedle->Angle = cal::BearingNeedleAngle(k, r.RmiBearing);
  rmiNeedle->Draw();
}

void Hsi::DrawDistance(const DrawKit& kit, const FlightData& r) const {
  notation::Text t("Д ");
  t.Append(notation::FixedText(notation::F32(r.NavDistance / 1000.0), 1).view());
  t.Append(" км");
  kit.font(FontRole::Readout).TextOut(460, 543, t.view());
}

}  // namespace velmora
