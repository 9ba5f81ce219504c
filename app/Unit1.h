// The main window TForm1: it owns every component of the display, runs
// start-up (config.txt, listener choice, caption, record values, screen,
// textures, timer, fonts, sprites) and shutdown (config.txt written back),
// and selects the page.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/Config.h"
#include "engine/OmegaBitmapFont.h"
#include "engine/OmegaFont.h"
#include "engine/OmegaImageList.h"
#include "engine/OmegaPrimitives.h"
#include "engine/OmegaScreen.h"
#include "engine/OmegaSprite.h"
#include "engine/OmegaTimer.h"
#include "link/FlightData.h"
#include "link/Listeners.h"
#include "pages/FrameCycle.h"
#include "pages/Instruments.h"

namespace velmora {

class HandoverQueue;

struct OuterBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// What the shell asks of its window; the SDL window implements it, tests
// use a fake.
class WindowHost : public FrameWindow {
 public:
  virtual OuterBounds GetOuterBounds() const = 0;
  virtual void SetOuterPosition(int left, int top) = 0;
  virtual void SetOuterWidth(int width) = 0;
  // Centres a window of the given outer size on the primary display.
  virtual void CenterOnPrimary(int width, int height) = 0;
  // True when the rectangle overlaps any connected display.
  virtual bool OnSomeDisplay(const OuterBounds& b) const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The drawing device bound to this window.
  virtual RenderDevice* Device() = 0;
};

// The fonts of the display: face, size in points, style bits, colour.
struct FontSpec {
  int size;
  std::uint8_t style;
  std::uint8_t red, green, blue, alpha;
};
extern const std::array<FontSpec, 9> kFontTable;

inline constexpr std::string_view kFormCaption = "Velmora 1.1.1.21";

class TForm1 {
 public:
  // Builds every component; both listeners are opened here, before start-up
  // runs, so a port in use fails window creation (ListenerOpenError).
  TForm1(WindowHost& window, HandoverQueue& handover, ListenerConfig ports, ListenerHooks hooks,
         std::filesystem::path configPath = "config.txt");
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  void FormCreate();
  void FormClose();
  void Button_TOClick() { shell.PageMode = 2; }   // tactical page
  void Button_PILClick() { shell.PageMode = 1; }  // flight page

  // The timer's tick handler: one frame.
  void OmegaTimer1Timer() { frameCycle_.OmegaTimer1Timer(); }

  FlightData record;
  ShellState shell;

  TOmegaScreen OmegaScreen1;
  TOmegaTimer OmegaTimer1;
  TOmegaImageList OmegaImageList1;
  std::array<std::unique_ptr<TOmegaFont>, 9> fonts;  // OmegaFont1..9
  TOmegaSprite OmegaSprite1;
  TOmegaPrimitives OmegaPrimitives1;
  TOmegaBitmapFont OmegaBitmapFont1;
  Instruments instruments;

  TelemetryListeners& Listeners() { return *listeners_; }
  FrameCycle& Frames() { return frameCycle_; }
  WindowHost& Window() { return window_; }

 private:
  void LoadCatalogue();

  WindowHost& window_;
  std::filesystem::path configPath_;
  std::unique_ptr<TelemetryListeners> listeners_;
  FrameCycle frameCycle_;
};

}  // namespace velmora
