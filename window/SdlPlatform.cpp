// SDL start-up, windows, events and boxes for the display.
#include "window/SdlPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "window/SdlJoysticks.h"
#include "window/SdlWindowHost.h"
#include "window/MessageBox.h"
#include "canvas/RecordingCanvas.h"
#include "assets/SdlImageDecoder.h"
#include "canvas/SdlCanvas.h"
#include "canvas/SdlDirectBlits.h"
#include "window/SdlPngFile.h"
#include "pages/FrameCycle.h"

namespace velmora {

// One window of the display with what draws into it.
struct SdlPlatform::Panel {
  SDL_Window* window = nullptr;
  std::unique_ptr<SdlCanvas> device;         // real pixels
  std::unique_ptr<RecordingCanvas> nullDevice;  // --null-render
  std::unique_ptr<SdlWindowHost> host;
  bool topmost = false;
  bool fullscreen = false;
  bool closed = false;
};

SdlPlatform::SdlPlatform(PlatformOptions options) : options_(std::move(options)) {}

SdlPlatform::~SdlPlatform() {
  SetMessageBoxHandler({});
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    Panel& p = **it;
    p.host.reset();
    p.device.reset();
    p.nullDevice.reset();
    if (p.window) SDL_DestroyWindow(p.window);
  }
  windows_.clear();
  decoder_.reset();
  if (started_) SDL_Quit();
}

void SdlPlatform::OpenDevice(Panel& p) {
  if (options_.nullRender) {
    // Every frame computed and submitted, nothing rasterised or kept.
    p.nullDevice = std::make_unique<RecordingCanvas>(false);
    if (!decoder_) decoder_ = std::make_unique<HeaderSizeDecoder>(0);
    p.host = std::make_unique<SdlWindowHost>(p.window, *p.nullDevice);
  } else {
    p.device = std::make_unique<SdlCanvas>(p.window, SdlCanvasOptions{options_.headless || options_.renderer == Renderer::Software, 256});
    p.host = std::make_unique<SdlWindowHost>(p.window, *p.device);
    if (!decoder_) decoder_ = std::make_unique<SdlImageDecoder>();
  }
}

int SdlPlatform::MonitorFor(const std::string& wanted) const {
  if (wanted.empty() || options_.headless) return -1;  // off-screen there is one monitor
  std::vector<std::string> names;
  for (int i = 0, n = SDL_GetNumVideoDisplays(); i < n; ++i) {
    const char* name = SDL_GetDisplayName(i);
    names.emplace_back(name ? name : "");
  }
  // A cockpit whose second monitor is off, or was renamed, still shows the display.
  const MonitorChoice choice = ChooseMonitor(wanted, names);
  if (!choice.warning.empty()) std::fprintf(stderr, "velmora: %s\n", choice.warning.c_str());
  return choice.index;
}

SDL_Window* SdlPlatform::CreateSdlWindow(const std::string& caption, int monitor, bool borderless, bool fullscreen,
                                         bool topmost) {
  // Shown only once start-up has placed it, so it never flashes at a default place.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
  if (borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const int place = SDL_WINDOWPOS_UNDEFINED_DISPLAY(monitor < 0 ? 0 : monitor);
  SDL_Window* window = SDL_CreateWindow(caption.c_str(), place, place, 1024, 640, flags);
  if (!window) std::fprintf(stderr, "velmora: cannot create the window: %s\n", SDL_GetError());
  return window;
}

bool SdlPlatform::Start(const std::string& caption) {
  if (options_.headless) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  } else if (options_.renderer == Renderer::OpenGl || options_.renderer == Renderer::OpenGles2) {
    // The command line wins over SDL_RENDER_DRIVER. SDL turns batching off
    // for a renderer chosen by name (for programs mixing their own GL
    // calls); this one draws only through SDL, so batching stays on.
    const std::string name(RendererName(options_.renderer));
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, name.c_str(), SDL_HINT_OVERRIDE);
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
  }
  // The display keeps running under a screen saver and when unfocused; a
  // full-screen display on a cockpit monitor must not minimise itself when
  // the simulator on another monitor takes the focus.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Closing a further window closes only that one; the first one's close
  // ends the program, whatever else is still open.
  SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "velmora: cannot start the video system: %s\n", SDL_GetError());
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver && SDL_strcasecmp(driver, "kmsdrm") == 0)
      std::fprintf(stderr, "velmora: the console needs a graphics device (/dev/dri/card*) and a user in the video "
                           "and render groups\n");
    else if (!options_.headless)
      std::fprintf(stderr, "velmora: without a display, run it with --headless\n");
    return false;
  }
  started_ = true;
  const int monitor = MonitorFor(options_.monitor);
  auto first = std::make_unique<Panel>();
  first->window = CreateSdlWindow(caption, monitor, options_.borderless, options_.fullscreen, options_.topmost);
  if (!first->window) return false;
  first->topmost = options_.topmost;
  first->fullscreen = options_.fullscreen;
  wakeEvent_ = SDL_RegisterEvents(1);
  OpenDevice(*first);
  first->host->SetMonitor(monitor);
  SDL_Window* boxParent = first->window;
  windows_.push_back(std::move(first));

  // Boxes of start-up (a canvas that cannot open): real boxes in a
  // window session; a headless run keeps the default, a line on stderr, so it
  // never blocks on a modal box.
  if (!options_.headless) {
    SetMessageBoxHandler([boxParent](std::string_view boxCaption, std::string_view text, BoxIcon icon) {
      std::string c(boxCaption), t(text);
      std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
      Uint32 boxFlags = icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
      SDL_ShowSimpleMessageBox(boxFlags, c.c_str(), t.c_str(), boxParent);
    });
  }
  return true;
}

