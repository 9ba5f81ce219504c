// The SDL canvas's pictures, and its fast paths on SDL's software renderer:
// a picture's textures are made on its first draw, in the colour it is drawn
// with (so SDL blits it unmodulated), and blended straight into the page
// (SdlDirectBlits) when SDL would copy them unstretched or as triangles, as
// are flat-coloured fans (pie sectors). Elsewhere a picture has its plain
// texture only.
#include <cstddef>
#include <cstring>

#include "canvas/SdlCanvas.h"

namespace velmora {

// Modulated copies a picture may have; further colours take SDL's own
// modulation on the plain copy, so an animated colour cannot fill memory.
constexpr std::size_t kMaxTints = 2;

SDL_Texture* SdlCanvas::MakeTexture(const SdlPicture& t, std::uint32_t colour, SDL_TextureAccess access) {
  SDL_Texture* tex = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, access, t.texWidth, t.texHeight);
  if (!tex) return nullptr;
  const int pitch = t.texWidth * 4;
  std::vector<std::uint8_t> staged(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(t.texHeight));
  // One table per texel byte, R G B A.
  const unsigned mod[4] = {(colour >> 16) & 0xFFu, (colour >> 8) & 0xFFu, colour & 0xFFu, colour >> 24};
  std::array<std::array<std::uint8_t, 256>, 4> table;
  for (std::size_t c = 0; c < 4; ++c)
    for (unsigned v = 0; v < 256; ++v) table[c][v] = static_cast<std::uint8_t>(v * mod[c] / 255u);
  const std::size_t row = static_cast<std::size_t>(t.width) * 4;
  for (int y = 0; y < t.height; ++y) {  // the margin stays transparent black
    std::uint8_t* out = staged.data() + static_cast<std::ptrdiff_t>(y) * pitch;
    const std::uint8_t* in = t.texels.data() + static_cast<std::size_t>(y) * row;
    if (colour == 0xFFFFFFFFu)
      std::memcpy(out, in, row);
    else
      for (std::size_t i = 0; i < row; i += 4, in += 4)
        out[i] = table[0][in[0]], out[i + 1] = table[1][in[1]], out[i + 2] = table[2][in[2]], out[i + 3] = table[3][in[3]];
  }
  if (SDL_UpdateTexture(tex, nullptr, staged.data(), pitch) != 0) {
    SDL_DestroyTexture(tex);
    return nullptr;
  }
  return tex;
}

void SdlCanvas::DestroyCopies(SdlPicture& t) {
  if (t.plain.texture) SDL_DestroyTexture(t.plain.texture);
  t.plain.texture = nullptr;
  for (auto& c : t.tints) SDL_DestroyTexture(c.texture);
  t.tints.clear();
}

// SDL's software renderer blends a colour-modulated picture pixel by pixel
// with exact divisions, several times slower than its blitter for an
// unmodulated one, and the canvas modulates every picture (channel ×
// 255 div 256 = 254). A draw whose corners share one colour therefore uses a
// copy of the picture with that colour already multiplied in, by the same
// rule SDL applies (texel × colour div 255), and white vertices. SDL's
// blitter for an unmodulated picture rounds its blend a little differently
// from the modulated path: a step per channel mostly, two at most (three
// where a stretched picture is also filtered). The copy keeps the picture's
// R G B A layout: an ARGB8888 copy would be blitted by a routine that
// darkens bright texels by up to three steps.
SdlPictureCopy* SdlCanvas::CopyFor(SdlPicture& t, const Vertex* v, int count, bool& tinted) {
  tinted = false;
  if (!FastPaths()) return t.plain.texture ? &t.plain : nullptr;
  const std::uint32_t colour = v[0].color;
  bool uniform = colour != 0xFFFFFFFFu;
  for (int i = 1; uniform && i < count; ++i) uniform = v[i].color == colour;
  if (uniform) {
    for (auto& c : t.tints)
      if (c.colour == colour) {
        tinted = true;
        ++fastDraws_;
        return &c;
      }
    if (t.tints.size() < kMaxTints) {
      SDL_Texture* tex = MakeTexture(t, colour, SDL_TEXTUREACCESS_STREAMING);
      if (tex) {
        t.tints.push_back(SdlPictureCopy{tex, colour});
        tinted = true;
        ++fastDraws_;
        return &t.tints.back();
      }
    }
  }
  if (!t.plain.texture) t.plain = SdlPictureCopy{MakeTexture(t, 0xFFFFFFFFu, SDL_TEXTUREACCESS_STREAMING)};
  return t.plain.texture ? &t.plain : nullptr;
}

