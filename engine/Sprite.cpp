// Sprites and the sprite set.
#include "engine/Sprite.h"

#include <algorithm>
#include <cmath>

#include "engine/PictureList.h"

namespace velmora {

int RoundCoord(float v) {
  // Rounding at four decimals first makes values a hair below .5 (2.49996)
  // go up like the .5 itself.
  const double shifted = v >= 0 ? static_cast<double>(v) + 0.5 : static_cast<double>(v) - 0.5;
  const double r = std::nearbyint(shifted * 10000.0) / 10000.0;
  return static_cast<int>(std::trunc(r));
}

// ---------------------------------------------------------------- Sprite

Sprite::Sprite(SpriteSet* set) : set_(set) {
  if (set_) set_->Insert(this);
}

Sprite::~Sprite() {
  if (set_) set_->Remove(this);
}

void Sprite::UpdateGeometry() {
  const float w = static_cast<float>(width_), h = static_cast<float>(height_);
  x1_ = x_ + w;
  y1_ = y_;
  x2_ = x_ + w;
  y2_ = y_ + h;
  x3_ = x_;
  y3_ = y_ + h;
  bounds_.Left = RoundCoord(x_);
  bounds_.Top = RoundCoord(y_);
  bounds_.Right = bounds_.Left + width_;
  bounds_.Bottom = bounds_.Top + height_;
  centerPtX_ = x_ + w / 2;
  centerPtY_ = y_ + h / 2;
}

void Sprite::SetName(const std::string& name) { name_ = name; }

void Sprite::SetX(float x) {
  x_ = x;
  UpdateGeometry();
}

void Sprite::SetY(float y) {
  y_ = y;
  UpdateGeometry();
}

void Sprite::SetZ(int z) {
  if (z == z_) return;
  z_ = z;
  if (set_) {
    set_->Remove(this);
    set_->Insert(this);
  }
}

void Sprite::SetImage(Picture* image) {
  image_ = image;
  if (image_) {
    width_ = image_->TileWidth();
    height_ = image_->TileHeight();
    bounds_.Right = bounds_.Left + width_;
    bounds_.Bottom = bounds_.Top + height_;
  }
  SetX(x_);
  SetY(y_);
}

void Sprite::SetWidth(int w) {
  width_ = w;
  bounds_.Right = bounds_.Left + w;
}

void Sprite::SetHeight(int h) {
  height_ = h;
  bounds_.Bottom = bounds_.Top + h;
}

void Sprite::SetPatternIndex(int index) {
  if (image_) {
    const int count = image_->PatternCount();
    if (index > count) index = count;
  }
  patternIndex_ = index;
  if (image_ && image_->PatternColumns() > 0) {
    const int cols = image_->PatternColumns();
    patternSrcX_ = (index % cols) * image_->TileWidth();
    patternSrcY_ = (index / cols) * image_->TileHeight();
  } else {
    patternSrcX_ = patternSrcY_ = 0;
  }
}

void Sprite::Draw() {
  if (!Visible || !image_) return;
  if (!image_->Renderer()) return;  // no texture: its failure was reported
  const int x = RoundCoord(x_ + OffsetX), y = RoundCoord(y_ + OffsetY);
  image_->DrawImage(x, y,
                    PictureStyle{Angle, CenterX, CenterY, ScaleX, ScaleY, Color1, Color2, Color3, Color4, MirrorX,
                                 MirrorY, patternIndex_, BlendMode});
}

// ---------------------------------------------------------------- set

SpriteSet::~SpriteSet() {
  while (!list_.empty()) delete list_.back();
}

Sprite* SpriteSet::CreateSprite() { return new Sprite(this); }

void SpriteSet::Insert(Sprite* sprite) {
  int low = 0, high = static_cast<int>(list_.size()) - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    if (list_[static_cast<std::size_t>(middle)]->Z() < sprite->Z())
      low = middle + 1;
    else
      high = middle - 1;
  }
  list_.insert(list_.begin() + low, sprite);
}

void SpriteSet::Remove(Sprite* sprite) {
  if (auto it = std::find(list_.begin(), list_.end(), sprite); it != list_.end()) list_.erase(it);
}

}  // namespace velmora
