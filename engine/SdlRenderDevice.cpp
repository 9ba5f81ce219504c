// SDL2 back end of the render seam.
//
// Coordinates: engine vertices follow the convention that pixel (i, j) has
// its centre at (i, j); SDL puts it at (i + 0.5, j + 0.5). Every triangle
// vertex is moved by half a pixel on the way in so both rasterise the same
// pixels (a tile drawn at X − 0.5 .. X + W covers exactly columns X .. X+W−1).
//
// Fonts: the engine asks for a character height (the em height, the text
// cell without internal leading). SDL_ttf at 72 dpi takes its point size as
// the em height in pixels, so the point size passed is the character height
// itself; the rendered surface is ascent + descent high, which is the text
// cell, so its top-left is placed at (x, y).
#include "engine/SdlRenderDevice.h"

#include "engine/SdlFanCoverage.h"
#include "engine/SdlPngFile.h"
#include "engine/SdlTexelRuns.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <unordered_map>

namespace velmora {

namespace {

SDL_BlendFactor ToSdl(BlendFactor f) {
  switch (f) {
    case BlendFactor::Zero: return SDL_BLENDFACTOR_ZERO;
    case BlendFactor::One: return SDL_BLENDFACTOR_ONE;
    case BlendFactor::SrcColor: return SDL_BLENDFACTOR_SRC_COLOR;
    case BlendFactor::InvSrcColor: return SDL_BLENDFACTOR_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha: return SDL_BLENDFACTOR_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha: return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestColor: return SDL_BLENDFACTOR_DST_COLOR;
    case BlendFactor::InvDestColor: return SDL_BLENDFACTOR_ONE_MINUS_DST_COLOR;
    case BlendFactor::DestAlpha: return SDL_BLENDFACTOR_DST_ALPHA;
    case BlendFactor::InvDestAlpha: return SDL_BLENDFACTOR_ONE_MINUS_DST_ALPHA;
  }
  return SDL_BLENDFACTOR_ONE;
}

SDL_Color ToColor(std::uint32_t argb) {
  return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8), static_cast<Uint8>(argb),
                   static_cast<Uint8>(argb >> 24)};
}

// One SDL texture with the blend and scale modes last set on it.
struct TextureCopy {
  SDL_Texture* texture = nullptr;
  std::uint32_t colour = 0xFFFFFFFFu;  // the vertex colour baked into the texels
  SDL_BlendMode blend = SDL_BLENDMODE_INVALID;
  int scale = -1;  // SDL_ScaleMode last set
};

// A picture the engine created. On the software renderer the texels are
// kept packed (TexelRuns) and SDL textures are made from them on demand: the
// plain copy only once the picture is drawn unmodulated, a modulated copy
// per vertex colour it is drawn with (a few at most).
struct TextureEntry {
  TextureCopy plain;
  int width = 0, height = 0;
  TexelRuns packed;  // empty: plain is the only copy
  std::vector<TextureCopy> tints;
};

// Modulated copies a picture may have; further colours take SDL's own
// modulation on the plain copy, so an animated colour cannot fill memory.
constexpr std::size_t kMaxTints = 2;

void DestroyCopies(TextureEntry& t) {
  if (t.plain.texture) SDL_DestroyTexture(t.plain.texture);
  t.plain.texture = nullptr;
  for (auto& c : t.tints) SDL_DestroyTexture(c.texture);
  t.tints.clear();
}

struct FontEntry {
  FontDesc desc;
  TTF_Font* font = nullptr;
};

struct TextKey {
  FontId font;
  std::string text;
  bool operator==(const TextKey&) const = default;
};

struct TextKeyHash {
  std::size_t operator()(const TextKey& k) const {
    return std::hash<std::string>()(k.text) ^ (std::hash<FontId>()(k.font) * 0x9E3779B97F4A7C15ull);
  }
};

struct TextEntry {
  TextKey key;
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;
};

}  // namespace

struct SdlRenderDevice::Impl {
  SDL_Window* window = nullptr;
  SdlDeviceOptions options;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  DeviceParams params;
  bool software = false;
  bool targetsReset = false, deviceReset = false;
  bool ttfStarted = false;

  std::map<TextureId, TextureEntry> textures;
  TextureId nextTexture = 1;
  TextureId bound = 0;
  SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
  bool linear = false;

