// The text fonts of the display, by what they write: the one table the pages
// draw with and start-up creates the fonts from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {

enum class FontRole : std::size_t {
  BankLabel,      // "30"/"60" on the bank scale, white
  Readout,        // vertical speed, true airspeed, distance
  LoadFactor,     // the G readout's whole number
  DialReadout,    // airspeed, altitude, kilometres, temperatures, tactical labels
  SmallReadout,   // G tenths, Mach, pressure setting, fuel
  Caption,        // "Топливо:"
  RadarAltitude,  // radar altitude
  EngineSpeed,    // engine speed and the afterburner letter
  LinkHeading,    // the link page's heading and the NO DATA flag
  LinkText,       // the link page's lines and the no-telemetry band
  LinkSmall,      // the link page's small print
};
inline constexpr std::size_t kFontCount = 11;

// A font's face size in points, style and first colour.
struct FontSpec {
  std::string_view name;  // how recordings and tests identify the font
  int size;
  bool bold, underline;
  std::uint8_t red, green, blue, alpha;
};

inline constexpr std::string_view kFontFace = "Arial";

inline constexpr std::array<FontSpec, kFontCount> kFontTable{{
    {"bankLabelFont", 10, true, false, 255, 255, 255, 255},
    {"readoutFont", 16, true, false, 50, 50, 50, 255},
    {"loadFactorFont", 17, false, true, 50, 50, 50, 255},
    {"dialReadoutFont", 16, false, true, 50, 50, 50, 255},
    {"smallReadoutFont", 13, true, false, 50, 60, 50, 255},
    {"captionFont", 12, false, true, 50, 50, 50, 255},
    {"radarAltitudeFont", 20, false, true, 95, 129, 104, 255},
    {"engineSpeedFont", 16, true, false, 0, 200, 81, 255},
    {"glassHeading", 15, true, false, 255, 255, 255, 255},
    {"glassText", 12, true, false, 255, 255, 255, 255},
    {"glassSmall", 11, false, false, 255, 255, 255, 255},
}};

constexpr const FontSpec& SpecOf(FontRole role) { return kFontTable[static_cast<std::size_t>(role)]; }

}  // namespace velmora
