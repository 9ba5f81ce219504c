// A device that draws nothing and records every call with its arguments, so
// tests can read a frame back as a command list ("fan of 4 vertices with
// texture ADI_pitch at these corners", "'P760.0' with readout at
// (570, 475)"). It can also fail to open.
#pragma once

#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/RenderDevice.h"

namespace velmora {

enum class CallKind {
  Open, Close, Clear, ClearRect, BeginFrame, Present,
  CreateTexture, ReleaseTexture, BindTexture, SetBlend, SetTextureFilter,
  DrawFan, DrawLineStrip, CreateFont, ReleaseFont, DrawText, ShowCursor,
};

const char* CallKindName(CallKind kind);

struct RecordedCall {
  CallKind kind{};
  std::uint32_t color = 0;        // Clear, ClearRect, DrawText
  IntRect rect;                   // ClearRect
  TextureId texture = 0;          // textures; the bound texture for draws
  std::string name;               // texture or font debug name
  BlendMode blend{};              // SetBlend
  bool flag = false;              // SetTextureFilter: linear; ShowCursor: shown
  std::vector<Vertex> vertices;  // DrawFan, DrawLineStrip
  FontId font = 0;
  int x = 0, y = 0;               // DrawText position; CreateTexture size
  std::string text;               // DrawText
  DeviceParams params;            // Open
};

class RecordingDevice : public RenderDevice {
 public:
  RecordingDevice() = default;

  // ---- the log ----
  const std::vector<RecordedCall>& Calls() const { return calls_; }
  void ClearLog() { calls_.clear(); }
  std::vector<const RecordedCall*> CallsOf(CallKind kind) const;
  int CountOf(CallKind kind) const;
  // Keep only counts (no vertices or text copies) — for benchmarks.
  void SetRecordDetail(bool detail) { detail_ = detail; }

  // ---- lookups ----
  std::string TextureName(TextureId texture) const;
  const FontDesc* Font(FontId font) const;
  int LiveTextures() const { return static_cast<int>(textures_.size()); }
  int LiveFonts() const { return static_cast<int>(fonts_.size()); }
  const std::vector<std::uint8_t>* TexturePixels(TextureId texture) const;
  TextureId BoundTexture() const { return bound_; }
  int TextureSizeOf(TextureId texture, bool height) const;

  // ---- scripted behaviour ----
  // The next `count` Open calls fail with `status`.
  void FailOpen(int count, DeviceStatus status = DeviceStatus::NotAvailable) {
    openFailures_ = count;
    openStatus_ = status;
  }
  // Fails CreateTexture for textures with this debug name.
  void FailTexture(std::string name) { failTexture_ = std::move(name); }

  // ---- RenderDevice ----
  DeviceStatus Open(const DeviceParams& params) override;
  void Close() override;
  int Width() const override { return params_.width; }
  int Height() const override { return params_.height; }
  void Clear(std::uint32_t argb) override;
  void ClearRect(const IntRect& rect, std::uint32_t argb) override;
  void BeginFrame() override;
  void Present() override;
  TextureId CreateTexture(std::span<const std::uint8_t> rgba, int texWidth, int texHeight,
                          std::string_view debugName) override;
  void ReleaseTexture(TextureId texture) override;
  void BindTexture(TextureId texture) override;
  void SetBlend(BlendMode mode) override;
  void SetTextureFilter(bool linear) override;
  void DrawFan(const Vertex* vertices, int count) override;
  void DrawLineStrip(const Vertex* vertices, int count) override;
  FontId CreateFont(const FontDesc& desc) override;
  void ReleaseFont(FontId font) override;
  void DrawText(FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) override;
  void ShowCursor(bool show) override;

 private:
  struct Texture {
    std::string name;
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
  };
  RecordedCall& Push(CallKind kind);

  std::vector<RecordedCall> calls_;
  bool detail_ = true;
  DeviceParams params_;
  int openFailures_ = 0;
  DeviceStatus openStatus_ = DeviceStatus::NotAvailable;
  std::string failTexture_;
  std::map<TextureId, Texture> textures_;
  std::map<FontId, FontDesc> fonts_;
  TextureId nextTexture_ = 1;
  FontId nextFont_ = 1;
  TextureId bound_ = 0;
};

}  // namespace velmora