  std::map<FontId, FontEntry> fonts;
  FontId nextFont = 1;
  std::list<TextEntry> lru;  // most recent first
  std::unordered_map<TextKey, std::list<TextEntry>::iterator, TextKeyHash> textIndex;
  std::size_t rasterisations = 0;

  std::vector<SDL_Vertex> verts;
  std::vector<int> indices;
  std::vector<SDL_FPoint> points;

  // Flat-coloured fans on the software renderer: coverage found per row,
  // written into a back-buffer-sized layer and blended from there.
  SDL_Texture* fanLayer = nullptr;
  FanCoverage fanCover;
  std::vector<float> fanXy;
  std::size_t fastDraws = 0;

  void DropFanLayer() {
    if (fanLayer) SDL_DestroyTexture(fanLayer);
    fanLayer = nullptr;
  }

  bool DrawFlatFan(const TVertex* v, int count);
  SDL_Texture* MakeCopy(const TextureEntry& t, std::uint32_t colour);
  TextureCopy* CopyFor(TextureEntry& t, const TVertex* v, int count, bool& tinted);

  bool CreateTarget() {
    if (target) SDL_DestroyTexture(target);
    target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, params.width,
                               params.height);
    if (!target) return false;
    SDL_SetTextureBlendMode(target, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(target, SDL_ScaleModeLinear);
    SDL_SetRenderTarget(renderer, target);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    return true;
  }

  void DropTextCache() {
    for (auto& e : lru) SDL_DestroyTexture(e.texture);
    lru.clear();
    textIndex.clear();
  }

  void DropTextsOf(FontId font) {
    for (auto it = lru.begin(); it != lru.end();) {
      if (it->key.font == font) {
        SDL_DestroyTexture(it->texture);
        textIndex.erase(it->key);
        it = lru.erase(it);
      } else {
        ++it;
      }
    }
  }

  void DestroyAll() {
    DropTextCache();
    DropFanLayer();
    for (auto& [id, f] : fonts)
      if (f.font) TTF_CloseFont(f.font);
    fonts.clear();
    for (auto& [id, t] : textures) DestroyCopies(t);
    textures.clear();
    bound = 0;
    if (target) SDL_DestroyTexture(target);
    target = nullptr;
    if (renderer) SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }

  // Applies the current blend factors; renderers without custom modes get
  // ordinary alpha blending.
  SDL_BlendMode ApplyBlend(SDL_Texture* tex, SDL_BlendMode& cached) {
    if (cached == blend) return blend;
    if (tex ? SDL_SetTextureBlendMode(tex, blend) != 0 : SDL_SetRenderDrawBlendMode(renderer, blend) != 0) {
      if (tex)
        SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
      else
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    }
    cached = blend;
    return blend;
  }
  SDL_BlendMode drawBlend = SDL_BLENDMODE_INVALID;
};

namespace {
int g_liveDevices = 0;  // fontconfig's caches are freed with the last device
bool g_fontconfigUsed = false;
}

SdlRenderDevice::SdlRenderDevice(SDL_Window* window, SdlDeviceOptions options) : impl_(std::make_unique<Impl>()) {
  ++g_liveDevices;
  impl_->window = window;
  impl_->options = options;
  if (TTF_Init() == 0) impl_->ttfStarted = true;
  IMG_Init(IMG_INIT_PNG);
}

SdlRenderDevice::~SdlRenderDevice() {
  impl_->DestroyAll();
  if (impl_->ttfStarted) TTF_Quit();
  if (--g_liveDevices == 0 && g_fontconfigUsed) {
    FcFini();
    g_fontconfigUsed = false;
  }
}

SDL_Renderer* SdlRenderDevice::Renderer() const { return impl_->renderer; }
bool SdlRenderDevice::IsSoftware() const { return impl_->software; }
std::size_t SdlRenderDevice::TextRasterisations() const { return impl_->rasterisations; }
std::size_t SdlRenderDevice::FastPathDraws() const { return impl_->fastDraws; }
std::size_t SdlRenderDevice::PictureCopies() const {
  std::size_t n = 0;
  for (const auto& [id, t] : impl_->textures) n += (t.plain.texture ? 1 : 0) + t.tints.size();
  return n;
}

