// The fuel readout's draw step.
#include "pages/instruments/Fuel.h"

#include "engine/Font.h"
#include "engine/Screen.h"
#include "pages/Notation.h"

namespace velmora {

void Fuel::Draw(const DrawKit& kit, const FlightData& r) const {
  // Single precision decides the sum, as it decides the figure.
  const float sum = notation::F32(r.FuelQuantity1 + r.FuelQuantity2);
  // The red stays on the font until the G readout of the next frame sets
  // its colour again.
  if (!(sum >= calibration::kLowFuelKg)) kit.font(FontRole::SmallReadout).SetColor(MakeColor(255, 0, 0, 255));
  kit.font(FontRole::Caption).TextOut(797, 361, "Топливо:");
  notation::Text t = notation::FixedText(sum, 0);
  t.Append(" кг");
  kit.font(FontRole::SmallReadout).TextOut(797, 381, t.view());
}

}  // namespace velmora
