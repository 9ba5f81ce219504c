// The canvas on SDL's renderer: the page is a render-target texture (on the
// software renderer a surface of its own) presented stretched, and turned,
// into the window; pictures are textures drawn as quads through
// SDL_RenderGeometry, shapes as fans, text through SdlText. When SDL reports
// a render-target or device reset, the next frame rebuilds what was lost.
// On SDL's software renderer the fast paths (SdlSoftwarePaths.cpp,
// SdlDirectBlits) give the same pixels for a fraction of the work. The
// class is defined in three files: SdlCanvas.cpp (opening, frames, draws,
// resets), SdlSoftwarePaths.cpp and SdlCanvasPresent.cpp.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/SdlDirectBlits.h"
#include "canvas/SdlText.h"

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

// One SDL texture of a picture with the blend and scale modes last set on it.
struct SdlPictureCopy {
  SDL_Texture* texture = nullptr;
  std::uint32_t colour = 0xFFFFFFFFu;  // the vertex colour multiplied into the texels
  SDL_BlendMode blend = SDL_BLENDMODE_INVALID;
  int scale = -1;  // SDL_ScaleMode last set
};

// A picture: its R G B A texels (kept for device resets and the copies),
// its plain SDL texture and, on the software renderer, the copies with a
// colour multiplied in made so far (a few at most). A texture holds the
// picture in its top-left texels and a transparent black margin up to
// powers of two.
struct SdlPicture {
  int width = 0, height = 0;          // the picture
  int texWidth = 0, texHeight = 0;    // its textures
  int tileWidth = 0, tileHeight = 0;  // what a draw shows
  bool ready = false;                 // it can be drawn
  std::vector<std::uint8_t> texels;
  SdlPictureCopy plain;
  std::vector<SdlPictureCopy> tints;
};

class SdlCanvas final : public Canvas {
 public:
  explicit SdlCanvas(SDL_Window* window, SdlCanvasOptions options = SdlCanvasOptions());
  ~SdlCanvas() override;
  SdlCanvas(const SdlCanvas&) = delete;
  SdlCanvas& operator=(const SdlCanvas&) = delete;

  // Forwarded by the event loop; the next frame rebuilds the page (and
  // after a device reset every texture).
  void NotifyTargetsReset() { targetsReset_ = true; }  // SDL_RENDER_TARGETS_RESET
  void NotifyDeviceReset() { deviceReset_ = true; }    // SDL_RENDER_DEVICE_RESET

