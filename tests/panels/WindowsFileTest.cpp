#include "panels/WindowsFile.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(WindowsFile, WhatIsWrittenComesBack) {
  RememberedWindows w;
  w.firstBrightness = 60;
  w.further.push_back(ParseWindowSetup("page=2,display=DELL U2415,x=0,y=0,width=1024,dim=80").setup);
  w.further.push_back(ParseWindowSetup("page=3,rotate=90,fullscreen").setup);
  const std::string text = FormatWindowsFile(w);
  EXPECT_NE(text.find("\r\nwindow 2: page=2,display=DELL U2415,x=0,y=0,width=1024,dim=80\r\n"), std::string::npos);
  const WindowsFileContent back = ParseWindowsFile(text, "windows.txt");
  EXPECT_TRUE(back.problems.empty());
  EXPECT_EQ(back.windows, w);
}

// A damaged line is named and left out; the lines around it still count.
TEST(WindowsFile, DamagedLinesAreReportedAndSkipped) {
  const std::string text =
      "# comment\n"
      "window 1: dim=50\n"
      "window 2: page=2,colour=red\n"
      "window 2: page=2\r\n"
      "\n"
      "windoe 3: page=1\n"
      "window 1: page=2\n"
      "window 3: page=3,dim=30";
  const WindowsFileContent c = ParseWindowsFile(text, "windows.txt");
  EXPECT_EQ(c.windows.firstBrightness, 50);
  ASSERT_EQ(c.windows.further.size(), 2u);
  EXPECT_EQ(c.windows.further[0].page, 2);
  EXPECT_EQ(c.windows.further[1].brightness, 30);
  ASSERT_EQ(c.problems.size(), 3u);
  EXPECT_EQ(c.problems[0].substr(0, 31), "windows.txt:3: unknown key 'col");
  EXPECT_EQ(c.problems[1], "windows.txt:6: not 'window N: ...'; the line is left out");
  EXPECT_EQ(c.problems[2].substr(0, 41), "windows.txt:7: window 1 keeps only dim=10");
}

}  // namespace
}  // namespace velmora
