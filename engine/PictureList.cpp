// Picture list: pictures to power-of-two textures and the quad arithmetic of
// every instrument drawn from them.
#include "engine/PictureList.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/Screen.h"

namespace velmora {

// ---------------------------------------------------------------- item

Picture::Picture(PictureList* owner) : owner_(owner) {}

Picture::~Picture() { ReleaseTexture(true); }

int Picture::TextureSize(int n) {
  int size = 2;
  while (size < n && size < (1 << 30)) size <<= 1;
  return size;
}

void Picture::SetPictureSize(int width, int height) {
  pictureWidth_ = std::max(width, 1);
  pictureHeight_ = std::max(height, 1);
  tileWidth_ = std::max(width, 0);
  tileHeight_ = std::max(height, 0);
  textureWidth_ = TextureSize(width);
  textureHeight_ = TextureSize(height);
  RecountPatterns();
}

void Picture::RecountPatterns() {
  columns_ = tileWidth_ > 0 ? pictureWidth_ / tileWidth_ : 0;
  rows_ = tileHeight_ > 0 ? pictureHeight_ / tileHeight_ : 0;
}

void Picture::SetPicture(std::vector<std::uint8_t> encoded) {
  int w = 0, h = 0;
  if (!PeekImageSize(encoded, w, h)) w = h = 0;
  encoded_ = std::move(encoded);
  pixels_.clear();
  pixelsDecoded_ = false;
  SetPictureSize(w, h);
}

void Picture::SetPicturePixels(int width, int height, std::vector<std::uint8_t> rgba) {
  encoded_.clear();
  const bool ok = width > 0 && height > 0 &&
                  rgba.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  pixels_ = ok ? std::move(rgba) : std::vector<std::uint8_t>{};
  pixelsDecoded_ = ok;
  SetPictureSize(ok ? width : 0, ok ? height : 0);
}

void Picture::ClearPicture() {
  encoded_.clear();
  pixels_.clear();
  pixelsDecoded_ = false;
}

void Picture::SetTileWidth(int value) {
  tileWidth_ = value < 1 ? pictureWidth_ : value;
  RecountPatterns();
}

void Picture::SetTileHeight(int value) {
  tileHeight_ = value < 1 ? pictureHeight_ : value;
  RecountPatterns();
}

bool Picture::LoadTexture(Screen* screen, ImageDecoder* decoder) {
  // Trimmed file path: a picture file replaces the stored picture.
  std::string path = Filepath;
  path.erase(0, path.find_first_not_of(" \t\r\n"));
  path.erase(path.find_last_not_of(" \t\r\n") + 1);
  if (!path.empty()) {
    std::ifstream in(path, std::ios::binary);
    if (in) SetPicture(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
  }
  if (!HasPicture() || !screen || !screen->Device()) return true;
  device_ = screen->Device();
  screen_ = screen;
  if (tileHeight_ < 1) tileHeight_ = pictureHeight_;
  if (tileWidth_ < 1) tileWidth_ = pictureWidth_;

  if (texture_ == 0) {
    bool ok = true;
    if (!pixelsDecoded_) {
      DecodedImage img;
      ok = decoder && decoder->Decode(encoded_, img) && img.width > 0 && img.height > 0 &&
           img.rgba.size() == static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 4;
      if (ok) {
        if (img.width != pictureWidth_ || img.height != pictureHeight_) {
          // The header lied about the size: trust the decoder, whole picture as tile.
          SetPictureSize(img.width, img.height);
        }
        pixels_ = std::move(img.rgba);
        pixelsDecoded_ = true;
        encoded_.clear();
        encoded_.shrink_to_fit();
      }
    }
    if (ok) {
      // Picture in the top-left texels, transparent black margin.
      const int tw = TextureSize(pictureWidth_), th = TextureSize(pictureHeight_);
      std::vector<std::uint8_t> tex(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th) * 4, 0);
      const std::size_t row = static_cast<std::size_t>(pictureWidth_) * 4;
      for (int y = 0; y < pictureHeight_; ++y)
        std::memcpy(tex.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(tw) * 4,
                    pixels_.data() + static_cast<std::size_t>(y) * row, row);
      texture_ = device_->CreateTexture(tex, tw, th, Name);
      ok = texture_ != 0;
    }
    if (!ok) return false;
  }
  textureWidth_ = std::max(TextureSize(pictureWidth_), 2);
  textureHeight_ = std::max(TextureSize(pictureHeight_), 2);
  RecountPatterns();
  if (!path.empty()) encoded_.clear();  // the decoded pixels stay for resets
  return true;
}

void Picture::ReleaseTexture(bool release) {
  if (release && texture_ != 0 && device_) device_->ReleaseTexture(texture_);
  if (release) texture_ = 0;
  device_ = nullptr;
  screen_ = nullptr;
}

void Picture::DrawImage(int x, int y, const PictureStyle& style) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const float r = fx + static_cast<float>(tileWidth_), b = fy + static_cast<float>(tileHeight_);
  DrawQuad({fx, fy, r, fy, r, b, fx, b}, style);
}

