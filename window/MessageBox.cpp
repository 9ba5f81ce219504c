// Default message-box, exit and terminate handlers, replaceable as a seam.
#include "window/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace velmora {
namespace {

MessageBoxHandler& BoxHandler() {
  static MessageBoxHandler handler;
  return handler;
}

std::function<void(int)>& ExitHandler() {
  static std::function<void(int)> handler;
  return handler;
}

std::function<void()>& TerminateHandler() {
  static std::function<void()> handler;
  return handler;
}

bool g_terminateRequested = false;

}  // namespace

void ShowMessageBox(std::string_view caption, std::string_view text, BoxIcon icon) {
  if (BoxHandler()) {
    BoxHandler()(caption, text, icon);
    return;
  }
  std::string line(caption);
  line += ": ";
  line += text;
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { BoxHandler() = std::move(handler); }

void RequestExit(int code) {
  if (ExitHandler()) {
    ExitHandler()(code);
    return;
  }
  std::exit(code);
}

void SetExitHandler(std::function<void(int code)> handler) { ExitHandler() = std::move(handler); }

void RequestTerminate() {
  g_terminateRequested = true;
  if (TerminateHandler()) TerminateHandler()();
}

bool TerminateRequested() { return g_terminateRequested; }

void ClearTerminateRequest() { g_terminateRequested = false; }

void SetTerminateHandler(std::function<void()> handler) { TerminateHandler() = std::move(handler); }

}  // namespace velmora
