// Picture sizes from PNG and BMP headers, and the decoder built on them that
// gives every picture its size and one fill byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "assets/ImageDecoder.h"

namespace velmora {
namespace {

TEST(ImageDecoder, HeaderSizesAndTheSizeOnlyDecoder) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0, 0, 0x03, 0x7C, 0, 0, 0x01, 0x18};
  std::vector<std::uint8_t> bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;
  bmp[18] = 150;
  bmp[22] = 2;
  std::vector<std::uint8_t> bmpTopDown = bmp;
  bmpTopDown[22] = 0xFE;  // −2
  bmpTopDown[23] = bmpTopDown[24] = bmpTopDown[25] = 0xFF;
  std::vector<std::uint8_t> truncated(png.begin(), png.begin() + 20);
  std::vector<std::uint8_t> junk = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    bool ok;
    int w, h;
  } cases[] = {{"png", png, true, 892, 280},          {"bmp", bmp, true, 150, 2},
               {"top-down bmp", bmpTopDown, true, 150, 2}, {"truncated png", truncated, false, 0, 0},
               {"gif", junk, false, 0, 0},          {"empty", {}, false, 0, 0}};
  HeaderSizeDecoder decoder(7);
  for (const auto& c : cases) {
    int w = 0, h = 0;
    EXPECT_EQ(PeekImageSize(c.bytes, w, h), c.ok) << c.what;
    DecodedImage img;
    EXPECT_EQ(decoder.Decode(c.bytes, img), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(w, c.w) << c.what;
      EXPECT_EQ(h, c.h) << c.what;
      EXPECT_EQ(img.width, c.w) << c.what;
      EXPECT_EQ(img.height, c.h) << c.what;
      ASSERT_EQ(img.rgba.size(), static_cast<std::size_t>(c.w * c.h * 4)) << c.what;
      EXPECT_TRUE(std::all_of(img.rgba.begin(), img.rgba.end(), [](std::uint8_t b) { return b == 7; })) << c.what;
    }
  }
}

}  // namespace
}  // namespace velmora
