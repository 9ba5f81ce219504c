// Render screen: device start-up and reset, the frame bracket, rectangle
// clears, blend modes and the vertex submission with the global colour and
// transform.
#include "engine/Screen.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <numbers>

#include "engine/MessageBox.h"
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

Screen::Screen(RenderDevice* device) : device_(device) {
  // Every number the program prints or parses uses a decimal point.
  std::setlocale(LC_NUMERIC, "C");
}

Screen::~Screen() {
  if (device_ && initialized_) device_->ShowCursor(true);
  Finalize();
  if (OnDestroy) OnDestroy();
  for (auto* list : imageLists_) list->screen_ = nullptr;
  for (auto* font : fonts_) font->screen_ = nullptr;
}

void Screen::RepackColor() { color_ = MakeColor(red_, green_, blue_, alpha_); }
void Screen::SetRed(std::uint8_t v) { red_ = v; RepackColor(); }
void Screen::SetGreen(std::uint8_t v) { green_ = v; RepackColor(); }
void Screen::SetBlue(std::uint8_t v) { blue_ = v; RepackColor(); }
void Screen::SetAlpha(std::uint8_t v) { alpha_ = v; RepackColor(); }

void Screen::Setbpp(int value) { bpp_ = value == 32 ? 32 : 16; }

void Screen::SetFrequency(unsigned hz) {
  static constexpr unsigned kRates[] = {56, 60, 70, 72, 75, 85, 90, 100, 120, 140, 144, 150, 160, 170, 200, 240};
  frequency_ = std::find(std::begin(kRates), std::end(kRates), hz) != std::end(kRates) ? hz : 0;
}

void Screen::SetWindow(RenderDevice* device) {
  if (device == device_) return;
  if (initialized_) Finalize();
  device_ = device;
}

bool Screen::IsStandardMode(int width, int height) {
  static constexpr int kModes[][2] = {{800, 600}, {640, 400}, {640, 480}, {1024, 768},
                                      {320, 200}, {320, 240}, {1280, 1024}};
  for (const auto& m : kModes)
    if (m[0] == width && m[1] == height) return true;
  return false;
}

DeviceParams Screen::BuildParams() {
  DeviceParams p;
  p.width = Width;
  p.height = Height;
  p.fullScreen = FullScreen;
  // A full-screen back buffer must be a display mode; anything else falls
  // back to 800 × 600. A window takes any size.
  if (FullScreen && !IsStandardMode(Width, Height)) {
    p.width = 800;
    p.height = 600;
  }
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

int Screen::Initialize() {
  if (!device_) {
    FatalError(kMsgNoDirect3D);
    return 1;
  }
  if (initialized_ || deviceReady_) Finalize();
  params_ = BuildParams();
  DeviceStatus status = device_->Open(params_);
  if (status != DeviceStatus::Ok) {
    if (Mode != RenderMode::Hardware) {
      FatalError(kMsgNoDevice);
      return 1;
    }
    Mode = RenderMode::Software;
    params_.software = true;
    status = device_->Open(params_);
    if (status != DeviceStatus::Ok) {
      FatalError(kMsgNoDevice);
      return 1;
    }
  }
  device_->ShowCursor(ShowMouseCursor);
  initialized_ = true;
  deviceReady_ = true;
  SetDefaultStates();
  buffer_.assign(kVertexBufferRecords, Vertex{});
  haveBuffer_ = true;
  InitComponents();
  if (OnInit) OnInit();
  return 0;
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
  if (OnUnInit) OnUnInit();
  haveBuffer_ = false;
  buffer_.clear();
  buffer_.shrink_to_fit();
  device_->Close();
}

void Screen::FatalError(std::string_view message) {
  if (device_) device_->ShowCursor(true);
  ShowMessageBox("Error", message, BoxIcon::Error);
  ShowMessageBox("Error", kMsgWillExit, BoxIcon::Error);
  RequestExit(1);
}

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
  if (OnUnInit) OnUnInit();
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
  if (OnInit) OnInit();
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
  const std::uint32_t sa = color_ >> 24, sr = (color_ >> 16) & 0xFFu, sg = (color_ >> 8) & 0xFFu,
                      sb = color_ & 0xFFu;
  const double theta = static_cast<double>(Rotation) * std::numbers::pi / 180.0;
  const double c = std::cos(theta), s = std::sin(theta);
  const double cx = CenterX, cy = CenterY, sx = ScaleX, sy = ScaleY;
  for (int i = 0; i < count; ++i) {
    Vertex& v = vertices[i];
    const std::uint32_t a = ((v.color >> 24) * sa) >> 8, r = (((v.color >> 16) & 0xFFu) * sr) >> 8,
                        g = (((v.color >> 8) & 0xFFu) * sg) >> 8, b = ((v.color & 0xFFu) * sb) >> 8;
    v.color = (a << 24) | (r << 16) | (g << 8) | b;
    const double dx = v.x - cx, dy = v.y - cy;
    v.x = static_cast<float>(cx + OffsetX + sx * c * dx - sy * s * dy);
    v.y = static_cast<float>(cy + OffsetY + sx * s * dx + sy * c * dy);
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
  for (auto* list : imageLists_) list->LoadTextures();
  for (auto* font : fonts_) font->InitDeviceFont();
}

void Screen::ReleaseComponents(bool releaseTextures) {
  if (!device_) return;
  device_->BindTexture(0);
  for (auto* font : fonts_) font->ReleaseDeviceFont();
  for (auto* list : imageLists_) list->ReleaseTextures(releaseTextures);
}

}  // namespace velmora
