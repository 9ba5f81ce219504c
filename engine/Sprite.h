// Sprites: placed instances of pictures (position, tile, pivot, angle,
// scale, corner colours, mirroring, blend mode) and the sprite set that
// owns them and keeps them ordered by Z.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Screen.h"

namespace velmora {

class Picture;
class SpriteSet;

struct PixelRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

// The engine's rounding of positions: 2.5 → 3, −2.5 → −3, 2.49996 → 3.
int RoundCoord(float v);

class Sprite {
 public:
  // Registers with the set, which owns the sprite from then on and frees
  // it when it is destroyed (or delete it yourself: it unregisters).
  explicit Sprite(SpriteSet* set);
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // ---- plain fields ----
  bool Visible = true;
  int BlendMode = 0;   // −1 leaves the current mode
  bool MirrorX = false, MirrorY = false;
  float CenterX = 0, CenterY = 0;  // pivot as a fraction of the tile
  std::uint32_t Color1 = 0xFFFFFFFFu, Color2 = 0xFFFFFFFFu, Color3 = 0xFFFFFFFFu, Color4 = 0xFFFFFFFFu;
  float Angle = 0;  // degrees, clockwise on the screen
  float ScaleX = 1.0f, ScaleY = 1.0f;
  float OffsetX = 0, OffsetY = 0;  // added to X, Y when drawing only

  // ---- properties with setters ----
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  float X() const { return x_; }
  float Y() const { return y_; }
  void SetX(float x);
  void SetY(float y);
  int Z() const { return z_; }
  void SetZ(int z);
  Picture* Image() const { return image_; }
  void SetImage(Picture* image);
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int w);
  void SetHeight(int h);
  int PatternIndex() const { return patternIndex_; }
  void SetPatternIndex(int index);

  // ---- derived state ----
  // Top-right, bottom-right, bottom-left corners of the unrotated rectangle.
  float X1() const { return x1_; }
  float Y1() const { return y1_; }
  float X2() const { return x2_; }
  float Y2() const { return y2_; }
  float X3() const { return x3_; }
  float Y3() const { return y3_; }
  int PatternSourceX() const { return patternSrcX_; }
  int PatternSourceY() const { return patternSrcY_; }
  float CenterPointX() const { return centerPtX_; }
  float CenterPointY() const { return centerPtY_; }
  const PixelRect& BoundsRect() const { return bounds_; }

  void Draw();

 private:
  void UpdateGeometry();

  SpriteSet* set_;
  std::string name_;
  float x_ = 0, y_ = 0;
  float x1_ = 10, y1_ = 0, x2_ = 10, y2_ = 10, x3_ = 0, y3_ = 10;
  int patternSrcX_ = 0, patternSrcY_ = 0;
  int patternIndex_ = 0;
  float centerPtX_ = 5, centerPtY_ = 5;
  int z_ = 0;
  Picture* image_ = nullptr;
  int width_ = 10, height_ = 10;
  PixelRect bounds_{0, 0, 10, 10};
};

class SpriteSet {
 public:
  SpriteSet() = default;
  // Frees the sprites from the last in the list to the first.
  ~SpriteSet();
  SpriteSet(const SpriteSet&) = delete;
  SpriteSet& operator=(const SpriteSet&) = delete;

  // Same as new Sprite(this).
  Sprite* CreateSprite();

  // Ordered by ascending Z; equal Z: the later inserted first.
  const std::vector<Sprite*>& Sprites() const { return list_; }
  int Count() const { return static_cast<int>(list_.size()); }

 private:
  friend class Sprite;
  void Insert(Sprite* sprite);
  void Remove(Sprite* sprite);

  std::vector<Sprite*> list_;
};

}  // namespace velmora
