// Screenshots that replace the previous picture only once they are complete.
//
// SDL_image's file writer does not notice every failed write (the last
// buffered bytes go out when the file is closed, and that result is lost), so
// on a full disk it would rename a cut-off PNG over a good one. The picture is
// encoded in memory instead and written here, where every write is checked.
#pragma once

#include <string>

struct SDL_Surface;

namespace velmora {

class SdlCanvas;

// Writes the surface as PNG to path via a temporary file beside it, flushed
// to disk, then renamed. On failure path keeps its previous bytes, no
// temporary file is left, and false is returned.
bool SavePngReplacing(SDL_Surface* surface, const std::string& path);
// The canvas's picture as presented (turned), the same way.
bool SaveScreenshot(SdlCanvas& canvas, const std::string& path);

}  // namespace velmora
