// The display backend of the window layer: every shown form in a real X11 window (drawn with FLTK),
// and the display's mouse, keyboard and close boxes fed back through platform/ui/input.h, so that the
// program's objects behave exactly as the tests drive them. While it is installed, the message loop,
// processMessages(), modal loops and timers run through the toolkit's event loop, modal windows and
// message boxes wait for the person at the display, and file dialogs are real dialogs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui::fltk {

// Opens the X display (displayName, or DISPLAY when null) and installs the backend. False, with
// nothing installed, when no display can be opened.
bool install(const char* displayName = nullptr);
// Closes every window and restores the headless backend. Safe to call when not installed.
void uninstall();
bool installed();

// What went wrong in drawing since the last call, one line each naming the window and its pages in front:
// a warning of the toolkit about its clip stack, or a paint that left the toolkit's clip otherwise than
// it found it. The display tests fail on any (display_test_support.h); the first 32 are kept.
std::vector<std::string> takeDrawingFaults();

enum class Start {
  Display,    // windows appear on the display
  Headless,   // --headless was given: the headless core stays
  NoDisplay,  // no display could be opened; the reason has been printed on stderr
};

// A program's start-up choice: "--headless" anywhere on the command line (taken out of argv) keeps the
// headless core; otherwise the display backend is installed on DISPLAY.
Start startFromCommandLine(int& argc, char** argv);

// Work a program must still do when its connection to the display breaks (the X server ended, the
// session closed): it runs once, on the thread that found the break, and the program then ends as it
// ends then (the X library's message, exit code 1). Nothing can be shown by then. Null takes it back.
void onDisplayLost(std::function<void()> lastWork);

}  // namespace ui::fltk
