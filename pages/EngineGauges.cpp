// Engine speed and temperature, fuel and the lamp panel of the flight page.
// Two regimes: with both engines at 65 % or more the high-regime dial and
// laws apply, otherwise the low-regime ones. Above 100 % an engine's needle
// and temperature sector turn red and its speed readout becomes "Ф".
#include <cmath>

#include "engine/Font.h"
#include "engine/PictureList.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Calibration.h"
#include "pages/EngineGauges.h"
#include "pages/Notation.h"

namespace velmora::engine_gauges {

namespace cal = calibration;
using notation::Text;

namespace {

constexpr std::uint32_t Red() { return 0xFFFF0000u; }    // MakeColor(255, 0, 0, 255)
constexpr std::uint32_t Green() { return 0xFF00FF00u; }  // MakeColor(0, 255, 0, 255)

bool OverSpeed(double rpm) { return rpm > 100; }

void SpeedReadout(const Instruments& ins, Sprite* needle, double rpm, const char* redImage,
                  const char* image, int letterX, int numberX) {
  PictureCollection& images = ins.images->ImageList;
  if (OverSpeed(rpm)) {
    needle->SetImage(images.Find(redImage));
    ins.engineSpeedFont->SetColor(MakeColor(0, 200, 81, 255));
    ins.engineSpeedFont->TextOut(letterX, 115, "Ф");
  } else {
    needle->SetImage(images.Find(image));
    ins.engineSpeedFont->SetColor(MakeColor(0, 0, 0, 255));
    ins.engineSpeedFont->TextOut(numberX, 115, notation::RoundText(rpm).view());
  }
}

}  // namespace

void TemperatureSectors(const Instruments& ins, const FlightData& r) {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  // Drawn with whatever fill state the primitives hold: after a tactical
  // frame that is an outline, once.
  ins.primitives->Arc(OverSpeed(r.LeftEngineRpm) ? Red() : Green(), true, cal::kLeftSectorCenterX,
                            cal::kLeftSectorCenterY, cal::kSectorRadius,
                            cal::TemperatureSectorStartLeft(r.LeftEngineTemp, high), cal::kLeftSectorEnd);
  ins.primitives->Arc(OverSpeed(r.RightEngineRpm) ? Red() : Green(), true, cal::kRightSectorCenterX,
                            cal::kRightSectorCenterY, cal::kSectorRadius,
                            cal::TemperatureSectorStartRight(r.RightEngineTemp, high), cal::kRightSectorEnd);
}

void SpeedReadoutsAndNeedleImages(const Instruments& ins, const FlightData& r) {
  SpeedReadout(ins, ins.LeftEngineNeedleSprite, r.LeftEngineRpm, "Engine_Left_Arrow_Red", "Engine_Left_Arrow",
               772, 769);
  SpeedReadout(ins, ins.RightEngineNeedleSprite, r.RightEngineRpm, "Engine_Right_Arrow_Red",
               "Engine_Right_Arrow", 860, 858);
  ins.screen->DrawRect(765, 115, 800, 137, false, 2, 0, 0, 0);
  ins.screen->DrawRect(855, 115, 890, 137, false, 2, 0, 0, 0);
}

void Fuel(const Instruments& ins, const FlightData& r) {
  const float sum = notation::F32(r.FuelQuantity1 + r.FuelQuantity2);
  if (!(sum >= 800)) ins.smallReadoutFont->SetColor(MakeColor(255, 0, 0, 255));  // low fuel
  ins.captionFont->TextOut(797, 361, "Топливо:");
  Text t = notation::FixedText(sum, 0);
  t.Append(" кг");
  ins.smallReadoutFont->TextOut(797, 381, t.view());
}

void DialsAndNeedles(const Instruments& ins, const FlightData& r) {
  const bool high = cal::EngineHighRegime(r.LeftEngineRpm, r.RightEngineRpm);
  (high ? ins.EngineDial2Sprite : ins.EngineDialSprite)->Draw();
  ins.LeftEngineNeedleSprite->Angle = cal::LeftEngineNeedleAngle(r.LeftEngineRpm, high);
  ins.RightEngineNeedleSprite->Angle = cal::RightEngineNeedleAngle(r.RightEngineRpm, high);
  ins.RightEngineNeedleSprite->Draw();
  ins.LeftEngineNeedleSprite->Draw();
}

void TemperatureReadouts(const Instruments& ins, const FlightData& r) {
  ins.dialReadoutFont->TextOut(748, 209, "T");
  ins.dialReadoutFont->TextOut(893, 209, "T");
  ins.dialReadoutFont->TextOut(720, 235, notation::IntText(r.LeftEngineTemp).view());
  ins.dialReadoutFont->TextOut(900, 235, notation::IntText(r.RightEngineTemp).view());
  ins.screen->DrawRect(712, 230, 760, 257, false, -2, 0, 0, 0);
  ins.screen->DrawRect(892, 230, 940, 257, false, -2, 0, 0, 0);
}

void Lamps(const Instruments& ins, const FlightData& r) {
  ins.PpiSprite->Draw();
  Screen& s = *ins.screen;
  auto lamp = [&](int x1, int y1, int x2, int y2) { s.DrawRect(x1, y1, x2, y2, true, -2, 0, 255, 0); };
  // Lit only at exactly these states; anything else leaves the socket dark.
  if (r.PairLampState == 2) {
    lamp(749, 499, 785, 512);
    lamp(884, 499, 920, 512);
  }
  if (r.SingleLampState == 1) lamp(826, 415, 845, 430);
  if (r.TripleLampState == 1) {
    lamp(829, 515, 840, 535);
    lamp(799, 548, 810, 568);
    lamp(860, 548, 871, 568);
  }
}

}  // namespace velmora::engine_gauges
