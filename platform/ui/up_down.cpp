#include "platform/ui/up_down.h"

#include <algorithm>

namespace ui {

UpDown::UpDown(Component* owner) : WinControl(owner) {
  setBounds(0, 0, 17, 25);
}

std::string UpDown::dumpDetails() const {
  return std::to_string(position_) + " in " + std::to_string(min_) + ".." + std::to_string(max_) +
         (orientation_ == UpDownOrientation::Horizontal ? ", horizontal" : "");
}

void UpDown::setOrientation(UpDownOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  invalidate();
}

void UpDown::setRange(int min, int max) {
  min_ = min;
  max_ = max;
  setPosition(position_);
}

void UpDown::setPosition(int p) {
  position_ = std::clamp(p, std::min(min_, max_), std::max(min_, max_));
}

bool UpDown::onUpArrow(int x, int y) const {
  if (orientation_ == UpDownOrientation::Horizontal) return x >= width() / 2;
  return y < height() / 2;
}

void UpDown::step(int direction) {
  // The up arrow goes towards max, whichever way the range runs.
  const int delta = direction * increment_ * (max_ < min_ ? -1 : 1);
  bool allow = true;
  if (onDeltaPos) onDeltaPos(this, delta, allow);
  if (allow) setPosition(position_ + delta);
}

void UpDown::mouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Ref<UpDown> self(this);
  if (button == MouseButton::Left) {
    if (onUpArrow(x, y)) {
      stepUp();
    } else {
      stepDown();
    }
  }
  if (self) WinControl::mouseDown(button, shift, x, y);
}

void UpDown::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  const bool horizontal = orientation_ == UpDownOrientation::Horizontal;
  if (key == (horizontal ? vk::Right : vk::Up)) {
    stepUp();
  } else if (key == (horizontal ? vk::Left : vk::Down)) {
    stepDown();
  }
}

}  // namespace ui
