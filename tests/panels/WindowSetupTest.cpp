#include "panels/WindowSetup.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

WindowSetup With(void (*change)(WindowSetup&)) {
  WindowSetup s;
  change(s);
  return s;
}

// Each line: the words, the window they give, or the start of the error.
TEST(WindowSetup, WordsGiveTheWindowOrAnErrorNamingKeyAndValue) {
  struct Case {
    const char* text;
    WindowSetup setup;
    const char* error;
  } cases[] = {
      {"page=2", With([](WindowSetup& s) { s.page = 2; }), ""},
      {" page = 3 , display=DELL U2415 ,x=-1920,y=0,width=800,rotate=270,dim=10,borderless,topmost,fullscreen",
       With([](WindowSetup& s) {
         s.page = 3, s.display = "DELL U2415", s.x = -1920, s.y = 0, s.width = 800, s.rotation = 270;
         s.brightness = 10, s.borderless = s.topmost = s.fullscreen = true;
       }),
       ""},
      {"DIM=100,page=1,", With([](WindowSetup& s) { s.brightness = 100; }), ""},
      {"page=4", {}, "page needs 1 (flight), 2 (tactical) or 3 (link), not '4'"},
      {"page=0", {}, "page needs 1"},
      {"rotate=45", {}, "rotate needs 0, 90, 180 or 270 (degrees clockwise), not '45'"},
      {"dim=9", {}, "dim needs a brightness from 10 to 100 (percent), not '9'"},
      {"dim=101", {}, "dim needs"},
      {"width=12x", {}, "width needs 100 to 16384 pixels, not '12x'"},
      {"x=abc,y=1", {}, "x needs a whole number of pixels, not 'abc'"},
      {"x=10", {}, "x= and y= go together"},
      {"colour=red", {}, "unknown key 'colour' (the keys are page, display"},
      {"page=2,page=3", {}, "page is given twice"},
      {"borderless=yes", {}, "borderless is a flag and takes no value, not 'yes'"},
      {"page=", {}, "page= needs a value"},
      {"page=2,,dim=50", {}, "an empty word"},
      {"", {}, "an empty word"},
      {"display=-1", {}, "display needs a monitor number (0 the primary) or name, not '-1'"},
  };
  for (const Case& c : cases) {
    const WindowSetupOutcome r = ParseWindowSetup(c.text);
    EXPECT_EQ(r.error.substr(0, std::string(c.error).size()), c.error) << c.text << " -> " << r.error;
    if (*c.error != 0) continue;
    EXPECT_EQ(r.setup, c.setup) << c.text;
    // What is written reads back the same.
    EXPECT_EQ(ParseWindowSetup(FormatWindowSetup(r.setup)).setup, r.setup) << FormatWindowSetup(r.setup);
  }
}

TEST(WindowSetup, MonitorByNumberNameOrUniquePart) {
  const std::vector<std::string> names = {"Built-in Display", "DELL U2415", "DELL P2419H"};
  struct Case {
    const char* wanted;
    int index;
    const char* warning;
  } cases[] = {
      {"2", 2, ""},
      {"3", 0, "there is no monitor 3 (3 found); using monitor 0"},
      {"dell u2415", 1, ""},
      {"P2419", 2, ""},
      {"built", 0, ""},
      {"DELL", 0, "'DELL' fits more than one monitor (0 'Built-in Display', 1 'DELL U2415', 2 'DELL P2419H')"},
      {"HP Z27", 0, "no monitor is named 'HP Z27' (monitors: 0 'Built-in"},
  };
  for (const Case& c : cases) {
    const MonitorChoice m = ChooseMonitor(c.wanted, names);
    EXPECT_EQ(m.index, c.index) << c.wanted;
    EXPECT_EQ(m.warning.substr(0, std::string(c.warning).size()), c.warning) << c.wanted;
  }
  EXPECT_EQ(MonitorWord("Acme, Inc. 27", 1), "Acme");
  EXPECT_EQ(MonitorWord("", 1), "1");
}

TEST(WindowSetup, PlaceBrightnessStepsAndScreenshotNames) {
  const ScreenRect second{1920, 0, 1280, 1024};
  int left = 0, top = 0;
  PlaceOnMonitor(ParseWindowSetup("x=10,y=20").setup, second, 800, 500, left, top);
  EXPECT_EQ(left, 1930);
  EXPECT_EQ(top, 20);
  // Off that monitor (it was a bigger one), or no place: centred on it.
  for (const char* words : {"x=5000,y=20", "page=1"}) {
    PlaceOnMonitor(ParseWindowSetup(words).setup, second, 800, 500, left, top);
    EXPECT_EQ(left, 1920 + 240) << words;
    EXPECT_EQ(top, 262) << words;
  }
  EXPECT_EQ(SteppedBrightness(100, 1), 100);
  EXPECT_EQ(SteppedBrightness(100, -1), 90);
  EXPECT_EQ(SteppedBrightness(15, -1), 10);
  EXPECT_EQ(WindowScreenshotFile("out/shot.png", 0), "out/shot.png");
  EXPECT_EQ(WindowScreenshotFile("out/shot.png", 1), "out/shot-2.png");
  EXPECT_EQ(WindowScreenshotFile("my.dir/shot", 2), "my.dir/shot-3");
}

}  // namespace
}  // namespace velmora
