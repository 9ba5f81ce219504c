// The desktop on SDL: video start-up, the window and its canvas (SDL's
// renderer, or a canvas that rasterises nothing for --null-render), window
// events, the wake-up event, message boxes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "app/CommandLine.h"
#include "window/Platform.h"

struct SDL_Window;

namespace velmora {

class ImageDecoder;
class RecordingCanvas;
class SdlCanvas;
class SdlWindowHost;

struct PlatformOptions {
  bool headless = false;    // off-screen video driver, software renderer
  bool borderless = false;  // window without border
  Renderer renderer = Renderer::Auto;  // what draws the window
  bool nullRender = false;  // frames computed and submitted, nothing rasterised
  bool fullscreen = false;  // the whole screen at the desktop's resolution
  bool topmost = false;     // above other windows, kept there when another takes the foreground
  int monitor = -1;         // SDL display index to open on; -1: the window system's choice
};

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(PlatformOptions options);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Starts SDL's video, creates the (hidden) window and its device. False,
  // with the reason on stderr, when there is no display to open.
  bool Start(const std::string& caption);

  bool PollEvent(InputEvent& event) override;
  void Wait(std::chrono::milliseconds timeout) override;
  void Wake() override;
  WindowHost& Window() override;
  ImageDecoder& Decoder() override;
  void ShowWindow() override;
  void FrameStarting() override;
  bool SaveScreenshot(const std::string& file) override;
  bool ReadBackBuffer(std::vector<std::uint32_t>& argb, int& width, int& height) override;
  bool ShowErrorBox(std::string_view caption, std::string_view text) override;

  // Turns the picture (window, screenshots, browser view, clicks) clockwise
  // by 0, 90, 180 or 270 degrees. Before the window is placed.
  void SetRotation(int degrees);

 private:
  void KeepOnTop();

  PlatformOptions options_;
  bool started_ = false;
  SDL_Window* window_ = nullptr;
  std::uint32_t wakeEvent_ = 0;
  std::unique_ptr<SdlCanvas> canvas_;              // real pixels
  std::unique_ptr<RecordingCanvas> nullCanvas_;    // --null-render
  std::unique_ptr<SdlWindowHost> host_;
  std::unique_ptr<ImageDecoder> decoder_;
  // Off-screen, SDL has no window events to wait for and its wait polls in
  // millisecond steps: a headless run waits on this instead.
  std::mutex wakeMutex_;
  std::condition_variable wakeSignal_;
  bool woken_ = false;
};

}  // namespace velmora
