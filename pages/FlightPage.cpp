// The flight page, back to front. Moving artwork that must show only inside
// an instrument's window (pitch tape, Mach strip, pitch-director bar,
// temperature sectors) goes first; the frame image covers everything outside
// its windows; dials, needles and readouts follow on top.
#include "pages/FlightPage.h"

namespace velmora {

void FlightPage::Draw(Canvas& canvas, const FlightData& r) {
  attitude.DrawPitchTape(canvas, r);
  mach.DrawStrip(canvas, r);
  attitude.DrawPitchBar(canvas, r);
  engines.DrawTemperatureSectors(canvas, r);
  canvas.DrawPicture(PictureNamed("Main_minus_ADI"), 0, 0);  // the page's face, with its windows
  attitude.DrawBankLabels(canvas);
  loadFactor.Draw(canvas, r);
  attitude.DrawBankBarAndSymbol(canvas, r);
  verticalSpeed.Draw(canvas, r);
  airspeed.DrawDial(canvas, r);
  airspeed.DrawReadouts(canvas, r);
  altimeter.DrawReadouts(canvas, r);
  airspeed.DrawBox(canvas);
  altimeter.DrawBox(canvas);
  mach.DrawReadout(canvas, r);
  angleOfAttack.Draw(canvas, r);
  altimeter.DrawDial(canvas, r);
  hsi.DrawDeviationBars(canvas, r);
  hsi.DrawCard(canvas, r);
  ball.Draw(canvas, r);
  hsi.DrawDistance(canvas, r);
  engines.DrawSpeedReadouts(canvas, r);
  fuel.Draw(canvas, r);
  engines.DrawDialAndNeedles(canvas, r);
  engines.DrawTemperatureReadouts(canvas, r);
  lamps.Draw(canvas, r);
}

}  // namespace velmora
