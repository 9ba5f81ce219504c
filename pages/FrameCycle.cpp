// One frame of the display.
#include "pages/FrameCycle.h"

#include <thread>

#include "engine/OmegaScreen.h"
#include "pages/Calibration.h"

namespace velmora {

FrameCycle::FrameCycle(TOmegaScreen& screen, FrameWindow& window, FlightData& record, ShellState& shell)
    : screen_(screen), window_(window), record_(record), shell_(shell),
      sleep_([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

void FrameCycle::OmegaTimer1Timer() {
  // A user who drags the height sees it snap back: the display keeps 1.6 : 1.
  window_.SetOuterHeight(calibration::WindowHeight(window_.OuterWidth()));
  sleep_(kPacing);
  screen_.Clear(255, 255, 255, 255);
  screen_.BeginScene();
  screen_.SetTextureFilter(true);
  window_.SetOpacity(calibration::WindowOpacity(record_.LoadFactor));
  switch (shell_.PageMode) {
    case 1:
      if (flight_) flight_();
      break;
    case 2:
      if (tactical_) tactical_();
      break;
    default:
      break;  // no page: the white clear is the picture
  }
  screen_.EndScene();
}

}  // namespace velmora
