// Render screen: device start-up, the frame bracket, rectangle
// clears, blend modes and the vertex submission with the global colour and
// transform.
#include "engine/Screen.h"

#include <algorithm>
#include <utility>

#include "engine/Font.h"
#include "engine/PictureList.h"

namespace velmora {

std::uint32_t MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
  return (std::uint32_t{alpha} << 24) | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
}

std::uint32_t ColorToARGB(std::int32_t color) {
  const auto c = static_cast<std::uint32_t>(color);
  if (c >= 0x01000000u) return c;
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

std::uint32_t ColorToARGBAlpha(std::int32_t color, std::uint8_t alpha) {
  // There is no system palette behind the display: a system colour keeps the
  // RGB bits it carries.
  const auto c = static_cast<std::uint32_t>(color) & 0x00FFFFFFu;
  return (std::uint32_t{alpha} << 24) | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

std::string_view ScreenStatusMessage(ScreenStatus status) {
  switch (status) {
    case ScreenStatus::Ok: return {};
    case ScreenStatus::NoDevice: return kMsgNoDirect3D;
    case ScreenStatus::NoCompatibleDevice: return kMsgNoDevice;
  }
  return kMsgGeneric;
}

Screen::Screen(RenderDevice* device) : device_(device) {}

Screen::~Screen() {
  if (device_ && initialized_) device_->ShowCursor(true);
  Finalize();
  for (auto* list : imageLists_) list->screen_ = nullptr;
  for (auto* font : fonts_) font->screen_ = nullptr;
}

void Screen::SetWindow(RenderDevice* device) {
  if (device == device_) return;
  if (initialized_) Finalize();
  device_ = device;
}

DeviceParams Screen::BuildParams() {
  DeviceParams p;
  p.width = Width;
  p.height = Height;
  p.fullScreen = FullScreen;
  p.vsync = FullScreen && VSYNC;  // presentation in a window never waits
  p.software = Mode != RenderMode::Hardware;
  return p;
}

void Screen::SetDefaultStates() {
  blendMode_ = BlendMode::Alpha;
  device_->SetBlend(blendMode_);
  linearFilter_ = false;
  device_->SetTextureFilter(false);
  device_->BindTexture(0);
}

ScreenStatus Screen::Initialize() {
  if (!device_) return ScreenStatus::NoDevice;
  if (initialized_ || deviceReady_) Finalize();
  params_ = BuildParams();
  DeviceStatus status = device_->Open(params_);
  if (status != DeviceStatus::Ok) {
    if (Mode == RenderMode::Hardware) {
      Mode = RenderMode::Software;
      params_.software = true;
      status = device_->Open(params_);
    }
    if (status != DeviceStatus::Ok) {
      device_->ShowCursor(true);
      return ScreenStatus::NoCompatibleDevice;
    }
  }
  device_->ShowCursor(ShowMouseCursor);
  initialized_ = true;
  deviceReady_ = true;
  SetDefaultStates();
  InitComponents();
  return ScreenStatus::Ok;
}

void Screen::Finalize() {
  const bool hadDevice = initialized_ || deviceReady_;
  initialized_ = false;
  deviceReady_ = false;
  inFrame_ = false;
  if (!device_ || !hadDevice) return;
  // The device goes away with its textures, so the picture lists give theirs
  // back now rather than keep ids of a closed device.
  ReleaseComponents();
  device_->Close();
}

std::string Screen::TakeTextureFailure() { return std::exchange(textureFailure_, {}); }

void Screen::Clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
  if (!device_ || !deviceReady_) return;
  device_->Clear(MakeColor(red, green, blue, alpha));
}

void Screen::BeginFrame() {
  if (device_ && initialized_ && deviceReady_ && !inFrame_) {
    device_->BeginFrame();
    inFrame_ = true;
  }
}

void Screen::SetTextureFilter(bool linear) {
  linearFilter_ = linear;
  if (device_ && deviceReady_) device_->SetTextureFilter(linear);
}

void Screen::Present() {
  if (!inFrame_) return;
  inFrame_ = false;
  device_->Present();
}

void Screen::DrawRect(int x1, int y1, int x2, int y2, bool filled, int thickness, std::uint8_t red,
                            std::uint8_t green, std::uint8_t blue) {
  if (!device_ || !deviceReady_) return;
  const std::uint32_t color = MakeColor(red, green, blue, 255);
  // Corners are inclusive.
  int left = x1, top = y1, right = x2 + 1, bottom = y2 + 1;
  if (filled) device_->ClearRect({left, top, right, bottom}, color);
  int t = thickness;
  if (t == 0) return;
  if (t > 0) {
    // Border outside the rectangle: grow it and draw inward.
    left -= t;
    top -= t;
    right += t;
    bottom += t;
    t = -t;
  }
  device_->ClearRect({left, top, right, top - t}, color);
  device_->ClearRect({left, top, left - t, bottom}, color);
  device_->ClearRect({left, bottom + t, right, bottom}, color);
  device_->ClearRect({right + t, top, right, bottom}, color);
}

void Screen::SetBlendMode(BlendMode mode) {
  if (mode == blendMode_) return;
  if (device_ && deviceReady_) device_->SetBlend(mode);
  blendMode_ = mode;
}

bool Screen::Draw(PrimitiveType type, Vertex* vertices, int count) {
  if (!device_ || !deviceReady_ || count < 0) return false;
  for (int i = 0; i < count; ++i) {
    Vertex& v = vertices[i];
    const std::uint32_t a = ((v.color >> 24) * 255u) >> 8, r = (((v.color >> 16) & 0xFFu) * 255u) >> 8,
                        g = (((v.color >> 8) & 0xFFu) * 255u) >> 8, b = ((v.color & 0xFFu) * 255u) >> 8;
    v.color = (a << 24) | (r << 16) | (g << 8) | b;
  }
  if (!inFrame_) return true;
  if (type == PrimitiveType::TriangleFan && count >= 3)
    device_->DrawFan(vertices, count);
  else if (type == PrimitiveType::LineStrip && count >= 2)
    device_->DrawLineStrip(vertices, count);
  return true;
}

namespace {
template <class T>
void AddOnce(std::vector<T*>& v, T* p) {
  if (p && std::find(v.begin(), v.end(), p) == v.end()) v.push_back(p);
}
template <class T>
void RemoveAll(std::vector<T*>& v, T* p) {
  v.erase(std::remove(v.begin(), v.end(), p), v.end());
}
}  // namespace

void Screen::Register(PictureList* list) { AddOnce(imageLists_, list); }
void Screen::Register(Font* font) { AddOnce(fonts_, font); }
void Screen::Unregister(PictureList* list) { RemoveAll(imageLists_, list); }
void Screen::Unregister(Font* font) { RemoveAll(fonts_, font); }

void Screen::InitComponents() {
  if (!device_) return;
  device_->BindTexture(0);
  for (auto* list : imageLists_)
    if (std::string failed = list->LoadTextures(); !failed.empty() && textureFailure_.empty())
      textureFailure_ = std::move(failed);
  for (auto* font : fonts_) font->InitDeviceFont();
}

void Screen::ReleaseComponents() {
  if (!device_) return;
  device_->BindTexture(0);
  for (auto* font : fonts_) font->ReleaseDeviceFont();
  for (auto* list : imageLists_) list->ReleaseTextures(true);
}

}  // namespace velmora
