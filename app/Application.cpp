// The display program, assembled.
#include "app/Application.h"

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "app/Config.h"
#include "link/Discovery.h"
#include "app/Display.h"
#include "app/ErrorReporter.h"
#include "app/MainLoop.h"
#include "window/SdlJoysticks.h"
#include "window/SdlPlatform.h"
#include "app/Stats.h"
#include "app/TelemetryInput.h"
#include "web/WebView.h"
#include "window/MessageBox.h"
#include "link/Handover.h"
#include "link/Listeners.h"
#include "link/Recording.h"
#include "link/RecordingFile.h"
#include "pages/LinkPage.h"
#include "pages/NoDataOverlay.h"
#include "panels/WindowsFile.h"
#include "platform/NetworkAddresses.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velmora {
namespace {

std::atomic<bool> gStop{false};

// What a user reads when no renderer can draw the display (kept verbatim,
// line breaks included).
constexpr std::string_view kMsgNoRenderer = "Could not find any compatible Direct3D\ndevices.";
constexpr std::string_view kMsgWillExit = "This application will now exit.";

void PrintProblem(const std::string& message) { std::fprintf(stderr, "velmora: %s\n", message.c_str()); }

// The --record file: every arrival with its time since the recording began,
// written per message, since a recording meant for a bug report must survive
// a crash (and whole lines only, should the disk fill up).
class RecordingWriter : public ArrivalRecorder {
 public:
  bool Open(const std::string& path) {
    if (std::string error = file_.Open(path, kRecordingHeader); !error.empty()) {
      PrintProblem(error);
      return false;
    }
    start_ = std::chrono::steady_clock::now();
    return true;
  }
  void Write(const Arrival& a) override {
    file_.Append(FormatRecordLine(Ms(a.received), TransportName(a.transport), a.bytes, a.connection));
  }
  void Closed(std::uint32_t connection, std::chrono::steady_clock::time_point when) override {
    file_.Append(FormatCloseLine(Ms(when), connection));
  }

 private:
  std::int64_t Ms(std::chrono::steady_clock::time_point t) const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - start_).count();
    return ms < 0 ? 0 : ms;
  }

  RecordingFile file_{&PrintProblem};
  std::chrono::steady_clock::time_point start_;
};

// Our name for each way a listener can fail to open, as the fatal box shows it.
const char* FailureName(ListenerOpenError::Failure failure) {
  switch (failure) {
    case ListenerOpenError::Failure::PortInUse: return "PortInUse";
    case ListenerOpenError::Failure::UdpSocket: return "UdpSocketError";
    case ListenerOpenError::Failure::CreateSocket: return "NoSocket";
    case ListenerOpenError::Failure::TcpSocket: return "TcpSocketError";
  }
  return "ListenerError";
}

// The fatal box when a port cannot be opened: which error, the system's
// words, then which port it is and what the user can do about it.
void ShowFatalListenerBox(const ListenerOpenError& error, const std::string& title, const Options& options) {
  const ListenerOpenError::Failure f = error.failure();
  const bool udp = f == ListenerOpenError::Failure::PortInUse || f == ListenerOpenError::Failure::UdpSocket;
  const std::string port = std::to_string(udp ? options.udpPort : options.tcpPort);
  const std::string text = std::string("Exception ") + FailureName(f) + " in module " + title + ".\n" +
                           WithFullStop(error.what()) + "\nThe display could not open " + (udp ? "UDP" : "TCP") +
                           " port " + port + ", where it listens for telemetry. Close the program that holds it" +
                           " (perhaps another display), or start with " + (udp ? "--udp-port" : "--tcp-port") +
                           " and another port.";
  ShowMessageBox("Application Error", text, BoxIcon::Error);
}

// The browser view's part in each frame: a page chosen in a browser applies
// before the next frame, on this thread; each frame drawn goes to the
// browsers while someone watches.
class BrowserFrames : public FrameObserver {
 public:
  explicit BrowserFrames(WebView* web) : web_(web) {}
  void FrameStarting(Display& display) override {
    if (const auto page = web_->TakePageRequest()) display.ShowPage(static_cast<Page>(*page));
  }
  void FramePresented(Platform& platform) override { web_->FramePresented(platform); }

 private:
  WebView* web_;
};

}  // namespace

void RequestStop() { gStop = true; }