void Picture::DrawQuad(const QuadCorners& corners, const PictureStyle& style) {
  const auto [x, y, x1, y1, x2, y2, x3, y3] = corners;
  const float angle = style.angle, centerX = style.centerX, centerY = style.centerY;
  const float scaleX = style.scaleX == 0 ? 1 : style.scaleX, scaleY = style.scaleY == 0 ? 1 : style.scaleY;
  const bool mirrorX = style.mirrorX, mirrorY = style.mirrorY;
  int patternIndex = style.patternIndex;
  if (!screen_ || !device_) return;
  Screen& screen = *screen_;
  screen.SetBlendMode(style.blendMode);

  Vertex v[4];
  struct { float u, v; } t[4];
  v[0].color = style.color1;
  v[1].color = style.color2;
  v[2].color = style.color3;
  v[3].color = style.color4;

  const float tw = static_cast<float>(textureWidth_), th = static_cast<float>(textureHeight_);
  float w, h;
  if (patternIndex == -1) {
    w = static_cast<float>(pictureWidth_);
    h = static_cast<float>(pictureHeight_);
    const float u = w / tw, vv = h / th;
    t[0] = {0, 0};
    t[1] = {u, 0};
    t[2] = {u, vv};
    t[3] = {0, vv};
  } else {
    const int count = PatternCount();
    if (patternIndex >= count) patternIndex = count - 1;
    // A tile larger than the picture leaves no whole pattern; draw the first.
    if (patternIndex < 0 || columns_ <= 0) patternIndex = 0;
    const int col = columns_ > 0 ? patternIndex % columns_ : 0;
    const int row = columns_ > 0 ? patternIndex / columns_ : 0;
    w = static_cast<float>(tileWidth_);
    h = static_cast<float>(tileHeight_);
    const float left = static_cast<float>(col) * w / tw, right = (static_cast<float>(col) * w + w) / tw;
    const float top = static_cast<float>(row) * h / th, bottom = (static_cast<float>(row) * h + h) / th;
    t[0] = {left, top};
    t[1] = {right, top};
    t[2] = {right, bottom};
    t[3] = {left, bottom};
  }

  // Which corner takes which texture pair under mirroring.
  static constexpr int kMirror[4][4] = {
      {0, 1, 2, 3},  // none
      {1, 0, 3, 2},  // left and right exchanged
      {3, 2, 1, 0},  // top and bottom exchanged
      {2, 3, 0, 1},  // both
  };
  const int* map = kMirror[(mirrorX ? 1 : 0) + (mirrorY ? 2 : 0)];
  for (int i = 0; i < 4; ++i) {
    v[i].u = t[map[i]].u;
    v[i].v = t[map[i]].v;
  }

  device_->BindTexture(texture_);

  // Only the left and top edges move by half a pixel, so that texel centres
  // land on pixel centres for an unrotated tile.
  v[0].x = x - 0.5f;
  v[0].y = y - 0.5f;
  v[1].x = x1;
  v[1].y = y1 - 0.5f;
  v[2].x = x2;
  v[2].y = y2;
  v[3].x = x3 - 0.5f;
  v[3].y = y3;

  const double px = static_cast<double>(x) + static_cast<double>(centerX) * w;
  const double py = static_cast<double>(y) + static_cast<double>(centerY) * h;
  const double theta = static_cast<double>(angle) * std::numbers::pi / 180.0;
  const double c = std::cos(theta), s = std::sin(theta);
  for (int i = 0; i < 4; ++i) {
    const double dx = v[i].x - px, dy = v[i].y - py;
    v[i].x = static_cast<float>(px + scaleX * c * dx - scaleY * s * dy);
    v[i].y = static_cast<float>(py + scaleX * s * dx + scaleY * c * dy);
  }
  screen.Draw(PrimitiveType::TriangleFan, v, 4);
}

// ---------------------------------------------------------------- collection

Picture& PictureCollection::Add() {
  items_.push_back(std::make_unique<Picture>(owner_));
  return *items_.back();
}

Picture* PictureCollection::Find(std::string_view name) const {
  for (const auto& item : items_)
    if (item->Name == name) return item.get();
  return nullptr;
}

// ---------------------------------------------------------------- list

PictureList::PictureList(Screen* screen, ImageDecoder* decoder) : decoder_(decoder) {
  AttachScreen(screen);
}

PictureList::~PictureList() {
  ReleaseTextures(true);
  if (screen_) screen_->Unregister(this);
}

void PictureList::AttachScreen(Screen* screen) {
  if (screen == screen_) return;
  if (screen_) screen_->Unregister(this);
  screen_ = screen;
  if (screen_) screen_->Register(this);
}

std::string PictureList::LoadTextures() {
  if (!screen_ || !screen_->Device()) return {};
  std::string failed;
  for (int i = 0; i < Pictures.Count(); ++i) {
    Picture& item = Pictures.Items(i);
    if (!item.LoadTexture(screen_, decoder_) && failed.empty()) failed = item.Name;
  }
  return failed;
}

void PictureList::ReleaseTextures(bool release) {
  for (int i = 0; i < Pictures.Count(); ++i) Pictures.Items(i).ReleaseTexture(release);
}

}  // namespace velmora
