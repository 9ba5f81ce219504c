// The browser view: the live picture for tablets and other screens on the
// network. A small web server on a thread of its own serves one page (the
// picture scaled to the screen, the two bezel buttons working by touch) and
// streams the frames to it as JPEG over a WebSocket. Frames are read back
// and encoded only while someone watches; a page asked for from a browser
// is picked up by the main thread before the next frame, so the server
// never touches the display.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace velmora {

class Platform;

struct WebLimits {
  std::size_t maxViewers = 8;                         // more get 503
  std::size_t maxRequestBytes = 8192;                 // request line, headers and body
  std::chrono::milliseconds requestTimeout{10000};    // for the whole request to arrive
};

// The page, with the bezel buttons' rectangles built in, for a picture
// turned clockwise by 0, 90, 180 or 270 degrees.
const std::string& WebPage(int rotation = 0);

class WebView {
 public:
  // Binds (port 0 picks a free one) and starts serving; throws
  // std::runtime_error when it cannot.
  WebView(const std::string& address, std::uint16_t port, WebLimits limits = {}, int jpegQuality = 80);
  ~WebView();
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;

  std::uint16_t Port() const;
  std::size_t Viewers() const;

  // Main thread, after each frame: the back buffer to the encoder, only
  // while someone watches.
  void FramePresented(Platform& platform);
  // Main thread: the page a browser asked for since the last call (1 flight,
  // 2 tactical).
  std::optional<int> TakePageRequest();
  // The picture's turn (degrees clockwise): the page served from now on
  // fits it. The frames come turned from the back buffer's read-back.
  void SetRotation(int degrees);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora
