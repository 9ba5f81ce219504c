// Packed texels: every picture shape comes back texel for texel, into rows
// with padding, and the modulated form follows SDL's rule for every value.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "canvas/SdlTexelRuns.h"

namespace velmora {
namespace {

std::vector<std::uint8_t> Texels(int n, const std::function<std::uint32_t(int)>& texel) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(n) * 4);
  for (int i = 0; i < n; ++i) {
    const std::uint32_t t = texel(i);
    std::memcpy(&px[static_cast<std::size_t>(i) * 4], &t, 4);
  }
  return px;
}

TEST(TexelRuns, UnpackGivesBackEveryTexelIntoPaddedRows) {
  struct Case {
    const char* name;
    int width, height;
    std::function<std::uint32_t(int)> texel;
  } cases[] = {
      {"one texel", 1, 1, [](int) { return 0x11223344u; }},
      {"all transparent", 64, 64, [](int) { return 0u; }},
      {"all different", 37, 5, [](int i) { return static_cast<std::uint32_t>(i) * 2654435761u; }},
      {"pairs (too short to be runs)", 16, 3, [](int i) { return static_cast<std::uint32_t>(i / 2); }},
      {"runs across row ends", 10, 7, [](int i) { return static_cast<std::uint32_t>(i / 13) * 0x01010101u; }},
      {"runs between literals", 33, 9,
       [](int i) { return i % 11 < 6 ? 0xFF00FF00u : static_cast<std::uint32_t>(i); }},
      {"the top bit set in texels", 8, 8, [](int i) { return 0x80000000u | static_cast<std::uint32_t>(i % 5 == 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> px = Texels(c.width * c.height, c.texel);
    const TexelRuns runs = PackTexels(px);
    EXPECT_EQ(runs.texels, px.size() / 4);
    EXPECT_LE(runs.words.size(), px.size() / 4 + px.size() / 4 / 2 + 1);
    const int pitch = c.width * 4 + 12;  // padded rows must keep their padding
    std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(c.height), 0xAB);
    UnpackTexels(runs, c.width, c.height, out.data(), pitch);
    for (int y = 0; y < c.height; ++y) {
      const std::uint8_t* row = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch);
      ASSERT_EQ(std::memcmp(row, px.data() + static_cast<std::size_t>(y * c.width) * 4, static_cast<std::size_t>(c.width) * 4), 0)
          << "row " << y;
      for (int k = c.width * 4; k < pitch; ++k) ASSERT_EQ(row[k], 0xAB) << "padding of row " << y;
    }
  }
  // Shorter than the picture: unpacking stops at the last texel there is.
  const std::vector<std::uint8_t> px = Texels(6, [](int i) { return static_cast<std::uint32_t>(i); });
  std::vector<std::uint32_t> out(16, 7u);
  UnpackTexels(PackTexels(px), 4, 4, out.data(), 16);
  EXPECT_EQ(out[5], 5u);
  EXPECT_EQ(out[6], 7u);
}

TEST(TexelRuns, ModulatedTexelsAreEachChannelTimesColourDiv255) {
  // Every channel value, in runs and as literals: texel i is R i, G 255 − i,
  // B i / 2, A i, twice over with the second half in runs of three.
  std::vector<std::uint8_t> px;
  for (int i = 0; i < 512; ++i) {
    const int v = i < 256 ? i : (i - 256) / 3 * 3;
    px.insert(px.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(255 - v),
                         static_cast<std::uint8_t>(v / 2), static_cast<std::uint8_t>(v)});
  }
  const TexelRuns runs = PackTexels(px);
  for (const std::uint32_t colour : {0xFEFEFEFEu, 0xFFFFFFFFu, 0x00000000u, 0x80FF4001u, 0xFF010203u}) {
    SCOPED_TRACE(colour);
    std::vector<std::uint8_t> out(px.size());
    UnpackModulated(runs, 512, 1, colour, out.data(), 512 * 4);
    const unsigned mod[4] = {(colour >> 16) & 0xFFu, (colour >> 8) & 0xFFu, colour & 0xFFu, colour >> 24};
    for (std::size_t i = 0; i < out.size(); ++i)
      ASSERT_EQ(out[i], px[i] * mod[i % 4] / 255) << "texel " << i / 4 << ", byte " << i % 4;
  }
}

}  // namespace
}  // namespace velmora
