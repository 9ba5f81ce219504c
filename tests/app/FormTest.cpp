// Start-up and shutdown of the main window, with a fake window, a recording
// device and real listeners on free ports.
#include <gtest/gtest.h>

#include <fstream>

#include "FakeWindow.h"
#include "app/InstrumentSprites.h"
#include "engine/RecordingDevice.h"
#include "link/Handover.h"

namespace velmora {
namespace {

using velmora::testing::FakeWindow;

class Form : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/velmora-form-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }
  void WriteConfig(const std::string& text) {
    std::ofstream(dir_ / "config.txt", std::ios::binary) << text;
  }
  TForm1& Start() {
    form_ = std::make_unique<TForm1>(window_, handover_, ListenerConfig{0, 0}, ListenerHooks{}, dir_ / "config.txt");
    form_->OmegaImageList1.SetDecoder(&decoder_);
    form_->FormCreate();
    return *form_;
  }
  std::string ReadBack() {
    std::ifstream f(dir_ / "config.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }

  std::filesystem::path dir_;
  RecordingDevice device_;
  velmora::testing::WhiteHeaderDecoder decoder_;
  FakeWindow window_{&device_};
  HandoverQueue handover_{[] {}};
  std::unique_ptr<TForm1> form_;
};

TEST_F(Form, WithoutConfigItStartsCentredOnTcp) {
  TForm1& f = Start();
  EXPECT_EQ(window_.caption, "tcp Velmora 1.1.1.21");
  EXPECT_TRUE(window_.centred);
  EXPECT_EQ(window_.bounds.width, 1024);
  EXPECT_EQ(window_.bounds.left, (1920 - 1024) / 2);
  EXPECT_EQ(window_.bounds.top, (1080 - 600) / 2);
  EXPECT_TRUE(f.Listeners().TcpActive());
  EXPECT_FALSE(f.Listeners().UdpActive());
  EXPECT_EQ(f.shell.PageMode, 1);
  f.FormClose();
  EXPECT_EQ(ReadBack(), "448\r\n240\r\n1024\r\n1\r\ntcp\r\n");
}

TEST_F(Form, TransportChoosesTheListeners) {
  struct Case { const char* line; const char* caption; bool tcp, udp; } cases[] = {
      {"tcp", "tcp Velmora 1.1.1.21", true, false},
      {"udp", "udp Velmora 1.1.1.21", false, true},
      {"udp   ", "udp Velmora 1.1.1.21", false, true},
      {"UDP", "UDP Velmora 1.1.1.21", true, true},
      {" udp", " udp Velmora 1.1.1.21", true, true},
      {"", " Velmora 1.1.1.21", true, true},
  };
  for (const auto& c : cases) {
    form_.reset();
    window_.caption.clear();
    WriteConfig(std::string("100\r\n50\r\n800\r\n2\r\n") + c.line + "\r\n");
    TForm1& f = Start();
    EXPECT_EQ(window_.caption, c.caption) << c.line;
    EXPECT_EQ(f.Listeners().TcpActive(), c.tcp) << c.line;
    EXPECT_EQ(f.Listeners().UdpActive(), c.udp) << c.line;
    EXPECT_EQ(f.shell.PageMode, 1) << "line 4 never chooses the page";
    EXPECT_EQ(window_.bounds.left, 100);
    EXPECT_EQ(window_.bounds.width, 800);
    f.FormClose();
    EXPECT_EQ(ReadBack(), std::string("100\r\n50\r\n800\r\n1\r\n") + std::string(c.line).substr(0, std::string(c.line).find_last_not_of(' ') + 1) + "\r\n");
  }
}

TEST_F(Form, AWindowOffEveryDisplayComesBackCentred) {
  WriteConfig("5000\r\n3000\r\n800\r\n1\r\ntcp\r\n");
  Start();
  EXPECT_TRUE(window_.centred);
  EXPECT_EQ(window_.bounds.width, 800);
  EXPECT_EQ(window_.bounds.left, (1920 - 800) / 2);
}

TEST_F(Form, StartupGivesTheRecordItsValuesAndCreatesEverything) {
  TForm1& f = Start();
  EXPECT_EQ(f.record.Pitch, -0.5);
  EXPECT_EQ(f.record.PressureSetting, 760.0);
  EXPECT_TRUE(f.OmegaTimer1.Enabled());
  EXPECT_EQ(f.OmegaTimer1.TargetFPS(), 30);
  EXPECT_TRUE(f.OmegaScreen1.Initialized());
  EXPECT_EQ(f.OmegaSprite1.Count(), 34);
  for (std::size_t i = 0; i < kFontTable.size(); ++i) {
    const FontSpec& s = kFontTable[i];
    EXPECT_EQ(f.fonts[i]->FaceName(), "Arial");
    EXPECT_EQ(f.fonts[i]->Size(), s.size);
    EXPECT_EQ(f.fonts[i]->Color(), MakeColor(s.red, s.green, s.blue, s.alpha)) << i;
  }
}

TEST_F(Form, SpritesStandAtTheirRestPlaces) {
  TForm1& f = Start();
  for (const SpriteRow& row : kSpriteTable) {
    TSprite* s = f.instruments.*row.ref;
    ASSERT_NE(s, nullptr) << row.sprite;
    ASSERT_NE(s->Image(), nullptr) << row.sprite;
    EXPECT_EQ(s->Image()->Name, row.image) << row.sprite;
    EXPECT_EQ(s->X(), row.x) << row.sprite;
    EXPECT_EQ(s->Y(), row.y) << row.sprite;
    EXPECT_EQ(s->Z(), 1) << row.sprite;
    EXPECT_EQ(s->Width(), s->Image()->TileWidth()) << row.sprite;
    EXPECT_EQ(s->OffsetX, 0.0f);
    EXPECT_EQ(s->OffsetY, 0.0f);
    EXPECT_TRUE(s->Visible);
    EXPECT_EQ(s->Color1, 0xFFFFFFFFu);
  }
  const Instruments& in = f.instruments;
  EXPECT_EQ(in.AdiPlaneSprite->ScaleX, 0.26f);
  EXPECT_EQ(in.AdiPlaneSprite->CenterY, 0.75f);
  EXPECT_EQ(in.VerticalSpeedNeedleSprite->Angle, -90.0f);
  EXPECT_EQ(in.VerticalSpeedNeedleSprite->CenterX, 0.25f);
  EXPECT_EQ(in.RightEngineNeedleSprite->CenterX, 1.0f);
  EXPECT_EQ(in.RightEngineNeedleSprite->ScaleY, 1.2f);
  EXPECT_EQ(in.OwnAircraftSymbolSprite->ScaleX, 0.41f);
  EXPECT_EQ(in.TargetSymbolSprite->ScaleX, 0.25f);
  EXPECT_EQ(in.OwnAircraftSymbolSprite->Image(), in.TargetSymbolSprite->Image());
  EXPECT_EQ(in.AdiPitchSprite->CenterX, 0.0f);
  EXPECT_EQ(in.AdiPitchSprite->ScaleX, 1.0f);
}

}  // namespace
}  // namespace velmora