  // Turns the picture clockwise by 0, 90, 180 or 270 degrees for a panel
  // mounted sideways or upside down. Pages keep drawing the unturned page;
  // the turn happens once, where it is presented and read.
  void SetRotation(int degrees) { rotation_ = IsSideways(degrees) || degrees == 180 ? degrees : 0; }
  int Rotation() const { return rotation_; }
  // The picture as presented (turned) as 0xAARRGGBB words, row by row.
  bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height);

  SDL_Renderer* Renderer() const { return renderer_; }
  bool IsSoftware() const { return software_; }
  // Strings rasterised so far (cache misses): tests check the cache.
  std::size_t TextRasterisations() const { return text_.Rasterisations(); }
  // Draws that took a software fast path: flat fans blended straight in,
  // and pictures drawn from a copy with their colour multiplied in.
  std::size_t FastPathDraws() const { return fastDraws_; }
  // SDL textures held for the pictures (plain and tinted copies together).
  std::size_t PictureCopies() const;

  // ---- Canvas ----
  ScreenStatus Open(int width, int height, std::span<const PictureData> pictures, std::span<const FontSpec> fonts,
                    std::string& failed) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
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
  bool FastPaths() const { return software_ && options_.fastPaths; }
  static PixelRows Rows(SDL_Surface* s) {
    return PixelRows{static_cast<std::uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4};
  }

  // ---- SdlCanvas.cpp ----
  // A renderer (and page) of its own; false leaves none.
  bool OpenRenderer(bool softwareOnly);
  bool CreateTarget();
  void DestroyAll();
  void Recover();
  // The fan of count vertices with the picture (or none: -1).
  void DrawFan(int picture, const Vertex* v, int count);
  void FlatFan(Argb color, const CanvasPoint* points, int count);
  void DrawLines(std::uint32_t argb, const SDL_FPoint* points, int count);
  // Ordinary alpha blending for what follows, set only when it changed
  // (a box replaces its pixels).
  void Blend(SDL_Texture* tex, SDL_BlendMode& cached);

  // ---- SdlSoftwarePaths.cpp ----
  // The picture's texels in a new SDL texture, each channel multiplied by the
  // colour's (texel × colour div 255, SDL's rule); null on failure.
  SDL_Texture* MakeTexture(const SdlPicture& picture, std::uint32_t colour, SDL_TextureAccess access);
  // The copy to draw the picture with for these vertices, made when
  // missing; tinted when the vertex colour is in its texels (the vertices
  // then go white). Null when no copy could be made.
  SdlPictureCopy* CopyFor(SdlPicture& picture, const Vertex* v, int count, bool& tinted);
  static void DestroyCopies(SdlPicture& picture);
  // An untextured fan of one colour blended straight into the page; false
  // when the fan is not one for this path.
  bool DrawFlatFan(const Vertex* v, int count);
  static LayerBlend ProbeLayerBlend();
  // A textured quad of one white colour blended straight into the page when
  // SDL would copy it unstretched or draw it as two triangles; false leaves
  // it to SDL.
  bool DirectQuad(SdlPictureCopy& copy, const Vertex* v);

  // ---- SdlCanvasPresent.cpp ----
  // SDL's own stretch, through a kept buffer in the page's format when the
  // window's differs.
  void StretchThroughSdl(SDL_Surface* from, SDL_Surface* win, SDL_Rect src, SDL_Rect dst);
  // The page into the window surface as SDL's software renderer copies a
  // linearly filtered target texture.
  void PresentPage();
  // A turned window of the usual shape, turned straight into the window;
  // false leaves it to the general path.
  bool PresentTurnedDirect(SDL_Surface* win);
  // The page as presented: itself, or turned into the kept surface.
  SDL_Surface* Turned();
  // Where the renderer's present puts the (turned) picture in the window;
  // false when it covers the window unturned.
  bool PresentRect(SDL_FRect& dst);

  SDL_Window* window_;
  SdlCanvasOptions options_;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* target_ = nullptr;
  // Direct blits: the page as a surface with a software renderer drawing
  // into it (no target texture), and the scaling buffer of the present.
  SDL_Surface* back_ = nullptr;
  SDL_Surface* presentScaled_ = nullptr;
  // A turned picture: degrees clockwise, the turned copy the direct present
  // scales from, and the unturned pixels a read turns.
  int rotation_ = 0;
  SDL_Surface* turned_ = nullptr;
  SDL_Surface* upright_ = nullptr;  // the rows mixed to the window's size, before the turn
  std::vector<std::uint32_t> unturned_;
  int width_ = 1024, height_ = 650;  // the page (the program's until Open says otherwise)
  bool software_ = false;
  bool targetsReset_ = false, deviceReset_ = false, picturesMissing_ = false;
  bool clipped_ = false;  // direct blits do not clip: SDL draws while a clip is set
  SDL_BlendMode drawBlend_ = SDL_BLENDMODE_INVALID;

  std::vector<SdlPicture> pictures_;  // in catalogue order
  SdlText text_;

  // Flat fans blended straight into the page: their points, and SDL's
  // blender for them.
  std::vector<float> fanXy_;
  LayerBlend layerBlend_ = LayerBlend::None;
  std::size_t fastDraws_ = 0;

  std::array<CanvasPoint, kSectorPoints> sector_;
  std::vector<CanvasPoint> mapped_;
  std::vector<Vertex> fan_;
  std::vector<SDL_Vertex> verts_;
  std::vector<int> indices_;
};

}  // namespace velmora
