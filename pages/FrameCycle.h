// The frame cycle: once per timer tick it keeps the window's aspect ratio,
// then (after the frame's pacing wait, which the main loop owns) opens a
// frame, greys the whole window out under high G, draws the selected page
// and presents.
#pragma once

#include <cstdint>
#include <functional>

#include "link/FlightData.h"

namespace velmora::calibration {

// Window outer height for an outer width: width / 1.6, rounded half to even
// (1024 -> 640, 1012 -> 632). The window keeps the display's 1.6 aspect.
int WindowHeight(int width);

// Whole-window opacity (0..255) from the G load: the grey-out effect. Fully
// opaque up to 6 g, then 35 per g less, evaluated in single precision and
// rounded half to even; 0 from 93/7 g on. Not-a-number counts as "not above 6".
int WindowOpacity(double g);

}  // namespace velmora::calibration

namespace velmora {

class Canvas;

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

  FrameCycle(Canvas& canvas, FrameWindow& window, const FlightData& flight);

  void SetFlightPage(PageDrawer draw) { flight_ = std::move(draw); }
  void SetTacticalPage(PageDrawer draw) { tactical_ = std::move(draw); }
  // Drawn over every page, last in the frame.
  void SetOverlay(std::function<void(Page)> draw) { overlay_ = std::move(draw); }

  // The start of a frame: a user who drags the height sees it snap back.
  void KeepAspectRatio();
  // The rest of the frame. An exception from a page leaves the frame at that
  // point (the frame is not presented); the caller reports it and the next
  // tick runs a fresh frame.
  void Draw(Page page);

 private:
  Canvas& canvas_;
  FrameWindow& window_;
  const FlightData& flightData_;
  PageDrawer flight_, tactical_;
  std::function<void(Page)> overlay_;
};

}  // namespace velmora