int RunDisplay(const Options& options, const std::string& title) {
  // Every number the program prints or parses uses a decimal point.
  std::setlocale(LC_NUMERIC, "C");
#if defined(__GLIBC__)
  // Start-up decodes three dozen pictures through large temporary buffers.
  // Taken from fresh mappings, each one's pages are faulted in and zeroed
  // anew, a quarter of start-up; kept in the heap, the next picture reuses
  // them. What start-up leaves free is given back before the first frame.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
  // The desktop: video, the hidden window, its drawing device.
  SdlPlatform platform(PlatformOptions{options.headless, options.borderless, options.renderer, options.nullRender,
                                       options.fullscreen, options.topmost, options.monitor});
  if (!platform.Start(ProgramCaption())) return 1;
  const auto buttons = StartButtonInput(options.bindings, options.printButtons);  // button boxes, bound keys
  platform.SetButtonInput(buttons.get());
  // windows.txt: the further windows and the first one's brightness, unless
  // the command line says otherwise.
  WindowsFileContent remembered;
  if (!options.forgetWindows) remembered = ReadWindowsFile(kWindowsFileName);
  for (const std::string& problem : remembered.problems) PrintProblem(problem);
  const std::vector<WindowSetup> further = options.windows.empty() ? remembered.windows.further : options.windows;

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
  input.SetScanOptions(ScanOptions{options.targetFields});

  // The network: both ports are bound before start-up, so a port in use
  // ends the program whatever the transport.
  HandoverQueue handover([&platform] { platform.Wake(); });
  std::unique_ptr<TelemetryListeners> listeners;
  try {
    listeners = std::make_unique<TelemetryListeners>(input, handover, ListenerConfig{options.udpPort, options.tcpPort, options.udpGroup});
    listeners->Open();
  } catch (const ListenerOpenError& error) {
    ShowFatalListenerBox(error, title, options);
    handover.Shutdown();
    return 1;
  }

  // The browser view, when asked for: bound before start-up like the listeners.
  std::unique_ptr<WebView> web;
  if (options.webPort) {
    try {
      web = std::make_unique<WebView>(options.webAddress, *options.webPort);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "velmora: %s\n", error.what());
      handover.Shutdown();
      return 1;
    }
    std::fprintf(stderr, "velmora: the picture for browsers is at http://%s:%u/\n", options.webAddress.c_str(),
                 static_cast<unsigned>(web->Port()));
  }

  // Start-up: config.txt places the window and chooses the transport.
  Display display(platform.Window(), platform.Decoder(), flight);
  // --transport overrides config.txt's fifth line for this run (and is kept
  // at close like any choice).
  const std::optional<WindowConfig> saved = ReadConfigFile(kConfigFileName);
  // --rotate likewise overrides the sixth line; a file without one stays
  // five lines unless the picture is turned.
  const std::optional<int> rotation = options.rotate ? options.rotate : saved ? saved->rotation : std::nullopt;
  platform.SetRotation(rotation.value_or(0));
  if (web) web->SetRotation(rotation.value_or(0));
  std::string transport = display.RestoreWindow(saved);
  if (!options.transport.empty()) transport = options.transport;
  const ListenerChoice choice = ListenersFor(transport);
  listeners->SetTcpActive(choice.tcp);
  listeners->SetUdpActive(choice.udp);
  stats.SetUdpReceiveBuffer(listeners->UdpReceiveBuffer());
  // What the link page and the no-data overlay tell the pilot about the link;
  // the start-up line says the same.
  LinkSetup link{transport,
                 static_cast<std::uint16_t>(listeners->UdpActive() ? listeners->UdpPort() : 0),
                 static_cast<std::uint16_t>(listeners->TcpActive() ? listeners->TcpPort() : 0),
                 platform::SendToAddresses(),
                 options.webAddress,
                 static_cast<std::uint16_t>(web ? web->Port() : 0),
                 options.linkAlerts};
  std::fprintf(stderr, "%s; send to %s\n", ListeningLine(transport, link.udpPort, link.tcpPort).c_str(),
               SendToText(link, 8).c_str());
  if (const std::string url = TabletUrl(link); !url.empty() && options.webAddress == "0.0.0.0")
    std::fprintf(stderr, "velmora: on a tablet, open %s (F3 shows it as a QR code)\n", url.c_str());
  if (!options.udpGroup.empty() && listeners->UdpActive()) {
    if (listeners->UdpGroupJoins() > 0)
      std::fprintf(stderr, "velmora: hearing the multicast group %s on UDP port %u too (on %zu network%s)\n",
                   options.udpGroup.c_str(), static_cast<unsigned>(link.udpPort), listeners->UdpGroupJoins(),
                   listeners->UdpGroupJoins() > 1 ? "s" : "");
    else
      std::fprintf(stderr, "velmora: cannot join the multicast group %s (%s); UDP port %u still listens\n",
                   options.udpGroup.c_str(), listeners->UdpGroupProblem().c_str(), static_cast<unsigned>(link.udpPort));
  } else if (!options.udpGroup.empty()) {
    std::fprintf(stderr, "velmora: --udp-group %s needs UDP; this run listens on TCP only\n", options.udpGroup.c_str());
  }
  // The beacon and DNS-SD, so exporters, the relay and tablets find the display.
  std::unique_ptr<Discovery> discovery;
  if (options.announce) {
    discovery = std::make_unique<Discovery>(DiscoverySetup{
        options.name.empty() ? platform::HostName() : options.name, link.udpPort, link.tcpPort, options.webAddress,
        link.webPort, listeners->UdpGroupJoins() > 0 ? options.udpGroup : std::string(), options.announcePort});
    std::fprintf(stderr, "velmora: announcing '%s' to UDP port %u every 2 s (--no-announce: quiet)\n",
                 discovery->Status().name.c_str(), static_cast<unsigned>(options.announcePort));
  } else {
    LinkStatus::Discovery off;
    off.beacon = "off (--no-announce)";
    off.dnsSd = "off (--no-announce)";
    input.SetDiscovery(off);
  }
  if (const ScreenStatus status = display.Start(transport); status != ScreenStatus::Ok) {
    ShowMessageBox("Error", kMsgNoRenderer, BoxIcon::Error);
    ShowMessageBox("Error", kMsgWillExit, BoxIcon::Error);
    handover.Shutdown();
    return 1;
  }
  display.SetBrightness(options.dim.value_or(remembered.windows.firstBrightness.value_or(kMaxBrightness)));
  // The further windows: each its own page, place and brightness, drawn from
  // the same record. One that cannot open is left out; the others still do.
  struct FurtherWindow {
    int index;
    WindowSetup setup;
    std::unique_ptr<Display> display;
  };
  std::vector<FurtherWindow> windows;
  for (const WindowSetup& setup : further) {
    const int index = platform.OpenWindow(ProgramCaption(), setup);
    if (index < 0) continue;
    auto d = std::make_unique<Display>(platform.Window(index), platform.Decoder(), flight);
    if (const ScreenStatus status = d->Start(transport); status != ScreenStatus::Ok) {
      PrintProblem("window " + std::to_string(index + 1) + ": " + std::string(kMsgNoRenderer));
      platform.CloseWindow(index);
      continue;
    }
    platform.Window(index).SetCaption(transport + " " + ProgramCaption() + " (window " + std::to_string(index + 1) + ")");
    d->ShowPage(static_cast<Page>(setup.page));
    d->SetBrightness(setup.brightness);
    windows.push_back(FurtherWindow{index, setup, std::move(d)});
  }
  const auto linkStarted = std::chrono::steady_clock::now();
  LinkPage linkPage(input.Status(), link, linkStarted);
  const NoDataOverlay noData(input.Status(), std::move(link), linkStarted);
  auto overlayOn = [&](Display& on) {
    return [&](Page page) {
      const auto now = std::chrono::steady_clock::now();
      // Only the link page shows how the display is found.
      if (discovery && page == Page::Link) input.SetDiscovery(discovery->Status());
      linkPage.Draw(on.PageCanvas(), page, now);
      noData.Draw(on.PageCanvas(), page, now);
    };
  };
  display.SetOverlay(overlayOn(display));
  for (FurtherWindow& w : windows) w.display->SetOverlay(overlayOn(*w.display));
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
  platform.ShowWindow();
  if (options.page) display.ShowPage(static_cast<Page>(*options.page));
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
                LoopOptions{options.frames, options.screenshot, options.screenshotInterval, options.fps, options.sync},
                gStop);
  for (FurtherWindow& w : windows) loop.AddWindow(*w.display);
  BrowserFrames browserFrames(web.get());
  if (web) loop.SetFrameObserver(&browserFrames);
  const auto started = std::chrono::steady_clock::now();
  loop.Run();

  // Close: config.txt first, then the last picture and the figures.
  // A full-screen run keeps the window's saved place and width.
  WindowConfig closing = display.CurrentWindowConfig();
  closing.rotation = rotation;
  if (std::string error; !options.fullscreen && !WriteConfigFile(kConfigFileName, closing, &error)) PrintProblem(error);
  // windows.txt: what is open now, as it is now. A window the user closed is
  // not remembered. A file with damaged lines is left for the user to mend.
  RememberedWindows keep;
  if (display.Brightness() != kMaxBrightness) keep.firstBrightness = display.Brightness();
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const FurtherWindow& w = windows[i];
    if (!loop.WindowOpen(static_cast<int>(i) + 1)) continue;
    WindowSetup now = w.setup;
    if (const Page page = w.display->CurrentPage(); page != Page::None) now.page = static_cast<int>(page);
    now.brightness = w.display->Brightness();
    if (const auto place = platform.PlaceOf(w.index)) {
      now.display = place->monitor;
      now.x = place->x;
      now.y = place->y;
      now.width = place->width;
    }
    keep.further.push_back(std::move(now));
  }
  std::error_code absent;
  if (!remembered.problems.empty()) {
    PrintProblem(std::string(kWindowsFileName) + " is left as it is, damaged lines and all: mend or delete them");
  } else if (keep != RememberedWindows{} || std::filesystem::exists(kWindowsFileName, absent)) {
    if (std::string error; !WriteFileSafely(kWindowsFileName, FormatWindowsFile(keep), &error)) PrintProblem(error);
  }
  reporter.FlushSuppressed();
  if (!options.screenshot.empty()) loop.SaveScreenshots();
  if (options.stats)
    stats.Print(std::cout, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  display.SetOverlay(nullptr);  // the overlay goes before the display
  for (FurtherWindow& w : windows) w.display->SetOverlay(nullptr);
  web.reset();
  discovery.reset();  // the services are withdrawn, the beacon stops
  handover.Shutdown();
  listeners.reset();  // nothing may reach the record while the display goes away
  return 0;
}

}  // namespace velmora
