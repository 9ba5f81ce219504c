// The tablet view's home-screen icon: a small attitude indicator (sky,
// ground, horizon and the aircraft symbol) on the display's dark grey,
// drawn here at the size asked for and written as a PNG file's bytes.
#pragma once

#include <string>

namespace velmora {

// A square PNG of size x size pixels (16 to 1024); the picture keeps to the
// middle four fifths, so a launcher that rounds or masks it cuts nothing.
std::string TabletIconPng(int size);

}  // namespace velmora
