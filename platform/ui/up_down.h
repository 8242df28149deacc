// An up-down control: two arrow buttons that step a position, here without a buddy edit.
//
// As the system's control, the range may run either way: the up (or, horizontal, the right) arrow moves
// the position towards max. The default range runs from 100 down to 0, so by default the up arrow
// proposes a negative change. Before every step onDeltaPos is told the proposed change and may refuse it.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/control.h"

namespace ui {

enum class UpDownOrientation { Vertical, Horizontal };

// delta: the proposed change of the position; allow: set false to refuse it.
using UpDownEvent = std::function<void(Component* sender, int delta, bool& allow)>;

class UpDown : public WinControl {
 public:
  explicit UpDown(Component* owner);
  const char* kind() const override { return "UpDown"; }
  std::string dumpDetails() const override;
  bool wantsArrows() const override { return true; }

  UpDownOrientation orientation() const { return orientation_; }
  void setOrientation(UpDownOrientation o);
  int min() const { return min_; }
  int max() const { return max_; }
  void setRange(int min, int max);
  int position() const { return position_; }
  // Kept inside the range; no event.
  void setPosition(int p);
  int increment() const { return increment_; }
  void setIncrement(int n) { increment_ = n; }

  // The user presses the up (right) or the down (left) arrow.
  void stepUp() { step(+1); }
  void stepDown() { step(-1); }
  // True when the point (the control's coordinates) lies on the up (right) arrow.
  bool onUpArrow(int x, int y) const;

  UpDownEvent onDeltaPos;

  // A press on an arrow steps; the arrow keys step too.
  void mouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void keyDown(uint16_t& key, ShiftState shift) override;

 private:
  void step(int direction);
  UpDownOrientation orientation_ = UpDownOrientation::Vertical;
  int min_ = 100;
  int max_ = 0;
  int position_ = 0;
  int increment_ = 1;
};

}  // namespace ui
