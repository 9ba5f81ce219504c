// The lamp panel's draw step.
#include "pages/instruments/LampPanel.h"


namespace velmora {

void LampPanel::Draw(Canvas& canvas, const FlightData& r) const {
  AtOrigin at(canvas, 745, 415);  // the panel's top-left corner
  canvas.DrawPicture(PictureNamed("PPI"), 0, 0, {.scaleX = 0.9f, .scaleY = 0.9f});
  auto lamp = [&](int x1, int y1, int x2, int y2) { canvas.Box({x1, y1, x2, y2}, true, -2, MakeArgb(0, 255, 0)); };
  if (r.PairLampState == 2) {
    lamp(4, 84, 40, 97);
    lamp(139, 84, 175, 97);
  }
  if (r.SingleLampState == 1) lamp(81, 0, 100, 15);
  if (r.TripleLampState == 1) {
    lamp(84, 100, 95, 120);
    lamp(54, 133, 65, 153);
    lamp(115, 133, 126, 153);
  }
}

}  // namespace velmora
