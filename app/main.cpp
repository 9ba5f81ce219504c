// velmora: the display program. Builds the window and its components, then
// runs the main loop: window events, telemetry hand-overs, the frame timer's
// tick, and a wait until the next frame is due or something arrives.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

#include "app/CommandLine.h"
#include "app/SdlWindowHost.h"
#include "app/Stats.h"
#include "app/Unit1.h"
#include "assets/BezelButtons.h"
#include "engine/MessageBox.h"
#include "engine/RecordingDevice.h"
#include "engine/SdlRenderDevice.h"
#include "link/ErrorBoxThrottle.h"
#include "link/Handover.h"
#include "link/Recording.h"
#include "link/RecordingFile.h"
#include "link/Telemetry.h"

namespace velmora {
namespace {

std::atomic<bool> gStopSignal{false};

void OnStopSignal(int) { gStopSignal = true; }

// The application title: the executable's name up to its first ".", the
// first letter as it is and the rest in lower case.
std::string ApplicationTitle(const char* argv0) {
  std::string name = argv0 ? argv0 : "velmora";
  if (auto slash = name.find_last_of('/'); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
  for (std::size_t i = 1; i < name.size(); ++i)
    name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  return name.empty() ? "velmora" : name;
}

std::string WithFullStop(std::string message) {
  if (message.empty() || message.back() != '.') message += '.';
  return message;
}

// Class name shown in the fatal box for a listener failure.
const char* ListenerErrorClass(const std::string& message) {
  if (message.rfind("Could not bind socket", 0) == 0) return "EIdCouldNotBindSocket";
  if (message.rfind("Socket Error #", 0) == 0) return "EIdSocketError";
  return "ESocketError";
}

class Application {
 public:
  Application(const Options& options, std::string title) : opt_(options), title_(std::move(title)) {}
  int Run();

 private:
  bool InitSdl();
  void InstallBoxHandler();
  void ReportError(const std::string& message, const std::string& peer = {});
  void HandleEvent(const SDL_Event& e, bool& quit);
  void DrainTelemetry();
  void Tick();
  void WriteScreenshot();

  Options opt_;
  std::string title_;
  SDL_Window* window_ = nullptr;
  Uint32 wakeEvent_ = 0;
  std::unique_ptr<SdlRenderDevice> device_;     // real pixels
  std::unique_ptr<RecordingDevice> nullDevice_;  // --null-render
  std::unique_ptr<SdlWindowHost> host_;
  std::unique_ptr<HandoverQueue> handover_;
  std::unique_ptr<TForm1> form_;
  ErrorBoxThrottle throttle_;
  RunStats stats_;
  RecordingFile record_{[](const std::string& m) { std::fprintf(stderr, "velmora: %s\n", m.c_str()); }};
  std::chrono::steady_clock::time_point recordStart_;
  std::chrono::steady_clock::duration slept_{};  // the last frame's pacing sleep, as slept
  long frames_ = 0;
  double nextShot_ = 0;
};

bool Application::InitSdl() {
  if (opt_.headless) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  }
  // The display keeps running under a screen saver and when unfocused.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "velmora: cannot start the video system: %s\n", SDL_GetError());
    if (!opt_.headless) std::fprintf(stderr, "velmora: without a display, run it with --headless\n");
    return false;
  }
  // Shown only once start-up has placed it, so it never flashes at a default place.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
  if (opt_.borderless) flags |= SDL_WINDOW_BORDERLESS;
  window_ = SDL_CreateWindow(std::string(kFormCaption).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             1024, 640, flags);
  if (!window_) {
    std::fprintf(stderr, "velmora: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  wakeEvent_ = SDL_RegisterEvents(1);
  return true;
}

void Application::InstallBoxHandler() {
  if (opt_.headless) return;  // the default prints to stderr: a run without a display never blocks
  SetMessageBoxHandler([this](std::string_view caption, std::string_view text, BoxIcon icon) {
    std::string c(caption), t(text);
    std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
    Uint32 flags = icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, c.c_str(), t.c_str(), window_);
  });
}

void Application::ReportError(const std::string& message, const std::string& peer) {
  // Every error reaches stderr (a TCP one with its peer); a box opens only
  // when none is showing and the last one closed a while ago, so a
  // misbehaving exporter or a failing frame cannot bury the display under
  // modal boxes.
  const std::string text = WithFullStop(message);
  if (peer.empty()) {
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), text.c_str());
  } else {
    std::fprintf(stderr, "velmora: TCP %s: %s\n", peer.c_str(), message.c_str());
  }
  if (opt_.headless || !throttle_.TryOpen()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title_.c_str(), text.c_str(), window_);
  throttle_.Closed();
}

