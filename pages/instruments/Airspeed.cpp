// The airspeed indicator's law and draw steps.
#include "pages/instruments/Airspeed.h"

#include "pages/Notation.h"

namespace velmora {

float calibration::AirspeedAngle(double s) {
  const double s2 = s * s, s3 = s2 * s, s4 = s3 * s, s5 = s4 * s, s6 = s5 * s, s7 = s6 * s;
  return static_cast<float>(62.555902 + 0.10355174 * s + 0.00026261974 * s2 + 2.8264123e-6 * s3 -
                            9.610696e-9 * s4 + 1.2004001e-11 * s5 - 6.7538426e-15 * s6 +
                            1.4362265e-18 * s7);
}

namespace {
constexpr int kX = 103, kY = 330;  // the dial's top-left corner
}  // namespace

void Airspeed::DrawDial(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.DrawPicture(PictureNamed("Speed"), 0, 0);
  canvas.DrawPicture(PictureNamed("Speed_arrow"), 24, 64,
                     {.angle = calibration::AirspeedAngle(r.IndicatedAirspeed), .pivotX = 1, .pivotY = 1});
}

void Airspeed::DrawReadouts(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.Text(FontRole::DialReadout, -16, -5, notation::IntText(r.IndicatedAirspeed).view(),
              FontColor(FontRole::DialReadout));
  notation::Text t = notation::IntText(r.TrueAirspeed);
  t.Append("и");
  canvas.Text(FontRole::Readout, -3, 205, t.view(), FontColor(FontRole::Readout));
}

void Airspeed::DrawBox(Canvas& canvas) const {
  AtOrigin at(canvas, kX, kY);
  ReadoutBox(canvas, -18, -4, 32, 15);
}

}  // namespace velmora
