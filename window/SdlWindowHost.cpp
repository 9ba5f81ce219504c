// SDL window operations for the shell.
#include "window/SdlWindowHost.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "canvas/SdlDirectBlits.h"


namespace velmora {

SdlWindowHost::SdlWindowHost(SDL_Window* window, Canvas& canvas) : window_(window), canvas_(canvas) {}

SdlWindowHost::Borders SdlWindowHost::GetBorders() const {
  Borders b;
  // Fails on drivers that have no decorations (offscreen) or before the
  // window manager has framed the window: then the client area is the window.
  if (SDL_GetWindowBordersSize(window_, &b.top, &b.left, &b.bottom, &b.right) != 0) b = Borders{};
  return b;
}

SdlWindowHost::Borders SdlWindowHost::GetFrame() const {
  Borders b = GetBorders();
  if ((b.top | b.left | b.bottom | b.right) == 0) return measured_;
  return b;
}

void SdlWindowHost::SetRotation(int degrees) { rotation_ = degrees; }

void SdlWindowHost::SetMonitor(int index) { monitor_ = index; }

bool SdlWindowHost::Sideways() const { return IsSideways(rotation_); }

OuterBounds SdlWindowHost::RealOuterBounds() const {
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowSize(window_, &w, &h);
  Borders b = GetFrame();
  return {x - b.left, y - b.top, w + b.left + b.right, h + b.top + b.bottom};
}

OuterBounds SdlWindowHost::GetOuterBounds() const {
  OuterBounds b = RealOuterBounds();
  if (Sideways()) std::swap(b.width, b.height);
  return b;
}

int SdlWindowHost::OuterWidth() const { return GetOuterBounds().width; }

void SdlWindowHost::SetOuterHeight(int height) {
  if (Sideways())
    SetRealOuterWidth(height);
  else
    SetRealOuterHeight(height);
}

void SdlWindowHost::SetOuterWidth(int width) {
  if (Sideways())
    SetRealOuterHeight(width);
  else
    SetRealOuterWidth(width);
}

void SdlWindowHost::SetRealOuterHeight(int height) {
  Borders b = GetFrame();
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  int client = std::max(1, height - b.top - b.bottom);
  if (client != h) SDL_SetWindowSize(window_, w, client);
}

void SdlWindowHost::SetRealOuterWidth(int width) {
  Borders b = GetFrame();
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  int client = std::max(1, width - b.left - b.right);
  if (client != w) SDL_SetWindowSize(window_, client, h);
}

void SdlWindowHost::SetOpacity(int opacity) {
  if (opacity == opacity_) return;  // no window-system traffic when nothing changes
  opacity_ = opacity;
  // Not every window system can fade a window; the display then stays opaque.
  SDL_SetWindowOpacity(window_, static_cast<float>(opacity) / 255.0f);
}

void SdlWindowHost::SetOuterPosition(int left, int top) {
  placed_ = true;
  placedLeft_ = left;
  placedTop_ = top;
  Borders b = GetBorders();
  SDL_SetWindowPosition(window_, left + b.left, top + b.top);
}

void SdlWindowHost::CenterOnPrimary(int width, int height) {
  if (Sideways()) std::swap(width, height);
  SDL_Rect r{0, 0, 1024, 768};
  SDL_GetDisplayBounds(std::max(monitor_, 0), &r);
  SetOuterPosition(r.x + (r.w - width) / 2, r.y + (r.h - height) / 2);
}

bool SdlWindowHost::OnSomeDisplay(const OuterBounds& picture) const {
  OuterBounds b = picture;
  if (Sideways()) std::swap(b.width, b.height);
  int n = SDL_GetNumVideoDisplays();
  if (n < 1) return true;  // nothing to judge by: keep the user's place
  // With a monitor chosen, a place on another one does not count.
  const int first = monitor_ >= 0 ? monitor_ : 0, last = monitor_ >= 0 ? monitor_ + 1 : n;
  for (int i = first; i < last; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    bool overlaps = b.left < r.x + r.w && r.x < b.left + b.width && b.top < r.y + r.h && r.y < b.top + b.height;
    if (overlaps) return true;
  }
  return false;
}

void SdlWindowHost::Show() {
  const int width = OuterWidth();
  SDL_ShowWindow(window_);
  // Let the window manager map and frame the window (it reports the frame
  // asynchronously), then apply the outer place and width once more.
  for (int i = 0; i < 10; ++i) {
    SDL_PumpEvents();
    int t = 0, l = 0, b = 0, r = 0;
    if (SDL_GetWindowBordersSize(window_, &t, &l, &b, &r) == 0 && (t | l | b | r) != 0) break;
    SDL_Delay(10);
  }
  SetOuterWidth(width);
  if (!placed_) return;
  SetOuterPosition(placedLeft_, placedTop_);
  Borders b = GetBorders();
  if ((b.top | b.left | b.bottom | b.right) != 0) return;
  // A window manager that frames the window without saying so places the
  // frame where the client was asked to go: the client's offset from that
  // place is the frame. Without it, every close would store the client's
  // place and the window would creep down by a title bar per run.
  int x = placedLeft_, y = placedTop_;
  for (int i = 0; i < 10; ++i) {
    SDL_PumpEvents();
    SDL_GetWindowPosition(window_, &x, &y);
    if (x != placedLeft_ || y != placedTop_) break;
    SDL_Delay(10);
  }
  const int dx = x - placedLeft_, dy = y - placedTop_;
  if (dx >= 0 && dx < 64 && dy >= 0 && dy < 128) {
    measured_.left = dx;
    measured_.top = dy;
  }
}

std::string SdlWindowHost::Caption() const { return SDL_GetWindowTitle(window_); }

void SdlWindowHost::SetCaption(const std::string& caption) { SDL_SetWindowTitle(window_, caption.c_str()); }

Canvas* SdlWindowHost::Device() { return &canvas_; }

void SdlWindowHost::ClientToBackBuffer(int x, int y, int backWidth, int backHeight, int& bx, int& by) const {
  int w = 1, h = 1;
  SDL_GetWindowSize(window_, &w, &h);
  // The window shows the turned picture stretched over it, or over the box
  // that keeps its shape.
  const int tw = Sideways() ? backHeight : backWidth, th = Sideways() ? backWidth : backHeight;
  const IntBox box = PresentBox(tw, th, w, h);
  const int tx = box.w > 0 ? (x - box.x) * tw / box.w : x, ty = box.h > 0 ? (y - box.y) * th / box.h : y;
  // The page pixel that shows there, the turn undone.
  switch (rotation_) {
    case 90: bx = ty, by = backHeight - 1 - tx; return;
    case 180: bx = backWidth - 1 - tx, by = backHeight - 1 - ty; return;
    case 270: bx = backWidth - 1 - ty, by = tx; return;
    default: bx = tx, by = ty; return;
  }
}

}  // namespace velmora
