// The name-keyed drawer table, made from the picture table: the generator
// draws exactly the catalogue's pictures, each with its DrawName function.
#include "tools/artgen/Artwork.h"

#include "tools/artgen/Pictures.h"

namespace velmora::art {
namespace {

struct Drawer {
  std::string_view name;
  Picture (*draw)();
};

constexpr Drawer kDrawers[] = {
#define VELMORA_IMAGE(name, width, height, kind) {#name, &Draw##name},
#include "assets/ImageTable.def"
#undef VELMORA_IMAGE
};

}  // namespace

int Picture::Brightness(int x, int y) const {
  const std::uint32_t p = At(x, y);
  return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
}

Picture DrawPicture(std::string_view name) {
  for (const Drawer& d : kDrawers)
    if (d.name == name) return d.draw();
  return {};
}

}  // namespace velmora::art
