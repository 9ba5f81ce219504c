// The image catalogue: the named instrument pictures (assets/ImageTable.def),
// in index order, with their tile sizes and encodings. The pictures are drawn
// at build time by tools/artgen and their encoded bytes are compiled into the
// program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>

namespace velmora {

enum class ImageKind {
  PngRgba,  // 8-bit truecolour PNG with alpha
  PngRgb,   // 8-bit truecolour PNG without alpha (opaque)
  Bmp8,     // 8-bit palette BMP
};

struct ImageEntry {
  int index;
  std::string_view name;
  int tileWidth;
  int tileHeight;
  ImageKind kind;
};

namespace detail {
struct ImageRow {
  std::string_view name;
  int tileWidth;
  int tileHeight;
  ImageKind kind;
};
inline constexpr ImageRow kImageRows[] = {
#define VELMORA_IMAGE(name, width, height, kind) {#name, width, height, ImageKind::kind},
#include "assets/ImageTable.def"
#undef VELMORA_IMAGE
};
constexpr auto NumberedImages() {
  std::array<ImageEntry, std::size(kImageRows)> entries{};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ImageRow& r = kImageRows[i];
    entries[i] = {static_cast<int>(i), r.name, r.tileWidth, r.tileHeight, r.kind};
  }
  return entries;
}
}  // namespace detail

// The pictures of ImageTable.def, numbered in table order. Names are looked up
// exactly and case-sensitively; every tile is the whole picture.
inline constexpr auto kImageCatalogue = detail::NumberedImages();

// Index of the picture with exactly this name, or -1.
constexpr int FindImage(std::string_view name) {
  for (const ImageEntry& e : kImageCatalogue)
    if (e.name == name) return e.index;
  return -1;
}

// File name artgen writes for a picture: <Name>.png, or <Name>.bmp for Bmp8.
inline constexpr std::string_view ImageFileExtension(ImageKind kind) {
  return kind == ImageKind::Bmp8 ? ".bmp" : ".png";
}

// The encoded bytes (PNG or BMP file contents) of picture `index`; empty for
// an index outside the catalogue. Defined in the velmora_assets library.
std::span<const std::uint8_t> ImageBytes(int index);

}  // namespace velmora
