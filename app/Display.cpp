// Start-up, window config and frames of the instrument display.
#include "app/Display.h"

#include "assets/ImageCatalogue.h"
#include "velmora/Version.h"

namespace velmora {

const std::array<FontSpec, kFontCount> kFontTable{{
    {"bankLabelFont", 10, FontStyle::Bold, 255, 255, 255, 255},
    {"readoutFont", 16, FontStyle::Bold, 50, 50, 50, 255},
    {"loadFactorFont", 17, FontStyle::Underline, 50, 50, 50, 255},
    {"dialReadoutFont", 16, FontStyle::Underline, 50, 50, 50, 255},
    {"smallReadoutFont", 13, FontStyle::Bold, 50, 60, 50, 255},
    {"captionFont", 12, FontStyle::Underline, 50, 50, 50, 255},
    {"radarAltitudeFont", 20, FontStyle::Underline, 95, 129, 104, 255},
    {"engineSpeedFont", 16, FontStyle::Bold, 0, 200, 81, 255},
}};

std::string ProgramCaption() { return "Velmora " + std::string(kVersion); }

Display::Display(WindowHost& window, ImageDecoder& decoder, FlightData& flight)
    : window_(window),
      flight_(flight),
      screen_(nullptr),
      images_(&screen_, &decoder),
      primitives_(&screen_),
      frameCycle_(screen_, window, flight) {
  // The layout's values.
  screen_.Width = 1024;
  screen_.Height = 650;
  screen_.VSYNC = true;
  primitives_.Filled = true;
  for (std::size_t i = 0; i < kFontCount; ++i)
    fonts_[i] = std::make_unique<Font>(&screen_, std::string(kFontTable[i].name));
  LoadCatalogue();

  kit_.screen = &screen_;
  kit_.primitives = &primitives_;
  kit_.fonts = PageFonts{fonts_[kBankLabelFont].get(),    fonts_[kReadoutFont].get(),
                         fonts_[kLoadFactorFont].get(),   fonts_[kDialReadoutFont].get(),
                         fonts_[kSmallReadoutFont].get(), fonts_[kCaptionFont].get(),
                         fonts_[kRadarAltitudeFont].get(), fonts_[kEngineSpeedFont].get()};

  frameCycle_.SetFlightPage([this] { flightPage_.Draw(kit_, flight_); });
  frameCycle_.SetTacticalPage([this] { tacticalPage_.Draw(kit_, flight_); });
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

void Display::Start(const std::string& transport) {
  transport_ = transport;
  window_.SetCaption(transport_ + " " + window_.Caption());

  // The flight page, whatever line 4 said.
  page_ = Page::Flight;

  ApplyStartupValues(flight_);

  screen_.SetWindow(window_.Device());
  screen_.Initialize();
  images_.LoadTextures();

  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    const FontSpec& f = kFontTable[i];
    fonts_[i]->CreateFont("Arial", f.size, f.style);
    fonts_[i]->SetColor(MakeColor(f.red, f.green, f.blue, f.alpha));
  }

  const SpriteFactory make(sprites_, images_.Pictures);
  flightPage_.CreateSprites(make);
  tacticalPage_.CreateSprites(make);
}

WindowConfig Display::CurrentWindowConfig() const {
  const OuterBounds b = window_.GetOuterBounds();
  return WindowConfig{b.left, b.top, b.width, static_cast<std::int32_t>(page_), transport_};
}

}  // namespace velmora
