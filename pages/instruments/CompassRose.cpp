// The compass rose's sprite and draw steps.
#include "pages/instruments/CompassRose.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

void CompassRose::CreateSprites(const SpriteFactory& make) { rose = make({"Tactic_Compass", 6, 145}); }

void CompassRose::DrawRose() const { rose->Draw(); }

void CompassRose::TurnAndDrawReadout(const DrawKit& kit, const FlightData& r) const {
  // Set after drawing, so the rose shows the heading of the previous
  // tactical frame.
  rose->CenterX = 0.5f;
  rose->CenterY = 0.5f;
  rose->Angle = static_cast<float>(r.Heading);

  // Single precision decides the digit (1e-8 reads 360).
  kit.fonts.dialReadout->TextOut(385, 120, notation::IntText(std::trunc(notation::F32(360.0 - r.Heading))).view());

  kit.primitives->Filled = false;
  kit.primitives->Rectangle(ColorToARGB(0x67394710), 380, 117, 48, 25);
  ReadoutBox(kit, 380, 117, 428, 142);
}

}  // namespace velmora
