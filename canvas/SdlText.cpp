// SDL_ttf text with the platform's face look-up and the rasterised-string cache.
#include "canvas/SdlText.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/Fonts.h"

namespace velmora {

namespace {
int g_liveTexts = 0;  // the font look-ups' caches are freed with the last canvas's text
}  // namespace

SdlText::SdlText(std::size_t cacheSize) : cacheSize_(std::max<std::size_t>(cacheSize, 1)) {
  ++g_liveTexts;
  ttfStarted_ = TTF_Init() == 0;
}

SdlText::~SdlText() {
  CloseAll();
  if (ttfStarted_) TTF_Quit();
  if (--g_liveTexts == 0) platform::ReleaseFontLookups();
}

void SdlText::DropCache() {
  for (auto& e : lru_) SDL_DestroyTexture(e.texture);
  lru_.clear();
  index_.clear();
}

void SdlText::CloseAll() {
  DropCache();
  for (TTF_Font* f : fonts_)
    if (f) TTF_CloseFont(f);
  fonts_.clear();
}

void SdlText::OpenFonts(std::span<const FontSpec> fonts) {
  CloseAll();
  for (const FontSpec& entry : fonts) {
    const std::string path = ttfStarted_ ? platform::FindFontFile(std::string(entry.face), entry.bold, false) : "";
    TTF_Font*& font = fonts_.emplace_back(path.empty() ? nullptr : TTF_OpenFont(path.c_str(), PixelHeight(entry.size)));
    if (!font) continue;
    // Synthesise bold only when no bold face was found.
    std::string lower = path;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    int style = entry.bold && lower.find("bold") == std::string::npos ? TTF_STYLE_BOLD : TTF_STYLE_NORMAL;
    if (entry.underline) style |= TTF_STYLE_UNDERLINE;
    TTF_SetFontStyle(font, style);
  }
}

void SdlText::Draw(SDL_Renderer* renderer, FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  TTF_Font* face = font < fonts_.size() ? fonts_[font] : nullptr;
  if (!renderer || utf8.empty() || !face) return;
  probe_.assign(1, static_cast<char>(font));
  probe_.append(utf8);
  Entry* entry = nullptr;
  if (auto hit = index_.find(probe_); hit != index_.end()) {
    lru_.splice(lru_.begin(), lru_, hit->second);
    entry = &lru_.front();
  } else {
    // Rasterised once in white; the colour is applied as a modulation, so a
    // readout that only changes colour is not rasterised again.
    const SDL_Color white{255, 255, 255, 255};
    const char* text = probe_.c_str() + 1;
    SDL_Surface* s = utf8.find('\n') != std::string_view::npos ? TTF_RenderUTF8_Blended_Wrapped(face, text, white, 0)
                                                               : TTF_RenderUTF8_Blended(face, text, white);
    if (!s) return;
    SDL_Texture* tex = SDL_CreateTextureFromSurface(renderer, s);
    const int w = s->w, h = s->h;
    SDL_FreeSurface(s);
    if (!tex) return;
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    ++rasterisations_;
    lru_.push_front(Entry{probe_, tex, w, h});
    index_[probe_] = lru_.begin();
    entry = &lru_.front();
    while (lru_.size() > cacheSize_) {
      SDL_DestroyTexture(lru_.back().texture);
      index_.erase(lru_.back().key);
      lru_.pop_back();
    }
  }
  SDL_SetTextureColorMod(entry->texture, static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                         static_cast<Uint8>(argb));
  SDL_SetTextureAlphaMod(entry->texture, static_cast<Uint8>(argb >> 24));
  const SDL_Rect dst{x, y, entry->width, entry->height};
  SDL_RenderCopy(renderer, entry->texture, nullptr, &dst);
}

}  // namespace velmora
