#include "platform/ui/screen.h"

#include <algorithm>

#include "platform/ui/backend.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace ui {

Screen& Screen::instance() {
  static Screen s;
  return s;
}

std::vector<Form*> Screen::zOrder() const {
  std::vector<Form*> out;
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    if ((*it)->formStyle() == FormStyle::StayOnTop) out.push_back(*it);
  }
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    if ((*it)->formStyle() != FormStyle::StayOnTop) out.push_back(*it);
  }
  return out;
}

int Screen::width() const {
  return backend().screenSize().width;
}

int Screen::height() const {
  return backend().screenSize().height;
}

void Screen::setCapture(Control* c) {
  if (c == capture_) return;
  Control* old = capture_;
  capture_ = c;
  if (old) old->captureLost();
}

void Screen::releaseCapture() {
  capture_ = nullptr;
}

void Screen::cancelCapture() {
  Control* old = capture_;
  capture_ = nullptr;
  if (old) old->captureLost();
}

void Screen::reset() {
  focused_ = nullptr;
  capture_ = nullptr;
  active_ = nullptr;
  cursor_ = crDefault;
  stack_.clear();
  for (Form* f : forms_) {
    if (f->visible()) stack_.push_back(f);
  }
}

void Screen::addForm(Form* f) {
  forms_.push_back(f);
}

void Screen::removeForm(Form* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  stack_.erase(std::remove(stack_.begin(), stack_.end(), f), stack_.end());
  if (active_ == f) active_ = nullptr;
}

void Screen::controlGone(Control* c) {
  if (focused_ == c) focused_ = nullptr;
  if (capture_ == c) capture_ = nullptr;
}

void Screen::moveFocus(Control* c) {
  if (c == focused_) return;
  Control* old = focused_;
  focused_ = c;
  if (c) {
    if (Form* f = c->form()) f->activeControl_ = c;
  }
  if (old) old->focusLost();
  // The exit handler may have moved the focus again; only announce it if it stayed.
  if (c && focused_ == c) c->focusGained();
}

void Screen::activate(Form* f) {
  if (f == active_) {
    if (f) raise(f);
    return;
  }
  cancelCapture();
  Form* old = active_;
  active_ = f;
  if (old) {
    if (focused_) {
      Control* fc = focused_;
      focused_ = nullptr;
      fc->focusLost();
    }
    old->doDeactivate();
  }
  if (f && active_ == f) {
    raise(f);
    Control* target = f->activeControl_;
    if (!target || !target->canFocus()) target = f->firstTabStop();
    if (target && target->canFocus()) {
      focused_ = target;
      f->activeControl_ = target;
      target->focusGained();
    }
    if (active_ == f) f->doActivate();
  }
}

Form* Screen::nextActive(Form* leaving) const {
  auto usable = [leaving](Form* f) { return f && f != leaving && f->visible() && f->enabled(); };
  if (leaving) {
    if (auto* ownerForm = dynamic_cast<Form*>(leaving->owner())) {
      if (usable(ownerForm)) return ownerForm;
    }
  }
  for (Form* f : zOrder()) {
    if (usable(f)) return f;
  }
  return nullptr;
}

void Screen::raise(Form* f) {
  auto it = std::find(stack_.begin(), stack_.end(), f);
  if (it != stack_.end() && it + 1 == stack_.end()) return;
  if (it != stack_.end()) stack_.erase(it);
  stack_.push_back(f);
  f->changed(Change::ZOrder);
}

void Screen::lower(Form* f) {
  stack_.erase(std::remove(stack_.begin(), stack_.end(), f), stack_.end());
}

ScopedCursor::ScopedCursor(Cursor c) : previous_(screen().cursor()) {
  screen().setCursor(c);
}

ScopedCursor::~ScopedCursor() {
  screen().setCursor(previous_);
}

}  // namespace ui
