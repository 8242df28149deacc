#include "platform/ui/list_box.h"

#include <algorithm>

#include "platform/ui/backend.h"

namespace ui {

ListBox::ListBox(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setColor(clWindow);
  setBounds(0, 0, 121, 97);
  items_.onChange = [this] { itemsChanged(); };
}

std::string ListBox::dumpDetails() const {
  std::string out = "index " + std::to_string(itemIndex_);
  for (int i = 0; i < items_.count(); ++i) out += (i == 0 ? ": \"" : " \"") + items_[i] + "\"";
  return out;
}

void ListBox::itemsChanged() {
  if (itemIndex_ >= items_.count()) itemIndex_ = -1;
  setTopIndex(topIndex_);
  changed(Change::Items);
}

void ListBox::setItemIndex(int i) {
  if (i < 0 || i >= items_.count()) i = -1;
  if (i == itemIndex_) return;
  itemIndex_ = i;
  invalidate();
}

void ListBox::setTopIndex(int i) {
  const int last = std::max(0, items_.count() - visibleCount());
  i = std::clamp(i, 0, last);
  if (i == topIndex_) return;
  topIndex_ = i;
  invalidate();
}

int ListBox::itemHeight() const {
  return std::max(1, backend().textExtent(font(), "Wg").height);
}

int ListBox::visibleCount() const {
  return std::max(1, (height() - 2 * kBorder) / itemHeight());
}

int ListBox::itemAtY(int y) const {
  if (y < kBorder) return -1;
  const int i = topIndex_ + (y - kBorder) / itemHeight();
  return i < items_.count() ? i : -1;
}

void ListBox::scrollIntoView(int i) {
  if (i < 0) return;
  if (i < topIndex_) {
    setTopIndex(i);
  } else if (i >= topIndex_ + visibleCount()) {
    setTopIndex(i - visibleCount() + 1);
  }
}

bool ListBox::userSelect(int i) {
  if (i < 0 || i >= items_.count()) return false;
  setItemIndex(i);
  scrollIntoView(i);
  fireNotify(onSelChange);
  return true;
}

void ListBox::mouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Ref<ListBox> self(this);
  if (button == MouseButton::Left) {
    if (scrollBarShown() && x >= width() - kBorder - kScrollBarWidth) {
      const int barMiddle = height() / 2;
      setTopIndex(topIndex_ + (y < barMiddle ? -visibleCount() : visibleCount()));
    } else {
      userSelect(itemAtY(y));
    }
  }
  if (self) WinControl::mouseDown(button, shift, x, y);
}

void ListBox::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  const int last = items_.count() - 1;
  if (last < 0) return;
  int to = itemIndex_;
  switch (key) {
    case vk::Down:
      to = std::min(itemIndex_ + 1, last);
      break;
    case vk::Up:
      to = std::max(itemIndex_ - 1, 0);
      break;
    case vk::Home:
      to = 0;
      break;
    case vk::End:
      to = last;
      break;
    default:
      return;
  }
  if (to != itemIndex_) userSelect(to);
}

}  // namespace ui
