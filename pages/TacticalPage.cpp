// The tactical page, back to front.
#include "pages/TacticalPage.h"

namespace velmora {

void TacticalPage::Draw(Canvas& canvas, const FlightData& r) {
  constexpr PictureId frame = PictureNamed("Tactic_Frame");
  canvas.DrawPicture(PictureNamed("Tactic_Fon"), 75, 71);
  compass.DrawRose(canvas, r);
  canvas.DrawPicture(frame, 0, 0);
  canvas.DrawPicture(PictureNamed("Tactic_Course_Line"), 398, 141);
  compass.DrawReadout(canvas, r);
  canvas.DrawPicture(PictureNamed("Map_Plane"), kOwnX, kOwnY, {.scaleX = 0.41f, .scaleY = 0.41f});
  // The frame again on top, so a target beyond the window is hidden.
  if (target.Draw(canvas, r, kOwnX, kOwnY)) canvas.DrawPicture(frame, 0, 0);
}

}  // namespace velmora
