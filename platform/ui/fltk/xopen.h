// Opening the X display, kept apart: the X headers define names (None, Status, ...) that clash with
// the window layer's.
#pragma once

#include <string>

namespace ui::fltk::detail {

// Opens the display (DISPLAY when name is null) and hands it to the toolkit; once per process: when the
// toolkit has a display already, that one stays. False, with the reason in error, when it cannot be opened.
bool openDisplay(const char* name, std::string& error);
// Closes the toolkit's connection to the display.
void closeDisplay();

}  // namespace ui::fltk::detail
