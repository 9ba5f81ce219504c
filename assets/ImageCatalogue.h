// The image catalogue: the 37 named instrument pictures, in index order, with
// their tile sizes and encodings. The pictures are drawn at build time by
// tools/artgen and their encoded bytes are compiled into the program.
#pragma once

#include <array>
#include <cstdint>
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

// Names are looked up exactly and case-sensitively; every tile is the whole
// picture.
inline constexpr std::array<ImageEntry, 37> kImageCatalogue{{
    {0, "Plane", 892, 280, ImageKind::PngRgba},
    {1, "Main_minus_ADI", 1024, 665, ImageKind::PngRgba},
    {2, "White_line", 150, 2, ImageKind::Bmp8},
    {3, "Speed", 219, 213, ImageKind::PngRgba},
    {4, "Speed_arrow", 83, 44, ImageKind::PngRgba},
    {5, "Vertical_speed", 102, 203, ImageKind::PngRgb},
    {6, "Vertical_speed_arrow", 23, 80, ImageKind::PngRgba},
    {7, "ADI_pitch", 256, 1600, ImageKind::PngRgb},
    {8, "G_meter", 64, 221, ImageKind::PngRgba},
    {9, "G_meter_arrow", 33, 10, ImageKind::PngRgba},
    {10, "AOA", 104, 220, ImageKind::PngRgba},
    {11, "AOA_arrow", 176, 48, ImageKind::PngRgba},
    {12, "Alt", 219, 211, ImageKind::PngRgba},
    {13, "Alt_KM", 54, 45, ImageKind::PngRgba},
    {14, "Alt_M", 35, 93, ImageKind::PngRgba},
    {15, "DRP", 154, 3, ImageKind::PngRgba},
    {16, "DRB", 3, 153, ImageKind::PngRgba},
    {17, "HSI_fon", 102, 102, ImageKind::PngRgba},
    {18, "HSI_compass", 168, 169, ImageKind::PngRgba},
    {19, "ADF", 11, 162, ImageKind::PngRgba},
    {20, "RMI", 13, 160, ImageKind::PngRgba},
    {21, "Slide_ball", 94, 23, ImageKind::PngRgba},
    {22, "Button_map", 57, 56, ImageKind::PngRgb},
    {23, "Ball", 9, 201, ImageKind::PngRgba},
    {24, "Map_Plane", 100, 149, ImageKind::PngRgba},
    {25, "Tactic_Fon", 874, 500, ImageKind::PngRgb},
    {26, "Tactic_Frame", 1024, 665, ImageKind::PngRgba},
    {27, "Tactic_Compass", 790, 792, ImageKind::PngRgba},
    {28, "Tactic_Course_Line", 4, 389, ImageKind::PngRgba},
    {29, "Mach_meter", 900, 31, ImageKind::PngRgb},
    {30, "Engine_Fon", 198, 278, ImageKind::PngRgba},
    {31, "Engine_Left_Arrow", 252, 16, ImageKind::PngRgba},
    {32, "Engine_Right_Arrow", 252, 16, ImageKind::PngRgba},
    {33, "Engine_Right_Arrow_Red", 252, 16, ImageKind::PngRgba},
    {34, "Engine_Left_Arrow_Red", 252, 16, ImageKind::PngRgba},
    {35, "Engine_Fon_2", 177, 283, ImageKind::PngRgba},
    {36, "PPI", 200, 171, ImageKind::PngRgba},
}};

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
