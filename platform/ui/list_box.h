// A list box: lines of text, each with a data word, of which the user picks one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/control.h"
#include "platform/ui/strings.h"

namespace ui {

class ListBox : public WinControl {
 public:
  explicit ListBox(Component* owner);
  const char* kind() const override { return "ListBox"; }
  // The selected index and every line, quoted: "index 1: \"first\" \"second\"".
  std::string dumpDetails() const override;
  bool wantsArrows() const override { return true; }

  // The lines; each line's data word is kept with it (Strings::data).
  Strings& items() { return items_; }
  const Strings& items() const { return items_; }

  int itemIndex() const { return itemIndex_; }
  // Selects a line (-1: none) without any event; an index outside the list selects none.
  void setItemIndex(int i);
  // The first line shown; the list scrolls so that it stays inside the list.
  int topIndex() const { return topIndex_; }
  void setTopIndex(int i);
  // Height of one line (the font's text height) and how many whole lines the box shows.
  int itemHeight() const;
  int visibleCount() const;
  // The line shown at y (the box's coordinates), or -1 below the last line.
  int itemAtY(int y) const;
  bool scrollBarShown() const { return items_.count() > visibleCount(); }
  static constexpr int kBorder = 2;
  static constexpr int kScrollBarWidth = 16;

  // The user picks line i (a press on it, an arrow key that moves the selection): it becomes the
  // selection, scrolled into view, and onSelChange runs, as the system's list reports it, also when the
  // line was selected already. False for an index outside the list.
  bool userSelect(int i);
  NotifyEvent onSelChange;

  // A press on a line picks it; a press on the scroll bar scrolls by a page.
  void mouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void keyDown(uint16_t& key, ShiftState shift) override;

 private:
  void itemsChanged();
  void scrollIntoView(int i);
  Strings items_;
  int itemIndex_ = -1;
  int topIndex_ = 0;
};

}  // namespace ui
