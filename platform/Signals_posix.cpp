// Stop requests on POSIX systems: SIGINT and SIGTERM.
#include <csignal>

#include "platform/Signals.h"

namespace velmora::platform {

namespace {
void (*g_stop)() = nullptr;
void OnSignal(int) {
  if (g_stop) g_stop();
}
}  // namespace

void OnStopRequest(void (*stop)()) {
  g_stop = stop;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace velmora::platform
