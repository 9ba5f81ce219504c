// The picture list's scratch quad.
#include "engine/ScratchQuad.h"

namespace velmora {

void ScratchQuad::Bind(Screen* screen) {
  screen_ = screen;
  MirrorX = false;
  MirrorY = false;
  static constexpr float kCorners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  static constexpr float kTex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    V[i] = Vertex{kCorners[i][0], kCorners[i][1], 0, 1, 0xFFFFFFFFu, kTex[i][0], kTex[i][1]};
    T[i] = TexCoord{kTex[i][0], kTex[i][1]};
  }
}

void ScratchQuad::Unbind() { screen_ = nullptr; }

}  // namespace velmora
