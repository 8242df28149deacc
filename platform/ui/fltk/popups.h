// Windows that come and go with one gesture: drop-down lists (combo boxes and menus, owner-drawn
// menu items included) and the hint window.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {
class MenuItem;
}

namespace ui::fltk {

struct PopupEntry {
  std::string text;
  bool enabled = true;
  bool line = false;
  // A menu item is measured and drawn by its menu (owner draw included).
  Ref<MenuItem> item;
};

// Shows the entries in a list at screen position (x, y), at least minWidth wide, and runs until the
// user picks an entry (its index is returned) or presses elsewhere or Esc (-1). The application's
// messages and timers keep running meanwhile.
int runPopup(const std::vector<PopupEntry>& entries, int x, int y, int minWidth, const Font& font,
             int current);

// The hint window: shows text at screen position (x, y), or hides it for empty text.
// maxWidth: the hint's text wraps at this width (0: no limit).
void showHintWindow(const std::string& text, int x, int y, const Font& font, int maxWidth = 0);
void destroyHintWindow();
// Size of the hint window as last shown (tests).
Size hintWindowSize();

}  // namespace ui::fltk
