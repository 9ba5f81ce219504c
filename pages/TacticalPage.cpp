// The tactical page, back to front.
#include "pages/TacticalPage.h"

#include "engine/Sprite.h"

namespace velmora {

void TacticalPage::CreateSprites(const SpriteFactory& make) {
  ownAircraft = make({.picture = "Map_Plane", .x = 379, .y = 500, .scaleX = 0.41f, .scaleY = 0.41f});
  background = make({"Tactic_Fon", 75, 71});
  compass.CreateSprites(make);
  frame = make({"Tactic_Frame", 0, 0});
  target.CreateSprites(make);
  courseLine = make({"Tactic_Course_Line", 398, 141});
}

void TacticalPage::Draw(const DrawKit& kit, const FlightData& r) {
  background->Draw();
  compass.DrawRose(r);
  frame->Draw();
  courseLine->Draw();
  compass.DrawReadout(kit, r);
  ownAircraft->Draw();
  // The frame again on top, so a target beyond the window is hidden.
  if (target.Draw(kit, r, *ownAircraft)) frame->Draw();
}

}  // namespace velmora
