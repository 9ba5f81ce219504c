// The tactical page, back to front.
#include "pages/TacticalPage.h"

#include <cmath>

#include "engine/Font.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "pages/Notation.h"

namespace velmora {

void DrawTacticalPage(const Instruments& ins, FlightData& r) {
  ins.TacticalBackgroundSprite->Draw();
  ins.TacticalCompassSprite->Draw();
  ins.TacticalFrameSprite->Draw();
  ins.CourseLineSprite->Draw();

  // The rose turns about its centre; set after drawing, so it shows the
  // heading of the previous tactical frame.
  ins.TacticalCompassSprite->CenterX = 0.5f;
  ins.TacticalCompassSprite->CenterY = 0.5f;
  ins.TacticalCompassSprite->Angle = static_cast<float>(r.Heading);

  // Heading readout: single precision decides the digit (1e-8 reads 360).
  ins.dialReadoutFont->TextOut(385, 120,
                          notation::IntText(std::trunc(notation::F32(360.0 - r.Heading))).view());

  ins.primitives->Filled = false;
  ins.primitives->Rectangle(ColorToARGB(0x67394710), 380, 117, 48, 25);
  ins.screen->DrawRect(380, 117, 428, 142, false, 2, 0, 0, 0);

  ins.OwnAircraftSymbolSprite->Draw();

  // Exactly -1 means no target; a value that is not a number counts the same.
  const double range = r.TargetRange;
  if (range == -1 || std::isnan(range)) return;
  if (range < 10000) {
    r.TargetOffset = range / 29;  // 29 m per pixel: rings at 5 and 10 km
    ins.dialReadoutFont->TextOut(235, 530, "5");
    ins.dialReadoutFont->TextOut(557, 530, "5");
    ins.dialReadoutFont->TextOut(85, 530, "10");
    ins.dialReadoutFont->TextOut(697, 530, "10");
  } else {
    r.TargetOffset = range / 60;  // 60 m per pixel: rings at 10 and 20 km
    ins.dialReadoutFont->TextOut(235, 530, "10");
    ins.dialReadoutFont->TextOut(557, 530, "10");
    ins.dialReadoutFont->TextOut(85, 530, "20");
    ins.dialReadoutFont->TextOut(697, 530, "20");
  }
  const double x0 = ins.OwnAircraftSymbolSprite->X();
  const double y0 = ins.OwnAircraftSymbolSprite->Y();
  ins.TargetSymbolSprite->SetX(static_cast<float>(std::sin(r.TargetBearing) * r.TargetOffset + x0 + 8));
  ins.TargetSymbolSprite->SetY(static_cast<float>(y0 - std::cos(r.TargetBearing) * r.TargetOffset + 20));
  ins.TargetSymbolSprite->Angle = static_cast<float>(r.Heading - r.TargetHeading);
  ins.TargetSymbolSprite->Draw();
  // Again on top, so a target beyond the window is hidden by the frame.
  ins.TacticalFrameSprite->Draw();
}

}  // namespace velmora
