// Start-up and close of the display: config.txt, the window's place, the
// transport's listeners, the caption, and everything start-up creates. A fake
// window and the recording canvas; no sockets.
#include <gtest/gtest.h>

#include <fstream>

#include "app/Config.h"
#include "window/MessageBox.h"
#include "canvas/RecordingCanvas.h"
#include "platform/Files.h"
#include "support/FakeWindow.h"

namespace velmora {
namespace {

using velmora::testing::FakeWindow;

class Startup : public ::testing::Test {
 protected:
  void TearDown() override { display_.reset(); }
  void WriteConfig(const std::string& text) {
    std::ofstream(dir_ / "config.txt", std::ios::binary) << text;
  }
  // Start-up as the program runs it; returns the listeners it leaves open.
  ListenerChoice Start() {
    display_ = std::make_unique<Display>(window_, decoder_, flight_);
    const std::string transport = display_->RestoreWindow(ReadConfigFile(dir_ / "config.txt"));
    display_->Start(transport);
    return ListenersFor(transport);
  }
  void Close() { WriteConfigFile(dir_ / "config.txt", display_->CurrentWindowConfig()); }
  std::string ReadBack() {
    std::ifstream f(dir_ / "config.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }

  platform::TempDir temp_{"velmora-startup-"};
  std::filesystem::path dir_ = temp_.path();
  RecordingCanvas canvas_;
  velmora::testing::WhiteHeaderDecoder decoder_;
  FakeWindow window_{&canvas_};
  FlightData flight_;
  std::unique_ptr<Display> display_;
};

TEST_F(Startup, WithoutConfigItStartsCentredOnTcp) {
  const ListenerChoice open = Start();
  EXPECT_EQ(window_.caption, "tcp Velmora 1.1.1.21");
  EXPECT_TRUE(window_.centred);
  EXPECT_EQ(window_.bounds.width, 1024);
  EXPECT_EQ(window_.bounds.left, (1920 - 1024) / 2);
  EXPECT_EQ(window_.bounds.top, (1080 - 600) / 2);
  EXPECT_TRUE(open.tcp);
  EXPECT_FALSE(open.udp);
  EXPECT_EQ(display_->CurrentPage(), Page::Flight);
  Close();
  EXPECT_EQ(ReadBack(), "448\r\n240\r\n1024\r\n1\r\ntcp\r\n");
}

TEST_F(Startup, TransportChoosesTheListeners) {
  struct Case { const char* line; const char* caption; bool tcp, udp; } cases[] = {
      {"tcp", "tcp Velmora 1.1.1.21", true, false},
      {"udp", "udp Velmora 1.1.1.21", false, true},
      {"udp   ", "udp Velmora 1.1.1.21", false, true},
      {"UDP", "UDP Velmora 1.1.1.21", true, true},
      {" udp", " udp Velmora 1.1.1.21", true, true},
      {"", " Velmora 1.1.1.21", true, true},
  };
  for (const auto& c : cases) {
    display_.reset();
    window_.caption.clear();
    WriteConfig(std::string("100\r\n50\r\n800\r\n2\r\n") + c.line + "\r\n");
    const ListenerChoice open = Start();
    EXPECT_EQ(window_.caption, c.caption) << c.line;
    EXPECT_EQ(open.tcp, c.tcp) << c.line;
    EXPECT_EQ(open.udp, c.udp) << c.line;
    EXPECT_EQ(display_->CurrentPage(), Page::Flight) << "line 4 never chooses the page";
    EXPECT_EQ(window_.bounds.left, 100);
    EXPECT_EQ(window_.bounds.width, 800);
    Close();
    EXPECT_EQ(ReadBack(), std::string("100\r\n50\r\n800\r\n1\r\n") + std::string(c.line).substr(0, std::string(c.line).find_last_not_of(' ') + 1) + "\r\n");
  }
}

TEST_F(Startup, AWindowOffEveryDisplayComesBackCentred) {
  WriteConfig("5000\r\n3000\r\n800\r\n1\r\ntcp\r\n");
  Start();
  EXPECT_TRUE(window_.centred);
  EXPECT_EQ(window_.bounds.width, 800);
  EXPECT_EQ(window_.bounds.left, (1920 - 800) / 2);
}

TEST_F(Startup, StartupGivesTheRecordItsValuesAndOpensTheCanvas) {
  Start();
  EXPECT_EQ(flight_.Pitch, -0.5);
  EXPECT_EQ(flight_.PressureSetting, 760.0);
  EXPECT_EQ(canvas_.opens, 1);
  EXPECT_EQ(canvas_.Width(), 1024);
  EXPECT_EQ(canvas_.Height(), 650);
}

// The drawing layer only reports; the display decides what the user sees.
TEST_F(Startup, FailuresOfTheScreenAndOfATextureReachTheUser) {
  std::vector<std::string> boxes;
  SetMessageBoxHandler([&](std::string_view, std::string_view text, BoxIcon) { boxes.emplace_back(text); });
  ClearTerminateRequest();
  canvas_.failOpens = 1;
  display_ = std::make_unique<Display>(window_, decoder_, flight_);
  EXPECT_EQ(display_->Start("tcp"), ScreenStatus::NoCompatibleDevice);
  EXPECT_TRUE(boxes.empty()) << "the program's start tells the user";
  canvas_.failPicture = "Speed";
  display_ = std::make_unique<Display>(window_, decoder_, flight_);
  EXPECT_EQ(display_->Start("tcp"), ScreenStatus::Ok);
  EXPECT_EQ(boxes, std::vector<std::string>{"Error creating texture Speed"});
  EXPECT_TRUE(TerminateRequested());
  display_->DrawFrame();
  EXPECT_EQ(boxes.size(), 1u) << "once";
  SetMessageBoxHandler({});
  ClearTerminateRequest();
}

}  // namespace
}  // namespace velmora