void Application::WriteScreenshot() {
  if (opt_.screenshot.empty() || !device_) return;
  if (!device_->SaveScreenshot(opt_.screenshot))
    std::fprintf(stderr, "velmora: cannot write the screenshot %s\n", opt_.screenshot.c_str());
}

void Application::HandleEvent(const SDL_Event& e, bool& quit) {
  switch (e.type) {
    case SDL_QUIT:
      quit = true;
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) quit = true;
      break;
    case SDL_KEYDOWN:
      if (e.key.keysym.sym == SDLK_F1) form_->Button_PILClick();
      if (e.key.keysym.sym == SDLK_F2) form_->Button_TOClick();
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) {
        int bx = 0, by = 0;
        host_->ClientToBackBuffer(e.button.x, e.button.y, form_->OmegaScreen1.Width, form_->OmegaScreen1.Height,
                                  bx, by);
        if (const BezelButton* b = PageButtonAt(bx, by)) {
          if (b->page == 1) form_->Button_PILClick();
          if (b->page == 2) form_->Button_TOClick();
        }
      }
      break;
    case SDL_RENDER_TARGETS_RESET:
      if (device_) device_->NotifyTargetsReset();
      break;
    case SDL_RENDER_DEVICE_RESET:
      if (device_) device_->NotifyDeviceReset();
      break;
    default:
      break;
  }
}

void Application::DrainTelemetry() {
  // The network thread hands datagrams over one at a time and waits for
  // each; after one has run, the next is usually only microseconds away.
  // Serving that burst before the next frame keeps a fast exporter from
  // being held to one message per frame (and from piling up seconds of lag
  // in the socket's queue), while the budget keeps a flood from starving
  // the frames.
  using namespace std::chrono;
  constexpr auto kBudget = milliseconds(1);
  constexpr auto kGrace = microseconds(200);
  const auto until = steady_clock::now() + kBudget;
  while (handover_->RunPending() > 0 && steady_clock::now() < until) {
    if (!handover_->WaitForWork(kGrace)) break;
  }
}

void Application::Tick() {
  try {
    form_->OmegaTimer1.Poll();
  } catch (const std::exception& ex) {
    // The frame ends where it failed; the next tick draws a fresh one.
    ReportError(ex.what());
  }
}

