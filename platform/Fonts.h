// Finding a font file for a face name.
//
// The system's own face comes first (fontconfig's match on Linux, the fonts
// folder on Windows); where the system has none, Liberation Sans shipped
// beside the program stands in (metric-compatible with Arial). With the
// environment variable VELMORA_FONT_DIR set, Liberation Sans from that
// folder is used for every face, so that pixel tests see the same glyphs
// on every machine.
#pragma once

#include <string>

namespace velmora::platform {

// The file for face in the given style, UTF-8; empty when none was found.
std::string FindFontFile(const std::string& face, bool bold, bool italic);

// Frees what the look-ups keep; the next look-up starts afresh.
void ReleaseFontLookups();

// The bundled face's file for a style inside dir (it need not exist).
std::string BundledFontFile(const std::string& dir, bool bold, bool italic);

// What the system offers for face; empty when nothing (each system's file).
std::string SystemFontFile(const std::string& face, bool bold, bool italic);

// The folder the bundled face is shipped in.
std::string BundledFontDir();

}  // namespace velmora::platform
