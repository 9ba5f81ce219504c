// The lamp panel's sprite and draw step.
#include "pages/instruments/LampPanel.h"

#include "engine/Screen.h"
#include "engine/Sprite.h"

namespace velmora {

void LampPanel::CreateSprites(const SpriteFactory& make) {
  panel = make({.picture = "PPI", .x = 745, .y = 415, .scaleX = 0.9f, .scaleY = 0.9f});
}

void LampPanel::Draw(const DrawKit& kit, const FlightData& r) const {
  panel->Draw();
  Screen& s = *kit.screen;
  auto lamp = [&](int x1, int y1, int x2, int y2) { s.DrawRect(x1, y1, x2, y2, true, -2, 0, 255, 0); };
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

}  // namespace velmora
