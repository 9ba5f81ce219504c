// The no-data overlay over the instrument pages: a small "NO DATA" flag
// beside the attitude indicator after a second without telemetry, a band
// over the lower instruments after three seconds (where to send, what
// arrived last, the last error).
#pragma once

#include <chrono>

#include "canvas/Canvas.h"
#include "link/LinkStatus.h"
#include "pages/FrameCycle.h"
#include "pages/LinkPage.h"

namespace velmora {

class NoDataOverlay {
 public:
  using Clock = std::chrono::steady_clock;

  // status stays owned by the telemetry input; started is when the run began.
  NoDataOverlay(const LinkStatus& status, LinkSetup setup, Clock::time_point started)
      : status_(status), setup_(std::move(setup)), started_(started) {}

  // Over the page just drawn (flight or tactical), inside its frame.
  void Draw(Canvas& canvas, Page page, Clock::time_point now) const;

 private:
  void DrawFlag(Canvas& canvas) const;
  void DrawBand(Canvas& canvas, Clock::time_point now) const;

  const LinkStatus& status_;
  LinkSetup setup_;
  Clock::time_point started_;
};

}  // namespace velmora
