#include "assets/BezelButtons.h"
#include "assets/ImageCatalogue.h"
#include "tools/artgen/Artwork.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace velmora {
namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

TEST(ImageCatalogue, IndicesNamesAndLookup) {
  std::set<std::string_view> names;
  for (std::size_t i = 0; i < kImageCatalogue.size(); ++i) {
    EXPECT_EQ(kImageCatalogue[i].index, static_cast<int>(i));
    EXPECT_TRUE(names.insert(kImageCatalogue[i].name).second) << kImageCatalogue[i].name;
  }
  struct Case { std::string_view name; int index; };
  for (const Case c : {Case{"Plane", 0}, {"ADI_pitch", 7}, {"White_line", 2}, {"PPI", 36},
                       {"Engine_Right_Arrow_Red", 33}, {"Engine_Left_Arrow_Red", 34}, {"adi_pitch", -1},
                       {"ADI", -1}, {"", -1}, {"Plane ", -1}}) {
    EXPECT_EQ(FindImage(c.name), c.index) << c.name;
  }
  EXPECT_TRUE(ImageBytes(-1).empty());
  EXPECT_TRUE(ImageBytes(37).empty());
}

// Every embedded picture decodes to its catalogue size, with an alpha channel
// exactly when the catalogue says PNG-RGBA.
TEST(ImageCatalogue, EmbeddedBytesMatchSizeAndKind) {
  for (const ImageEntry& e : kImageCatalogue) {
    SCOPED_TRACE(std::string(e.name));
    const auto bytes = ImageBytes(e.index);
    ASSERT_GT(bytes.size(), 60u);
    if (e.kind == ImageKind::Bmp8) {
      ASSERT_EQ(bytes[0], 'B');
      ASSERT_EQ(bytes[1], 'M');
      EXPECT_EQ(LittleEndian32(&bytes[2]), bytes.size());
      EXPECT_EQ(static_cast<int>(LittleEndian32(&bytes[18])), e.tileWidth);
      EXPECT_EQ(static_cast<int>(LittleEndian32(&bytes[22])), e.tileHeight);
      EXPECT_EQ(bytes[28], 8);  // bits per pixel
      const std::uint32_t offset = LittleEndian32(&bytes[10]);
      EXPECT_EQ(bytes.size(), offset + static_cast<std::size_t>((e.tileWidth + 3) / 4 * 4) * e.tileHeight);
      // The line is white: every pixel indexes palette entry 255, which is white.
      for (std::size_t k = offset; k < offset + static_cast<std::size_t>(e.tileWidth); ++k) ASSERT_EQ(bytes[k], 255);
      EXPECT_EQ(bytes[54 + 255 * 4], 255);
      continue;
    }
    static const std::uint8_t kSig[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    ASSERT_EQ(std::memcmp(bytes.data(), kSig, 8), 0);
    ASSERT_EQ(std::memcmp(&bytes[12], "IHDR", 4), 0);
    EXPECT_EQ(static_cast<int>(BigEndian32(&bytes[16])), e.tileWidth);
    EXPECT_EQ(static_cast<int>(BigEndian32(&bytes[20])), e.tileHeight);
    EXPECT_EQ(bytes[24], 8);  // bit depth
    EXPECT_EQ(bytes[25], e.kind == ImageKind::PngRgba ? 6 : 2);  // RGBA : RGB

    struct Reader { std::span<const std::uint8_t> b; std::size_t at = 0; };
    Reader r{bytes};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
        [](void* c, unsigned char* data, unsigned int len) {
          auto* rd = static_cast<Reader*>(c);
          if (rd->at + len > rd->b.size()) return CAIRO_STATUS_READ_ERROR;
          std::memcpy(data, rd->b.data() + rd->at, len);
          rd->at += len;
          return CAIRO_STATUS_SUCCESS;
        },
        &r);
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(s), e.tileWidth);
    EXPECT_EQ(cairo_image_surface_get_height(s), e.tileHeight);
    EXPECT_EQ(cairo_image_surface_get_format(s), e.kind == ImageKind::PngRgba ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24);
    cairo_surface_destroy(s);
  }
}

TEST(BezelButtons, OneButtonPerPageOnTheVisibleBezel) {
  std::set<int> pages;
  for (const BezelButton& b : kPageButtons) {
    pages.insert(b.page);
    EXPECT_GE(b.x, 0);
    EXPECT_LE(b.x + b.w, 1024);
    EXPECT_GE(b.y, 0);
    EXPECT_LE(b.y + b.h, 650);  // the frame picture is 665 high; only 650 rows show
    EXPECT_FALSE(b.label.empty());
    EXPECT_EQ(PageButtonAt(b.x + b.w / 2.0, b.y + b.h / 2.0), &b);
    EXPECT_EQ(PageButtonAt(b.x, b.y), &b);
    EXPECT_EQ(PageButtonAt(b.x + b.w, b.y), nullptr);  // right edge is outside
    EXPECT_EQ(PageButtonAt(b.x - 0.5, b.y), nullptr);
  }
  EXPECT_EQ(pages, (std::set<int>{1, 2}));
  const BezelButton& a = kPageButtons[0];
  const BezelButton& b = kPageButtons[1];
  EXPECT_TRUE(a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y);
}

// Both frame pictures carry both buttons at the table's rectangles: a dark
// button face with a bright label, on the light bezel just outside.
TEST(BezelButtons, DrawnIntoBothFramesFromTheTable) {
  for (std::string_view frame : {"Main_minus_ADI", "Tactic_Frame"}) {
    const art::Picture p = art::DrawPicture(frame);
    for (const BezelButton& b : kPageButtons) {
      SCOPED_TRACE(std::string(frame) + " " + std::string(b.label));
      int bright = 0, dark = 0;
      for (int y = b.y + 2; y < b.y + b.h - 2; ++y)
        for (int x = b.x + 2; x < b.x + b.w - 2; ++x) {
          EXPECT_EQ(p.Alpha(x, y), 255);
          const std::uint32_t c = p.At(x, y);
          const unsigned top = std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu});
          if (top < 110) ++dark;
          else if (top > 200) ++bright;
        }
      EXPECT_GT(dark, b.w * b.h / 2);
      EXPECT_GT(bright, 20);
      EXPECT_GT(p.Brightness(b.x - 8, b.y + b.h / 2), 150);  // bezel beside it
    }
  }
}

// Font caches are process-wide: free them after the last test.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { art::ReleaseFontCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
}  // namespace velmora
