// The one drawing interface of the pages: pictures of the catalogue placed,
// turned about a pivot, scaled and tinted; flat shapes and lines; text in the
// display's fonts; a clip rectangle; and a stack of transforms, so that an
// instrument draws in its own coordinates (Save, Translate to its origin,
// perhaps Rotate, draw, Restore). Back ends: SdlCanvas (SDL's renderer, with
// a fast path for its software renderer) and RecordingCanvas (tests, and the
// --null-render runs).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

using Argb = std::uint32_t;  // alpha 24..31, red 16..23, green 8..15, blue 0..7
using PictureId = int;       // row of the image catalogue

constexpr Argb MakeArgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255) {
  return (Argb{alpha} << 24) | (Argb{red} << 16) | (Argb{green} << 8) | blue;
}

// How a picture lies on its place, apart from where.
struct PictureTurn {
  float angle = 0;               // degrees, clockwise on the screen, about the pivot
  float pivotX = 0, pivotY = 0;  // the pivot as a fraction of the picture
  float scaleX = 1, scaleY = 1;  // about the pivot
  Argb tint = 0xFFFFFFFFu;       // multiplies the picture; its alpha is the opacity
};

// Pixel rectangle, corners included.
struct PixelBox {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const PixelBox&) const = default;
};

struct CanvasPoint { float x = 0, y = 0; };

// A font as a back end opens it at start-up: the face, its size in points,
// style and first colour.
struct FontSpec {
  std::string_view name, face;  // name: how recordings and tests identify it
  int size;
  bool bold, underline;
  std::uint8_t red, green, blue, alpha;
};
using FontId = std::size_t;  // row of the font table handed to Open

// A picture as a back end receives it at start-up: decoded R G B A bytes,
// rows top-down, and the tile a draw shows (the whole picture by default).
struct PictureData {
  std::string name;
  int width = 0, height = 0, tileWidth = 0, tileHeight = 0;
  std::vector<std::uint8_t> rgba;
};

// How a back end's start went; the application tells the user.
enum class ScreenStatus { Ok, NoCompatibleDevice };

class Canvas {
 public:
  virtual ~Canvas() = default;

  // ---- start-up and frames (the display's, not the pages') ----
  // Opens a width × height picture and makes the pictures' textures and the
  // fonts; failedPicture names the first picture that got no texture.
  virtual ScreenStatus Open(int width, int height, std::span<const PictureData> pictures,
                            std::span<const FontSpec> fonts, std::string& failedPicture) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A frame: the picture cleared to the colour, drawn, then presented.
  virtual void BeginFrame(Argb clear) = 0;
  virtual void Present() = 0;

  // ---- the transform and the clip ----
  void Save();
  void Restore();
  void Translate(int dx, int dy);
  // Turns what follows clockwise by the degrees about the current origin.
  void Rotate(float degrees);
  // Only pixels inside the box (in the current coordinates, its corner
  // moved by the transform) are drawn until the matching Restore.
  void Clip(PixelBox box);
  int OriginX() const { return static_cast<int>(std::lround(state_.x)); }
  int OriginY() const { return static_cast<int>(std::lround(state_.y)); }
  float Angle() const { return state_.angle; }
  bool Clipped() const { return state_.clipped; }
  PixelBox ClipBox() const { return state_.clip; }
  // A point of the current coordinates on the page, and the pixel it is in.
  CanvasPoint Map(float x, float y) const;
  void MapPixel(int& x, int& y) const;

  // ---- drawing ----
  // The picture's top-left corner at (x, y), rounded to the pixel.
  virtual void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn = {}) = 0;
  virtual void FillRect(Argb color, float x, float y, float width, float height) = 0;
  // One-pixel outline of the rectangle.
  virtual void StrokeRect(Argb color, float x, float y, float width, float height) = 0;
  // The pie sector about (cx, cy) from one angle to the other (degrees,
  // 0 to the right, clockwise), one segment per pixel of radius.
  virtual void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) = 0;
  // The convex polygon (or fan about its first point).
  virtual void FillPolygon(Argb color, std::span<const CanvasPoint> points) = 0;
  // A one-pixel line.
  virtual void Line(Argb color, float x1, float y1, float x2, float y2) = 0;
  // Pixels replaced, not blended: the box filled or not, and a border of
  // |thickness| outside it (thickness > 0) or inside it (< 0). Only moved
  // by the transform, never turned.
  virtual void Box(PixelBox box, bool filled, int thickness, Argb color) = 0;
  // UTF-8 text with the top-left of its cell at (x, y), which the
  // transform moves; the text itself is never turned.
  virtual void Text(FontId font, int x, int y, std::string_view utf8, Argb color) = 0;

 protected:
  // A back end that clips by itself hears of every change.
  virtual void ClipChanged() {}

 private:
  struct State {
    float x = 0, y = 0, angle = 0;
    double cos = 1, sin = 0;
    bool clipped = false;
    PixelBox clip;
  };
  State state_;
  std::array<State, 8> saved_{};
  int depth_ = 0;
};

// An instrument's drawing in its own coordinates: the canvas translated to
// the origin for the life of this object.
class AtOrigin {
 public:
  AtOrigin(Canvas& canvas, int x, int y) : canvas_(canvas) { canvas_.Save(); canvas_.Translate(x, y); }
  ~AtOrigin() { canvas_.Restore(); }
  AtOrigin(const AtOrigin&) = delete;
  AtOrigin& operator=(const AtOrigin&) = delete;

 private:
  Canvas& canvas_;
};

// ---- geometry every back end shares (pure, tested on its own) ----

// The rounding of picture places: 2.5 → 3, −2.5 → −3, 2.49996 → 3.
int RoundCoord(float v);

// One corner of a textured or flat draw: a page position (pixel (i, j) has
// its centre at (i, j)), an ARGB colour and texture coordinates.
struct Vertex {
  float x = 0, y = 0;
  std::uint32_t color = 0xFFFFFFFFu;
  float u = 0, v = 0;
};

// Every colour reaches the pixels scaled by 255/256 per channel (the
// arithmetic the artwork's pixels were made with).
std::uint32_t ScaledColor(std::uint32_t argb);

// The quad of a tile of tileWidth × tileHeight in a texture of texWidth ×
// texHeight, top-left at the whole pixel (x, y), turned as asked. Only the
// left and top edges move by half a pixel, so that texel centres land on
// pixel centres for an unturned tile.
std::array<Vertex, 4> PictureQuad(int x, int y, int tileWidth, int tileHeight, int texWidth, int texHeight,
                                  const PictureTurn& turn);

// The sector's centre and rim: n + 2 points into out (n = the radius
// rounded to even), its count returned; 0 for nothing to draw. Throws
// std::out_of_range("Range check error") for a radius of 999.5 and up.
inline constexpr int kSectorPoints = 1001;
int SectorFan(float cx, float cy, float radius, float fromAngle, float toAngle,
              std::array<CanvasPoint, kSectorPoints>& out);

}  // namespace velmora
