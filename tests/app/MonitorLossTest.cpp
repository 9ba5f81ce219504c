// A monitor unplugged while the display runs: the windows it held come to the
// primary monitor, the others stay where they are (SDL's offscreen driver,
// the unplugging told by the event SDL sends).
#include <SDL.h>
#include <gtest/gtest.h>

#include "window/SdlPlatform.h"
#include "window/WindowHost.h"

namespace velmora {
namespace {

TEST(MonitorLoss, WindowsLeftOffEveryMonitorComeToThePrimaryOne) {
  SdlPlatform platform(PlatformOptions{true});
  ASSERT_TRUE(platform.Start("velmora"));
  ASSERT_EQ(platform.OpenWindow("velmora 2", ParseWindowSetup("x=10,y=20,width=400").setup), 1);
  SDL_Rect primary{};
  ASSERT_EQ(SDL_GetDisplayBounds(0, &primary), 0);
  // The first window stays on the monitor; the second was on the one now gone.
  platform.Window(0).SetOuterPosition(primary.x + 5, primary.y + 6);
  platform.Window(1).SetOuterPosition(primary.x + primary.w + 3000, primary.y);
  SDL_Event e{};
  e.type = SDL_DISPLAYEVENT;
  e.display.event = SDL_DISPLAYEVENT_DISCONNECTED;
  e.display.display = 1;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  InputEvent event{};
  for (int round = 0; round < 3; ++round) platform.PollEvent(event);
  const OuterBounds first = platform.Window(0).GetOuterBounds(), second = platform.Window(1).GetOuterBounds();
  EXPECT_EQ(first.left, primary.x + 5);
  EXPECT_EQ(first.top, primary.y + 6);
  EXPECT_TRUE(platform.Window(1).OnSomeDisplay(second)) << second.left << "," << second.top;
}

}  // namespace
}  // namespace velmora
