// What the display asks of its window: outer place and size, caption,
// opacity, and the canvas that draws into it. The SDL window implements it;
// tests use a fake.
#pragma once

#include <string>

#include "pages/FrameCycle.h"

namespace velmora {

class Canvas;

struct OuterBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

class WindowHost : public FrameWindow {
 public:
  virtual OuterBounds GetOuterBounds() const = 0;
  virtual void SetOuterPosition(int left, int top) = 0;
  virtual void SetOuterWidth(int width) = 0;
  // Centres a window of the given outer size on the primary display.
  virtual void CenterOnPrimary(int width, int height) = 0;
  // True when the rectangle overlaps any connected display.
  virtual bool OnSomeDisplay(const OuterBounds& b) const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The canvas that draws into this window.
  virtual Canvas* Device() = 0;
};

}  // namespace velmora
