// Message boxes and the exit path of fatal errors, as one replaceable seam:
// the application shows real boxes in a window session, headless runs print
// to stderr, and tests capture both boxes and exit requests.
#pragma once

#include <functional>
#include <string_view>

namespace velmora {

enum class BoxIcon { Error, Info };

using MessageBoxHandler = std::function<void(std::string_view caption, std::string_view text, BoxIcon icon)>;

// Default: one stderr line "caption: text".
void ShowMessageBox(std::string_view caption, std::string_view text, BoxIcon icon);
// An empty handler restores the default.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Ends the process with the code after a fatal error. Default: std::exit.
// A test handler may return; callers then carry on as after a failure.
void RequestExit(int code);
void SetExitHandler(std::function<void(int code)> handler);

// Asks the application to close at its next opportunity (the main loop polls
// TerminateRequested()). A handler, if set, is called as well.
void RequestTerminate();
bool TerminateRequested();
void ClearTerminateRequest();
void SetTerminateHandler(std::function<void()> handler);

}  // namespace velmora