DeviceStatus SdlRenderDevice::Open(const DeviceParams& params) {
  Impl& d = *impl_;
  d.DestroyAll();
  if (!d.window || params.width <= 0 || params.height <= 0) return DeviceStatus::NotAvailable;
  d.params = params;
  const bool software = params.software || d.options.software;
  // A software renderer draws into the window surface; keep SDL from backing
  // that surface with a GL texture (which would load a GL driver after all).
  if (software) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (params.vsync ? Uint32{SDL_RENDERER_PRESENTVSYNC} : Uint32{0});
  flags |= software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
  d.renderer = SDL_CreateRenderer(d.window, -1, flags);
  if (!d.renderer) return DeviceStatus::NotAvailable;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(d.renderer, &info);
  d.software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  if (!d.CreateTarget()) {
    d.DestroyAll();
    return DeviceStatus::OutOfVideoMemory;
  }
  d.targetsReset = d.deviceReset = false;
  d.blend = SDL_BLENDMODE_BLEND;
  d.drawBlend = SDL_BLENDMODE_INVALID;
  return DeviceStatus::Ok;
}

void SdlRenderDevice::Close() { impl_->DestroyAll(); }

int SdlRenderDevice::Width() const { return impl_->params.width; }
int SdlRenderDevice::Height() const { return impl_->params.height; }

void SdlRenderDevice::NotifyTargetsReset() { impl_->targetsReset = true; }
void SdlRenderDevice::NotifyDeviceReset() { impl_->deviceReset = true; }

DeviceState SdlRenderDevice::CooperativeLevel() {
  if (!impl_->renderer) return DeviceState::Lost;
  return impl_->targetsReset || impl_->deviceReset ? DeviceState::NeedsReset : DeviceState::Ok;
}

bool SdlRenderDevice::ResetLosesTextures() const { return impl_->deviceReset; }

DeviceStatus SdlRenderDevice::Reset(const DeviceParams& params) {
  Impl& d = *impl_;
  if (!d.renderer) return DeviceStatus::NotAvailable;
  if (d.deviceReset) {
    // Every texture of the old device is gone; the owners make new ones.
    d.DropTextCache();
    d.DropFanLayer();
    for (auto& [id, t] : d.textures) DestroyCopies(t);
    d.textures.clear();
    d.bound = 0;
  }
  d.params.width = params.width;
  d.params.height = params.height;
  d.params.fullScreen = params.fullScreen;
  if (!d.CreateTarget()) return DeviceStatus::OutOfVideoMemory;
  d.targetsReset = d.deviceReset = false;
  d.drawBlend = SDL_BLENDMODE_INVALID;
  return DeviceStatus::Ok;
}

void SdlRenderDevice::Clear(std::uint32_t argb) {
  Impl& d = *impl_;
  if (!d.renderer) return;
  const SDL_Color c = ToColor(argb);
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  SDL_RenderClear(d.renderer);
}

void SdlRenderDevice::ClearRect(const IntRect& rect, std::uint32_t argb) {
  Impl& d = *impl_;
  if (!d.renderer || rect.right <= rect.left || rect.bottom <= rect.top) return;
  const SDL_Color c = ToColor(argb);
  SDL_SetRenderDrawBlendMode(d.renderer, SDL_BLENDMODE_NONE);
  d.drawBlend = SDL_BLENDMODE_INVALID;
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  const SDL_Rect r{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  SDL_RenderFillRect(d.renderer, &r);
}

void SdlRenderDevice::BeginScene() {
  if (impl_->renderer) SDL_SetRenderTarget(impl_->renderer, impl_->target);
}

void SdlRenderDevice::EndScene() {
  Impl& d = *impl_;
  if (!d.renderer || !d.target) return;
  // Present: the back buffer stretched over the window's client area. The
  // copy replaces every window pixel (no blending), so no clear before it.
  SDL_SetRenderTarget(d.renderer, nullptr);
  SDL_RenderCopy(d.renderer, d.target, nullptr, nullptr);
  SDL_RenderPresent(d.renderer);
  SDL_SetRenderTarget(d.renderer, d.target);
}

TextureId SdlRenderDevice::CreateTexture(std::span<const std::uint8_t> rgba, int texWidth, int texHeight,
                                         std::string_view) {
  Impl& d = *impl_;
  if (!d.renderer || texWidth <= 0 || texHeight <= 0 ||
      rgba.size() != static_cast<std::size_t>(texWidth) * static_cast<std::size_t>(texHeight) * 4)
    return 0;
  TextureEntry entry;
  entry.width = texWidth;
  entry.height = texHeight;
  if (d.software && d.options.fastPaths) {
    // SDL textures follow on the first draw, in the colour it asks for.
    entry.packed = PackTexels(rgba);
  } else {
    SDL_Texture* tex =
        SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, texWidth, texHeight);
    if (!tex) return 0;
    if (SDL_UpdateTexture(tex, nullptr, rgba.data(), texWidth * 4) != 0) {
      SDL_DestroyTexture(tex);
      return 0;
    }
    entry.plain.texture = tex;
  }
  const TextureId id = d.nextTexture++;
  d.textures[id] = std::move(entry);
  return id;
}