int Application::Run() {
  if (!InitSdl()) return 1;
  InstallBoxHandler();
  if (opt_.nullRender) {
    // Every frame computed and submitted, nothing rasterised or kept.
    nullDevice_ = std::make_unique<RecordingDevice>();
    nullDevice_->SetRecordDetail(false);
    nullDevice_->DecodeSizesOnly(0);
    host_ = std::make_unique<SdlWindowHost>(window_, *nullDevice_);
  } else {
    device_ = std::make_unique<SdlRenderDevice>(window_, SdlDeviceOptions{opt_.headless || opt_.software, 256});
    host_ = std::make_unique<SdlWindowHost>(window_, *device_);
  }
  handover_ = std::make_unique<HandoverQueue>([this] {
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
  });

  if (!opt_.record.empty()) {
    if (std::string err = record_.Open(opt_.record, kRecordingHeader); !err.empty()) {
      std::fprintf(stderr, "velmora: %s\n", err.c_str());
      return 1;
    }
    recordStart_ = std::chrono::steady_clock::now();
  }

  ListenerHooks hooks;
  if (!opt_.record.empty()) {
    hooks.onReceived = [this](std::string_view transport, std::string_view bytes,
                              std::chrono::steady_clock::time_point t) {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - recordStart_).count();
      std::string line = FormatRecordLine(ms < 0 ? 0 : ms, transport, bytes);
      // Written per message: a recording meant for a bug report must survive a crash.
      record_.Append(line);
    };
  }
  hooks.onMessage = [this](std::chrono::steady_clock::time_point t, bool ok) { stats_.MessageHandled(t, ok); };
  hooks.onTcpError = [this](const std::string& m, const std::string& peer) { ReportError(m, peer); };
  try {
    form_ = std::make_unique<TForm1>(*host_, *handover_, ListenerConfig{opt_.udpPort, opt_.tcpPort}, hooks);
  } catch (const std::exception& ex) {
    std::string msg = ex.what();
    char text[512];
    std::snprintf(text, sizeof text, "Exception %s in module %s at %p.\n%s", ListenerErrorClass(msg),
                  title_.c_str(), static_cast<void*>(&gStopSignal), WithFullStop(msg).c_str());
    ShowMessageBox("Application Error", text, BoxIcon::Error);
    handover_->Shutdown();
    return 1;
  }

  form_->FormCreate();
  if (!opt_.headless) host_->Show();
  if (opt_.page) *opt_.page == 2 ? form_->Button_TOClick() : form_->Button_PILClick();
  if (!opt_.feed.empty()) {
    std::ifstream f(opt_.feed, std::ios::binary);
    if (!f) {
      std::fprintf(stderr, "velmora: cannot read --feed file %s\n", opt_.feed.c_str());
    } else {
      std::string bytes((std::istreambuf_iterator<char>(f)), {});
      auto now = std::chrono::steady_clock::now();
      auto err = UDPServerUDPRead(form_->record, bytes);
      if (err) std::fprintf(stderr, "velmora: --feed %s: %s\n", opt_.feed.c_str(), err->message.c_str());
      stats_.MessageHandled(now, !err);
    }
  }

  // Frame bookkeeping around the page drawing: draw time, presentation,
  // screenshots, the frame limit.
  form_->Frames().SetSleep([this](std::chrono::milliseconds d) {
    const auto a = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(d);
    slept_ = std::chrono::steady_clock::now() - a;
  });
  form_->OmegaTimer1.SetOnTimer([this] {
    if (nullDevice_) nullDevice_->ClearLog();
    auto t0 = std::chrono::steady_clock::now();
    form_->OmegaTimer1Timer();
    auto t1 = std::chrono::steady_clock::now();
    // The frame's own pacing sleep is not drawing time.
    stats_.FrameDrawn(std::chrono::duration<double, std::milli>(t1 - t0 - slept_).count());
    stats_.Presented(t1);
    ++frames_;
  });

  const auto start = std::chrono::steady_clock::now();
  auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  nextShot_ = opt_.screenshotInterval;
  bool quit = false;
  while (!quit) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleEvent(e, quit);
    if (gStopSignal) quit = true;
    if (quit) break;
    DrainTelemetry();
    Tick();
    if (opt_.screenshotInterval > 0 && seconds() >= nextShot_) {
      WriteScreenshot();
      nextShot_ += opt_.screenshotInterval;
    }
    if (opt_.frames && frames_ >= *opt_.frames) break;
    if (TerminateRequested()) break;
    double wait = form_->OmegaTimer1.TimeUntilNextTick();
    int ms = wait < 0 ? 100 : static_cast<int>(std::ceil(wait * 1000.0));
    if (opt_.screenshotInterval > 0) ms = std::min(ms, std::max(1, static_cast<int>((nextShot_ - seconds()) * 1000)));
    if (ms > 0) {
      if (opt_.headless) {
        // No window events off-screen, and SDL's off-screen wait polls in
        // millisecond steps: wait on the hand-over queue itself, so telemetry
        // is applied the moment it arrives.
        handover_->WaitForWork(std::chrono::milliseconds(ms));
      } else {
        SDL_WaitEventTimeout(nullptr, ms);
      }
    }
  }

  form_->FormClose();
  WriteScreenshot();
  record_.Close();
  if (opt_.stats) stats_.Print(std::cout, seconds());
  form_->OmegaTimer1.SetEnabled(false);
  handover_->Shutdown();
  form_.reset();
  host_.reset();
  device_.reset();
  nullDevice_.reset();
  SDL_DestroyWindow(window_);
  SDL_Quit();
  return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  using namespace velmora;
  std::vector<std::string_view> args(argv + 1, argv + argc);
  ParseOutcome parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "velmora: %s\n", parsed.error.c_str());
    return 2;
  }
  if (parsed.options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::printf("%s\n", std::string(kVersionText).c_str());
    return 0;
  }
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  // A file-size limit makes a write fail (and be reported) instead of ending the display.
  std::signal(SIGXFSZ, SIG_IGN);
  Application app(parsed.options, ApplicationTitle(argc > 0 ? argv[0] : nullptr));
  return app.Run();
}
