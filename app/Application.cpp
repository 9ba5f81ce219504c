// The display program, assembled.
#include "app/Application.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "app/Config.h"
#include "app/Display.h"
#include "app/ErrorReporter.h"
#include "app/MainLoop.h"
#include "app/SdlPlatform.h"
#include "app/Stats.h"
#include "app/TelemetryInput.h"
#include "engine/MessageBox.h"
#include "link/Handover.h"
#include "link/Listeners.h"
#include "link/Recording.h"

namespace velmora {
namespace {

std::atomic<bool> gStop{false};

// The --record file: every arrival with its time since the recording began,
// flushed per message, since a recording meant for a bug report must survive
// a crash.
class RecordingWriter : public ArrivalRecorder {
 public:
  ~RecordingWriter() override {
    if (file_) std::fclose(file_);
  }
  bool Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_) {
      std::fprintf(stderr, "velmora: cannot open --record file %s: %s\n", path.c_str(), std::strerror(errno));
      return false;
    }
    if (std::ftell(file_) == 0) std::fwrite(kRecordingHeader.data(), 1, kRecordingHeader.size(), file_);
    start_ = std::chrono::steady_clock::now();
    return true;
  }
  void Write(const Arrival& a) override {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(a.received - start_).count();
    const std::string line = FormatRecordLine(ms < 0 ? 0 : ms, TransportName(a.transport), a.bytes);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_;
};

// The class name the fatal box shows for a listener that could not open.
const char* FailureClass(ListenerOpenError::Failure failure) {
  switch (failure) {
    case ListenerOpenError::Failure::PortInUse:
      return "EIdCouldNotBindSocket";
    case ListenerOpenError::Failure::UdpSocket:
      return "EIdSocketError";
    default:
      return "ESocketError";
  }
}

void ShowFatalListenerBox(const ListenerOpenError& error, const std::string& title) {
  char text[512];
  std::snprintf(text, sizeof text, "Exception %s in module %s at %p.\n%s", FailureClass(error.failure()),
                title.c_str(), static_cast<const void*>(&gStop), WithFullStop(error.what()).c_str());
  ShowMessageBox("Application Error", text, BoxIcon::Error);
}

}  // namespace

void RequestStop() { gStop = true; }

int RunDisplay(const Options& options, const std::string& title) {
  // The desktop: video, the hidden window, its drawing device.
  SdlPlatform platform(
      PlatformOptions{options.headless, options.borderless, options.renderer, options.nullRender, options.fullscreen});
  if (!platform.Start(ProgramCaption())) return 1;

  // What a frame reads and telemetry writes, and the reporting of errors.
  FlightData flight;
  RunStats stats;
  ErrorReporter reporter(title, options.headless ? ErrorReporter::ShowBox() : [&platform](std::string_view c,
                                                                                        std::string_view t) {
    platform.ShowErrorBox(c, t);
  });
  RecordingWriter recording;
  if (!options.record.empty() && !recording.Open(options.record)) return 1;
  TelemetryInput input(flight, &stats, &reporter, options.record.empty() ? nullptr : &recording);

  // The network: both ports are bound before start-up, so a port in use
  // ends the program whatever the transport.
  HandoverQueue handover([&platform] { platform.Wake(); });
  std::unique_ptr<TelemetryListeners> listeners;
  try {
    listeners = std::make_unique<TelemetryListeners>(input, handover, ListenerConfig{options.udpPort, options.tcpPort});
    listeners->Open();
  } catch (const ListenerOpenError& error) {
    ShowFatalListenerBox(error, title);
    handover.Shutdown();
    return 1;
  }

  // Start-up: config.txt places the window and chooses the transport.
  Display display(platform.Window(), platform.Decoder(), flight);
  const std::string transport = display.RestoreWindow(ReadConfigFile("config.txt"));
  const ListenerChoice choice = ListenersFor(transport);
  listeners->SetTcpActive(choice.tcp);
  listeners->SetUdpActive(choice.udp);
  display.Start(transport);
  platform.ShowWindow();
  if (options.page) *options.page == 2 ? display.ShowTacticalPage() : display.ShowFlightPage();
  if (!options.feed.empty()) {
    std::ifstream f(options.feed, std::ios::binary);
    if (!f) {
      std::fprintf(stderr, "velmora: cannot read --feed file %s\n", options.feed.c_str());
    } else {
      const std::string bytes((std::istreambuf_iterator<char>(f)), {});
      if (auto err = input.Feed(bytes))
        std::fprintf(stderr, "velmora: --feed %s: %s\n", options.feed.c_str(), err->message.c_str());
    }
  }

  // Events → telemetry → frame → wait, until closed.
  MainLoop loop(platform, handover, display, stats, reporter,
                LoopOptions{options.frames, options.screenshot, options.screenshotInterval}, gStop);
  const auto started = std::chrono::steady_clock::now();
  loop.Run();

  // Close: config.txt first, then the last picture and the figures.
  // A full-screen run keeps the window's saved place and width.
  if (!options.fullscreen) WriteConfigFile("config.txt", display.CurrentWindowConfig());
  if (!options.screenshot.empty() && !platform.SaveScreenshot(options.screenshot))
    std::fprintf(stderr, "velmora: cannot write the screenshot %s\n", options.screenshot.c_str());
  if (options.stats)
    stats.Print(std::cout, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  display.FrameTimer().SetEnabled(false);
  handover.Shutdown();
  listeners.reset();  // nothing may reach the record while the display goes away
  return 0;
}

}  // namespace velmora
