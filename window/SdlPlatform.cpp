// SDL start-up, events and boxes for the display.
#include "window/SdlPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "window/SdlWindowHost.h"
#include "window/MessageBox.h"
#include "canvas/RecordingCanvas.h"
#include "assets/SdlImageDecoder.h"
#include "canvas/SdlCanvas.h"
#include "window/SdlPngFile.h"

namespace velmora {

SdlPlatform::SdlPlatform(PlatformOptions options) : options_(options) {}

SdlPlatform::~SdlPlatform() {
  SetMessageBoxHandler({});
  host_.reset();
  decoder_.reset();
  canvas_.reset();
  nullCanvas_.reset();
  if (window_) SDL_DestroyWindow(window_);
  if (started_) SDL_Quit();
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
  // Shown only once start-up has placed it, so it never flashes at a default place.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
  if (options_.borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (options_.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (options_.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const int monitors = SDL_GetNumVideoDisplays();
  if (options_.headless) options_.monitor = -1;  // one off-screen monitor
  if (options_.monitor >= monitors) {
    // A cockpit whose second monitor is off still shows the display.
    std::fprintf(stderr, "velmora: there is no monitor %d (%d found); using monitor 0\n", options_.monitor, monitors);
    options_.monitor = 0;
  }
  const int place = SDL_WINDOWPOS_UNDEFINED_DISPLAY(options_.monitor < 0 ? 0 : options_.monitor);
  window_ = SDL_CreateWindow(caption.c_str(), place, place, 1024, 640, flags);
  if (!window_) {
    std::fprintf(stderr, "velmora: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  wakeEvent_ = SDL_RegisterEvents(1);

  if (options_.nullRender) {
    // Every frame computed and submitted, nothing rasterised or kept.
    nullCanvas_ = std::make_unique<RecordingCanvas>(false);
    decoder_ = std::make_unique<HeaderSizeDecoder>(0);
    host_ = std::make_unique<SdlWindowHost>(window_, *nullCanvas_);
  } else {
    canvas_ = std::make_unique<SdlCanvas>(window_, SdlCanvasOptions{options_.headless || options_.renderer == Renderer::Software, 256});
    host_ = std::make_unique<SdlWindowHost>(window_, *canvas_);
    decoder_ = std::make_unique<SdlImageDecoder>();
  }
  host_->SetMonitor(options_.monitor);

  // Boxes of start-up (a canvas that cannot open): real boxes in a
  // window session; a headless run keeps the default, a line on stderr, so it
  // never blocks on a modal box.
  if (!options_.headless) {
    SetMessageBoxHandler([this](std::string_view boxCaption, std::string_view text, BoxIcon icon) {
      std::string c(boxCaption), t(text);
      std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
      Uint32 boxFlags = icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
      SDL_ShowSimpleMessageBox(boxFlags, c.c_str(), t.c_str(), window_);
    });
  }
  return true;
}

bool SdlPlatform::PollEvent(InputEvent& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        event = {InputEvent::Quit};
        return true;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          event = {InputEvent::Quit};
          return true;
        }
        if (options_.topmost && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) KeepOnTop();
        break;
      case SDL_KEYDOWN:
        if (e.key.keysym.sym == SDLK_F1) {
          event = {InputEvent::ShowFlightPage};
          return true;
        }
        if (e.key.keysym.sym == SDLK_F2) {
          event = {InputEvent::ShowTacticalPage};
          return true;
        }
        if (e.key.keysym.sym == SDLK_F3) {
          event = {InputEvent::ShowLinkPage};
          return true;
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          event = {InputEvent::Click};
          const Canvas* canvas = host_->Device();
          host_->ClientToBackBuffer(e.button.x, e.button.y, canvas->Width(), canvas->Height(), event.x, event.y);
          return true;
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
        if (canvas_) canvas_->NotifyTargetsReset();
        break;
      case SDL_RENDER_DEVICE_RESET:
        if (canvas_) canvas_->NotifyDeviceReset();
        break;
      default:
        break;  // the wake-up event only ends the wait
    }
  }
  return false;
}

void SdlPlatform::KeepOnTop() {
  // A simulator that takes the foreground (going full screen, or raising
  // its own topmost window) can push the display under it. SDL sets the
  // flag only when it changes, so it is cleared and set again: the window
  // returns to the top of the always-on-top band without taking the focus.
  SDL_SetWindowAlwaysOnTop(window_, SDL_FALSE);
  SDL_SetWindowAlwaysOnTop(window_, SDL_TRUE);
}

void SdlPlatform::SetRotation(int degrees) {
  if (canvas_) canvas_->SetRotation(degrees);
  if (host_) host_->SetRotation(canvas_ ? canvas_->Rotation() : degrees);
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

WindowHost& SdlPlatform::Window() { return *host_; }

ImageDecoder& SdlPlatform::Decoder() { return *decoder_; }

void SdlPlatform::ShowWindow() {
  if (options_.headless) return;
  host_->Show();
  // SDL falls back to another renderer when the one asked for cannot start;
  // say so, since the pictures and the frame time then differ.
  SDL_RendererInfo info{};
  if (canvas_ && options_.renderer != Renderer::Auto && canvas_->Renderer() &&
      SDL_GetRendererInfo(canvas_->Renderer(), &info) == 0 && RendererName(options_.renderer) != info.name) {
    std::fprintf(stderr, "velmora: the %s renderer is not available here; drawing with %s\n",
                 std::string(RendererName(options_.renderer)).c_str(), info.name);
  }
}

void SdlPlatform::FrameStarting() {
  if (nullCanvas_) nullCanvas_->Clear();
}

bool SdlPlatform::SaveScreenshot(const std::string& file) { return canvas_ && velmora::SaveScreenshot(*canvas_, file); }

bool SdlPlatform::ReadBackBuffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
  return canvas_ && canvas_->ReadPixels(argb, width, height);
}

bool SdlPlatform::ShowErrorBox(std::string_view caption, std::string_view text) {
  if (options_.headless) return false;
  const std::string c(caption), t(text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, c.c_str(), t.c_str(), window_);
  return true;
}

}  // namespace velmora
