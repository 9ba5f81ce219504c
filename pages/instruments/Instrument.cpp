// Sprite set-up and the readout frame shared by the instruments.
#include "pages/instruments/Instrument.h"

#include "engine/PictureList.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"

namespace velmora {

Sprite* SpriteFactory::operator()(const SpritePlace& place) const {
  Sprite* s = set_.CreateSprite();
  s->SetImage(pictures_.Find(place.picture));
  s->SetX(place.x);
  s->SetY(place.y);
  s->SetZ(1);
  s->Angle = place.angle;
  s->ScaleX = place.scaleX;
  s->ScaleY = place.scaleY;
  s->CenterX = place.centerX;
  s->CenterY = place.centerY;
  return s;
}

void ReadoutBox(const DrawKit& kit, int x1, int y1, int x2, int y2) {
  kit.screen->DrawRect(x1, y1, x2, y2, false, 2, 0, 0, 0);
}

}  // namespace velmora
