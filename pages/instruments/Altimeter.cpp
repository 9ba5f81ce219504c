// The altimeter's laws, sprites and draw steps.
#include "pages/instruments/Altimeter.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

namespace calibration {

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

}  // namespace calibration

namespace cal = calibration;
using notation::IntText;
using notation::Text;

void Altimeter::CreateSprites(const SpriteFactory& make) {
  dial = make({"Alt", 488, 335});
  kmNeedle = make({.picture = "Alt_KM", .x = 592, .y = 402, .centerX = 0.1f, .centerY = 0.9f});
  metreNeedle = make({.picture = "Alt_M", .x = 568, .y = 436, .centerX = 0.82f, .centerY = 0.05f});
}

void Altimeter::DrawReadouts(const DrawKit& kit, const FlightData& r) const {
  kit.font(FontRole::DialReadout).TextOut(657, 325, IntText(r.Altitude).view());
  Text t = IntText(r.RadarAltitude);
  t.Append("p");
  kit.font(FontRole::RadarAltitude).TextOut(645, 535, t.view());
}

void Altimeter::DrawBox(const DrawKit& kit) const { ReadoutBox(kit, 655, 326, 715, 345); }

void Altimeter::DrawDial(const DrawKit& kit, const FlightData& r) const {
  dial->Draw();
  Text t("P");
  t.Append(notation::FixedText(r.PressureSetting, 1).view());
  kit.font(FontRole::SmallReadout).TextOut(570, 475, t.view());
  // Single precision decides the kilometre digit: 2999.9999 m reads 3.
  kit.font(FontRole::DialReadout).TextOut(547, 425, IntText(std::trunc(notation::F32(r.Altitude / 1000.0))).view());
  ReadoutBox(kit, 540, 426, 574, 445);
  kmNeedle->Angle = cal::AltitudeKmAngle(cal::AltitudeKilometres(r.Altitude));
  kmNeedle->Draw();
  metreNeedle->Angle = cal::AltitudeMetreAngle(cal::AltitudeMetresInKilometre(r.Altitude));
  metreNeedle->Draw();
}

}  // namespace velmora
