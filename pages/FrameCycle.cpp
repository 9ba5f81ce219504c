// One frame of the display.
#include "pages/FrameCycle.h"

#include "engine/Screen.h"
#include "pages/Calibration.h"

namespace velmora {

FrameCycle::FrameCycle(Screen& screen, FrameWindow& window, const FlightData& flight)
    : screen_(screen), window_(window), flightData_(flight) {}

void FrameCycle::KeepAspectRatio() {
  // The display keeps 1.6 : 1.
  window_.SetOuterHeight(calibration::WindowHeight(window_.OuterWidth()));
}

void FrameCycle::Draw(Page page) {
  screen_.Clear(255, 255, 255, 255);
  screen_.BeginScene();
  screen_.SetTextureFilter(true);
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
  screen_.EndScene();
}

}  // namespace velmora
