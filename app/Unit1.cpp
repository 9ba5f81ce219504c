// Start-up and shutdown of the display.
#include "app/Unit1.h"

#include <cstdio>

#include "app/InstrumentSprites.h"
#include "assets/ImageCatalogue.h"
#include "link/Handover.h"
#include "pages/Calibration.h"
#include "pages/FlightPage.h"
#include "pages/TacticalPage.h"

namespace velmora {

const std::array<FontSpec, 9> kFontTable{{
    {10, fsBold, 255, 255, 255, 255},     // OmegaFont1: bank scale labels
    {16, fsBold, 50, 50, 50, 255},        // OmegaFont2
    {17, fsUnderline, 50, 50, 50, 255},   // OmegaFont3
    {16, fsUnderline, 50, 50, 50, 255},   // OmegaFont4
    {13, fsBold, 50, 60, 50, 255},        // OmegaFont5
    {12, fsUnderline, 50, 50, 50, 255},   // OmegaFont6
    {20, fsUnderline, 95, 129, 104, 255}, // OmegaFont7
    {10, fsBold, 50, 50, 50, 255},        // OmegaFont8
    {16, fsBold, 0, 200, 81, 255},        // OmegaFont9
}};

TForm1::TForm1(WindowHost& window, HandoverQueue& handover, ListenerConfig ports, ListenerHooks hooks,
               std::filesystem::path configPath)
    : OmegaScreen1(nullptr),
      OmegaImageList1(&OmegaScreen1),
      OmegaPrimitives1(&OmegaScreen1),
      OmegaBitmapFont1(&OmegaScreen1, &OmegaImageList1),
      window_(window),
      configPath_(std::move(configPath)),
      frameCycle_(OmegaScreen1, window, record, shell) {
  // The layout's values.
  OmegaScreen1.Width = 1024;
  OmegaScreen1.Height = 650;
  OmegaScreen1.VSYNC = true;
  OmegaScreen1.Pool = TPoolType::plManaged;
  OmegaScreen1.BackBufferAccess = false;
  OmegaScreen1.BBCount = 0;
  OmegaTimer1.SetTargetFPS(30);
  OmegaTimer1.SetMinFPS(1);
  OmegaTimer1.SetMaxFPS(30);
  OmegaTimer1.SetFPSWarningFrames(0);
  OmegaPrimitives1.Filled = true;
  OmegaBitmapFont1.OmegaImageIndex = 0;
  OmegaBitmapFont1.LineSpace = 10;
  OmegaBitmapFont1.PositionMode = TBitmapFontPositionMode::pmCenter;
  for (int i = 0; i < 9; ++i)
    fonts[static_cast<std::size_t>(i)] =
        std::make_unique<TOmegaFont>(&OmegaScreen1, "OmegaFont" + std::to_string(i + 1));
  LoadCatalogue();

  instruments.OmegaScreen1 = &OmegaScreen1;
  instruments.OmegaImageList1 = &OmegaImageList1;
  instruments.OmegaPrimitives1 = &OmegaPrimitives1;
  TOmegaFont** fontRefs[9] = {&instruments.OmegaFont1, &instruments.OmegaFont2, &instruments.OmegaFont3,
                              &instruments.OmegaFont4, &instruments.OmegaFont5, &instruments.OmegaFont6,
                              &instruments.OmegaFont7, &instruments.OmegaFont8, &instruments.OmegaFont9};
  for (int i = 0; i < 9; ++i) *fontRefs[i] = fonts[static_cast<std::size_t>(i)].get();

  OmegaTimer1.SetOnTimer([this] { OmegaTimer1Timer(); });
  frameCycle_.SetFlightPage([this] { DrawFlightPage(instruments, record); });
  frameCycle_.SetTacticalPage([this] { DrawTacticalPage(instruments, record); });

  // Both listeners are active in the layout: both ports are bound now.
  listeners_ = std::make_unique<TelemetryListeners>(record, handover, ports, std::move(hooks));
  listeners_->Open();
  window_.SetCaption(std::string(kFormCaption));
}

TForm1::~TForm1() {
  // Stop the network first: nothing may reach the record while it goes away.
  listeners_.reset();
}

void TForm1::LoadCatalogue() {
  for (const ImageEntry& e : kImageCatalogue) {
    TImageListItem& item = OmegaImageList1.ImageList.Add();
    item.Name = std::string(e.name);
    auto bytes = ImageBytes(e.index);
    item.SetPicture(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    item.SetTileWidth(e.tileWidth);
    item.SetTileHeight(e.tileHeight);
  }
}

void TForm1::FormCreate() {
  // 1. config.txt: all five lines or the complete fallback.
  if (auto cfg = ReadConfigFile(configPath_)) {
    OuterBounds wanted{cfg->left, cfg->top, cfg->width, calibration::WindowHeight(cfg->width)};
    window_.SetOuterWidth(cfg->width);
    if (window_.OnSomeDisplay(wanted)) {
      window_.SetOuterPosition(cfg->left, cfg->top);
    } else {
      // The monitor it was on is gone: bring it back where it can be seen.
      window_.CenterOnPrimary(cfg->width, wanted.height);
    }
    shell.PageMode = cfg->pageMode;
    shell.Transport = cfg->transport;
  } else {
    window_.SetOuterWidth(kFallbackWidth);
    window_.SetOuterHeight(kFallbackHeight);
    window_.CenterOnPrimary(kFallbackWidth, kFallbackHeight);
    shell.PageMode = 1;
    shell.Transport = std::string(kFallbackTransport);
  }

  // 2. The listener the configuration does not choose is closed; any other
  // text keeps both open.
  if (shell.Transport == "tcp") {
    listeners_->SetTcpActive(true);
    listeners_->SetUdpActive(false);
  } else if (shell.Transport == "udp") {
    listeners_->SetTcpActive(false);
    listeners_->SetUdpActive(true);
  }

  // 3. Caption.
  window_.SetCaption(shell.Transport + " " + window_.Caption());

  // 4. The flight page, whatever line 4 said.
  shell.PageMode = 1;

  // 5. Start-up values of the record.
  ApplyStartupValues(record);

  // 6. Screen and textures.
  OmegaScreen1.SetWindow(window_.Device());
  OmegaScreen1.Initialize();
  OmegaImageList1.LoadTextures();

  // 7. Frames from now on.
  OmegaTimer1.SetEnabled(true);

  // 8. The nine fonts.
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const FontSpec& f = kFontTable[i];
    fonts[i]->CreateFont("Arial", f.size, f.style);
    fonts[i]->SetColor(MakeColor(f.red, f.green, f.blue, f.alpha));
  }

  // 9. The instrument sprites.
  CreateInstrumentSprites(instruments, OmegaSprite1, OmegaImageList1.ImageList);
}

void TForm1::FormClose() {
  OuterBounds b = window_.GetOuterBounds();
  std::string error;
  if (!WriteConfigFile(configPath_, WindowConfig{b.left, b.top, b.width, shell.PageMode, shell.Transport}, &error))
    std::fprintf(stderr, "velmora: %s\n", error.c_str());
}

}  // namespace velmora
