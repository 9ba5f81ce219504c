// Error box throttle.
#include "app/ErrorBoxThrottle.h"

#include <utility>

namespace velmora {

ErrorBoxThrottle::ErrorBoxThrottle(std::function<Clock::time_point()> now, Clock::duration quiet)
    : now_(std::move(now)), quiet_(quiet) {}

bool ErrorBoxThrottle::TryOpen() {
  if (open_) return false;
  if (closedAt_ && now_() - *closedAt_ < quiet_) return false;
  open_ = true;
  return true;
}

void ErrorBoxThrottle::Closed() {
  if (!open_) return;
  open_ = false;
  closedAt_ = now_();
}

}  // namespace velmora