int SdlPlatform::OpenWindow(const std::string& caption, const WindowSetup& setup) {
  const int monitor = MonitorFor(setup.display.empty() ? "0" : setup.display);
  auto p = std::make_unique<Panel>();
  p->window = CreateSdlWindow(caption, monitor, setup.borderless, setup.fullscreen, setup.topmost);
  if (!p->window) return -1;
  p->topmost = setup.topmost;
  p->fullscreen = setup.fullscreen;
  OpenDevice(*p);
  p->host->SetMonitor(monitor);
  windows_.push_back(std::move(p));
  const int index = WindowCount() - 1;
  SetRotation(setup.rotation, index);
  SdlWindowHost& host = *windows_.back()->host;
  host.SetOuterWidth(setup.width);
  SDL_Rect r{0, 0, 1024, 768};
  SDL_GetDisplayBounds(monitor < 0 ? 0 : monitor, &r);
  int width = setup.width, height = calibration::WindowHeight(setup.width), left = 0, top = 0;
  if (IsSideways(setup.rotation)) std::swap(width, height);
  PlaceOnMonitor(setup, ScreenRect{r.x, r.y, r.w, r.h}, width, height, left, top);
  host.SetOuterPosition(left, top);
  return index;
}

WindowHost& SdlPlatform::Window(int index) { return *windows_.at(static_cast<std::size_t>(index))->host; }

int SdlPlatform::WindowIndexOf(std::uint32_t id) const {
  for (std::size_t i = 0; i < windows_.size(); ++i)
    if (SDL_GetWindowID(windows_[i]->window) == id) return windows_[i]->closed ? -1 : static_cast<int>(i);
  // An event of no window of ours (one pushed by a program, without a
  // window): the first window's.
  return 0;
}

bool SdlPlatform::PollEvent(InputEvent& event) {
  if (buttons_ && buttons_->Pending(event)) return true;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (buttons_ && buttons_->Take(e)) {  // joysticks, button boxes, bound keys
      if (buttons_->Pending(event)) return true;
      continue;
    }
    switch (e.type) {
      case SDL_QUIT:
        event = {InputEvent::Quit};
        return true;
      case SDL_WINDOWEVENT: {
        const int index = WindowIndexOf(e.window.windowID);
        if (index < 0) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          event = {InputEvent::Quit};
          event.window = index;
          return true;
        }
        if (windows_[index]->topmost && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) KeepOnTop(*windows_[index]);
        break;
      }
      case SDL_KEYDOWN: {
        const int index = WindowIndexOf(e.key.windowID);
        if (index < 0) break;
        InputEvent::Kind kind;
        switch (e.key.keysym.sym) {
          case SDLK_F1: kind = InputEvent::ShowFlightPage; break;
          case SDLK_F2: kind = InputEvent::ShowTacticalPage; break;
          case SDLK_F3: kind = InputEvent::ShowLinkPage; break;
          case SDLK_PAGEUP: kind = InputEvent::Brighter; break;
          case SDLK_PAGEDOWN: kind = InputEvent::Dimmer; break;
          default: continue;
        }
        event = {kind};
        event.window = index;
        return true;
      }
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          const int index = WindowIndexOf(e.button.windowID);
          if (index < 0) break;
          event = {InputEvent::Click};
          event.window = index;
          SdlWindowHost& host = *windows_[index]->host;
          const Canvas* device = host.Device();
          host.ClientToBackBuffer(e.button.x, e.button.y, device->Width(), device->Height(), event.x, event.y);
          return true;
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
        for (auto& p : windows_)
          if (p->device) p->device->NotifyTargetsReset();
        break;
      case SDL_RENDER_DEVICE_RESET:
        for (auto& p : windows_)
          if (p->device) p->device->NotifyDeviceReset();
        break;
#if SDL_VERSION_ATLEAST(2, 0, 14)
      case SDL_DISPLAYEVENT:
        if (e.display.event == SDL_DISPLAYEVENT_DISCONNECTED) RescueWindows();
        break;
#endif
      default:
        break;  // the wake-up event only ends the wait
    }
  }
  return false;
}

