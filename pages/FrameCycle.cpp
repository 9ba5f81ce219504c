// One frame of the display.
#include "pages/FrameCycle.h"

#include <cmath>

#include "canvas/Canvas.h"

namespace velmora {

int calibration::WindowHeight(int width) {
  // One single-precision division, then round half to even.
  const float h = static_cast<float>(static_cast<double>(width) / 1.6);
  return static_cast<int>(std::nearbyint(h));
}

int calibration::WindowOpacity(double g) {
  if (!(g > 6.0)) return 255;
  const float product = static_cast<float>(35.0 * g);
  const float value = static_cast<float>(465.0 - static_cast<double>(product));
  // Past 93/7 g the ramp would go negative: the window is simply gone.
  if (!(value > 0.0f)) return 0;
  const double r = std::nearbyint(static_cast<double>(value));
  return r > 255.0 ? 255 : static_cast<int>(r);
}

FrameCycle::FrameCycle(Canvas& canvas, FrameWindow& window, const FlightData& flight)
    : canvas_(canvas), window_(window), flightData_(flight) {}

void FrameCycle::KeepAspectRatio() {
  // The display keeps 1.6 : 1.
  window_.SetOuterHeight(calibration::WindowHeight(window_.OuterWidth()));
}

void FrameCycle::Draw(Page page) {
  canvas_.BeginFrame(0xFFFFFFFFu);
  window_.SetOpacity(calibration::WindowOpacity(flightData_.LoadFactor));
  switch (page) {
    case Page::Flight:
      if (flight_) flight_();
      break;
    case Page::Tactical:
      if (tactical_) tactical_();
      break;
    default:
      break;  // no page: the white clear is the picture
  }
  if (overlay_) overlay_(page);
  canvas_.Present();
}

}  // namespace velmora
