// The screen: every form, the active form, the keyboard focus, the mouse capture and the cursor.
#pragma once

#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {

class Control;
class Form;

class Screen {
 public:
  static Screen& instance();

  // Every existing form, in creation order.
  const std::vector<Form*>& forms() const { return forms_; }
  // Shown forms from the top of the stacking order down (stay-on-top forms first).
  std::vector<Form*> zOrder() const;
  Form* activeForm() const { return active_; }
  Control* focusedControl() const { return focused_; }
  Control* captureControl() const { return capture_; }

  Cursor cursor() const { return cursor_; }
  void setCursor(Cursor c) { cursor_ = c; }
  int width() const;
  int height() const;

  // Gives the mouse capture to a control; the previous holder is told it lost it.
  void setCapture(Control* c);
  // Ends the capture normally (the button was released).
  void releaseCapture();
  // Takes the capture away; the holder is told.
  void cancelCapture();

  // Drops focus, capture, cursor and activation state (tests). Forms stay.
  void reset();

 private:
  friend class Control;
  friend class Form;
  void addForm(Form* f);
  void removeForm(Form* f);
  void controlGone(Control* c);
  // Focus moves to c (null: nowhere) without activating anything.
  void moveFocus(Control* c);
  void activate(Form* f);
  // The form to activate when f goes away or hides.
  Form* nextActive(Form* leaving) const;
  void raise(Form* f);
  void lower(Form* f);

  std::vector<Form*> forms_;
  std::vector<Form*> stack_;  // shown forms, bottom first
  Form* active_ = nullptr;
  Control* focused_ = nullptr;
  Control* capture_ = nullptr;
  Cursor cursor_ = crDefault;
};

inline Screen& screen() {
  return Screen::instance();
}

// Shows a cursor on the whole screen for a scope (the hourglass of a long operation) and puts back the one
// shown before, also when the scope ends by an exception. Scopes nest.
class ScopedCursor {
 public:
  explicit ScopedCursor(Cursor c);
  ~ScopedCursor();
  ScopedCursor(const ScopedCursor&) = delete;
  ScopedCursor& operator=(const ScopedCursor&) = delete;

 private:
  Cursor previous_;
};

}  // namespace ui