void SdlPlatform::RescueWindows() {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    Panel& p = *windows_[i];
    if (p.closed) continue;
    p.host->SetMonitor(-1);
    const OuterBounds b = p.host->GetOuterBounds();
    if (p.host->OnSomeDisplay(b)) continue;
    std::fprintf(stderr, "velmora: window %zu's monitor is gone; it moves to the primary monitor\n", i + 1);
    p.host->SetMonitor(0);
    if (p.fullscreen) {
      SDL_SetWindowFullscreen(p.window, 0);
      p.host->CenterOnPrimary(b.width, b.height);
      SDL_SetWindowFullscreen(p.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
      p.host->CenterOnPrimary(b.width, b.height);
    }
  }
}

void SdlPlatform::KeepOnTop(Panel& p) {
  // A simulator that takes the foreground (going full screen, or raising
  // its own topmost window) can push the display under it. SDL sets the
  // flag only when it changes, so it is cleared and set again: the window
  // returns to the top of the always-on-top band without taking the focus.
  SDL_SetWindowAlwaysOnTop(p.window, SDL_FALSE);
  SDL_SetWindowAlwaysOnTop(p.window, SDL_TRUE);
}

void SdlPlatform::SetRotation(int degrees, int window) {
  Panel& p = *windows_.at(static_cast<std::size_t>(window));
  if (p.device) p.device->SetRotation(degrees);
  if (p.host) p.host->SetRotation(p.device ? p.device->Rotation() : degrees);
}

std::optional<WindowPlace> SdlPlatform::PlaceOf(int window) const {
  const Panel& p = *windows_.at(static_cast<std::size_t>(window));
  if (options_.headless || p.fullscreen) return std::nullopt;
  const OuterBounds b = p.host->GetOuterBounds();
  int monitor = SDL_GetWindowDisplayIndex(p.window);
  if (monitor < 0) monitor = 0;
  SDL_Rect r{0, 0, 0, 0};
  SDL_GetDisplayBounds(monitor, &r);
  const char* name = SDL_GetDisplayName(monitor);
  return WindowPlace{MonitorWord(name ? name : "", monitor), b.left - r.x, b.top - r.y, b.width};
}

void SdlPlatform::Wait(std::chrono::milliseconds timeout) {
  if (options_.headless) {
    std::unique_lock lock(wakeMutex_);
    wakeSignal_.wait_for(lock, timeout, [this] { return woken_; });
    woken_ = false;
    return;
  }
  SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout.count()));
}

void SdlPlatform::Wake() {
  if (options_.headless) {
    {
      std::lock_guard lock(wakeMutex_);
      woken_ = true;
    }
    wakeSignal_.notify_one();
    return;
  }
  SDL_Event e{};
  e.type = wakeEvent_;
  SDL_PushEvent(&e);
}

ImageDecoder& SdlPlatform::Decoder() { return *decoder_; }

void SdlPlatform::ShowWindow() {
  if (options_.headless) return;
  for (auto& p : windows_) p->host->Show();
  // SDL falls back to another renderer when the one asked for cannot start;
  // say so, since the pictures and the frame time then differ.
  SDL_RendererInfo info{};
  const SdlCanvas* device = windows_.front()->device.get();
  if (device && options_.renderer != Renderer::Auto && device->Renderer() &&
      SDL_GetRendererInfo(device->Renderer(), &info) == 0 && RendererName(options_.renderer) != info.name) {
    std::fprintf(stderr, "velmora: the %s renderer is not available here; drawing with %s\n",
                 std::string(RendererName(options_.renderer)).c_str(), info.name);
  }
}

void SdlPlatform::CloseWindow(int window) {
  if (window <= 0 || window >= WindowCount()) return;
  Panel& p = *windows_[static_cast<std::size_t>(window)];
  p.closed = true;
  SDL_HideWindow(p.window);
}

void SdlPlatform::FrameStarting() {
  for (auto& p : windows_)
    if (p->nullDevice) p->nullDevice->Clear();
}

bool SdlPlatform::SaveWindowScreenshot(int window, const std::string& file) {
  if (window < 0 || window >= WindowCount()) return false;
  const Panel& p = *windows_[static_cast<std::size_t>(window)];
  return p.device && velmora::SaveScreenshot(*p.device, file);
}

bool SdlPlatform::ReadBackBuffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
  const Panel& p = *windows_.front();
  return p.device && p.device->ReadPixels(argb, width, height);
}

bool SdlPlatform::ShowErrorBox(std::string_view caption, std::string_view text) {
  if (options_.headless) return false;
  const std::string c(caption), t(text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, c.c_str(), t.c_str(), windows_.front()->window);
  return true;
}

}  // namespace velmora
