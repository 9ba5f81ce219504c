// The canvas on SDL's renderer: the page is a render-target texture (on the
// software renderer a surface of its own) presented stretched, and turned,
// into the window; pictures are textures drawn as quads through
// SDL_RenderGeometry, shapes as fans, text through SdlText. When SDL reports
// a render-target or device reset, the next frame rebuilds what was lost.
// On SDL's software renderer the fast paths (SdlSoftwarePaths,
// SdlDirectBlits) give the same pixels for a fraction of the work.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/Canvas.h"

struct SDL_Window;
struct SDL_Renderer;

namespace velmora {

struct SdlCanvasOptions {
  bool software = false;            // only the software renderer
  std::size_t textCacheSize = 256;  // rasterised strings kept
  // The software renderer's fast paths (SdlSoftwarePaths.cpp): within two
  // steps a channel of SDL's own pixels. Off only to compare with SDL.
  bool fastPaths = true;
  // With them, pictures blended straight into a page surface of the
  // canvas's own (the same pixels). Off only to compare.
  bool directBlits = true;
};

class SdlCanvas final : public Canvas {
 public:
  explicit SdlCanvas(SDL_Window* window, SdlCanvasOptions options = SdlCanvasOptions());
  ~SdlCanvas() override;
  SdlCanvas(const SdlCanvas&) = delete;
  SdlCanvas& operator=(const SdlCanvas&) = delete;

  // Forwarded by the event loop; the next frame rebuilds the page (and
  // after a device reset every texture).
  void NotifyTargetsReset();  // SDL_RENDER_TARGETS_RESET
  void NotifyDeviceReset();   // SDL_RENDER_DEVICE_RESET

  // Turns the picture clockwise by 0, 90, 180 or 270 degrees for a panel
  // mounted sideways or upside down. Pages keep drawing the unturned page;
  // the turn happens once, where it is presented and read.
  void SetRotation(int degrees);
  int Rotation() const;
  // The picture as presented (turned) as 0xAARRGGBB words, row by row.
  bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height);

  SDL_Renderer* Renderer() const;
  bool IsSoftware() const;
  // Strings rasterised so far (cache misses): tests check the cache.
  std::size_t TextRasterisations() const;
  // Draws that took a software fast path: flat fans found row by row, and
  // pictures drawn from a copy with their colour multiplied in.
  std::size_t FastPathDraws() const;
  // SDL textures held for the pictures (plain and tinted copies together).
  std::size_t PictureCopies() const;

  // ---- Canvas ----
  ScreenStatus Open(int width, int height, std::span<const PictureData> pictures, std::span<const FontSpec> fonts,
                    std::string& failed) override;
  int Width() const override;
  int Height() const override;
  void BeginFrame(Argb clear) override;
  void Present() override;
  void DrawPicture(PictureId picture, float x, float y, const PictureTurn& turn = {}) override;
  void FillRect(Argb color, float x, float y, float width, float height) override;
  void StrokeRect(Argb color, float x, float y, float width, float height) override;
  void FillSector(Argb color, float cx, float cy, float radius, float fromAngle, float toAngle) override;
  void FillPolygon(Argb color, std::span<const CanvasPoint> points) override;
  void Line(Argb color, float x1, float y1, float x2, float y2) override;
  void Box(PixelBox box, bool filled, int thickness, Argb color) override;
  void Text(FontId font, int x, int y, std::string_view utf8, Argb color) override;

 private:
  void ClipChanged() override;
  void Rect(bool filled, Argb color, float x, float y, float width, float height);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
