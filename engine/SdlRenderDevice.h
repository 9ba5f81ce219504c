// The SDL2 back end: a render-target texture as the back buffer (Width ×
// Height, 1024 × 650 for the program; on the software renderer a surface
// of its own), presented stretched into the window's client area; textured fans through SDL_RenderGeometry (with the software
// renderer's fast paths of SdlSoftwarePaths); text through SdlText (SDL_ttf
// with faces resolved by fontconfig and an LRU of rasterised strings).
// Pictures are decoded elsewhere (SdlImageDecoder).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/RenderDevice.h"

struct SDL_Window;
struct SDL_Renderer;

namespace velmora {

struct SdlDeviceOptions {
  bool software = false;            // only the software renderer
  std::size_t textCacheSize = 256;  // rasterised strings kept
  // Software renderer: flat-coloured fans (pie sectors) are found row by
  // row and blended in one pass instead of triangle by triangle (same
  // pixels), and pictures drawn in one colour come from a copy with the
  // colour multiplied in, so SDL blits them unmodulated (within two steps a
  // channel of SDL's exact blend). Off only to compare against SDL's own
  // paths.
  bool fastPaths = true;
  // With the fast paths: the back buffer is a surface of the device's own,
  // so pictures (unstretched, or turned) are blended straight into it with
  // SDL's arithmetic (same pixels, without SDL's per-pixel format handling),
  // and presenting reuses one scaling buffer. Off only to compare.
  bool directBlits = true;
};

class SdlRenderDevice : public RenderDevice {
 public:
  explicit SdlRenderDevice(SDL_Window* window, SdlDeviceOptions options = SdlDeviceOptions());
  ~SdlRenderDevice() override;
  SdlRenderDevice(const SdlRenderDevice&) = delete;
  SdlRenderDevice& operator=(const SdlRenderDevice&) = delete;

  // Forwarded by the application's event loop; the next BeginFrame rebuilds
  // the back buffer (and after a device reset every texture, same ids).
  void NotifyTargetsReset();  // SDL_RENDER_TARGETS_RESET
  void NotifyDeviceReset();   // SDL_RENDER_DEVICE_RESET

  // Turns the picture clockwise by 0, 90, 180 or 270 degrees for a panel
  // mounted sideways or upside down. Pages keep drawing the unturned back
  // buffer; the turn happens once, where it is presented and read.
  void SetRotation(int degrees);
  int Rotation() const;

  // Writes the picture (turned) as PNG; a failed write keeps the previous file.
  bool SaveScreenshot(const std::string& path);
  // The picture as presented (turned) as 0xAARRGGBB words, row by row.
  bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height);

  SDL_Renderer* Renderer() const;
  bool IsSoftware() const;
  // Face file that fontconfig picked for a face name (empty when none).
  static std::string ResolveFace(const std::string& face, bool bold, bool italic);
  // Strings rasterised so far (cache misses) — tests check the cache.
  std::size_t TextRasterisations() const;
  // Draws that took a software fast path: flat fans found row by row, and
  // pictures drawn from a copy with their vertex colour multiplied in.
  std::size_t FastPathDraws() const;
  // SDL textures currently held for the engine's pictures (plain and
  // colour-modulated copies together).
  std::size_t PictureCopies() const;

  // ---- RenderDevice ----
  DeviceStatus Open(const DeviceParams& params) override;
  void Close() override;
  int Width() const override;
  int Height() const override;
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
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
