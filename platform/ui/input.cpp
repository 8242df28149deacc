#include "platform/ui/input.h"

#include <memory>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/control.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "platform/ui/screen.h"

namespace ui {
namespace input {

namespace {

// The receiver of a press at p on target (p is moved into the receiver's coordinates).
Control* route(Control& target, Point& p) {
  if (!target.showing()) return nullptr;
  Form* f = target.form();
  if (!f || !f->enabled()) return nullptr;
  Control* c = &target;
  Control* highestDisabled = nullptr;
  for (Control* a = c; a; a = a->parent()) {
    if (!a->enabled()) highestDisabled = a;
  }
  if (!highestDisabled) return c;
  while (c && c != highestDisabled) {
    p.x += c->left();
    p.y += c->top();
    c = c->parent();
  }
  if (!c) return nullptr;
  p.x += c->left();
  p.y += c->top();
  WinControl* parent = c->parent();
  if (!parent) return nullptr;
  // The press falls through the disabled control to whatever lies under it: an enabled sibling
  // (topmost first), else the parent.
  const auto& siblings = parent->controls();
  for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
    Control* s = *it;
    if (s == c || !s->visible() || !s->enabled() || !s->boundsRect().contains(p)) continue;
    p.x -= s->left();
    p.y -= s->top();
    return s;
  }
  return parent;
}

// Whether the capture holder got its press with the left button (so a release may click it).
Ref<Control> g_pressed;
bool g_leftPressed = false;

struct HintState {
  Ref<Control> over;
  Point cursor;
  bool showing = false;
  std::optional<ShownHint> current;
  std::vector<ShownHint> shown;
  std::unique_ptr<Timer> timer;
};

HintState& hints() {
  // The application must outlive the hint timer: make sure it exists first.
  Application::instance();
  static HintState s;
  return s;
}

void hideHint() {
  HintState& h = hints();
  h.showing = false;
  h.current.reset();
}

std::string shortHint(const std::string& hint) {
  auto bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

void hintTimerFired() {
  HintState& h = hints();
  h.timer->setEnabled(false);
  if (h.showing) {
    hideHint();
    return;
  }
  Control* c = h.over;
  if (!c || !app().showHint() || !c->showHint() || c->hint().empty() || !c->showing()) return;
  HintInfo info;
  info.hintControl = c;
  info.cursorPos = c->clientToScreen(h.cursor);
  info.hintMaxWidth = screen().width();
  info.hideTimeout = app().hintHidePause();
  info.hintStr = shortHint(c->hint());
  std::string text = info.hintStr;
  bool canShow = true;
  if (app().onShowHint) app().onShowHint(text, canShow, info);
  if (!canShow || text.empty()) return;
  ShownHint s{text, c->name(), info.hintMaxWidth, info.hideTimeout, sys::tickCount()};
  h.shown.push_back(s);
  h.current = s;
  h.showing = true;
  if (info.hideTimeout > 0) {
    h.timer->setInterval(static_cast<uint32_t>(info.hideTimeout));
    h.timer->setEnabled(true);
  }
}

Timer& hintTimer() {
  HintState& h = hints();
  if (!h.timer) {
    h.timer = std::make_unique<Timer>(nullptr, 500);
    h.timer->onTimer = hintTimerFired;
  }
  return *h.timer;
}

void navigate(Form& f, Control* from, bool forward) {
  auto stops = f.tabStops();
  if (stops.empty()) return;
  int n = static_cast<int>(stops.size());
  int i = -1;
  for (int k = 0; k < n; ++k) {
    if (stops[static_cast<size_t>(k)] == from) i = k;
  }
  int next = i < 0 ? (forward ? 0 : n - 1) : ((i + (forward ? 1 : -1)) % n + n) % n;
  stops[static_cast<size_t>(next)]->setFocus();
}

Button* findButton(WinControl& w, bool wantCancel) {
  for (Control* c : w.controls()) {
    if (auto* b = dynamic_cast<Button*>(c)) {
      if ((wantCancel ? b->isCancel() : b->isDefault()) && b->showing() && b->effectivelyEnabled()) return b;
    }
    if (auto* inner = dynamic_cast<WinControl*>(c)) {
      if (Button* b = findButton(*inner, wantCancel)) return b;
    }
  }
  return nullptr;
}

// Where keys go now, or null when they go nowhere.
Control* keyTarget() {
  Control* c = screen().focusedControl();
  if (!c) c = screen().activeForm();
  if (!c || !c->showing() || !c->effectivelyEnabled()) return nullptr;
  return c;
}

// Key preview: form f, when it asks for it, sees a key before the control that has it, and may swallow
// the key (by clearing it) or free the control. True when the key still goes on to target.
template <class Key, class FormHandler>
bool passesKeyPreview(Control& target, Form* f, Key& key, FormHandler formHandles) {
  if (!f || f == &target || !f->keyPreview()) return true;
  Ref<Control> ref(&target);
  formHandles(*f, key);
  return key != 0 && ref;
}

}  // namespace

Control* mouseDown(Control& target, int x, int y, MouseButton button, ShiftState shift) {
  Point p{x, y};
  Control* c = route(target, p);
  if (!c) return nullptr;
  Ref<Control> ref(c);
  leave();
  // A click into another window activates it first, as the press arrives.
  if (Form* f = c->form(); f && !f->active()) f->bringToFront();
  if (!ref) return nullptr;
  screen().setCapture(c);
  if (!ref) return nullptr;
  g_pressed = c;
  g_leftPressed = button == MouseButton::Left;
  c->mouseDown(button, shift, p.x, p.y);
  return ref.get();
}

Control* mouseMove(Control& target, int x, int y, ShiftState shift) {
  Control* cap = screen().captureControl();
  Point p{x, y};
  if (cap) {
    p = cap->screenToClient(target.clientToScreen(p));
    cap->mouseMove(shift, p.x, p.y);
    return cap;
  }
  Control* c = route(target, p);
  if (c) c->mouseMove(shift, p.x, p.y);
  return c;
}

Control* mouseUp(Control& target, int x, int y, MouseButton button, ShiftState shift) {
  Control* cap = screen().captureControl();
  if (!cap || cap != g_pressed.get()) return nullptr;
  Point p = cap->screenToClient(target.clientToScreen({x, y}));
  Ref<Control> ref(cap);
  screen().releaseCapture();
  bool clicks = g_leftPressed && button == MouseButton::Left && cap->clientRect().contains(p);
  g_pressed = nullptr;
  if (clicks) cap->click();
  if (ref) ref->mouseUp(button, shift, p.x, p.y);
  return ref.get();
}

bool click(Control& target) {
  int x = target.width() / 2;
  int y = target.height() / 2;
  Ref<Control> t(&target);
  if (!mouseDown(target, x, y)) return false;
  if (t) {
    mouseUp(*t, x, y);
  } else if (Control* cap = screen().captureControl()) {
    mouseUp(*cap, 0, 0);
  }
  return true;
}

void keyDown(uint16_t key, ShiftState shift) {
  Control* target = keyTarget();
  if (!target) return;
  Form* f = target->form();
  uint16_t k = key;
  if (!passesKeyPreview(*target, f, k,
                        [shift](Form& form, uint16_t& previewed) { form.keyDown(previewed, shift); }))
    return;
  if (f) {
    if (k == vk::Tab) {
      navigate(*f, target == f ? nullptr : target, (shift & kShift) == 0);
      return;
    }
    if (k == vk::Escape || (k == vk::Return && !dynamic_cast<Button*>(target))) {
      if (Button* b = findButton(*f, k == vk::Escape)) {
        b->click();
        return;
      }
    }
    bool arrow = k == vk::Left || k == vk::Right || k == vk::Up || k == vk::Down;
    if (arrow && target != f && !target->wantsArrows()) {
      navigate(*f, target, k == vk::Right || k == vk::Down);
      return;
    }
  }
  target->keyDown(k, shift);
}

void keyUp(uint16_t key, ShiftState shift) {
  Control* target = keyTarget();
  if (!target) return;
  uint16_t k = key;
  if (!passesKeyPreview(*target, target->form(), k,
                        [shift](Form& form, uint16_t& previewed) { form.keyUp(previewed, shift); }))
    return;
  target->keyUp(k, shift);
}

void keyPress(char ch) {
  Control* target = keyTarget();
  if (!target) return;
  char k = ch;
  if (!passesKeyPreview(*target, target->form(), k,
                        [](Form& form, char& previewed) { form.keyPress(previewed); }))
    return;
  target->keyPress(k);
}

void pressKey(uint16_t key, ShiftState shift) {
  keyDown(key, shift);
  keyUp(key, shift);
}

void typeText(const std::string& text) {
  for (char ch : text) keyPress(ch);
}

bool chooseMenuItem(MenuItem& item) {
  std::vector<MenuItem*> chain;
  for (MenuItem* i = &item; i && i->parentItem(); i = i->parentItem()) chain.insert(chain.begin(), i);
  if (chain.empty()) return false;
  for (MenuItem* i : chain) {
    if (!i->visible() || !i->enabled()) return false;
  }
  if (Menu* m = item.menu()) {
    if (auto* c = dynamic_cast<Control*>(m->owner())) {
      Form* f = c->form();
      if (f && (!f->visible() || !f->effectivelyEnabled())) return false;
    }
  }
  Ref<MenuItem> ref(&item);
  for (MenuItem* i : chain) {
    if (i == &item) break;
    i->click();
    if (!ref) return false;
  }
  ref->click();
  return true;
}

bool selectComboItem(ComboBox& box, int index) {
  if (!box.showing() || !box.effectivelyEnabled()) return false;
  Form* f = box.form();
  if (!f || !f->enabled()) return false;
  return box.userSelect(index);
}

bool selectListItem(ListBox& box, int index) {
  if (!box.showing() || !box.effectivelyEnabled()) return false;
  Form* f = box.form();
  if (!f || !f->enabled()) return false;
  return box.userSelect(index);
}

bool selectTab(PageControl& control, TabSheet& page) {
  if (!control.showing() || !control.effectivelyEnabled()) return false;
  return control.selectPage(&page);
}

bool pressTabRow(PageControl& control, int x, int y) {
  if (!control.showing() || !control.effectivelyEnabled()) return false;
  TabHit hit = control.tabHitTest({x, y});
  switch (hit.kind) {
    case TabHit::Kind::ScrollLeft:
      return control.scrollTabsLeft();
    case TabHit::Kind::ScrollRight:
      return control.scrollTabsRight();
    case TabHit::Kind::Tab: {
      TabSheet* page = control.visibleTabs()[static_cast<size_t>(hit.tabIndex)];
      bool wasActive = page == control.activePage();
      return control.selectPage(page) && !wasActive;
    }
    case TabHit::Kind::None:
      break;
  }
  return false;
}

bool clickCloseBox(Form& form) {
  if (!form.visible() || !form.enabled() || !form.hasCloseBox()) return false;
  form.close();
  return true;
}

void hover(Control& control, int x, int y) {
  HintState& h = hints();
  Timer& t = hintTimer();
  if (h.over.get() == &control && (h.showing || t.enabled())) return;
  bool wasShowing = h.showing;
  hideHint();
  h.over = &control;
  h.cursor = {x, y};
  int pause = wasShowing ? app().hintShortPause() : app().hintPause();
  t.setEnabled(false);
  t.setInterval(static_cast<uint32_t>(pause > 0 ? pause : 1));
  t.setEnabled(true);
}

void leave() {
  HintState& h = hints();
  if (h.timer) h.timer->setEnabled(false);
  h.over = nullptr;
  hideHint();
}

std::optional<ShownHint> currentHint() {
  return hints().current;
}

const std::vector<ShownHint>& shownHints() {
  return hints().shown;
}

void clearShownHints() {
  hints().shown.clear();
}

}  // namespace input

namespace detail {
void resetInput() {
  input::leave();
  input::clearShownHints();
  input::g_pressed = nullptr;
  input::g_leftPressed = false;
}
}  // namespace detail

}  // namespace ui
