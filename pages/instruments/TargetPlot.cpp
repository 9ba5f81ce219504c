// The target plot's laws and draw step.
#include "pages/instruments/TargetPlot.h"

#include <cmath>


namespace velmora {

bool calibration::HasTarget(double range) { return !(range == -1 || std::isnan(range)); }

double calibration::TargetOffset(double range) { return range < 10000 ? range / 29 : range / 60; }

bool TargetPlot::Draw(Canvas& canvas, const FlightData& r, int ownX, int ownY) {
  const double range = r.TargetRange;
  if (!calibration::HasTarget(range)) return false;
  offset_ = calibration::TargetOffset(range);
  const bool near = range < 10000;
  // The symbol's top-left corner from the own aircraft's, in double precision.
  const double x0 = ownX, y0 = ownY;
  const float x = static_cast<float>(std::sin(r.TargetBearing) * offset_ + x0 + 8);
  const float y = static_cast<float>(y0 - std::cos(r.TargetBearing) * offset_ + 20);
  const PictureTurn turn{.angle = static_cast<float>(r.Heading - r.TargetHeading), .scaleX = 0.25f, .scaleY = 0.25f};
  AtOrigin at(canvas, ownX, ownY);
  const Argb ink = FontColor(FontRole::DialReadout);
  canvas.Text(FontRole::DialReadout, -144, 30, near ? "5" : "10", ink);
  canvas.Text(FontRole::DialReadout, 178, 30, near ? "5" : "10", ink);
  canvas.Text(FontRole::DialReadout, -294, 30, near ? "10" : "20", ink);
  canvas.Text(FontRole::DialReadout, 318, 30, near ? "10" : "20", ink);
  canvas.Translate(-ownX, -ownY);  // the symbol's place is a page place
  canvas.DrawPicture(PictureNamed("Map_Plane"), x, y, turn);
  return true;
}

}  // namespace velmora
