// The fuel readout's draw step.
#include "pages/instruments/Fuel.h"

#include "pages/Notation.h"

namespace velmora {

void Fuel::Draw(Canvas& canvas, const FlightData& r) const {
  // Single precision decides the sum, as it decides the figure.
  const float sum = notation::F32(r.FuelQuantity1 + r.FuelQuantity2);
  const Argb ink = sum >= calibration::kLowFuelKg ? FontColor(FontRole::SmallReadout) : MakeArgb(255, 0, 0);
  AtOrigin at(canvas, 797, 361);  // the caption's top-left corner
  canvas.Text(FontRole::Caption, 0, 0, "Топливо:", FontColor(FontRole::Caption));
  notation::Text t = notation::FixedText(sum, 0);
  t.Append(" кг");
  canvas.Text(FontRole::SmallReadout, 0, 20, t.view(), ink);
}

}  // namespace velmora
