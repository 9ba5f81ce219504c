// Bitmap font: initialisation of the glyph rectangles and character map.
#include "engine/OmegaBitmapFont.h"

#include "engine/OmegaImageList.h"
#include "engine/OmegaScreen.h"

namespace velmora {

TOmegaBitmapFont::TOmegaBitmapFont(TOmegaScreen* screen, TOmegaImageList* imageList) : OmegaImageList(imageList) {
  SetOmegaScreen(screen);
}

TOmegaBitmapFont::~TOmegaBitmapFont() {
  if (screen_) screen_->Unregister(this);
}

void TOmegaBitmapFont::SetOmegaScreen(TOmegaScreen* screen) {
  if (screen == screen_) return;
  if (screen_) screen_->Unregister(this);
  screen_ = screen;
  if (screen_) screen_->Register(this);
}

void TOmegaBitmapFont::Init() {
  if (!screen_) return;
  renderer_.Bind(screen_);
  glyphs_.fill(GlyphRect{});
  if (OmegaImageList && OmegaImageIndex >= 0 && OmegaImageIndex < OmegaImageList->ImageList.Count()) {
    const TImageListItem& item = OmegaImageList->ImageList.Items(OmegaImageIndex);
    FontName = item.Name;
    const int count = item.PatternCount(), cols = item.PatternColumns();
    const int tw = item.TileWidth(), th = item.TileHeight();
    for (int code = 0; code < 256; ++code) {
      const int tile = code > count ? count : code;
      const int col = cols > 0 ? tile % cols : 0, row = cols > 0 ? tile / cols : 0;
      glyphs_[static_cast<std::size_t>(code)] = GlyphRect{col * tw, row * th, col * tw + tw, row * th + th};
    }
  }
  std::string chars = Characters;
  if (chars.empty())
    for (int c = 32; c <= 126; ++c) chars.push_back(static_cast<char>(c));
  charMap_.fill(-1);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    auto& slot = charMap_[static_cast<std::uint8_t>(chars[i])];
    if (slot < 0) slot = static_cast<int>(i);
  }
  if (charMap_[' '] < 0) charMap_[' '] = 0;
}

void TOmegaBitmapFont::Release() { renderer_.Unbind(); }

}  // namespace velmora
