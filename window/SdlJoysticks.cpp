// Joysticks, game controllers and bound keys on SDL.
#include "window/SdlJoysticks.h"

#include <SDL.h>

#include "platform/Files.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

SdlJoysticks::SdlJoysticks(std::vector<Binding> bindings, bool printPresses)
    : bindings_(std::move(bindings)), print_(printPresses) {
  // The display's window is rarely the focused one: the simulator is. A
  // button box must work all the same (keys reach only the focused window).
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "velmora: joysticks and button boxes are not available: %s\n", SDL_GetError());
  } else {
    started_ = true;
    SDL_JoystickEventState(SDL_ENABLE);
  }
  for (const Binding& b : bindings_)
    keycodes_.push_back(b.source == Binding::Key ? SDL_GetKeyFromName(b.key.c_str()) : 0);
  if (started_)
    for (int n = 0; n < SDL_NumJoysticks(); ++n) Open(n);
}

SdlJoysticks::~SdlJoysticks() {
  if (!started_) return;
  if (SDL_WasInit(SDL_INIT_JOYSTICK))
    for (const Device& d : devices_) SDL_JoystickClose(d.joystick);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
}

void SdlJoysticks::Open(int number) {
  // SDL also announces the devices present at start as plugged in.
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(number);
  if (std::any_of(devices_.begin(), devices_.end(), [id](const Device& d) { return d.instance == id; })) return;
  // Opened as a joystick, a game controller reports its buttons by number
  // like any button box.
  SDL_Joystick* joystick = SDL_JoystickOpen(number);
  if (!joystick) {
    std::fprintf(stderr, "velmora: cannot open joystick %d: %s\n", number, SDL_GetError());
    return;
  }
  const char* name = SDL_JoystickName(joystick);
  devices_.push_back({joystick, SDL_JoystickInstanceID(joystick), number, name ? name : ""});
  if (print_)
    std::fprintf(stderr, "velmora: joystick %d \"%s\" connected, %d buttons\n", number, devices_.back().name.c_str(),
                 SDL_JoystickNumButtons(joystick));
}

void SdlJoysticks::Close(std::int32_t instance) {
  const auto d =
      std::find_if(devices_.begin(), devices_.end(), [instance](const Device& x) { return x.instance == instance; });
  if (d == devices_.end()) return;
  if (print_) std::fprintf(stderr, "velmora: joystick %d \"%s\" removed\n", d->number, d->name.c_str());
  SDL_JoystickClose(d->joystick);
  devices_.erase(d);
}

bool SdlJoysticks::Take(const SDL_Event& e) {
  queued_.clear();
  next_ = 0;
  switch (e.type) {
    case SDL_JOYDEVICEADDED:
      Open(e.jdevice.which);
      return true;
    case SDL_JOYDEVICEREMOVED:
      Close(e.jdevice.which);
      return true;
    case SDL_JOYBUTTONDOWN: {
      const auto d = std::find_if(devices_.begin(), devices_.end(),
                                  [&e](const Device& x) { return x.instance == e.jbutton.which; });
      if (d == devices_.end()) return true;
      const int button = e.jbutton.button;
      if (print_)
        std::fprintf(stderr, "joystick \"%s\" button %d   (or: joystick %d button %d)\n", d->name.c_str(), button,
                     d->number, button);
      for (const Binding& b : bindings_)
        if (b.source == Binding::JoystickButton && b.button == button &&
            (b.joystick >= 0 ? b.joystick == d->number : JoystickNameMatches(d->name, b.joystickName)))
          queued_.push_back(b.event);
      return true;
    }
    case SDL_KEYDOWN: {
      if (print_ && !e.key.repeat) std::fprintf(stderr, "key %s\n", SDL_GetKeyName(e.key.keysym.sym));
      bool bound = false;
      for (std::size_t i = 0; i < bindings_.size(); ++i)
        if (keycodes_[i] == e.key.keysym.sym && keycodes_[i] != SDLK_UNKNOWN) {
          bound = true;
          // A held key repeats; the page button is pressed once.
          if (!e.key.repeat) queued_.push_back(bindings_[i].event);
        }
      return bound;
    }
    default:
      return false;
  }
}

bool SdlJoysticks::Pending(InputEvent& out) {
  if (next_ >= queued_.size()) return false;
  out = queued_[next_++];
  return true;
}

std::unique_ptr<SdlJoysticks> StartButtonInput(const std::string& bindingsFile, bool printPresses) {
  const bool given = !bindingsFile.empty();
  const std::string name = given ? bindingsFile : "bindings.txt";
  BindingsFile file = ReadBindingsFile(platform::PathFromUtf8(name), name, !given);
  for (const std::string& problem : file.problems) std::fprintf(stderr, "%s\n", problem.c_str());
  if (file.bindings.empty() && !printPresses) return nullptr;
  return std::make_unique<SdlJoysticks>(std::move(file.bindings), printPresses);
}

}  // namespace velmora
