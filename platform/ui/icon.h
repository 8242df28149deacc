// A program's icon: one picture at several sizes, each the bytes of a PNG file built into the program.
#pragma once

#include <span>
#include <vector>

namespace ui {

struct IconImage {
  int size = 0;                        // width and height in pixels
  std::span<const unsigned char> png;  // static storage: the icon outlives every window that shows it
};

// The sizes a window offers; the window manager and the desktop pick the ones they draw (title bar, task
// switcher). A form holds a pointer to its icon, so an icon lives as long as the program.
using Icon = std::vector<IconImage>;

}  // namespace ui