void SdlRenderDevice::ReleaseTexture(TextureId texture) {
  Impl& d = *impl_;
  auto it = d.textures.find(texture);
  if (it == d.textures.end()) return;
  DestroyCopies(it->second);
  d.textures.erase(it);
  if (d.bound == texture) d.bound = 0;
}

void SdlRenderDevice::BindTexture(TextureId texture) { impl_->bound = texture; }

void SdlRenderDevice::SetBlend(BlendFactor src, BlendFactor dst) {
  Impl& d = *impl_;
  if (src == BlendFactor::SrcAlpha && dst == BlendFactor::InvSrcAlpha) {
    d.blend = SDL_BLENDMODE_BLEND;  // every renderer has these
  } else if (src == BlendFactor::SrcAlpha && dst == BlendFactor::One) {
    d.blend = SDL_BLENDMODE_ADD;
  } else {
    d.blend = SDL_ComposeCustomBlendMode(ToSdl(src), ToSdl(dst), SDL_BLENDOPERATION_ADD, ToSdl(src), ToSdl(dst),
                                         SDL_BLENDOPERATION_ADD);
  }
}

void SdlRenderDevice::SetTextureFilter(bool linear) { impl_->linear = linear; }

void SdlRenderDevice::DrawFan(const TVertex* v, int count) {
  Impl& d = *impl_;
  if (!d.renderer || count < 3) return;
  SDL_Texture* tex = nullptr;
  bool tinted = false;  // the colour is in the texels: vertices go white
  if (d.bound != 0) {
    auto it = d.textures.find(d.bound);
    if (it != d.textures.end()) {
      TextureCopy* copy = d.CopyFor(it->second, v, count, tinted);
      if (!copy) return;  // out of memory for the copy: nothing to draw with
      tex = copy->texture;
      const int scale = d.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
      if (copy->scale != scale) {
        SDL_SetTextureScaleMode(tex, static_cast<SDL_ScaleMode>(scale));
        copy->scale = scale;
      }
      d.ApplyBlend(tex, copy->blend);
    }
  }
  if (!tex) {
    d.ApplyBlend(nullptr, d.drawBlend);
    if (d.DrawFlatFan(v, count)) return;
  }
  d.verts.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    d.verts[static_cast<std::size_t>(i)] =
        SDL_Vertex{SDL_FPoint{v[i].x + 0.5f, v[i].y + 0.5f}, ToColor(tinted ? 0xFFFFFFFFu : v[i].color),
                   SDL_FPoint{v[i].u, v[i].v}};
  }
  d.indices.resize(static_cast<std::size_t>(count - 2) * 3);
  for (int i = 0; i < count - 2; ++i) {
    d.indices[static_cast<std::size_t>(i) * 3] = 0;
    d.indices[static_cast<std::size_t>(i) * 3 + 1] = i + 1;
    d.indices[static_cast<std::size_t>(i) * 3 + 2] = i + 2;
  }
  SDL_RenderGeometry(d.renderer, tex, d.verts.data(), count, d.indices.data(), static_cast<int>(d.indices.size()));
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
TextureCopy* SdlRenderDevice::Impl::CopyFor(TextureEntry& t, const TVertex* v, int count, bool& tinted) {
  tinted = false;
  if (t.packed.words.empty()) return t.plain.texture ? &t.plain : nullptr;
  const std::uint32_t colour = v[0].color;
  bool uniform = colour != 0xFFFFFFFFu;
  for (int i = 1; uniform && i < count; ++i) uniform = v[i].color == colour;
  if (uniform) {
    for (auto& c : t.tints)
      if (c.colour == colour) {
        tinted = true;
        ++fastDraws;
        return &c;
      }
    if (t.tints.size() < kMaxTints) {
      SDL_Texture* tex = MakeCopy(t, colour);
      if (tex) {
        t.tints.push_back(TextureCopy{tex, colour});
        tinted = true;
        ++fastDraws;
        return &t.tints.back();
      }
    }
  }
  if (!t.plain.texture) t.plain = TextureCopy{MakeCopy(t, 0xFFFFFFFFu)};
  return t.plain.texture ? &t.plain : nullptr;
}

