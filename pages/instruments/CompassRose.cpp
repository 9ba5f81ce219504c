// The compass rose's sprite and draw steps.
#include "pages/instruments/CompassRose.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

void CompassRose::CreateSprites(const SpriteFactory& make) {
  rose = make({.picture = "Tactic_Compass", .x = 6, .y = 145, .centerX = 0.5f, .centerY = 0.5f});
}

void CompassRose::DrawRose(const FlightData& r) const {
  rose->Angle = static_cast<float>(r.Heading);
  rose->Draw();
}

void CompassRose::DrawReadout(const DrawKit& kit, const FlightData& r) const {
  // Single precision decides the digit (1e-8 reads 360).
  kit.font(FontRole::DialReadout).TextOut(385, 120, notation::IntText(std::trunc(notation::F32(360.0 - r.Heading))).view());

  kit.primitives->Filled = false;
  kit.primitives->Rectangle(ColorToARGB(0x67394710), 380, 117, 48, 25);
  ReadoutBox(kit, 380, 117, 428, 142);
}

}  // namespace velmora
