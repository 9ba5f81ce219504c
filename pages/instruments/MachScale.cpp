// The Mach scale's law and draw steps.
#include "pages/instruments/MachScale.h"

#include "pages/Notation.h"

namespace velmora {

float calibration::MachStripX(double mach) { return static_cast<float>(152.78578 - 285.21076 * mach); }

namespace {
constexpr int kY = 392;  // the strip's row; it moves sideways
}  // namespace

void MachScale::DrawStrip(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 0, kY);
  canvas.DrawPicture(PictureNamed("Mach_meter"), calibration::MachStripX(r.Mach), 0);
}

void MachScale::DrawReadout(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 0, kY);
  canvas.Text(FontRole::SmallReadout, 87, -33, notation::FixedText(r.Mach, 2).view(),
              FontColor(FontRole::SmallReadout));
}

}  // namespace velmora
