// Where the program's own lines (stdout, stderr) go.
#pragma once

#include <filesystem>

namespace velmora::platform {

// Call first thing in main. Output that whoever started the program
// redirected stays where it was sent. Otherwise a windowed Windows program
// started from a console (cmd, PowerShell) writes to that console, and Ctrl-C
// there reaches it; started without one (a double click, a shortcut), its
// lines go to the log file logPath, kept small (platform/Log.h) with
// previousLog as the one older file. On POSIX systems output is left alone.
void RouteOutput(const std::filesystem::path& logPath, const std::filesystem::path& previousLog);

// The largest a log file grows before it is started afresh.
inline constexpr unsigned long long kLogCap = 1024 * 1024;

}  // namespace velmora::platform
