// Button boxes through SDL's virtual joystick, and bound keys, as the main
// loop sees them: the events SdlPlatform::PollEvent hands out.
#include "window/SdlJoysticks.h"
#include "window/SdlPlatform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <utility>

namespace velmora {
namespace {

using Seen = std::vector<std::pair<InputEvent::Kind, int>>;  // kind, window

// Everything the platform hands out up to an F3 pushed as the last event
// (F3 is the window's own key, so it comes out as ShowLinkPage of window 1).
Seen Drain(SdlPlatform& platform) {
  SDL_PumpEvents();  // the virtual joystick's button becomes an event here
  SDL_Event f3{};
  f3.type = SDL_KEYDOWN;
  f3.key.keysym.sym = SDLK_F3;
  SDL_PushEvent(&f3);
  Seen seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  InputEvent e{InputEvent::Quit};
  while (std::chrono::steady_clock::now() < deadline) {
    if (!platform.PollEvent(e)) continue;
    if (e.kind == InputEvent::ShowLinkPage && e.window == 0) return seen;
    seen.emplace_back(e.kind, e.window);
  }
  ADD_FAILURE() << "the F3 pushed last never came";
  return seen;
}

void PushKey(SDL_Keycode key, bool repeat) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = key;
  e.key.repeat = repeat;
  SDL_PushEvent(&e);
}

TEST(SdlJoysticks, VirtualButtonBoxAndKeysReachTheirWindows) {
#ifndef SDL_JOYSTICK_VIRTUAL
  GTEST_SKIP() << "this SDL is built without its virtual joystick driver";
#endif
  struct Case {
    const char* bindings;
    bool pluggedWhileRunning;  // else there before the start
    int button;                // pressed on the virtual device; -1: none
    SDL_Keycode key;           // pushed; SDLK_UNKNOWN: none
    Seen expected;
  } const cases[] = {
      {"joystick 0 button 3 = window 2 tactical", false, 3, SDLK_UNKNOWN, {{InputEvent::ShowTacticalPage, 1}}},
      {"joystick \"virtual\" button 1 = flight", true, 1, SDLK_UNKNOWN, {{InputEvent::ShowFlightPage, 0}}},
      {"joystick 0 button 1 = flight", true, 2, SDLK_UNKNOWN, {}},
      {"joystick \"no such box\" button 1 = flight", false, 1, SDLK_UNKNOWN, {}},
      {"joystick 0 button 0 = brighter\njoystick 0 button 0 = window 2 brighter", false, 0, SDLK_UNKNOWN,
       {{InputEvent::Brighter, 0}, {InputEvent::Brighter, 1}}},
      {"key F5 = window 2 dimmer", false, -1, SDLK_F5, {{InputEvent::Dimmer, 1}}},
      {"key F1 = window 3 tactical", false, -1, SDLK_F1, {{InputEvent::ShowTacticalPage, 2}}},
      // An unbound key is the window's own, held or not, as before.
      {"key F5 = dimmer", false, -1, SDLK_F2, {{InputEvent::ShowTacticalPage, 0}, {InputEvent::ShowTacticalPage, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bindings);
    SdlPlatform platform(PlatformOptions{.headless = true});
    ASSERT_TRUE(platform.Start("joystick test"));
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    auto attach = [] { return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_PAD, 0, 8, 0); };
    int device = c.pluggedWhileRunning ? -1 : attach();
    SdlJoysticks buttons(ParseBindings(c.bindings, "test").bindings, false);
    platform.SetButtonInput(&buttons);
    if (c.pluggedWhileRunning) {
      device = attach();
      EXPECT_EQ(Drain(platform), Seen{});  // the arrival is no page button
    }
    ASSERT_GE(device, 0) << SDL_GetError();
    ASSERT_EQ(buttons.OpenDevices(), 1u);
    if (c.button >= 0) {
      SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
      ASSERT_NE(joystick, nullptr);
      SDL_JoystickSetVirtualButton(joystick, c.button, SDL_PRESSED);
    }
    if (c.key != SDLK_UNKNOWN) {
      PushKey(c.key, false);
      PushKey(c.key, true);  // held: no second press
    }
    EXPECT_EQ(Drain(platform), c.expected);
    SDL_JoystickDetachVirtual(device);
    EXPECT_EQ(Drain(platform), Seen{});
    EXPECT_EQ(buttons.OpenDevices(), 0u);  // pulled: closed
    platform.SetButtonInput(nullptr);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
}

}  // namespace
}  // namespace velmora
