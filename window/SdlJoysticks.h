// Button boxes, joysticks and bound keys on SDL: every joystick and game
// controller is opened at start and when it is plugged in, closed when it is
// pulled, and each press of a bound button or key becomes the InputEvent its
// binding names (panels/Bindings.h). With printPresses each press is told on
// stderr the way a bindings line names it, so a user finds a button's number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panels/Bindings.h"
#include "window/Platform.h"

union SDL_Event;
struct _SDL_Joystick;

namespace velmora {

class SdlJoysticks {
 public:
  // Starts SDL's joystick and game-controller subsystems (SDL itself is
  // started already) and opens the devices present.
  SdlJoysticks(std::vector<Binding> bindings, bool printPresses);
  ~SdlJoysticks();
  SdlJoysticks(const SdlJoysticks&) = delete;
  SdlJoysticks& operator=(const SdlJoysticks&) = delete;

  // One SDL event: a device plugged in or pulled, a button or key press.
  // True when the event is ours (a device, a joystick button, a bound key),
  // which the window's own event handling then leaves alone; the events of
  // a bound press come from Pending().
  bool Take(const SDL_Event& e);
  // The events of the last press, one a call (an input may be bound to
  // several windows); false when there is none (left).
  bool Pending(InputEvent& out);

  std::size_t OpenDevices() const { return devices_.size(); }

 private:
  struct Device {
    _SDL_Joystick* joystick;
    std::int32_t instance;  // SDL's id for this plugging-in
    int number;             // SDL's joystick number when it was opened
    std::string name;
  };
  void Open(int number);
  void Close(std::int32_t instance);

  std::vector<Binding> bindings_;
  std::vector<std::int32_t> keycodes_;  // the key of each binding (0 for a joystick's)
  bool print_;
  bool started_ = false;
  std::vector<Device> devices_;
  std::vector<InputEvent> queued_;
  std::size_t next_ = 0;
};

// The bindings of --bindings FILE, or of bindings.txt when that file is
// there; each bad line is told on stderr as "FILE:LINE: reason". Null when
// there is nothing to bind and no press to print.
std::unique_ptr<SdlJoysticks> StartButtonInput(const std::string& bindingsFile, bool printPresses);

}  // namespace velmora
