// The display's real window on SDL: outer bounds (SDL reports the client
// area, the borders are added), caption, whole-window opacity, the monitor
// it belongs on. A picture turned sideways turns the window with it: the
// display keeps speaking of the picture's width and height, and this host
// swaps them for the window.
#pragma once

#include "window/WindowHost.h"

struct SDL_Window;

namespace velmora {


class SdlWindowHost : public WindowHost {
 public:
  SdlWindowHost(SDL_Window* window, Canvas& canvas);

  int OuterWidth() const override;
  void SetOuterHeight(int height) override;
  void SetOpacity(int opacity) override;
  OuterBounds GetOuterBounds() const override;
  void SetOuterPosition(int left, int top) override;
  void SetOuterWidth(int width) override;
  void CenterOnPrimary(int width, int height) override;
  bool OnSomeDisplay(const OuterBounds& b) const override;
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  Canvas* Device() override;

  // Degrees clockwise the picture is turned (0, 90, 180, 270).
  void SetRotation(int degrees);
  // The monitor (SDL display index) the window belongs on: centring uses it,
  // and a saved place counts as visible only on it. -1: any monitor, the
  // primary one for centring.
  void SetMonitor(int index);

  // Shows the window and places it again now that the window manager has
  // framed it: positions are outer positions, and the frame's size is only
  // known once the window is mapped.
  void Show();

  // Back-buffer coordinates of a point in the window's client area (through
  // the turn).
  void ClientToBackBuffer(int x, int y, int backWidth, int backHeight, int& bx, int& by) const;

 private:
  struct Borders {
    int top = 0, left = 0, bottom = 0, right = 0;
  };
  // The frame as SDL knows it (from the window manager's frame extents).
  Borders GetBorders() const;
  // The frame around the client area: SDL's figure, or, for window managers
  // that do not publish their frame, the offset measured when the window was
  // placed.
  Borders GetFrame() const;
  OuterBounds RealOuterBounds() const;
  void SetRealOuterWidth(int width);
  void SetRealOuterHeight(int height);
  bool Sideways() const;

  SDL_Window* window_;
  Canvas& canvas_;
  int opacity_ = -1;
  Borders measured_;
  bool placed_ = false;
  int placedLeft_ = 0, placedTop_ = 0;
  int rotation_ = 0;
  int monitor_ = -1;
};

}  // namespace velmora
