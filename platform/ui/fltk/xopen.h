// Opening the X display, kept apart: the X headers define names (None, Status, ...) that clash with
// the window layer's.
#pragma once

#include <functional>
#include <string>

class Fl_Window;

namespace ui::fltk::detail {

// Opens the display (DISPLAY when name is null) and hands it to the toolkit; once per process: when the
// toolkit has a display already, that one stays. False, with the reason in error, when it cannot be opened.
bool openDisplay(const char* name, std::string& error);
// The window property that lists a window's shown tabs (shownTabs in paint.h).
inline constexpr const char* kTabsProperty = "_ZEM_UI_TABS";
// The window property that holds the help viewer's location ("file#anchor", HelpViewer::location).
inline constexpr const char* kHelpProperty = "_ZEM_UI_HELP";
// Sets a text property (UTF-8) of a shown toolkit window, for tools that drive the window from outside.
void setWindowText(const Fl_Window& window, const char* property, const std::string& text);
// Runs paint with the toolkit drawing into a picture of width x height off the screen, then drops the
// picture.
void paintOffscreen(int width, int height, const std::function<void()>& paint);
// Closes the toolkit's connection to the display.
void closeDisplay();

}  // namespace ui::fltk::detail
