// The scratch quad shared by every picture of a picture list: four vertex
// records and the texture coordinates last given, overwritten by each draw.
#pragma once

#include "engine/RenderDevice.h"

namespace velmora {

class Screen;

struct TexCoord {
  float u = 0, v = 0;
};

class ScratchQuad {
 public:
  // Binds to the screen and resets to a white, unmirrored quad (0,0)-(100,100).
  void Bind(Screen* screen);
  void Unbind();
  Screen* BoundScreen() const { return screen_; }

  bool MirrorX = false, MirrorY = false;
  TexCoord T[4];
  Vertex V[4];

 private:
  Screen* screen_ = nullptr;
};

}  // namespace velmora
