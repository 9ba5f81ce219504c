// A QR code of a short text (the tablet view's address), as a square of dark
// and light modules for the glass to draw. Made with libqrencode; a build
// without it makes none, and the link page shows the address as text only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct QrCode {
  int size = 0;                       // modules per side, without the quiet zone
  std::vector<std::uint8_t> modules;  // row by row, 1 dark
  bool Dark(int x, int y) const { return modules[static_cast<std::size_t>(y * size + x)] != 0; }
};

// Medium error correction, the smallest version that holds the text;
// nothing when the text does not fit or the build has no encoder.
std::optional<QrCode> EncodeQrCode(const std::string& text);

// False in a build without the encoder.
bool QrCodesAvailable();

}  // namespace velmora
