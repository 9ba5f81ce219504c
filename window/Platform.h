// What the main loop asks of the desktop: window events, a wait that ends
// when something happens, a way to wake that wait from another thread, the
// window and its drawing device, message boxes and screenshots. The SDL
// platform implements it; loop tests use a fake.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class ImageDecoder;
class WindowHost;

struct InputEvent {
  enum Kind {
    Quit,              // a window closed (window says which), or the desktop session asks to quit
    ShowFlightPage,    // F1
    ShowTacticalPage,  // F2
    ShowLinkPage,      // F3
    Click,             // left click at (x, y) in back-buffer pixels
    Brighter,          // Page Up: the window's picture a step brighter
    Dimmer,            // Page Down: a step dimmer
  } kind;
  int x = 0, y = 0;
  int window = 0;  // which window it acts on, 0 = the first
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The next pending window event; false when none is pending.
  virtual bool PollEvent(InputEvent& event) = 0;
  // Blocks until a window event arrives, Wake() is called, or the timeout
  // passes.
  virtual void Wait(std::chrono::milliseconds timeout) = 0;
  // Any thread: ends a Wait() now or the next one at once.
  virtual void Wake() = 0;

  virtual WindowHost& Window() = 0;
  // Decodes the pictures for the window's device.
  virtual ImageDecoder& Decoder() = 0;
  // Makes the placed window visible (a headless run has nothing to show).
  virtual void ShowWindow() = 0;
  // Called before each frame is drawn.
  virtual void FrameStarting() {}
  // Writes the last presented picture as PNG, replacing the file atomically.
  virtual bool SaveScreenshot(const std::string& file) = 0;
  // The same for another window (0 the first).
  virtual bool SaveWindowScreenshot(int window, const std::string& file) { return window == 0 && SaveScreenshot(file); }
  // Takes a window other than the first off the desktop; it gets no more
  // events.
  virtual void CloseWindow(int window) { (void)window; }
  // The last presented picture as 0xAARRGGBB words, row by row; false when
  // this platform keeps no pixels. The vector keeps its capacity, so a
  // caller that reuses it reads every frame without allocating.
  virtual bool ReadBackBuffer(std::vector<std::uint32_t>& argb, int& width, int& height) {
    (void)argb, (void)width, (void)height;
    return false;
  }
  // A modal error box; false when this platform cannot show one (headless).
  virtual bool ShowErrorBox(std::string_view caption, std::string_view text) = 0;
};

}  // namespace velmora
