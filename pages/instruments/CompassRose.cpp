// The compass rose's draw steps.
#include "pages/instruments/CompassRose.h"

#include <cmath>

#include "pages/Notation.h"

namespace velmora {

void CompassRose::DrawRose(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 6, 145);  // the rose's top-left corner
  canvas.DrawPicture(PictureNamed("Tactic_Compass"), 0, 0,
                     {.angle = static_cast<float>(r.Heading), .pivotX = 0.5f, .pivotY = 0.5f});
}

void CompassRose::DrawReadout(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 380, 117);  // the readout's box
  // Single precision decides the digit (1e-8 reads 360).
  canvas.Text(FontRole::DialReadout, 5, 3, notation::IntText(std::trunc(notation::F32(360.0 - r.Heading))).view(),
              FontColor(FontRole::DialReadout));
  canvas.StrokeRect(0x67394710u, 0, 0, 48, 25);  // translucent outline
  ReadoutBox(canvas, 0, 0, 48, 25);
}

}  // namespace velmora
