// Stop requests on Windows: the console's control events.
#include <windows.h>

#include <atomic>

#include "platform/Signals.h"

namespace velmora::platform {

namespace {

std::atomic<void (*)()> g_stop{nullptr};

// Runs on a thread of its own. Returning from a close, log-off or shutdown
// event ends the process at once, so for those the handler waits: the main
// thread saves config.txt and leaves, which ends the process (and this wait)
// well within the few seconds Windows allows.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  void (*stop)() = g_stop.load();
  if (!stop) return FALSE;
  stop();
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) ::Sleep(4000);
  return TRUE;
}

}  // namespace

void OnStopRequest(void (*stop)()) {
  g_stop = stop;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace velmora::platform
