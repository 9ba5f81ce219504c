// The frame cycle: once per timer tick it keeps the window's aspect ratio,
// then (after the frame's pacing wait, which the main loop owns) opens a
// scene, greys the whole window out under high G, draws the selected page
// and presents.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "link/FlightData.h"

namespace velmora {

class Screen;

// The page on show. The numbers are the ones config.txt's fourth line keeps.
// Link (the state of the telemetry link) is drawn by the overlay alone.
enum class Page : std::int32_t { None = 0, Flight = 1, Tactical = 2, Link = 3 };

// The little the frame cycle asks of the window.
class FrameWindow {
 public:
  virtual ~FrameWindow() = default;
  virtual int OuterWidth() const = 0;
  virtual void SetOuterHeight(int height) = 0;
  // 0 fully transparent .. 255 opaque, applied to the whole window.
  virtual void SetOpacity(int opacity) = 0;
};

class FrameCycle {
 public:
  using PageDrawer = std::function<void()>;

  // The pacing wait every frame takes between KeepAspectRatio() and Draw(),
  // whatever the timer's own pacing.
  static constexpr std::chrono::milliseconds kPacing{30};

  FrameCycle(Screen& screen, FrameWindow& window, const FlightData& flight);

  void SetFlightPage(PageDrawer draw) { flight_ = std::move(draw); }
  void SetTacticalPage(PageDrawer draw) { tactical_ = std::move(draw); }
  // Drawn over every page, last in the scene.
  void SetOverlay(std::function<void(Page)> draw) { overlay_ = std::move(draw); }

  // The start of a frame: a user who drags the height sees it snap back.
  void KeepAspectRatio();
  // The rest of the frame. An exception from a page leaves the frame at that
  // point (the scene is not presented); the caller reports it and the next
  // tick runs a fresh frame.
  void Draw(Page page);

 private:
  Screen& screen_;
  FrameWindow& window_;
  const FlightData& flightData_;
  PageDrawer flight_, tactical_;
  std::function<void(Page)> overlay_;
};

}  // namespace velmora
