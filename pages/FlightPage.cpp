// The flight page, back to front. Moving artwork that must show only inside
// an instrument's window (pitch tape, Mach strip, pitch-director bar,
// temperature sectors) goes first; the frame image covers everything outside
// its windows; dials, needles and readouts follow on top.
#include "pages/FlightPage.h"
#include "pages/EngineGauges.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/Font.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Calibration.h"
#include "pages/Notation.h"

namespace velmora {

using notation::F32;
using notation::FixedText;
using notation::IntText;
using notation::Text;
namespace cal = calibration;

namespace {

void Box(const Instruments& ins, int x1, int y1, int x2, int y2) {
  ins.screen->DrawRect(x1, y1, x2, y2, false, 2, 0, 0, 0);
}

// The G readout rides with the pointer: the integer part and a "." beside
// the pointer, the tenths digit a little lower in the second font.
void LoadFactorReadout(const Instruments& ins, double n) {
  ins.smallReadoutFont->SetColor(MakeColor(50, 60, 50, 255));
  const double y0 = notation::RoundHalfEven(ins.LoadFactorPointerSprite->OffsetY);
  // Far beyond any real G load the position no longer fits the screen's
  // integer coordinates: leave the readout out rather than fail the frame.
  if (!(y0 + 77 <= std::numeric_limits<std::int32_t>::max() && y0 + 71 >= std::numeric_limits<std::int32_t>::min()))
    return;
  const int y = static_cast<int>(y0);
  Text whole = IntText(n);
  whole.Append(".");
  ins.loadFactorFont->TextOut(83, y + 71, whole.view());
  // Single precision decides the digit: 2.3 g must read 2. and 3.
  const float f = F32(n - std::trunc(n));
  const float t = F32(static_cast<double>(f) * 10.0);
  ins.smallReadoutFont->TextOut(103, y + 77, IntText(std::trunc(t)).view());
}

}  // namespace

void DrawFlightPage(const Instruments& ins, FlightData& r) {
  // 1. Pitch tape.
  ins.AdiPitchSprite->OffsetY = cal::PitchTapeOffset(r.Pitch);
  ins.AdiPitchSprite->Draw();
  // 2. Mach strip.
  ins.MachScaleSprite->SetX(cal::MachStripX(r.Mach));
  ins.MachScaleSprite->Draw();
  // 3. Pitch-director bar.
  ins.DirectorPitchBarSprite->OffsetY = cal::DirectorPitchBarOffset(r.Pitch, r.DirectorPitch);
  ins.DirectorPitchBarSprite->Draw();
  // 4. Temperature sectors, seen through the frame's slits.
  engine_gauges::TemperatureSectors(ins, r);
  // 5. Frame image.
  ins.FlightFrameSprite->Draw();
  // 6. Bank scale labels.
  ins.bankLabelFont->TextOut(459, 333, "60");
  ins.bankLabelFont->TextOut(333, 333, "60");
  ins.bankLabelFont->TextOut(280, 287, "30");
  ins.bankLabelFont->TextOut(512, 287, "30");
  // 7. G meter.
  ins.LoadFactorScaleSprite->Draw();
  ins.LoadFactorPointerSprite->OffsetY = cal::LoadFactorPointerOffset(r.LoadFactor);
  ins.LoadFactorPointerSprite->Draw();
  // 8. G readout.
  LoadFactorReadout(ins, r.LoadFactor);
  // 9. Bank-director bar.
  ins.DirectorBankBarSprite->Angle = cal::DirectorBankBarAngle(r.DirectorBank, r.Bank);
  ins.DirectorBankBarSprite->Draw();
  // 10. Aircraft symbol banks against the fixed tape.
  ins.AdiPlaneSprite->Angle = cal::AircraftSymbolAngle(r.Bank);
  ins.AdiPlaneSprite->Draw();
  // 11. Vertical speed.
  const double v = r.VerticalSpeed;
  ins.VerticalSpeedDialSprite->Draw();
  ins.VerticalSpeedNeedleSprite->Angle = cal::VerticalSpeedAngle(v);
  ins.VerticalSpeedNeedleSprite->Draw();
  // 12. Vertical speed text: a descent below 1 reads "- 12".
  if (v >= -1) {
    ins.readoutFont->TextOut(630, 120, IntText(v).view());
  } else {
    Text t("- ");
    t.Append(IntText(std::fabs(v)).view());
    ins.readoutFont->TextOut(630, 120, t.view());
  }
  // 13. Airspeed: the needle shows the angle computed on the previous frame.
  ins.SpeedDialSprite->Draw();
  ins.SpeedNeedleSprite->Draw();
  ins.SpeedNeedleSprite->Angle = cal::AirspeedAngle(r.IndicatedAirspeed);
  // 14. Readouts.
  ins.dialReadoutFont->TextOut(87, 325, IntText(r.IndicatedAirspeed).view());
  {
    Text t = IntText(r.TrueAirspeed);
    t.Append("и");
    ins.readoutFont->TextOut(100, 535, t.view());
  }
  ins.dialReadoutFont->TextOut(657, 325, IntText(r.Altitude).view());
  {
    Text t = IntText(r.RadarAltitude);
    t.Append("p");
    ins.radarAltitudeFont->TextOut(645, 535, t.view());
  }
  // 15. Boxes of the airspeed and altitude readouts.
  Box(ins, 85, 326, 135, 345);
  Box(ins, 655, 326, 715, 345);
  // 16. Mach readout.
  ins.smallReadoutFont->TextOut(87, 359, FixedText(r.Mach, 2).view());
  // 17. Angle of attack.
  ins.AoaDialSprite->Draw();
  ins.AoaNeedleSprite->Angle = cal::AoaAngle(r.AngleOfAttack);
  ins.AoaNeedleSprite->Draw();
  // 18. Altimeter: pressure setting, kilometre readout, two needles.
  ins.AltitudeDialSprite->Draw();
  {
    Text t("P");
    t.Append(FixedText(r.PressureSetting, 1).view());
    ins.smallReadoutFont->TextOut(570, 475, t.view());
  }
  // Single precision decides the kilometre digit: 2999.9999 m reads 3.
  ins.dialReadoutFont->TextOut(547, 425, IntText(std::trunc(F32(r.Altitude / 1000.0))).view());
  Box(ins, 540, 426, 574, 445);
  ins.AltitudeKmNeedleSprite->Angle = cal::AltitudeKmAngle(cal::AltitudeKilometres(r.Altitude));
  ins.AltitudeKmNeedleSprite->Draw();
  ins.AltitudeMetreNeedleSprite->Angle = cal::AltitudeMetreAngle(cal::AltitudeMetresInKilometre(r.Altitude));
  ins.AltitudeMetreNeedleSprite->Draw();
  // 19. HSI background and the two deviation bars (limits kept in the record).
  ins.HsiBackgroundSprite->Draw();
  r.LocalizerDeviation = cal::ClampDeviation(r.LocalizerDeviation);
  ins.primitives->Filled = true;
  ins.primitives->Rectangle(ColorToARGB(0), cal::LocalizerBarX(r.LocalizerDeviation), 417, 4, 100);
  r.GlideslopeDeviation = cal::ClampDeviation(r.GlideslopeDeviation);
  ins.primitives->Rectangle(ColorToARGB(0), 355, cal::GlideslopeBarY(r.GlideslopeDeviation), 100, 4);
  // 20. Compass card and the two bearing needles.
  ins.HsiCardSprite->Angle = cal::HsiCardAngle(r.Heading);
  ins.HsiCardSprite->Draw();
  const float card = ins.HsiCardSprite->Angle;
  ins.AdfNeedleSprite->Angle = cal::BearingNeedleAngle(card, r.AdfBearing);
  ins.AdfNeedleSprite->Draw();
  ins.RmiNeedleSprite->Angle = cal::BearingNeedleAngle(card, r.RmiBearing);
  ins.RmiNeedleSprite->Draw();
  // 21. Ball: drawn with the unlimited angle, the record keeps the limit.
  ins.SlipTubeSprite->Draw();
  ins.SlipBallSprite->Angle = cal::BallAngle(r.BallDeflection);
  r.BallDeflection = cal::ClampBall(r.BallDeflection);
  ins.SlipBallSprite->Draw();
  // 22. Distance in kilometres.
  {
    Text t("Д ");
    t.Append(FixedText(F32(r.NavDistance / 1000.0), 1).view());
    t.Append(" км");
    ins.readoutFont->TextOut(460, 543, t.view());
  }
  // 23..27. Engines, fuel, lamps.
  engine_gauges::SpeedReadoutsAndNeedleImages(ins, r);
  engine_gauges::Fuel(ins, r);
  engine_gauges::DialsAndNeedles(ins, r);
  engine_gauges::TemperatureReadouts(ins, r);
  engine_gauges::Lamps(ins, r);
}

}  // namespace velmora
