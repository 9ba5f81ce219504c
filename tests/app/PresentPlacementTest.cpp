// Where the (turned) picture goes in the window: over all of it, or, when a
// sideways turn leaves the picture's shape across the screen's, as large as
// it fits, centred between its bars.
#include "canvas/SdlDirectBlits.h"

#include <gtest/gtest.h>

#include <array>

namespace velmora {
namespace {

TEST(PresentPlacement, SameShapeFillsTheWindowAndACrossedOneStandsCentredBetweenItsBars) {
  struct Case { int pw, ph, ww, wh; IntBox box; } cases[] = {
      {1024, 650, 1024, 650, {0, 0, 1024, 650}},
      {1024, 650, 1920, 1080, {0, 0, 1920, 1080}},   // stretched: same shape family
      {650, 1024, 1080, 1920, {0, 0, 1080, 1920}},
      {1024, 650, 1080, 1920, {0, 617, 1080, 685}},  // wide on a tall screen: bars above and below
      {650, 1024, 1920, 1080, {617, 0, 685, 1080}},  // tall on a wide screen: bars left and right
      {1024, 650, 600, 1024, {0, 322, 600, 380}},
  };
  for (const auto& c : cases) {
    const IntBox b = PresentBox(c.pw, c.ph, c.ww, c.wh);
    EXPECT_EQ((std::array{b.x, b.y, b.w, b.h}), (std::array{c.box.x, c.box.y, c.box.w, c.box.h}))
        << c.pw << "x" << c.ph << " in " << c.ww << "x" << c.wh;
  }
}

}  // namespace
}  // namespace velmora
