// SDL_ttf text with the platform's face lookup and the rasterised-string cache.
#include "canvas/SdlText.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <list>
#include <unordered_map>

#include "platform/Fonts.h"

namespace velmora {

namespace {

int g_liveTexts = 0;  // the font look-ups' caches are freed with the last device's text

struct TextKey {
  FontRole font;
  std::string text;
  bool operator==(const TextKey&) const = default;
};

struct TextKeyHash {
  std::size_t operator()(const TextKey& k) const {
    return std::hash<std::string>()(k.text) ^ (std::hash<std::size_t>()(static_cast<std::size_t>(k.font)) * 0x9E3779B97F4A7C15ull);
  }
};

struct TextEntry {
  TextKey key;
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;
};

}  // namespace

struct SdlText::Impl {
  std::size_t cacheSize = 256;
  bool ttfStarted = false;
  std::array<TTF_Font*, kFontCount> fonts{};
  std::list<TextEntry> lru;  // most recent first
  std::unordered_map<TextKey, std::list<TextEntry>::iterator, TextKeyHash> textIndex;
  std::size_t rasterisations = 0;

};

SdlText::SdlText(std::size_t cacheSize) : impl_(std::make_unique<Impl>()) {
  ++g_liveTexts;
  impl_->cacheSize = cacheSize;
  if (TTF_Init() == 0) impl_->ttfStarted = true;
}

SdlText::~SdlText() {
  CloseAll();
  if (impl_->ttfStarted) TTF_Quit();
  if (--g_liveTexts == 0) platform::ReleaseFontLookups();
}

std::size_t SdlText::Rasterisations() const { return impl_->rasterisations; }

void SdlText::DropCache() {
  for (auto& e : impl_->lru) SDL_DestroyTexture(e.texture);
  impl_->lru.clear();
  impl_->textIndex.clear();
}

void SdlText::CloseAll() {
  DropCache();
  for (TTF_Font*& f : impl_->fonts) {
    if (f) TTF_CloseFont(f);
    f = nullptr;
  }
}

int SdlText::PixelHeight(int points) {
  // Points at 96 pixels per inch, rounded to the nearest pixel.
  return static_cast<int>(std::lround(static_cast<double>(points) * 96.0 / 72.0));
}

bool SdlText::HasFont(FontRole font) const { return impl_->fonts[static_cast<std::size_t>(font)] != nullptr; }

void SdlText::OpenFonts() {
  CloseAll();
  if (!impl_->ttfStarted) return;
  for (std::size_t i = 0; i < kFontCount; ++i) {
    const FontSpec& spec = kFontTable[i];
    const std::string path = platform::FindFontFile(std::string(kFontFace), spec.bold, false);
    if (path.empty()) continue;
    TTF_Font* font = TTF_OpenFont(path.c_str(), PixelHeight(spec.size));
    if (!font) continue;
    int style = TTF_STYLE_NORMAL;
    // Synthesise bold only when no bold face was found.
    std::string lower = path;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (spec.bold && lower.find("bold") == std::string::npos) style |= TTF_STYLE_BOLD;
    if (spec.underline) style |= TTF_STYLE_UNDERLINE;
    TTF_SetFontStyle(font, style);
    impl_->fonts[i] = font;
  }
}

void SdlText::Draw(SDL_Renderer* renderer, FontRole font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  Impl& d = *impl_;
  TTF_Font* face = d.fonts[static_cast<std::size_t>(font)];
  if (!renderer || utf8.empty() || !face) return;
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
                         ? TTF_RenderUTF8_Blended_Wrapped(face, key.text.c_str(), white, 0)
                         : TTF_RenderUTF8_Blended(face, key.text.c_str(), white);
    if (!s) return;
    SDL_Texture* tex = SDL_CreateTextureFromSurface(renderer, s);
    const int w = s->w, h = s->h;
    SDL_FreeSurface(s);
    if (!tex) return;
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    ++d.rasterisations;
    d.lru.push_front(TextEntry{key, tex, w, h});
    d.textIndex[key] = d.lru.begin();
    entry = &d.lru.front();
    while (d.lru.size() > std::max<std::size_t>(d.cacheSize, 1)) {
      SDL_DestroyTexture(d.lru.back().texture);
      d.textIndex.erase(d.lru.back().key);
      d.lru.pop_back();
    }
  }
  SDL_SetTextureColorMod(entry->texture, static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                         static_cast<Uint8>(argb));
  SDL_SetTextureAlphaMod(entry->texture, static_cast<Uint8>(argb >> 24));
  const SDL_Rect dst{x, y, entry->width, entry->height};
  SDL_RenderCopy(renderer, entry->texture, nullptr, &dst);
}

}  // namespace velmora
