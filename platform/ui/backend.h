// The display backend: what the window layer asks of a real display, and what it tells it.
//
// The layer keeps every window and control as a plain object with all its state; a backend only
// mirrors those objects on a display and feeds input back through platform/ui/input.h. The
// headless backend (the default) shows nothing, measures text with fixed metrics and idles by
// sleeping one millisecond on the system clock, so that tests run on the virtual clock.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/types.h"

namespace ui {

class Control;
struct MessageBoxRequest;
struct FileDialogRequest;
struct HelpRequest;

// What changed on a control, for the backend's mirror.
enum class Change { Parent, Bounds, Visible, Enabled, Text, Appearance, Focus, ZOrder, Items };

class Backend {
 public:
  virtual ~Backend() = default;

  // Called by message loops when they have nothing to do (Application::idle): waits for input or a
  // wake() for at most maxMs, without spinning. The headless backend sleeps 1 ms on the system clock
  // whatever maxMs says, so that loops step the virtual clock of tests one millisecond at a time.
  virtual void waitForEvents(uint32_t maxMs);
  // Ends a waitForEvents early: something was posted. May be called from any thread.
  virtual void wake();
  // Called at the start of every Application::processMessages(): handles the display input that is
  // waiting and repaints, without blocking (the headless backend has nothing to do).
  virtual void processEvents();
  // Draws what changed on the windows now, without handling any input: a long operation on the loop's
  // thread shows its progress this way (the headless backend has nothing to draw).
  virtual void paintNow();
  // Draws the form whole, now, off the screen, as its window would show it, whether the window is on
  // the screen yet or not: the text-fit check draws every page it shows, so that a page the display
  // cannot draw is found as the texts that do not fit are. The headless backend has nothing to draw.
  virtual void paintOffscreen(Control& form);
  // True when a person at a display answers modal windows and dialogs: a modal loop without a
  // responder then waits for the user (and has no pass limit) instead of closing at once, and
  // message boxes and file dialogs without a responder go to messageBox() and fileDialog().
  virtual bool interactive() const;
  // Interactive backends: show a message box and return the button chosen.
  virtual ModalResult messageBox(const MessageBoxRequest& request);
  // Interactive backends: show a file dialog; the path chosen, or nothing for Cancel.
  virtual std::optional<std::string> fileDialog(const FileDialogRequest& request);
  // Shows the help file at the request's location in a help viewer (the headless backend shows nothing).
  virtual void showHelp(const HelpRequest& request);
  // Extent in pixels of one line of text in the given font.
  virtual Size textExtent(const Font& font, std::string_view text);
  // Current value (0x00BBGGRR) of a system colour index.
  virtual Color systemColor(int index);
  virtual Size screenSize();

  virtual void controlChanged(Control& control, Change what);
  // The control is being destroyed; the backend drops its mirror.
  virtual void controlDestroyed(Control& control);
};

// The backend in use (the headless one unless another was installed).
Backend& backend();
// Installs a backend (nullptr restores the headless one). The caller keeps ownership.
void setBackend(Backend* b);

}  // namespace ui
