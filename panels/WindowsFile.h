// windows.txt, beside config.txt: what the display remembers of its windows
// that config.txt has no line for — the first window's brightness and every
// further window, one a line in --window's words:
//
//   # ... (comment lines)
//   window 1: dim=60
//   window 2: page=2,display=DELL U2415,x=0,y=0,width=1024,dim=80
//
// A damaged line is reported and skipped; the good ones still count.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panels/WindowSetup.h"

namespace velmora {

inline constexpr char kWindowsFileName[] = "windows.txt";

struct RememberedWindows {
  std::optional<int> firstBrightness;  // window 1's; absent: full brightness
  std::vector<WindowSetup> further;     // windows 2, 3, ... in that order
  bool operator==(const RememberedWindows&) const = default;
};

struct WindowsFileContent {
  RememberedWindows windows;
  // "windows.txt:3: reason" for each line left out.
  std::vector<std::string> problems;
};

// fileName only names the file in the problems.
WindowsFileContent ParseWindowsFile(std::string_view text, const std::string& fileName);
// Missing: nothing remembered, no problem. Unreadable or not a file: one problem.
WindowsFileContent ReadWindowsFile(const std::filesystem::path& path);
// The file's bytes: a comment saying what it is and how to drop it, then the
// lines, each ended by CR LF.
std::string FormatWindowsFile(const RememberedWindows& windows);

}  // namespace velmora
