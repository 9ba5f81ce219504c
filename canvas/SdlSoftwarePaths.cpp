// Fast paths of the software renderer: modulated picture copies and flat
// fans blended in one pass.
#include "canvas/SdlSoftwarePaths.h"

#include <cstddef>

namespace velmora {

namespace {

// Modulated copies a picture may have; further colours take SDL's own
// modulation on the plain copy, so an animated colour cannot fill memory.
constexpr std::size_t kMaxTints = 2;

}  // namespace

void DestroyCopies(SdlPicture& t) {
  if (t.plain.texture) SDL_DestroyTexture(t.plain.texture);
  t.plain.texture = nullptr;
  for (auto& c : t.tints) SDL_DestroyTexture(c.texture);
  t.tints.clear();
}

void SdlSoftwarePaths::DropFanLayer() {
  if (fanLayer_) SDL_DestroyTexture(fanLayer_);
  fanLayer_ = nullptr;
}

// SDL's software renderer blends a colour-modulated picture pixel by pixel
// with exact divisions, several times slower than its blitter for an
// unmodulated one, and the screen modulates nearly every picture (channel ×
// 255 div 256 = 254). A draw whose corners share one colour therefore uses a
// copy of the picture with that colour already multiplied in, by the same
// rule SDL applies (texel × colour div 255), and white vertices. SDL's
// blitter for an unmodulated picture rounds its blend a little differently
// from the modulated path: a step per channel mostly, two at most (three
// where a stretched picture is also filtered). The copy keeps the picture's
// R G B A layout: an ARGB8888 copy would be blitted by a routine that
// darkens bright texels by up to three steps.
SdlPictureCopy* SdlSoftwarePaths::CopyFor(SDL_Renderer* renderer, SdlPicture& t, const Vertex* v, int count,
                                          bool& tinted) {
  tinted = false;
  if (t.packed.words.empty()) return t.plain.texture ? &t.plain : nullptr;
  const std::uint32_t colour = v[0].color;
  bool uniform = colour != 0xFFFFFFFFu;
  for (int i = 1; uniform && i < count; ++i) uniform = v[i].color == colour;
  if (uniform) {
    for (auto& c : t.tints)
      if (c.colour == colour) {
        tinted = true;
        ++draws_;
        return &c;
      }
    if (t.tints.size() < kMaxTints) {
      SDL_Texture* tex = MakeCopy(renderer, t, colour);
      if (tex) {
        t.tints.push_back(SdlPictureCopy{tex, colour});
        tinted = true;
        ++draws_;
        return &t.tints.back();
      }
    }
  }
  if (!t.plain.texture) t.plain = SdlPictureCopy{MakeCopy(renderer, t, 0xFFFFFFFFu)};
  return t.plain.texture ? &t.plain : nullptr;
}

// Unpacks the picture into a new SDL texture: the texels as they are for
// white, else ARGB8888 texels multiplied by the colour.
SDL_Texture* SdlSoftwarePaths::MakeCopy(SDL_Renderer* renderer, const SdlPicture& t, std::uint32_t colour) {
  const bool plain = colour == 0xFFFFFFFFu;
  SDL_Texture* tex =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING, t.width, t.height);
  if (!tex) return nullptr;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(tex, nullptr, &pixels, &pitch) != 0) {
    SDL_DestroyTexture(tex);
    return nullptr;
  }
  if (plain)
    UnpackTexels(t.packed, t.width, t.height, pixels, pitch);
  else
    UnpackModulated(t.packed, t.width, t.height, colour, pixels, pitch);
  SDL_UnlockTexture(tex);
  return tex;
}

// SDL's software rasteriser blends each triangle through a layer the size
// of its bounding box; the thin slices of a pie sector make that quadratic.
// Here the same coverage rules run per row (SdlFanCoverage), the covered
// pixels go into one layer in the fan's colour and the layer is blended once
// with the same blender, so the target receives the same values. A pixel
// two triangles cover (a fan folding over itself) is blended twice there,
// and here too: one extra pass per level of overlap.
bool SdlSoftwarePaths::DrawFlatFan(SDL_Renderer* renderer, const Vertex* v, int count, int width, int height) {
  if (count < 5) return false;  // quads: SDL fills rectangles itself
  for (int i = 1; i < count; ++i)
    if (v[i].color != v[0].color) return false;
  SDL_BlendMode mode = SDL_BLENDMODE_INVALID;
  SDL_GetRenderDrawBlendMode(renderer, &mode);
  // Uncovered layer pixels are transparent black: they leave the target
  // alone only under these two modes.
  if (mode != SDL_BLENDMODE_BLEND && mode != SDL_BLENDMODE_ADD) return false;
  constexpr float kFar = 1 << 20;  // beyond this SDL's own integer arithmetic is not safe to mirror
  fanXy_.resize(static_cast<std::size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    const float x = v[i].x + 0.5f, y = v[i].y + 0.5f;
    if (!(x > -kFar && x < kFar && y > -kFar && y < kFar)) return false;
    fanXy_[static_cast<std::size_t>(i) * 2] = x;
    fanXy_[static_cast<std::size_t>(i) * 2 + 1] = y;
  }
  ++draws_;
  if (!CoverFan(fanXy_.data(), count, width, height, fanCover_)) return true;  // nothing to draw

  int lw = 0, lh = 0;
  if (fanLayer_ && (SDL_QueryTexture(fanLayer_, nullptr, nullptr, &lw, &lh) != 0 || lw != width || lh != height))
    DropFanLayer();
  if (!fanLayer_) {
    fanLayer_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!fanLayer_) return false;
  }
  SDL_SetTextureBlendMode(fanLayer_, mode);
  const FanCoverage& c = fanCover_;
  const SDL_Rect rect{c.left, c.top, c.width, c.height};
  const Uint32 argb = v[0].color;  // ARGB8888 holds the colour value as it is
  for (int pass = 1; pass <= c.maxCount; ++pass) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(fanLayer_, &rect, &pixels, &pitch) != 0) return pass > 1;
    for (int y = 0; y < c.height; ++y) {
      Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitch);
      const std::uint8_t* in = c.count.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(c.width);
      for (int x = 0; x < c.width; ++x) out[x] = in[x] >= pass ? argb : 0u;
    }
    SDL_UnlockTexture(fanLayer_);
    SDL_RenderCopy(renderer, fanLayer_, &rect, &rect);
  }
  return true;
}

}  // namespace velmora