// Unpacks the picture into a new SDL texture: the texels as they are for
// white, else ARGB8888 texels multiplied by the colour.
SDL_Texture* SdlRenderDevice::Impl::MakeCopy(const TextureEntry& t, std::uint32_t colour) {
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
bool SdlRenderDevice::Impl::DrawFlatFan(const TVertex* v, int count) {
  if (!software || !options.fastPaths || count < 5) return false;  // quads: SDL fills rectangles itself
  for (int i = 1; i < count; ++i)
    if (v[i].color != v[0].color) return false;
  SDL_BlendMode mode = SDL_BLENDMODE_INVALID;
  SDL_GetRenderDrawBlendMode(renderer, &mode);
  // Uncovered layer pixels are transparent black: they leave the target
  // alone only under these two modes.
  if (mode != SDL_BLENDMODE_BLEND && mode != SDL_BLENDMODE_ADD) return false;
  constexpr float kFar = 1 << 20;  // beyond this SDL's own integer arithmetic is not safe to mirror
  fanXy.resize(static_cast<std::size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    const float x = v[i].x + 0.5f, y = v[i].y + 0.5f;
    if (!(x > -kFar && x < kFar && y > -kFar && y < kFar)) return false;
    fanXy[static_cast<std::size_t>(i) * 2] = x;
    fanXy[static_cast<std::size_t>(i) * 2 + 1] = y;
  }
  ++fastDraws;
  if (!CoverFan(fanXy.data(), count, params.width, params.height, fanCover)) return true;  // nothing to draw

  int lw = 0, lh = 0;
  if (fanLayer && (SDL_QueryTexture(fanLayer, nullptr, nullptr, &lw, &lh) != 0 || lw != params.width ||
                   lh != params.height))
    DropFanLayer();
  if (!fanLayer) {
    fanLayer = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, params.width,
                                 params.height);
    if (!fanLayer) return false;
  }
  SDL_SetTextureBlendMode(fanLayer, mode);
  const FanCoverage& c = fanCover;
  const SDL_Rect rect{c.left, c.top, c.width, c.height};
  const Uint32 argb = v[0].color;  // ARGB8888 holds the colour value as it is
  for (int pass = 1; pass <= c.maxCount; ++pass) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(fanLayer, &rect, &pixels, &pitch) != 0) return pass > 1;
    for (int y = 0; y < c.height; ++y) {
      Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitch);
      const std::uint8_t* in = c.count.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(c.width);
      for (int x = 0; x < c.width; ++x) out[x] = in[x] >= pass ? argb : 0u;
    }
    SDL_UnlockTexture(fanLayer);
    SDL_RenderCopy(renderer, fanLayer, &rect, &rect);
  }
  return true;
}

void SdlRenderDevice::DrawLineStrip(const TVertex* v, int count) {
  Impl& d = *impl_;
  if (!d.renderer || count < 2) return;
  d.ApplyBlend(nullptr, d.drawBlend);
  // One-pixel lines in the first vertex's colour (every strip the engine
  // draws has one colour).
  const SDL_Color c = ToColor(v[0].color);
  SDL_SetRenderDrawColor(d.renderer, c.r, c.g, c.b, c.a);
  d.points.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) d.points[static_cast<std::size_t>(i)] = SDL_FPoint{v[i].x, v[i].y};
  SDL_RenderDrawLinesF(d.renderer, d.points.data(), count);
}

std::string SdlRenderDevice::ResolveFace(const std::string& face, bool bold, bool italic) {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(face.empty() ? "sans-serif" : face.c_str()));
  if (!pat) return path;
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
      path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return path;
}

FontId SdlRenderDevice::CreateFont(const FontDesc& desc) {
  Impl& d = *impl_;
  if (desc.pixelHeight < 1 || !d.ttfStarted) return 0;
  g_fontconfigUsed = true;
  const std::string path = ResolveFace(desc.face, desc.bold, desc.italic);
  if (path.empty()) return 0;
  TTF_Font* font = TTF_OpenFont(path.c_str(), desc.pixelHeight);
  if (!font) return 0;
  int style = TTF_STYLE_NORMAL;
  // Synthesise bold or italic only when fontconfig found no such face.
  const std::string lower = [&] {
    std::string s = path;
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
  }();
  if (desc.bold && lower.find("bold") == std::string::npos) style |= TTF_STYLE_BOLD;
  if (desc.italic && lower.find("italic") == std::string::npos && lower.find("oblique") == std::string::npos)
    style |= TTF_STYLE_ITALIC;
  if (desc.underline) style |= TTF_STYLE_UNDERLINE;
  if (desc.strikeout) style |= TTF_STYLE_STRIKETHROUGH;
  TTF_SetFontStyle(font, style);
  const FontId id = d.nextFont++;
  d.fonts[id] = FontEntry{desc, font};
  return id;
}

