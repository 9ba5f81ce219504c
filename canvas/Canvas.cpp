// The canvas's transform stack.
#include "canvas/Canvas.h"

#include <stdexcept>

namespace velmora {

void Canvas::Save() {
  if (depth_ == static_cast<int>(saved_.size())) throw std::logic_error("canvas saved too deep");
  saved_[static_cast<std::size_t>(depth_++)] = origin_;
}

void Canvas::Restore() {
  if (depth_ == 0) throw std::logic_error("canvas restored more often than saved");
  origin_ = saved_[static_cast<std::size_t>(--depth_)];
}

void Canvas::Translate(int dx, int dy) {
  origin_.x += dx;
  origin_.y += dy;
}

}  // namespace velmora
