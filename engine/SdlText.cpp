// SDL_ttf text with the platform's face lookup and the rasterised-string cache.
#include "engine/SdlText.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cctype>
#include <list>
#include <map>
#include <unordered_map>

#include "platform/Fonts.h"

namespace velmora {

namespace {

int g_liveTexts = 0;  // the font look-ups' caches are freed with the last device's text

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

struct SdlText::Impl {
  std::size_t cacheSize = 256;
  bool ttfStarted = false;
  std::map<FontId, FontEntry> fonts;
  FontId nextFont = 1;
  std::list<TextEntry> lru;  // most recent first
  std::unordered_map<TextKey, std::list<TextEntry>::iterator, TextKeyHash> textIndex;
  std::size_t rasterisations = 0;

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
  for (auto& [id, f] : impl_->fonts)
    if (f.font) TTF_CloseFont(f.font);
  impl_->fonts.clear();
}

std::string SdlText::ResolveFace(const std::string& face, bool bold, bool italic) {
  return platform::FindFontFile(face, bold, italic);
}

FontId SdlText::CreateFont(const FontDesc& desc) {
  Impl& d = *impl_;
  if (desc.pixelHeight < 1 || !d.ttfStarted) return 0;
  const std::string path = ResolveFace(desc.face, desc.bold, desc.italic);
  if (path.empty()) return 0;
  TTF_Font* font = TTF_OpenFont(path.c_str(), desc.pixelHeight);
  if (!font) return 0;
  int style = TTF_STYLE_NORMAL;
  // Synthesise bold or italic only when no such face was found.
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

void SdlText::ReleaseFont(FontId font) {
  Impl& d = *impl_;
  auto it = d.fonts.find(font);
  if (it == d.fonts.end()) return;
  d.DropTextsOf(font);
  if (it->second.font) TTF_CloseFont(it->second.font);
  d.fonts.erase(it);
}

void SdlText::Draw(SDL_Renderer* renderer, FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  Impl& d = *impl_;
  if (!renderer || utf8.empty()) return;
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
