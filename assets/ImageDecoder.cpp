// Picture header sizes and the size-only decoder.
#include "assets/ImageDecoder.h"

#include <cstring>

namespace velmora {

bool PeekImageSize(std::span<const std::uint8_t> b, int& width, int& height) {
  static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto be32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
           static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
  };
  auto le32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
                                     static_cast<std::uint32_t>(b[at + 2]) << 16 |
                                     static_cast<std::uint32_t>(b[at + 3]) << 24);
  };
  if (b.size() >= 24 && std::memcmp(b.data(), kPng, 8) == 0 && std::memcmp(b.data() + 12, "IHDR", 4) == 0) {
    const std::uint32_t w = be32(16), h = be32(20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
  }
  if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
    const std::int32_t headerSize = le32(14);
    std::int64_t w = 0, h = 0;
    if (headerSize == 12) {  // OS/2 core header: 16-bit sizes
      w = b[18] | b[19] << 8;
      h = b[20] | b[21] << 8;
    } else {
      w = le32(18);
      h = le32(22);
    }
    h = h < 0 ? -h : h;  // negative height: rows stored top-down
    if (w <= 0 || h <= 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
  }
  return false;
}

bool HeaderSizeDecoder::Decode(std::span<const std::uint8_t> bytes, DecodedImage& out) {
  if (!PeekImageSize(bytes, out.width, out.height)) return false;
  out.rgba.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4, fill_);
  return true;
}

}  // namespace velmora
