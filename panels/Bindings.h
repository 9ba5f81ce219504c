// The bindings file: which key or joystick button presses which page button
// of which window. A cockpit's button box (a USB joystick with nothing but
// buttons, or a keyboard encoder) drives the bezel this way. Pure code: the
// window room turns presses into these events (window/SdlJoysticks).
//
//   # one binding a line; "#" starts a comment
//   key F5 = window 2 tactical
//   key Keypad 1 = flight
//   joystick "Button Box" button 3 = window 1 flight
//   joystick 0 button 4 = dimmer
//
// Left of "=": "key NAME" or "joystick DEVICE button N", DEVICE being SDL's
// joystick number (0 the first found) or a part of its name in double
// quotes; --print-buttons shows both for each press. Right of "=": an
// optional "window N" (1 the first, the default) and one of flight,
// tactical, link, brighter, dimmer. Names and words are case-insensitive.
// One input may be bound more than once: a press then acts on each.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "window/Platform.h"

namespace velmora {

struct Binding {
  enum Source { Key, JoystickButton } source = Key;
  std::string key;           // Key: the key's name as SDL spells it ("F5", "Keypad 1")
  int joystick = -1;         // JoystickButton: SDL's joystick number, or -1 to go by name
  std::string joystickName;  // JoystickButton with joystick -1: a part of the device's name
  int button = 0;            // JoystickButton: SDL's button number, 0 the first
  InputEvent event{InputEvent::ShowFlightPage};  // what a press does, and to which window
  int line = 0;              // where the binding was read
};

struct BindingsFile {
  std::vector<Binding> bindings;
  std::vector<std::string> problems;  // "FILE:LINE: reason", one per line skipped
};

// The file's text, line by line. A bad line is skipped with its problem
// noted; the other lines are kept.
BindingsFile ParseBindings(std::string_view text, std::string_view fileName);

// Reads and parses the file; problems name it as `shownName`. missingOk: a
// file that is not there is no problem (the default bindings.txt);
// otherwise it is one.
BindingsFile ReadBindingsFile(const std::filesystem::path& path, const std::string& shownName, bool missingOk);

// The key's name as SDL spells it, when it is one a binding may name
// (letters, digits, F1 to F24, the keypad, the arrows and the editing keys);
// empty otherwise. Case-insensitive: "f5" gives "F5".
std::string_view KnownKeyName(std::string_view name);

// Does a device of this name match the binding's part of a name?
bool JoystickNameMatches(std::string_view deviceName, std::string_view part);

}  // namespace velmora
