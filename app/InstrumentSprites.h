// The 34 instrument sprites: each gets its picture from the catalogue and its
// rest geometry (position, pivot, scale, angle) once at start-up; afterwards
// the pages only move and draw them.
#pragma once

#include <array>
#include <string_view>

#include "pages/Instruments.h"

namespace velmora {

class SpriteSet;
class PictureCollection;

enum class SpriteProp { Angle, ScaleX, ScaleY, CenterX, CenterY };

struct SpriteSetting {
  SpriteProp prop;
  float value;
};

struct SpriteRow {
  Sprite* Instruments::*ref;
  std::string_view sprite;  // reference name, for messages and tests
  std::string_view image;
  float x, y;
  std::array<SpriteSetting, 4> further;  // in this order
  int furtherCount;
};

// Creation order; every sprite gets Z 1.
extern const std::array<SpriteRow, 34> kSpriteTable;

// Creates the sprites with the engine and stores them in the references.
void CreateInstrumentSprites(Instruments& ins, SpriteSet& sprites, const PictureCollection& images);

}  // namespace velmora
