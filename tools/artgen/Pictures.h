// One drawing function per row of the picture table: DrawName() draws picture
// Name at its catalogue size and kind. Each instrument family's file defines
// its own; Artwork.cpp looks them up by name.
#pragma once

#include "tools/artgen/Artwork.h"

namespace velmora::art {

#define VELMORA_IMAGE(name, width, height, kind) Picture Draw##name();
#include "assets/ImageTable.def"
#undef VELMORA_IMAGE

}  // namespace velmora::art
