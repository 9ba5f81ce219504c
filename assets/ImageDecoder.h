// Turning encoded pictures (PNG or BMP bytes) into pixels, kept apart from
// the render device: the picture list decodes through whichever decoder it was
// given. The SDL_image decoder gives real pixels; HeaderSizeDecoder gives
// only the size, for runs that never look at the pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// Pixels decoded from PNG/BMP bytes: width × height × 4 bytes, R G B A order,
// rows top-down.
struct DecodedImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // PNG or BMP bytes to RGBA; false when the bytes cannot be decoded.
  virtual bool Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) = 0;
};

// Width and height from PNG or BMP header bytes; false when unknown.
bool PeekImageSize(std::span<const std::uint8_t> bytes, int& width, int& height);

// Reads only the picture's size from its PNG or BMP header and fills every
// texel with one byte: enough for anything that does not look at the pixels
// (page tests, measuring the loop's own cost without rasterising).
class HeaderSizeDecoder : public ImageDecoder {
 public:
  explicit HeaderSizeDecoder(std::uint8_t fill) : fill_(fill) {}
  bool Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) override;

 private:
  std::uint8_t fill_;
};

}  // namespace velmora
