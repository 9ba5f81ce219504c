// The flight page, back to front. Moving artwork that must show only inside
// an instrument's window (pitch tape, Mach strip, pitch-director bar,
// temperature sectors) goes first; the frame image covers everything outside
// its windows; dials, needles and readouts follow on top.
#include "pages/FlightPage.h"

#include "engine/Sprite.h"

namespace velmora {

void FlightPage::CreateSprites(const SpriteFactory& make) {
  attitude.CreateSprites(make);
  frame = make({"Main_minus_ADI", 0, 0});
  airspeed.CreateSprites(make);
  verticalSpeed.CreateSprites(make);
  loadFactor.CreateSprites(make);
  angleOfAttack.CreateSprites(make);
  altimeter.CreateSprites(make);
  hsi.CreateSprites(make);
  ball.CreateSprites(make);
  mach.CreateSprites(make);
  engines.CreateSprites(make);
  lamps.CreateSprites(make);
}

void FlightPage::Draw(const DrawKit& kit, const FlightData& r) {
  attitude.DrawPitchTape(r);
  mach.DrawStrip(r);
  attitude.DrawPitchBar(r);
  engines.DrawTemperatureSectors(kit, r);
  frame->Draw();
  attitude.DrawBankLabels(kit);
  loadFactor.Draw(kit, r);
  attitude.DrawBankBarAndSymbol(r);
  verticalSpeed.Draw(kit, r);
  airspeed.DrawDial(r);
  airspeed.DrawReadouts(kit, r);
  altimeter.DrawReadouts(kit, r);
  airspeed.DrawBox(kit);
  altimeter.DrawBox(kit);
  mach.DrawReadout(kit, r);
  angleOfAttack.Draw(r);
  altimeter.DrawDial(kit, r);
  hsi.DrawDeviationBars(kit, r);
  hsi.DrawCard(r);
  ball.Draw(r);
  hsi.DrawDistance(kit, r);
  engines.DrawSpeedReadouts(kit, r);
  fuel.Draw(kit, r);
  engines.DrawDialAndNeedles(r);
  engines.DrawTemperatureReadouts(kit, r);
  lamps.Draw(kit, r);
}

}  // namespace velmora
