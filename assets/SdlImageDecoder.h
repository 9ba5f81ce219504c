// PNG and BMP pictures decoded by SDL_image into R G B A pixels.
#pragma once

#include "assets/ImageDecoder.h"

namespace velmora {

class SdlImageDecoder : public ImageDecoder {
 public:
  SdlImageDecoder();
  bool Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) override;
};

}  // namespace velmora
