// The Mach scale's law, sprite and draw steps.
#include "pages/instruments/MachScale.h"

#include "engine/Font.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

float calibration::MachStripX(double mach) { return static_cast<float>(152.78578 - 285.21076 * mach); }

void MachScale::CreateSprites(const SpriteFactory& make) { strip = make({"Mach_meter", 0, 392}); }

void MachScale::DrawStrip(const FlightData& r) const {
  strip->SetX(calibration::MachStripX(r.Mach));
  strip->Draw();
}

void MachScale::DrawReadout(const DrawKit& kit, const FlightData& r) const {
  kit.font(FontRole::SmallReadout).TextOut(87, 359, notation::FixedText(r.Mach, 2).view());
}

}  // namespace velmora
