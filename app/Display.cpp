// Start-up, window config and frames of the instrument display.
#include "app/Display.h"

#include <algorithm>

#include "assets/ImageCatalogue.h"
#include "app/MessageBox.h"
#include "panels/WindowSetup.h"
#include "velmora/Version.h"

namespace velmora {

std::string ProgramCaption() { return "Velmora " + std::string(kVersion); }

Display::Display(WindowHost& window, ImageDecoder& decoder, FlightData& flight)
    : window_(window),
      flight_(flight),
      screen_(nullptr),
      images_(&screen_, &decoder),
      canvas_(screen_, images_.Pictures, fontList_),
      frameCycle_(screen_, window, flight) {
  // The layout's values.
  screen_.Width = 1024;
  screen_.Height = 650;
  screen_.VSYNC = true;
  for (std::size_t i = 0; i < kFontCount; ++i) {
    fonts_[i] = std::make_unique<Font>(&screen_, std::string(kFontTable[i].name));
    fontList_[i] = fonts_[i].get();
  }
  LoadCatalogue();

  frameCycle_.SetFlightPage([this] { flightPage_.Draw(*pageCanvas_, flight_); });
  frameCycle_.SetTacticalPage([this] { tacticalPage_.Draw(*pageCanvas_, flight_); });
  frameCycle_.SetOverlay([this](Page page) {
    if (overlay_) overlay_(page);
    if (brightness_ >= kMaxBrightness) return;
    // Black at (100 - brightness) percent opacity: every pixel keeps that
    // share of its colour.
    const int alpha = (255 * (kMaxBrightness - brightness_) + 50) / 100;
    pageCanvas_->FillRect(MakeArgb(0, 0, 0, static_cast<std::uint8_t>(alpha)), 0, 0,
                          static_cast<float>(screen_.Width), static_cast<float>(screen_.Height));
  });
  window_.SetCaption(ProgramCaption());
}

void Display::LoadCatalogue() {
  for (const ImageEntry& e : kImageCatalogue) {
    Picture& item = images_.Pictures.Add();
    item.Name = std::string(e.name);
    auto bytes = ImageBytes(e.index);
    item.SetPicture(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    item.SetTileWidth(e.tileWidth);
    item.SetTileHeight(e.tileHeight);
  }
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

  screen_.SetWindow(window_.Device());
  if (const ScreenStatus status = screen_.Initialize(); status != ScreenStatus::Ok) return status;
  ReportTextureFailure();

  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    const FontSpec& f = kFontTable[i];
    fonts_[i]->CreateFont(kFontFace, f.size,
                          static_cast<std::uint8_t>((f.bold ? FontStyle::Bold : 0) | (f.underline ? FontStyle::Underline : 0)));
    fonts_[i]->SetColor(MakeColor(f.red, f.green, f.blue, f.alpha));
  }
  return ScreenStatus::Ok;
}

void Display::SetBrightness(int percent) { brightness_ = std::clamp(percent, kMinBrightness, kMaxBrightness); }

void Display::DrawFrame() {
  frameCycle_.Draw(page_);
}

void Display::ReportTextureFailure() {
  const std::string failed = screen_.TakeTextureFailure();
  if (failed.empty()) return;
  ShowMessageBox("Error", "Error creating texture " + failed, BoxIcon::Error);
  RequestTerminate();
}

WindowConfig Display::CurrentWindowConfig() const {
  const OuterBounds b = window_.GetOuterBounds();
  return WindowConfig{b.left, b.top, b.width, static_cast<std::int32_t>(page_), transport_};
}

}  // namespace velmora
