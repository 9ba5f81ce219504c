// Command-line options of the display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/FrameClock.h"
#include "panels/WindowSetup.h"

namespace velmora {

// What draws the window: SDL's choice for the machine (OpenGL on a PC with a
// driver, OpenGL ES 2 on a Raspberry Pi), or one renderer by name.
enum class Renderer { Auto, Software, OpenGl, OpenGles2 };

// The renderer's name on the command line, which is also SDL's name for it.
std::string_view RendererName(Renderer renderer);

struct Options {
  bool headless = false;
  int fps = 30;                          // frames a second: 30 or 60
  FrameSync sync = FrameSync::Timer;     // --sync: what starts a frame
  std::optional<long> frames;            // quit after N frames
  std::string screenshot;                // PNG of the back buffer
  double screenshotInterval = 0;         // seconds; 0 = only after the last frame
  std::string feed;                      // file handed over as one datagram after start-up
  std::string record;                    // append every received message to this file
  std::optional<int> page;               // page after start-up (1, 2 or 3)
  bool stats = false;
  std::string transport;                 // "udp" or "tcp": replaces config.txt's choice; empty: the file's
  std::uint16_t udpPort = 20083;         // 0: any free port (the start-up line names it)
  std::uint16_t tcpPort = 20081;
  bool borderless = false;
  bool fullscreen = false;               // the whole screen (a cockpit monitor, a console)
  bool topmost = false;                  // stay above other windows
  bool linkAlerts = true;                // the NO DATA flag and the no-data band
  std::optional<int> rotate;             // degrees clockwise; replaces config.txt's sixth line
  std::string monitor;                   // --display N|NAME: SDL's display index or (a part of) its name; empty: any
  std::optional<int> dim;                // --dim: the first window's brightness, 10..100 percent
  std::vector<WindowSetup> windows;       // --window, each a further window; given, they replace windows.txt's
  bool forgetWindows = false;            // start without windows.txt's windows and brightness
  Renderer renderer = Renderer::Auto;    // --software is --renderer software
  bool nullRender = false;               // draw into a recording device: the loop's own cost
  bool help = false;
  bool version = false;
  std::optional<std::uint16_t> webPort;  // --web [ADDR:]PORT: the browser view
  std::string webAddress = "127.0.0.1";
  // Being found on the network: the beacon, its port and the name it and
  // DNS-SD announce (empty: the host name); a multicast group on the UDP port.
  bool announce = true;
  std::uint16_t announcePort = 20084;
  std::string name;
  std::string udpGroup;
  // Button boxes and the target's position (positions 34 and 35).
  bool targetFields = false;
  std::string bindings;                  // --bindings FILE; empty: bindings.txt if it is there
  bool printButtons = false;             // each key and joystick button press on stderr
};

struct ParseOutcome {
  Options options;
  std::string error;  // empty when the command line was fine
};

ParseOutcome ParseCommandLine(const std::vector<std::string_view>& args);

// The text of --help.
std::string UsageText();


}  // namespace velmora
