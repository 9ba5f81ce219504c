// Render screen: device start-up and reset, the frame bracket, rectangle
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
  blendMode_ = 0;
  BlendFactors(0, src_, dst_);
  device_->SetBlend(src_, dst_);
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
  buffer_.assign(kVertexBufferRecords, Vertex{});
  haveBuffer_ = true;
  InitComponents();
  return ScreenStatus::Ok;
}

void Screen::Finalize() {
  const bool hadDevice = initialized_ || deviceReady_;
  initialized_ = false;
  deviceReady_ = false;
  inScene_ = false;
  if (!device_ || !hadDevice) return;
  // The device goes away with its textures, so the picture lists give theirs
  // back now rather than keep ids of a closed device.
  ReleaseComponents(true);
  haveBuffer_ = false;
  buffer_.clear();
  buffer_.shrink_to_fit();
  device_->Close();
}

std::string Screen::TakeTextureFailure() { return std::exchange(textureFailure_, {}); }

void Screen::Clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
  if (!device_ || !deviceReady_) return;
  device_->Clear(MakeColor(red, green, blue, alpha));
}

void Screen::BeginScene() {
  if (!device_) return;
  switch (device_->CooperativeLevel()) {
    case DeviceState::Lost:
      return;
    case DeviceState::NeedsReset:
      ResetDevice();
      return;  // the next frame draws normally
    case DeviceState::Ok:
      break;
  }
  if (initialized_ && deviceReady_ && haveBuffer_ && !inScene_) {
    device_->BeginScene();
    inScene_ = true;
  }
}

void Screen::SetTextureFilter(bool linear) {
  linearFilter_ = linear;
  if (device_ && deviceReady_) device_->SetTextureFilter(linear);
}

void Screen::EndScene() {
  if (!inScene_) return;
  inScene_ = false;
  device_->EndScene();
}

int Screen::ResetDevice() {
  if (!device_) return 1;
  inScene_ = false;
  const bool texturesLost = device_->ResetLosesTextures();
  ReleaseComponents(texturesLost);
  haveBuffer_ = false;
  device_->BindTexture(0);
  params_ = BuildParams();
  const DeviceStatus status = device_->Reset(params_);
  if (status != DeviceStatus::Ok) return static_cast<int>(status);
  device_->ShowCursor(ShowMouseCursor);
  if (buffer_.size() != static_cast<std::size_t>(kVertexBufferRecords)) buffer_.assign(kVertexBufferRecords, Vertex{});
  haveBuffer_ = true;
  // The states the frame was using before the reset.
  device_->SetBlend(src_, dst_);
  device_->SetTextureFilter(linearFilter_);
  InitComponents();
  return 0;
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

void Screen::BlendFactors(int mode, BlendFactor& src, BlendFactor& dst) {
  using B = BlendFactor;
  switch (mode) {
    case 1: src = B::One; dst = B::One; break;
    case 2: src = B::SrcAlpha; dst = B::One; break;
    case 3: src = B::SrcColor; dst = B::InvSrcColor; break;
    case 4: src = B::SrcColor; dst = B::One; break;
    case 5: src = B::Zero; dst = B::SrcColor; break;
    case 6: src = B::Zero; dst = B::SrcAlpha; break;
    case 7: src = B::Zero; dst = B::InvSrcColor; break;
    case 8: src = B::Zero; dst = B::InvSrcAlpha; break;
    case 9: src = B::InvDestColor; dst = B::Zero; break;
    case 10: src = B::SrcColor; dst = B::SrcColor; break;
    case 11: src = B::DestColor; dst = B::DestColor; break;
    case 12: src = B::InvSrcColor; dst = B::InvSrcColor; break;
    case 13: src = B::InvDestColor; dst = B::InvDestColor; break;
    default: src = B::SrcAlpha; dst = B::InvSrcAlpha; break;
  }
}

void Screen::SetBlendMode(int mode) {
  if (mode == -1 || mode == blendMode_) return;
  BlendFactors(mode, src_, dst_);
  if (device_ && deviceReady_) device_->SetBlend(src_, dst_);
  blendMode_ = mode;
}

bool Screen::SubmitVertices(Vertex* vertices, int count) {
  if (!device_ || !haveBuffer_ || count < 0 || count > kVertexBufferRecords) return false;
  for (int i = 0; i < count; ++i) {
    Vertex& v = vertices[i];
    const std::uint32_t a = ((v.color >> 24) * 255u) >> 8, r = (((v.color >> 16) & 0xFFu) * 255u) >> 8,
                        g = (((v.color >> 8) & 0xFFu) * 255u) >> 8, b = ((v.color & 0xFFu) * 255u) >> 8;
    v.color = (a << 24) | (r << 16) | (g << 8) | b;
  }
  std::copy(vertices, vertices + count, buffer_.begin());
  return true;
}

void Screen::DrawPrimitive(PrimitiveType type, int startVertex, int primitiveCount) {
  if (!inScene_ || !haveBuffer_ || primitiveCount <= 0 || startVertex < 0) return;
  const int count = type == PrimitiveType::TriangleFan ? primitiveCount + 2 : primitiveCount + 1;
  if (startVertex + count > kVertexBufferRecords) return;
  if (type == PrimitiveType::TriangleFan)
    device_->DrawFan(buffer_.data() + startVertex, count);
  else
    device_->DrawLineStrip(buffer_.data() + startVertex, count);
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

void Screen::ReleaseComponents(bool releaseTextures) {
  if (!device_) return;
  device_->BindTexture(0);
  for (auto* font : fonts_) font->ReleaseDeviceFont();
  for (auto* list : imageLists_) list->ReleaseTextures(releaseTextures);
}

}  // namespace velmora
