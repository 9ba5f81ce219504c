// The HSI's laws and draw steps.
#include "pages/instruments/Hsi.h"

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

namespace {
constexpr int kX = 318, kY = 380;  // the card's top-left corner
}  // namespace

void Hsi::DrawDeviationBars(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.DrawPicture(PictureNamed("HSI_fon"), 32, 35);
  // The laws give page pixels; taking the origin off them is exact here.
  const float localizerX = cal::LocalizerBarX(cal::ClampDeviation(r.LocalizerDeviation)) - static_cast<float>(kX);
  const float glideslopeY = cal::GlideslopeBarY(cal::ClampDeviation(r.GlideslopeDeviation)) - static_cast<float>(kY);
  canvas.FillRect(kBlack, localizerX, 37, 4, 100);
  canvas.FillRect(kBlack, 37, glideslopeY, 100, 4);
}

void Hsi::DrawCard(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  const float card = cal::HsiCardAngle(r.Heading);
  canvas.DrawPicture(PictureNamed("HSI_compass"), 0, 0, {.angle = card, .pivotX = 0.5f, .pivotY = 0.5f});
  // The needles turn with the card as drawn, single rounding included.
  canvas.DrawPicture(PictureNamed("ADF"), 78, 4,
                     {.angle = cal::BearingNeedleAngle(card, r.AdfBearing), .pivotX = 0.5f, .pivotY = 0.5f});
  canvas.DrawPicture(PictureNamed("RMI"), 77, 4,
                     {.angle = cal::BearingNeedleAngle(card, r.RmiBearing), .pivotX = 0.5f, .pivotY = 0.5f});
}

void Hsi::DrawDistance(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  notation::Text t("Д ");
  t.Append(notation::FixedText(notation::F32(r.NavDistance / 1000.0), 1).view());
  t.Append(" км");
  canvas.Text(FontRole::Readout, 142, 163, t.view(), FontColor(FontRole::Readout));
}

}  // namespace velmora
