// The recording device: a command list of every call.
#include "engine/RecordingDevice.h"

#include <algorithm>

namespace velmora {

const char* CallKindName(CallKind kind) {
  switch (kind) {
    case CallKind::Open: return "Open";
    case CallKind::Close: return "Close";
    case CallKind::Clear: return "Clear";
    case CallKind::ClearRect: return "ClearRect";
    case CallKind::BeginFrame: return "BeginFrame";
    case CallKind::Present: return "Present";
    case CallKind::CreateTexture: return "CreateTexture";
    case CallKind::ReleaseTexture: return "ReleaseTexture";
    case CallKind::BindTexture: return "BindTexture";
    case CallKind::SetBlend: return "SetBlend";
    case CallKind::SetTextureFilter: return "SetTextureFilter";
    case CallKind::DrawFan: return "DrawFan";
    case CallKind::DrawLineStrip: return "DrawLineStrip";
    case CallKind::CreateFont: return "CreateFont";
    case CallKind::ReleaseFont: return "ReleaseFont";
    case CallKind::DrawText: return "DrawText";
    case CallKind::ShowCursor: return "ShowCursor";
  }
  return "?";
}

RecordedCall& RecordingDevice::Push(CallKind kind) {
  calls_.emplace_back();
  calls_.back().kind = kind;
  return calls_.back();
}

std::vector<const RecordedCall*> RecordingDevice::CallsOf(CallKind kind) const {
  std::vector<const RecordedCall*> out;
  for (const auto& c : calls_)
    if (c.kind == kind) out.push_back(&c);
  return out;
}

int RecordingDevice::CountOf(CallKind kind) const {
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [kind](const RecordedCall& c) { return c.kind == kind; }));
}

std::string RecordingDevice::TextureName(TextureId texture) const {
  auto it = textures_.find(texture);
  return it == textures_.end() ? std::string{} : it->second.name;
}

const FontDesc* RecordingDevice::Font(FontId font) const {
  auto it = fonts_.find(font);
  return it == fonts_.end() ? nullptr : &it->second;
}

const std::vector<std::uint8_t>* RecordingDevice::TexturePixels(TextureId texture) const {
  auto it = textures_.find(texture);
  return it == textures_.end() ? nullptr : &it->second.rgba;
}

int RecordingDevice::TextureSizeOf(TextureId texture, bool height) const {
  auto it = textures_.find(texture);
  if (it == textures_.end()) return 0;
  return height ? it->second.height : it->second.width;
}

DeviceStatus RecordingDevice::Open(const DeviceParams& params) {
  Push(CallKind::Open).params = params;
  if (openFailures_ > 0) {
    --openFailures_;
    return openStatus_;
  }
  params_ = params;
  return DeviceStatus::Ok;
}

void RecordingDevice::Close() {
  Push(CallKind::Close);
  textures_.clear();
  fonts_.clear();
  bound_ = 0;
}

void RecordingDevice::Clear(std::uint32_t argb) { Push(CallKind::Clear).color = argb; }

void RecordingDevice::ClearRect(const IntRect& rect, std::uint32_t argb) {
  auto& c = Push(CallKind::ClearRect);
  c.rect = rect;
  c.color = argb;
}

void RecordingDevice::BeginFrame() { Push(CallKind::BeginFrame); }
void RecordingDevice::Present() { Push(CallKind::Present); }

TextureId RecordingDevice::CreateTexture(std::span<const std::uint8_t> rgba, int texWidth, int texHeight,
                                         std::string_view debugName) {
  auto& c = Push(CallKind::CreateTexture);
  c.name = std::string(debugName);
  c.x = texWidth;
  c.y = texHeight;
  if (!failTexture_.empty() && failTexture_ == debugName) return 0;
  if (texWidth <= 0 || texHeight <= 0 ||
      rgba.size() != static_cast<std::size_t>(texWidth) * static_cast<std::size_t>(texHeight) * 4)
    return 0;
  const TextureId id = nextTexture_++;
  textures_[id] = Texture{std::string(debugName), texWidth, texHeight, std::vector<std::uint8_t>(rgba.begin(), rgba.end())};
  c.texture = id;
  return id;
}

void RecordingDevice::ReleaseTexture(TextureId texture) {
  auto& c = Push(CallKind::ReleaseTexture);
  c.texture = texture;
  c.name = TextureName(texture);
  textures_.erase(texture);
  if (bound_ == texture) bound_ = 0;
}

void RecordingDevice::BindTexture(TextureId texture) {
  auto& c = Push(CallKind::BindTexture);
  c.texture = texture;
  if (detail_) c.name = TextureName(texture);
  bound_ = texture;
}

void RecordingDevice::SetBlend(BlendMode mode) { Push(CallKind::SetBlend).blend = mode; }

void RecordingDevice::SetTextureFilter(bool linear) { Push(CallKind::SetTextureFilter).flag = linear; }

void RecordingDevice::DrawFan(const Vertex* vertices, int count) {
  auto& c = Push(CallKind::DrawFan);
  c.texture = bound_;
  if (detail_) {
    c.name = TextureName(bound_);
    c.vertices.assign(vertices, vertices + count);
  }
}

void RecordingDevice::DrawLineStrip(const Vertex* vertices, int count) {
  auto& c = Push(CallKind::DrawLineStrip);
  c.texture = bound_;
  if (detail_) {
    c.name = TextureName(bound_);
    c.vertices.assign(vertices, vertices + count);
  }
}

FontId RecordingDevice::CreateFont(const FontDesc& desc) {
  auto& c = Push(CallKind::CreateFont);
  c.name = desc.debugName;
  const FontId id = nextFont_++;
  fonts_[id] = desc;
  c.font = id;
  return id;
}

void RecordingDevice::ReleaseFont(FontId font) {
  auto& c = Push(CallKind::ReleaseFont);
  c.font = font;
  if (const FontDesc* d = Font(font)) c.name = d->debugName;
  fonts_.erase(font);
}

void RecordingDevice::DrawText(FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) {
  auto& c = Push(CallKind::DrawText);
  c.font = font;
  c.x = x;
  c.y = y;
  c.color = argb;
  if (detail_) {
    c.text = std::string(utf8);
    if (const FontDesc* d = Font(font)) c.name = d->debugName;
  }
}

void RecordingDevice::ShowCursor(bool show) { Push(CallKind::ShowCursor).flag = show; }

}  // namespace velmora
