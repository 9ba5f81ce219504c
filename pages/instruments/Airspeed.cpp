// The airspeed indicator's law, sprites and draw steps.
#include "pages/instruments/Airspeed.h"

#include "engine/Font.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

float calibration::AirspeedAngle(double s) {
  const double s2 = s * s, s3 = s2 * s, s4 = s3 * s, s5 = s4 * s, s6 = s5 * s, s7 = s6 * s;
  return static_cast<float>(62.555902 + 0.10355174 * s + 0.00026261974 * s2 + 2.8264123e-6 * s3 -
                            9.610696e-9 * s4 + 1.2004001e-11 * s5 - 6.7538426e-15 * s6 +
                            1.4362265e-18 * s7);
}

void Airspeed::CreateSprites(const SpriteFactory& make) {
  dial = make({"Speed", 103, 330});
  needle = make({.picture = "Speed_arrow", .x = 127, .y = 394, .centerX = 1.0f, .centerY = 1.0f});
}

void Airspeed::DrawDial(const FlightData& r) const {
  dial->Draw();
  needle->Angle = calibration::AirspeedAngle(r.IndicatedAirspeed);
  needle->Draw();
}

void Airspeed::DrawReadouts(const DrawKit& kit, const FlightData& r) const {
  kit.font(FontRole::DialReadout).TextOut(87, 325, notation::IntText(r.IndicatedAirspeed).view());
  notation::Text t = notation::IntText(r.TrueAirspeed);
  t.Append("и");
  kit.font(FontRole::Readout).TextOut(100, 535, t.view());
}

void Airspeed::DrawBox(const DrawKit& kit) const { ReadoutBox(kit, 85, 326, 135, 345); }

}  // namespace velmora