void SdlRenderDevice::ReleaseFont(FontId font) {
  Impl& d = *impl_;
  auto it = d.fonts.find(font);
  if (it == d.fonts.end()) return;
  d.DropTextsOf(font);
  if (it->second.font) TTF_CloseFont(it->second.font);
  d.fonts.erase(it);
}

void SdlRenderDevice::DrawText(FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  Impl& d = *impl_;
  if (!d.renderer || utf8.empty()) return;
  auto fit = d.fonts.find(font);
  if (fit == d.fonts.end()) return;
  TextKey key{font, std::string(utf8)};
  TextEntry* entry = nullptr;
  if (auto hit = d.textIndex.find(key); hit != d.textIndex.end()) {
    d.lru.splice(d.lru.begin(), d.lru, hit->second);
    entry = &d.lru.front();
  } else {
    // Rasterised once in white; the colour is applied as a modulation, so a
    // readout that only changes colour is not rasterised again.
    const SDL_Color white{255, 255, 255, 255};
    SDL_Surface* s = key.text.find('\n') != std::string::npos
                         ? TTF_RenderUTF8_Blended_Wrapped(fit->second.font, key.text.c_str(), white, 0)
                         : TTF_RenderUTF8_Blended(fit->second.font, key.text.c_str(), white);
    if (!s) return;
    SDL_Texture* tex = SDL_CreateTextureFromSurface(d.renderer, s);
    const int w = s->w, h = s->h;
    SDL_FreeSurface(s);
    if (!tex) return;
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    ++d.rasterisations;
    d.lru.push_front(TextEntry{key, tex, w, h});
    d.textIndex[key] = d.lru.begin();
    entry = &d.lru.front();
    while (d.lru.size() > std::max<std::size_t>(d.options.textCacheSize, 1)) {
      SDL_DestroyTexture(d.lru.back().texture);
      d.textIndex.erase(d.lru.back().key);
      d.lru.pop_back();
    }
  }
  const SDL_Color c = ToColor(argb);
  SDL_SetTextureColorMod(entry->texture, c.r, c.g, c.b);
  SDL_SetTextureAlphaMod(entry->texture, c.a);
  const SDL_Rect dst{x, y, entry->width, entry->height};
  SDL_RenderCopy(d.renderer, entry->texture, nullptr, &dst);
}

bool SdlRenderDevice::DecodeImage(std::span<const std::uint8_t> bytes, DecodedImage& out) {
  if (bytes.empty()) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return false;
  SDL_Surface* src = IMG_Load_RW(rw, 1);
  if (!src) return false;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(src, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(src);
  if (!s) return false;
  out.width = s->w;
  out.height = s->h;
  out.rgba.resize(static_cast<std::size_t>(s->w) * static_cast<std::size_t>(s->h) * 4);
  SDL_LockSurface(s);
  for (int y = 0; y < s->h; ++y)
    std::memcpy(out.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s->w) * 4,
                static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * static_cast<std::size_t>(s->pitch),
                static_cast<std::size_t>(s->w) * 4);
  SDL_UnlockSurface(s);
  SDL_FreeSurface(s);
  return true;
}

void SdlRenderDevice::ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

bool SdlRenderDevice::ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) {
  Impl& d = *impl_;
  if (!d.renderer || !d.target) return false;
  width = d.params.width;
  height = d.params.height;
  argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  SDL_Texture* previous = SDL_GetRenderTarget(d.renderer);
  SDL_SetRenderTarget(d.renderer, d.target);
  const int rc = SDL_RenderReadPixels(d.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, argb.data(), width * 4);
  SDL_SetRenderTarget(d.renderer, previous);
  return rc == 0;
}

bool SdlRenderDevice::SaveScreenshot(const std::string& path) {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  if (!ReadPixels(px, w, h)) return false;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return false;
  const bool ok = SavePngReplacing(s, path);
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace velmora
