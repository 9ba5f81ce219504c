// The bezel push-buttons that select the pages. One table serves both the
// artwork (tools/artgen draws each button and its label into the flight and
// tactical frame pictures) and the shell (a click inside a rectangle selects
// that button's page), so the two can never disagree.
#pragma once

#include <array>
#include <string_view>

namespace velmora {

struct BezelButton {
  int page;                // page mode the button selects: 1 flight, 2 tactical
  std::string_view label;  // engraved on the button (UTF-8)
  int x, y, w, h;          // rectangle in 1024 x 650 back-buffer pixels
};

inline constexpr std::array<BezelButton, 2> kPageButtons{{
    {1, "ПИЛ", 318, 592, 72, 40},
    {2, "ТО", 634, 592, 72, 40},
}};

// The page button under back-buffer point (px, py), or nullptr.
constexpr const BezelButton* PageButtonAt(double px, double py) {
  for (const BezelButton& b : kPageButtons)
    if (px >= b.x && px < b.x + b.w && py >= b.y && py < b.y + b.h) return &b;
  return nullptr;
}

}  // namespace velmora
