// Start-up, window config and frames of the instrument display.
#include "app/Display.h"

#include <algorithm>

#include "assets/ImageCatalogue.h"
#include "pages/Fonts.h"
#include "panels/WindowSetup.h"
#include "window/MessageBox.h"
#include "velmora/Version.h"

namespace velmora {

std::string ProgramCaption() { return "Velmora " + std::string(kVersion); }

Display::Display(WindowHost& window, ImageDecoder& decoder, FlightData& flight)
    : window_(window), flight_(flight), decoder_(decoder), canvas_(*window.Device()),
      frameCycle_(canvas_, window, flight) {
  frameCycle_.SetFlightPage([this] { flightPage_.Draw(canvas_, flight_); });
  frameCycle_.SetTacticalPage([this] { tacticalPage_.Draw(canvas_, flight_); });
  frameCycle_.SetOverlay([this](Page page) {
    if (overlay_) overlay_(page);
    if (brightness_ >= kMaxBrightness) return;
    // Black at (100 - brightness) percent opacity: every pixel keeps that
    // share of its colour.
    const int alpha = (255 * (kMaxBrightness - brightness_) + 50) / 100;
    canvas_.FillRect(MakeArgb(0, 0, 0, static_cast<std::uint8_t>(alpha)), 0, 0, static_cast<float>(canvas_.Width()),
                     static_cast<float>(canvas_.Height()));
  });
  window_.SetCaption(ProgramCaption());
}

std::string Display::RestoreWindow(const std::optional<WindowConfig>& saved) {
  // All five lines or the complete fallback.
  if (saved) {
    OuterBounds wanted{saved->left, saved->top, saved->width, calibration::WindowHeight(saved->width)};
    window_.SetOuterWidth(saved->width);
    if (window_.OnSomeDisplay(wanted)) {
      window_.SetOuterPosition(saved->left, saved->top);
    } else {
      // The monitor it was on is gone: bring it back where it can be seen.
      window_.CenterOnPrimary(saved->width, wanted.height);
    }
    page_ = static_cast<Page>(saved->pageMode);
    return saved->transport;
  }
  window_.SetOuterWidth(kFallbackWidth);
  window_.SetOuterHeight(kFallbackHeight);
  window_.CenterOnPrimary(kFallbackWidth, kFallbackHeight);
  page_ = Page::Flight;
  return std::string(kFallbackTransport);
}

ScreenStatus Display::Start(const std::string& transport) {
  transport_ = transport;
  window_.SetCaption(transport_ + " " + window_.Caption());

  // The flight page, whatever line 4 said.
  page_ = Page::Flight;

  ApplyStartupValues(flight_);

  // The catalogue decoded for the canvas, which keeps what it needs.
  std::vector<PictureData> pictures;
  pictures.reserve(kImageCatalogue.size());
  for (const ImageEntry& e : kImageCatalogue) {
    PictureData& p = pictures.emplace_back();
    p.name = std::string(e.name);
    p.tileWidth = e.tileWidth;
    p.tileHeight = e.tileHeight;
    DecodedImage image;
    if (decoder_.Decode(ImageBytes(e.index), image)) {
      p.width = image.width;
      p.height = image.height;
      p.rgba = std::move(image.rgba);
    }
  }
  std::string failed;
  if (const ScreenStatus status = canvas_.Open(1024, 650, pictures, kFontTable, failed); status != ScreenStatus::Ok)
    return status;
  ReportTextureFailure(failed);
  return ScreenStatus::Ok;
}

void Display::DrawFrame() {
  frameCycle_.Draw(page_);
}

void Display::ReportTextureFailure(const std::string& failed) {
  if (failed.empty()) return;
  ShowMessageBox("Error", "Error creating texture " + failed, BoxIcon::Error);
  RequestTerminate();
}

void Display::SetBrightness(int percent) { brightness_ = std::clamp(percent, kMinBrightness, kMaxBrightness); }

WindowConfig Display::CurrentWindowConfig() const {
  const OuterBounds b = window_.GetOuterBounds();
  return WindowConfig{b.left, b.top, b.width, static_cast<std::int32_t>(page_), transport_};
}

}  // namespace velmora
