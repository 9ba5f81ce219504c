// The altimeter's laws and draw steps.
#include "pages/instruments/Altimeter.h"

#include <cmath>

#include "pages/Notation.h"

namespace velmora {

namespace calibration {

float AltitudeKmAngle(double k) {
  const double k2 = k * k, k3 = k2 * k, k4 = k3 * k;
  return static_cast<float>(-50.448605 + 35.754161 * k + 0.044227566 * k2 - 0.0023464192 * k3 +
                            3.7645428e-5 * k4);
}

float AltitudeMetreAngle(double m) { return static_cast<float>(0.3604838 * m - 198.05788); }

double AltitudeKilometres(double altitudeMetres) { return altitudeMetres / 1000.0; }

double AltitudeMetresInKilometre(double altitudeMetres) {
  const double k = altitudeMetres / 1000.0;
  return (k - std::trunc(k)) * 1000.0;
}

}  // namespace calibration

namespace cal = calibration;
using notation::IntText;
using notation::Text;

namespace {
constexpr int kX = 488, kY = 335;  // the dial's top-left corner
}  // namespace

void Altimeter::DrawReadouts(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.Text(FontRole::DialReadout, 169, -10, IntText(r.Altitude).view(), FontColor(FontRole::DialReadout));
  Text t = IntText(r.RadarAltitude);
  t.Append("p");
  canvas.Text(FontRole::RadarAltitude, 157, 200, t.view(), FontColor(FontRole::RadarAltitude));
}

void Altimeter::DrawBox(Canvas& canvas) const {
  AtOrigin at(canvas, kX, kY);
  ReadoutBox(canvas, 167, -9, 227, 10);
}

void Altimeter::DrawDial(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, kX, kY);
  canvas.DrawPicture(PictureNamed("Alt"), 0, 0);
  Text t("P");
  t.Append(notation::FixedText(r.PressureSetting, 1).view());
  canvas.Text(FontRole::SmallReadout, 82, 140, t.view(), FontColor(FontRole::SmallReadout));
  // Single precision decides the kilometre digit: 2999.9999 m reads 3.
  canvas.Text(FontRole::DialReadout, 59, 90, IntText(std::trunc(notation::F32(r.Altitude / 1000.0))).view(),
              FontColor(FontRole::DialReadout));
  ReadoutBox(canvas, 52, 91, 86, 110);
  canvas.DrawPicture(PictureNamed("Alt_KM"), 104, 67,
                     {.angle = cal::AltitudeKmAngle(cal::AltitudeKilometres(r.Altitude)), .pivotX = 0.1f,
                      .pivotY = 0.9f});
  canvas.DrawPicture(PictureNamed("Alt_M"), 80, 101,
                     {.angle = cal::AltitudeMetreAngle(cal::AltitudeMetresInKilometre(r.Altitude)),
                      .pivotX = 0.82f, .pivotY = 0.05f});
}

}  // namespace velmora
