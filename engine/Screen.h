// The render screen: owns the binding to the drawing device, the 1024 × 650
// back buffer, the frame bracket, the global colour and transform applied to
// every submitted quad, and the colour value helpers used by all instruments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenderDevice.h"

namespace velmora {

class PictureList;
class Font;

// Alpha bits 24..31, red 16..23, green 8..15, blue 0..7.
std::uint32_t MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);
// A 0x00BBGGRR colour becomes opaque 0xFFRRGGBB; values from 0x01000000 up
// (system colours, colours already carrying alpha) are returned unchanged.
std::uint32_t ColorToARGB(std::int32_t color);
// The colour resolved to plain RGB, red and blue exchanged, alpha given.
std::uint32_t ColorToARGBAlpha(std::int32_t color, std::uint8_t alpha);

enum class RenderMode { Hardware, Reference, Software };
enum class PrimitiveType { TriangleFan, LineStrip };

// Fatal messages of device start-up (kept verbatim, line breaks included).
inline constexpr std::string_view kMsgNoDirect3D =
    "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is correctly "
    "installed on your\nsystem.  Also make sure that this program\nwas compiled with header files that match\n"
    "the installed DirectX DLLs.";
inline constexpr std::string_view kMsgNoDevice = "Could not find any compatible Direct3D\ndevices.";
inline constexpr std::string_view kMsgNoMemory = "Not enough memory.";
inline constexpr std::string_view kMsgNoVideoMemory = "Not enough video memory.";
inline constexpr std::string_view kMsgGeneric = "Generic application error.";
inline constexpr std::string_view kMsgWillExit = "This application will now exit.";

// How the screen's start went. The application tells the user and decides
// whether to go on.
enum class ScreenStatus { Ok, NoDevice, NoCompatibleDevice };
// The fatal message of a failed start; empty for Ok.
std::string_view ScreenStatusMessage(ScreenStatus status);

class Screen {
 public:
  explicit Screen(RenderDevice* device = nullptr);
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // ---- properties (constructor values) ----
  bool ShowMouseCursor = true;
  RenderMode Mode = RenderMode::Hardware;
  int Width = 800, Height = 600;
  bool FullScreen = false;
  bool VSYNC = false;

  // The device bound to the target window (non-owning).
  void SetWindow(RenderDevice* device);
  RenderDevice* Device() const { return device_; }

  // Creates the back buffer on the device (hardware first, then the
  // software rasteriser).
  ScreenStatus Initialize();
  void Finalize();

  bool Initialized() const { return initialized_; }
  bool DeviceReady() const { return deviceReady_; }
  bool InFrame() const { return inFrame_; }
  // The back-buffer size the last device creation asked for.
  const DeviceParams& Params() const { return params_; }

  // ---- frame bracket ----
  void Clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);
  void BeginFrame();
  void SetTextureFilter(bool linear);
  void Present();

  // Rectangle clears straight into the back buffer (inclusive corners).
  void DrawRect(int x1, int y1, int x2, int y2, bool filled, int thickness, std::uint8_t red,
                std::uint8_t green, std::uint8_t blue);
  void SetBlendMode(BlendMode mode);
  BlendMode Blend() const { return blendMode_; }

  // Scales the vertices' colours by 255/256 (the arithmetic every picture's
  // pixels were made with) in place and, inside a frame, draws them as one
  // fan (count >= 3) or line strip (count >= 2). False without a ready device.
  bool Draw(PrimitiveType type, Vertex* vertices, int count);

  // ---- components that own device resources ----
  void Register(PictureList* list);
  void Register(Font* font);
  void Unregister(PictureList* list);
  void Unregister(Font* font);
  void InitComponents();
  void ReleaseComponents();

  // The picture whose texture the last start could not create, and
  // forgets it; empty when every texture was made.
  std::string TakeTextureFailure();

 private:
  DeviceParams BuildParams();
  void SetDefaultStates();

  RenderDevice* device_ = nullptr;
  DeviceParams params_;
  BlendMode blendMode_ = BlendMode::Alpha;
  bool linearFilter_ = false;
  bool initialized_ = false, deviceReady_ = false, inFrame_ = false;
  std::string textureFailure_;
  std::vector<PictureList*> imageLists_;
  std::vector<Font*> fonts_;
};

}  // namespace velmora
