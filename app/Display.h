// The instrument display: the screen, the pictures, the instrument sprites
// and the role-named fonts, the page on show, and one frame drawn from the
// flight data record. It knows nothing of sockets: the record is filled by
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
#include "app/WindowHost.h"
#include "engine/ImageDecoder.h"
#include "engine/Font.h"
#include "engine/PictureList.h"
#include "engine/Primitives.h"
#include "engine/Screen.h"
#include "engine/Sprite.h"
#include "link/FlightData.h"
#include "pages/FlightPage.h"
#include "pages/FrameCycle.h"
#include "pages/TacticalPage.h"
#include "pages/instruments/Instrument.h"

namespace velmora {

// The eight text fonts, by what they write.
enum FontRole : std::size_t {
  kBankLabelFont,      // "30"/"60" on the bank scale, white
  kReadoutFont,        // vertical speed, true airspeed, distance
  kLoadFactorFont,     // the G readout's whole number
  kDialReadoutFont,    // airspeed, altitude, kilometres, temperatures, tactical labels
  kSmallReadoutFont,   // G tenths, Mach, pressure setting, fuel
  kCaptionFont,        // "Топливо:"
  kRadarAltitudeFont,  // radar altitude
  kEngineSpeedFont,    // engine speed and the afterburner letter
  kFontCount
};

// A font's face size in points, style bits and colour.
struct FontSpec {
  std::string_view name;  // how recordings and tests identify the font
  int size;
  std::uint8_t style;
  std::uint8_t red, green, blue, alpha;
};
extern const std::array<FontSpec, kFontCount> kFontTable;

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
  // record's start-up values, screen and textures, the fonts and the
  // instrument sprites. The frames are the main loop's.
  void Start(const std::string& transport);
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
  void DrawFrame() { frameCycle_.Draw(page_); }
  // Drawn after the page, inside the same scene (the glass).
  void SetOverlay(std::function<void(Page)> draw) { frameCycle_.SetOverlay(std::move(draw)); }

  const Font& FontFor(FontRole role) const { return *fonts_[role]; }
  const SpriteSet& Sprites() const { return sprites_; }
  Screen& RenderScreen() { return screen_; }
  FrameCycle& Frames() { return frameCycle_; }
  const DrawKit& Kit() const { return kit_; }
  const FlightPage& FlightInstruments() const { return flightPage_; }
  const TacticalPage& TacticalInstruments() const { return tacticalPage_; }
  FlightData& Flight() { return flight_; }

 private:
  void LoadCatalogue();

  WindowHost& window_;
  FlightData& flight_;
  Page page_ = Page::None;
  std::string transport_;

  Screen screen_;
  PictureList images_;
  std::array<std::unique_ptr<Font>, kFontCount> fonts_;
  SpriteSet sprites_;
  Primitives primitives_;
  DrawKit kit_;
  FlightPage flightPage_;
  TacticalPage tacticalPage_;
  FrameCycle frameCycle_;
};

}  // namespace velmora
