// Shared helpers of the engine tests: pictures made in memory and a screen
// started inside its frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/RecordingDevice.h"
#include "engine/Screen.h"

namespace velmora::test {

// width × height RGBA pixels of one colour (R, G, B, A bytes).
inline std::vector<std::uint8_t> SolidPixels(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                             std::uint8_t a = 255) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (std::size_t i = 0; i < px.size(); i += 4) {
    px[i] = r;
    px[i + 1] = g;
    px[i + 2] = b;
    px[i + 3] = a;
  }
  return px;
}

// The back buffer's 1024 x 650 screen inside its scene, the call log empty:
// where a page's drawing starts.
inline void StartScene(Screen& screen, RecordingDevice& dev) {
  screen.Width = 1024;
  screen.Height = 650;
  ASSERT_EQ(screen.Initialize(), ScreenStatus::Ok);
  screen.BeginFrame();
  dev.ClearLog();
}

}  // namespace velmora::test
