// The windows of a cockpit beyond the first: which page each shows, on which
// monitor, where, how wide, turned how far, how bright, and how it sits on
// the desktop. --window takes one as comma-separated words
// ("page=2,display=DELL,x=0,y=0,width=1024,dim=80,borderless"); the windows
// file keeps one a line in the same words. Nothing here touches a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Brightness in percent of the full picture: 100 is the picture as drawn,
// 10 the darkest a night panel goes (still readable); keys step it by 10.
inline constexpr int kMinBrightness = 10;
inline constexpr int kMaxBrightness = 100;
inline constexpr int kBrightnessStep = 10;
// More windows than a cockpit has screens is a typing mistake.
inline constexpr int kMaxFurtherWindows = 8;

struct WindowSetup {
  int page = 1;                // 1 flight, 2 tactical, 3 link
  std::string display;         // monitor number or (a unique part of) its name; empty: the primary
  std::optional<int> x, y;     // outer top-left from the monitor's top-left; absent: centred on it
  int width = 1024;            // outer width; the height follows (width / 1.6)
  int rotation = 0;            // degrees clockwise: 0, 90, 180, 270
  int brightness = kMaxBrightness;
  bool borderless = false;
  bool topmost = false;
  bool fullscreen = false;
  bool operator==(const WindowSetup&) const = default;
};

struct WindowSetupOutcome {
  WindowSetup setup;
  std::string error;  // empty when the text was fine; names the key and the value
};

// "page=2,display=1,x=10,y=20,width=800,rotate=90,dim=60,borderless,topmost,fullscreen",
// any subset, any order, each key once; blanks around words are ignored.
WindowSetupOutcome ParseWindowSetup(std::string_view text);
// The words ParseWindowSetup reads back to the same window.
std::string FormatWindowSetup(const WindowSetup& setup);

// "10" to "100"; nullopt otherwise.
std::optional<int> ParseBrightness(std::string_view text);
// Brightness after steps (positive: brighter) of kBrightnessStep, within 10..100.
int SteppedBrightness(int percent, int steps);

// The monitor a window asks for among the connected ones (SDL's names, by
// index): a number, a name, or a part of one name (letter case aside). Not
// found, or a part that fits several: monitor 0 with a warning naming it.
struct MonitorChoice {
  int index = 0;
  std::string warning;
};
MonitorChoice ChooseMonitor(std::string_view wanted, const std::vector<std::string>& names);
// How the windows file names a monitor: its name, cut before a comma (a
// unique part still finds it), or its number when it has no name.
std::string MonitorWord(const std::string& name, int index);

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};
// The outer top-left of a window of the given outer size on a monitor: the
// setup's place from the monitor's corner, or centred when it has none or
// the window would not overlap the monitor there (a smaller monitor than the
// one it was placed on).
void PlaceOnMonitor(const WindowSetup& setup, const ScreenRect& monitor, int outerWidth, int outerHeight, int& left,
                    int& top);

// Window k's picture beside the first one's: "shot.png" for the first
// (window 0), "shot-2.png" for the second, "dir/shot-3" without an extension.
std::string WindowScreenshotFile(const std::string& file, int window);

}  // namespace velmora