// SDL's software rasteriser fills each triangle of a fan into a layer the
// size of its bounding box and blends that onto the page: the thin slices of
// a pie sector make that quadratic. On the canvas's own page the same pixels
// are found row by row and blended straight in (BlendFan), with the blender
// SDL would use, found once by letting SDL blend a few pixels.
bool SdlCanvas::DrawFlatFan(const Vertex* v, int count) {
  // Quads SDL fills as rectangles itself.
  if (!back_ || clipped_ || count < 5 || layerBlend_ == LayerBlend::None) return false;
  for (int i = 1; i < count; ++i)
    if (v[i].color != v[0].color) return false;
  fanXy_.resize(static_cast<std::size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    fanXy_[static_cast<std::size_t>(i) * 2] = v[i].x + 0.5f;
    fanXy_[static_cast<std::size_t>(i) * 2 + 1] = v[i].y + 0.5f;
  }
  SDL_RenderFlush(renderer_);
  if (!BlendFan(fanXy_.data(), count, v[0].color, layerBlend_, Rows(back_))) return false;
  ++fastDraws_;
  return true;
}

LayerBlend SdlCanvas::ProbeLayerBlend() {
  // Translucent layer pixels over page pixels whose channels differ in
  // both directions, so every formula shows.
  std::uint32_t layer[4] = {0xFE00FF00u, 0x80FF8001u, 0x01FFFFFFu, 0x7F1020F0u};
  const std::uint32_t page[4] = {0xFFFF00FFu, 0x4000FFFEu, 0x00808080u, 0xFFF0F010u};
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(layer, 4, 1, 32, 16, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, 4, 1, 32, SDL_PIXELFORMAT_ARGB8888);
  LayerBlend found = LayerBlend::None;
  if (from && to && SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_BLEND) == 0) {
    std::memcpy(to->pixels, page, sizeof page);
    if (SDL_BlitSurface(from, nullptr, to, nullptr) == 0)
      for (const LayerBlend how : {LayerBlend::Lanes, LayerBlend::Words}) {
        bool same = true;
        for (int i = 0; i < 4; ++i)
          same = same && BlendLayerPixel(how, layer[i], page[i]) == static_cast<const std::uint32_t*>(to->pixels)[i];
        if (same && found == LayerBlend::None) found = how;
      }
  }
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
  return found;
}

bool SdlCanvas::DirectQuad(SdlPictureCopy& copy, const Vertex* v) {
  QuadCorner c[4];
  for (int i = 0; i < 4; ++i) c[i] = QuadCorner{v[i].x + 0.5f, v[i].y + 0.5f, v[i].u, v[i].v};
  int tw = 0, th = 0;
  if (SDL_QueryTexture(copy.texture, nullptr, nullptr, &tw, &th) != 0) return false;
  IntBox src, dst;
  const QuadRoute route = ClassifyQuad(c, tw, th, src, dst);
  if (route == QuadRoute::OtherCopy) return false;
  void* texels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(copy.texture, nullptr, &texels, &pitch) != 0) return false;
  SDL_RenderFlush(renderer_);
  const PixelRows picture{static_cast<std::uint32_t*>(texels), tw, th, pitch / 4};
  bool done = true;
  if (route == QuadRoute::Copy)
    BlendCopy(picture, src, Rows(back_), dst.x, dst.y);
  else
    done = BlendTriangles(picture, c, Rows(back_));
  SDL_UnlockTexture(copy.texture);
  return done;
}

}  // namespace velmora
