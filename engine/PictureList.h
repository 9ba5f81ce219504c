// The artwork: named pictures turned into power-of-two textures (picture in
// the top-left texels, transparent black margin) and drawn as textured quads
// that may be cut into tiles, scaled, rotated about a pivot and mirrored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ImageDecoder.h"
#include "engine/RenderDevice.h"

namespace velmora {

class Screen;
class PictureList;

// How a picture is laid on its quad, apart from where.
struct PictureStyle {
  float angle = 0;                 // degrees, clockwise on the screen, about the pivot
  float centerX = 0, centerY = 0;  // the pivot as a fraction of the tile
  float scaleX = 1, scaleY = 1;    // about the pivot; 0 counts as 1
  // Vertex colours: top-left, top-right, bottom-right, bottom-left.
  std::uint32_t color1 = 0xFFFFFFFFu, color2 = 0xFFFFFFFFu, color3 = 0xFFFFFFFFu, color4 = 0xFFFFFFFFu;
  bool mirrorX = false, mirrorY = false;
  int patternIndex = 0;  // which tile; -1 the whole picture
  BlendMode blendMode = BlendMode::Alpha;
};

// Corners: (x, y) top-left, (x1, y1) top-right, (x2, y2) bottom-right,
// (x3, y3) bottom-left.
struct QuadCorners {
  float x, y, x1, y1, x2, y2, x3, y3;
};

class Picture {
 public:
  explicit Picture(PictureList* owner = nullptr);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  std::string Name;
  std::string Filepath;  // loaded at LoadTextures when not empty

  // The picture as PNG or BMP bytes, decoded by the list's decoder at
  // LoadTextures. The size is read from the header at once; tiles become the
  // whole picture.
  void SetPicture(std::vector<std::uint8_t> encoded);
  // The picture as already decoded pixels (R G B A, top-down).
  void SetPicturePixels(int width, int height, std::vector<std::uint8_t> rgba);
  bool HasPicture() const { return !encoded_.empty() || !pixels_.empty(); }
  void ClearPicture();

  int TileWidth() const { return tileWidth_; }
  int TileHeight() const { return tileHeight_; }
  void SetTileWidth(int value);   // 0 = the picture width
  void SetTileHeight(int value);  // 0 = the picture height

  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }
  int TextureWidth() const { return textureWidth_; }
  int TextureHeight() const { return textureHeight_; }
  int PatternRows() const { return rows_; }
  int PatternColumns() const { return columns_; }
  int PatternCount() const { return rows_ * columns_; }

  TextureId Texture() const { return texture_; }
  // The texture is made and the picture can be drawn on its screen.
  bool Ready() const { return screen_ != nullptr; }
  RenderDevice* Device() const { return device_; }

  // Decoded picture kept for device resets (width × height × 4 bytes);
  // empty until the texture was created.
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

  // The picture's tile with its top-left corner at (x, y).
  void DrawImage(int x, int y, const PictureStyle& style);
  // The tile stretched over any four corners.
  void DrawQuad(const QuadCorners& corners, const PictureStyle& style);

  // Texture creation for this item (the picture list's LoadTextures step);
  // an encoded picture is decoded with decoder (none: it cannot be). False when
  // it got no texture.
  bool LoadTexture(Screen* screen, ImageDecoder* decoder);
  void ReleaseTexture(bool release);

  // Smallest power of two, at least 2, that holds n.
  static int TextureSize(int n);

 private:
  void SetPictureSize(int width, int height);
  void RecountPatterns();

  PictureList* owner_ = nullptr;
  std::vector<std::uint8_t> encoded_;
  std::vector<std::uint8_t> pixels_;
  bool pixelsDecoded_ = false;  // pixels_ holds the decoded picture
  int tileWidth_ = 1, tileHeight_ = 1;
  int rows_ = 0, columns_ = 0;
  int pictureWidth_ = 1, pictureHeight_ = 1;
  int textureWidth_ = 2, textureHeight_ = 2;
  TextureId texture_ = 0;
  RenderDevice* device_ = nullptr;
  Screen* screen_ = nullptr;  // where it draws, once its texture is made
};

class PictureCollection {
 public:
  explicit PictureCollection(PictureList* owner = nullptr) : owner_(owner) {}
  Picture& Add();
  // First item whose Name equals name exactly (case-sensitive); null if none.
  Picture* Find(std::string_view name) const;
  Picture& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear() { items_.clear(); }

 private:
  PictureList* owner_;
  std::vector<std::unique_ptr<Picture>> items_;
};

class PictureList {
 public:
  explicit PictureList(Screen* screen = nullptr, ImageDecoder* decoder = nullptr);
  ~PictureList();
  PictureList(const PictureList&) = delete;
  PictureList& operator=(const PictureList&) = delete;

  PictureCollection Pictures{this};

  Screen* AttachedScreen() const { return screen_; }
  void AttachScreen(Screen* screen);

  // What turns the items' encoded pictures into pixels at LoadTextures; not
  // owned. Without one, encoded pictures fail like undecodable ones.
  void SetDecoder(ImageDecoder* decoder) { decoder_ = decoder; }

  // Creates the texture of every item that has none.
  // The name of the first picture that got no texture, or empty.
  std::string LoadTextures();
  // Drops each item's device and screen references; with release also
  // its texture.
  void ReleaseTextures(bool release);


 private:
  friend class Screen;  // clears screen_ when the screen goes first
  Screen* screen_ = nullptr;
  ImageDecoder* decoder_ = nullptr;
};

}  // namespace velmora
