// The frame cycle: once per timer tick it keeps the window's aspect ratio,
// paces itself, opens a scene, greys the whole window out under high G,
// draws the selected page and presents.
#pragma once

#include <chrono>
#include <functional>

#include "link/FlightData.h"

namespace velmora {

class TOmegaScreen;

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
  using Sleep = std::function<void(std::chrono::milliseconds)>;
  using PageDrawer = std::function<void()>;

  // The pacing sleep every frame takes, whatever the timer's own pacing.
  static constexpr std::chrono::milliseconds kPacing{30};

  FrameCycle(TOmegaScreen& screen, FrameWindow& window, FlightData& record, ShellState& shell);

  void SetSleep(Sleep sleep) { sleep_ = std::move(sleep); }
  void SetFlightPage(PageDrawer draw) { flight_ = std::move(draw); }
  void SetTacticalPage(PageDrawer draw) { tactical_ = std::move(draw); }

  // One frame. An exception from a page leaves the frame at that point (the
  // scene is not presented); the caller reports it and the next tick runs a
  // fresh frame.
  void OmegaTimer1Timer();

 private:
  TOmegaScreen& screen_;
  FrameWindow& window_;
  FlightData& record_;
  ShellState& shell_;
  Sleep sleep_;
  PageDrawer flight_, tactical_;
};

}  // namespace velmora
