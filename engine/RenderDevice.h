// The render seam: the handful of operations the engine asks of a drawing
// back end. Everything above it (screen, picture list, sprites, fonts,
// canvas, pages) is back-end free; SdlRenderDevice gives real pixels and
// RecordingDevice records the calls for tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// One corner of every draw: a back-buffer pixel position, an ARGB colour
// value and texture coordinates.
struct Vertex {
  float x = 0, y = 0;
  std::uint32_t color = 0xFFFFFFFFu;
  float u = 0, v = 0;
};

using TextureId = std::uint32_t;  // 0 = no texture
using FontId = std::uint32_t;     // 0 = no font

// Outcome of opening the device; the screen turns the failures
// into its fatal messages.
enum class DeviceStatus { Ok, NotAvailable, OutOfMemory, OutOfVideoMemory, Failed };

// How a draw meets the back buffer: blended by its alpha (pictures, shapes
// and text), or added (source × alpha + destination). Rectangle clears
// replace their pixels.
enum class BlendMode { Alpha, Additive };

// Right and bottom are exclusive.
struct IntRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const IntRect&) const = default;
};

struct DeviceParams {
  int width = 1024, height = 650;  // back-buffer size
  bool fullScreen = false;
  bool vsync = false;
  bool software = false;           // ask for the software rasteriser
};

struct FontDesc {
  std::string face;       // e.g. "Arial"
  int pixelHeight = 0;    // character height (cell height without internal leading)
  bool bold = false, italic = false, underline = false, strikeout = false;
  std::string debugName;  // owner's name, e.g. "readout"; shown in recordings
};

class RenderDevice {
 public:
  virtual ~RenderDevice() = default;

  // Creates the drawing surface (back buffer of params.width × params.height).
  virtual DeviceStatus Open(const DeviceParams& params) = 0;
  virtual void Close() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Whole back buffer, no blending.
  virtual void Clear(std::uint32_t argb) = 0;
  // Rectangle of the back buffer replaced by the colour: no blending, no
  // transform. Clipped to the back buffer.
  virtual void ClearRect(const IntRect& rect, std::uint32_t argb) = 0;
  // Starts a frame. A back end whose target or textures were lost since the
  // last frame (a render-target or device reset) rebuilds them first: the
  // texture and font ids stay valid.
  virtual void BeginFrame() = 0;
  // Ends the frame and presents the back buffer to the window.
  virtual void Present() = 0;

  // rgba holds texWidth × texHeight texels (R G B A bytes, top-down).
  virtual TextureId CreateTexture(std::span<const std::uint8_t> rgba, int texWidth, int texHeight,
                                  std::string_view debugName) = 0;
  virtual void ReleaseTexture(TextureId texture) = 0;
  virtual void BindTexture(TextureId texture) = 0;  // 0 unbinds
  virtual void SetBlend(BlendMode mode) = 0;
  virtual void SetTextureFilter(bool linear) = 0;

  // count vertices: a fan of count − 2 triangles, a strip of count − 1 lines.
  virtual void DrawFan(const Vertex* vertices, int count) = 0;
  virtual void DrawLineStrip(const Vertex* vertices, int count) = 0;

  virtual FontId CreateFont(const FontDesc& desc) = 0;
  virtual void ReleaseFont(FontId font) = 0;
  // UTF-8 text, top-left of the text cell at (x, y); line breaks start new
  // lines; not subject to the screen transform.
  virtual void DrawText(FontId font, int x, int y, std::string_view utf8, std::uint32_t argb) = 0;

  virtual void ShowCursor(bool show) = 0;
};

}  // namespace velmora
