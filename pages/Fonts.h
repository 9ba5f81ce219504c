// The text fonts of the display, by what they write: the one table the pages
// draw with and the display opens the canvas's fonts from.
#pragma once

#include <array>
#include <cstddef>

#include "canvas/Canvas.h"

namespace velmora {

// Rows of kFontTable; they convert to the canvas's FontId.
namespace FontRole {
enum Role : FontId {
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
  Count
};
}  // namespace FontRole

inline constexpr std::string_view kFontFace = "Arial";

inline constexpr std::array<FontSpec, FontRole::Count> kFontTable{{
    {"bankLabelFont", kFontFace, 10, true, false, 255, 255, 255, 255},
    {"readoutFont", kFontFace, 16, true, false, 50, 50, 50, 255},
    {"loadFactorFont", kFontFace, 17, false, true, 50, 50, 50, 255},
    {"dialReadoutFont", kFontFace, 16, false, true, 50, 50, 50, 255},
    {"smallReadoutFont", kFontFace, 13, true, false, 50, 60, 50, 255},
    {"captionFont", kFontFace, 12, false, true, 50, 50, 50, 255},
    {"radarAltitudeFont", kFontFace, 20, false, true, 95, 129, 104, 255},
    {"engineSpeedFont", kFontFace, 16, true, false, 0, 200, 81, 255},
    {"glassHeading", kFontFace, 15, true, false, 255, 255, 255, 255},
    {"glassText", kFontFace, 12, true, false, 255, 255, 255, 255},
    {"glassSmall", kFontFace, 11, false, false, 255, 255, 255, 255},
}};

constexpr const FontSpec& SpecOf(FontId font) { return kFontTable[font]; }

}  // namespace velmora
