// The desktop on SDL: video start-up, the windows and their canvases
// (SDL's renderer, or a recording canvas that rasterises nothing for
// --null-render), window events told apart by window, the wake-up event,
// message boxes, monitors by number or name.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "panels/WindowSetup.h"
#include "window/Platform.h"

struct SDL_Window;

namespace velmora {

class ImageDecoder;
class RecordingCanvas;
class SdlJoysticks;
class SdlCanvas;
class SdlWindowHost;

struct PlatformOptions {
  bool headless = false;    // off-screen video driver, software renderer
  bool borderless = false;  // window without border
  Renderer renderer = Renderer::Auto;  // what draws the window
  bool nullRender = false;  // frames computed and submitted, nothing rasterised
  bool fullscreen = false;  // the whole screen at the desktop's resolution
  bool topmost = false;     // above other windows, kept there when another takes the foreground
  std::string monitor;      // SDL display index or (a part of) its name; empty: the window system's choice
};

// Where a further window is at close, as the windows file keeps it.
struct WindowPlace {
  std::string monitor;  // the monitor's name (or number) as display= takes it
  int x = 0, y = 0;     // outer top-left from the monitor's top-left
  int width = 0;        // outer width of the picture
};

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(PlatformOptions options);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Starts SDL's video, creates the first (hidden) window and its device.
  // False, with the reason on stderr, when there is no display to open.
  bool Start(const std::string& caption);
  // Another hidden window, placed and turned as the setup says, on the
  // monitor it names (a warning on stderr and the primary one when it is not
  // there). Its index, or -1 with the reason on stderr.
  int OpenWindow(const std::string& caption, const WindowSetup& setup);
  int WindowCount() const { return static_cast<int>(windows_.size()); }

  bool PollEvent(InputEvent& event) override;
  void Wait(std::chrono::milliseconds timeout) override;
  void Wake() override;
  WindowHost& Window() override { return Window(0); }
  WindowHost& Window(int index);
  ImageDecoder& Decoder() override;
  void ShowWindow() override;
  void CloseWindow(int window) override;
  void FrameStarting() override;
  bool SaveScreenshot(const std::string& file) override { return SaveWindowScreenshot(0, file); }
  bool SaveWindowScreenshot(int window, const std::string& file) override;
  bool ReadBackBuffer(std::vector<std::uint32_t>& argb, int& width, int& height) override;
  bool ShowErrorBox(std::string_view caption, std::string_view text) override;

  // Turns a window's picture (window, screenshots, browser view, clicks)
  // clockwise by 0, 90, 180 or 270 degrees. Before the window is placed.
  void SetRotation(int degrees, int window = 0);
  // A further window's monitor and place now; nullopt where there is
  // nothing real to tell (headless, full screen).
  std::optional<WindowPlace> PlaceOf(int window) const;

  // Bound keys and joystick buttons (null: none); taken before the window's own keys.
  void SetButtonInput(SdlJoysticks* buttons) { buttons_ = buttons; }

 private:
  struct Panel;
  // The window's drawing device, its host and the picture decoder: the one
  // place the drawing back end is chosen.
  void OpenDevice(Panel& panel);
  SDL_Window* CreateSdlWindow(const std::string& caption, int monitor, bool borderless, bool fullscreen, bool topmost);
  // Monitor index for a number or name, -1 for none asked; warns on stderr.
  int MonitorFor(const std::string& wanted) const;
  // -1 for a window closed by the user.
  int WindowIndexOf(std::uint32_t sdlWindowId) const;
  void KeepOnTop(Panel& panel);
  // Windows left off every monitor (one was unplugged) come to the primary one.
  void RescueWindows();

  PlatformOptions options_;
  bool started_ = false;
  std::uint32_t wakeEvent_ = 0;
  std::vector<std::unique_ptr<Panel>> windows_;  // [0]: the first window
  std::unique_ptr<ImageDecoder> decoder_;
  SdlJoysticks* buttons_ = nullptr;
  // Off-screen, SDL has no window events to wait for and its wait polls in
  // millisecond steps: a headless run waits on this instead.
  std::mutex wakeMutex_;
  std::condition_variable wakeSignal_;
  bool woken_ = false;
};

}  // namespace velmora
