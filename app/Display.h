// The instrument display: the pictures, the window's canvas the pages draw
// on, the page on show, and one frame drawn from the flight data record. It knows nothing of sockets: the record is filled by
// the telemetry input, and the display only reads it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Config.h"
#include "window/WindowHost.h"
#include "assets/ImageDecoder.h"
#include "canvas/Canvas.h"
#include "link/FlightData.h"
#include "pages/FlightPage.h"
#include "pages/FrameCycle.h"
#include "pages/TacticalPage.h"

namespace velmora {

// "Velmora <version>": the window's caption before start-up prefixes the transport.
std::string ProgramCaption();

class Display {
 public:
  // The decoder turns the embedded pictures into textures at start-up.
  Display(WindowHost& window, ImageDecoder& decoder, FlightData& flight);
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Start-up, first step: puts the window where config.txt says (or centred
  // at the fallback size) and returns the transport text the file chose
  // ("tcp" without a usable file).
  std::string RestoreWindow(const std::optional<WindowConfig>& saved);
  // The rest of start-up: caption with the transport, the flight page, the
  // record's start-up values, the canvas with the pictures and the fonts;
  // the frames are the main loop's. Not Ok: the canvas could not open,
  // and the caller tells the user and ends the program.
  ScreenStatus Start(const std::string& transport);
  // What config.txt keeps at close: the window's place and width, the page
  // and the transport.
  WindowConfig CurrentWindowConfig() const;

  void ShowFlightPage() { page_ = Page::Flight; }
  void ShowTacticalPage() { page_ = Page::Tactical; }
  void ShowPage(Page page) { page_ = page; }
  Page CurrentPage() const { return page_; }
  const std::string& Transport() const { return transport_; }

  // A frame in two halves around its pacing wait.
  void PrepareFrame() { frameCycle_.KeepAspectRatio(); }
  void DrawFrame();
  // Drawn after the page, inside the same frame (the link page and the
  // no-data overlay).
  void SetOverlay(std::function<void(Page)> draw) { overlay_ = std::move(draw); }
  // The picture's brightness in percent (10..100). Below 100 black is laid
  // over the finished frame, bezel and all, so the window, its screenshots
  // and the browser view all show it dimmed; 100 draws nothing more.
  void SetBrightness(int percent);
  int Brightness() const { return brightness_; }

  // What the pages draw on: the window's canvas.
  Canvas& PageCanvas() { return canvas_; }
  FrameCycle& Frames() { return frameCycle_; }
  const FlightPage& FlightInstruments() const { return flightPage_; }
  const TacticalPage& TacticalInstruments() const { return tacticalPage_; }
  FlightData& Flight() { return flight_; }

 private:
  // A picture without texture: the box, and the program closes.
  void ReportTextureFailure(const std::string& picture);

  WindowHost& window_;
  FlightData& flight_;
  Page page_ = Page::None;
  std::string transport_;

  ImageDecoder& decoder_;
  Canvas& canvas_;
  FlightPage flightPage_;
  TacticalPage tacticalPage_;
  FrameCycle frameCycle_;
  std::function<void(Page)> overlay_;
  int brightness_ = 100;
};

}  // namespace velmora
