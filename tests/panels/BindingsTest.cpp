#include "panels/Bindings.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// One line each: what it binds, or the reason it is skipped.
TEST(Bindings, EachLineBindsOrSaysWhy) {
  struct Case {
    const char* line;
    const char* problem;  // empty: a good line
    Binding::Source source;
    const char* key;
    int joystick;
    const char* name;
    int button, window;
    InputEvent::Kind kind;
  } const cases[] = {
      {"key F5 = window 2 tactical", "", Binding::Key, "F5", -1, "", 0, 1, InputEvent::ShowTacticalPage},
      {"KEY keypad   1 = Flight  # left MFD", "", Binding::Key, "Keypad 1", -1, "", 0, 0, InputEvent::ShowFlightPage},
      {"key \"keypad enter\" = link", "", Binding::Key, "Keypad Enter", -1, "", 0, 0, InputEvent::ShowLinkPage},
      {"key enter = brighter", "", Binding::Key, "Return", -1, "", 0, 0, InputEvent::Brighter},
      {"key x = window 1 dimmer", "", Binding::Key, "X", -1, "", 0, 0, InputEvent::Dimmer},
      {"joystick \"Button Box #2\" button 3 = window 3 flight", "", Binding::JoystickButton, "", -1,
       "Button Box #2", 3, 2, InputEvent::ShowFlightPage},
      {"joystick 0 button 4 = dimmer", "", Binding::JoystickButton, "", 0, "", 4, 0, InputEvent::Dimmer},
      {"key F25 = flight", "b:1: unknown key name 'F25'", Binding::Key, "", -1, "", 0, 0, {}},
      {"key Page Up = link", "b:1: unknown key name 'Page Up'", Binding::Key, "", -1, "", 0, 0, {}},
      {"key = flight", "b:1: key needs a name", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 = window 0 flight", "b:1: window needs a number from 1", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 = window two flight", "b:1: window needs a number from 1", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 = window 2", "b:1: unknown action ''", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 = tactcal", "b:1: unknown action 'tactcal'", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 = flight now", "b:1: unexpected 'now'", Binding::Key, "", -1, "", 0, 0, {}},
      {"key F5 flight", "b:1: no '='", Binding::Key, "", -1, "", 0, 0, {}},
      {"mouse 1 = flight", "b:1: unknown input 'mouse'", Binding::Key, "", -1, "", 0, 0, {}},
      {"joystick -1 button 2 = flight", "b:1: joystick needs its number", Binding::Key, "", -1, "", 0, 0, {}},
      {"joystick \"\" button 2 = flight", "b:1: joystick needs its number", Binding::Key, "", -1, "", 0, 0, {}},
      {"joystick 1 button = flight", "b:1: joystick 1 needs button N", Binding::Key, "", -1, "", 0, 0, {}},
      {"joystick 1 knob 2 = flight", "b:1: joystick 1 needs button N", Binding::Key, "", -1, "", 0, 0, {}},
  };
  for (const Case& c : cases) {
    const BindingsFile f = ParseBindings(c.line, "b");
    if (*c.problem) {
      ASSERT_EQ(f.problems.size(), 1u) << c.line;
      EXPECT_EQ(f.problems[0].rfind(c.problem, 0), 0u) << c.line << " -> " << f.problems[0];
      EXPECT_TRUE(f.bindings.empty()) << c.line;
      continue;
    }
    ASSERT_EQ(f.bindings.size(), 1u) << c.line << " -> " << (f.problems.empty() ? "" : f.problems[0]);
    const Binding& b = f.bindings[0];
    EXPECT_EQ(b.source, c.source) << c.line;
    EXPECT_EQ(b.key, c.key) << c.line;
    EXPECT_EQ(b.joystick, c.joystick) << c.line;
    EXPECT_EQ(b.joystickName, c.name) << c.line;
    EXPECT_EQ(b.button, c.button) << c.line;
    EXPECT_EQ(b.event.window, c.window) << c.line;
    EXPECT_EQ(b.event.kind, c.kind) << c.line;
  }
}

// A bad line costs only itself, and is named by its own line number.
TEST(Bindings, BadLinesAreSkippedTheRestKept) {
  const BindingsFile f = ParseBindings("# panel\r\nkey F5 = tactical\r\n\nkey F99 = flight\njoystick 1 button 2 = link",
                                       "bindings.txt");
  ASSERT_EQ(f.bindings.size(), 2u);
  EXPECT_EQ(f.bindings[0].line, 2);
  EXPECT_EQ(f.bindings[1].line, 5);
  ASSERT_EQ(f.problems.size(), 1u);
  EXPECT_EQ(f.problems[0].rfind("bindings.txt:4: unknown key name 'F99'", 0), 0u) << f.problems[0];
  // bindings.txt may be absent; a file named on the command line may not.
  EXPECT_TRUE(ReadBindingsFile("no/such/bindings.txt", "b", true).problems.empty());
  EXPECT_EQ(ReadBindingsFile("no/such/bindings.txt", "b", false).problems.size(), 1u);
  EXPECT_TRUE(JoystickNameMatches("Acme USB Button Box", "button box"));
  EXPECT_FALSE(JoystickNameMatches("Box", "Button Box"));
}

}  // namespace
}  // namespace velmora
