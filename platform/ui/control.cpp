#include "platform/ui/control.h"

#include <algorithm>

#include "platform/ui/form.h"
#include "platform/ui/screen.h"

namespace ui {

namespace {
const Font kDefaultFont;
}

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
  dying_ = true;
  screen().controlGone(this);
  backend().controlDestroyed(*this);
  if (parent_) parent_->removeChild(this);
  parent_ = nullptr;
}

void Control::setParent(WinControl* p) {
  if (p == parent_) return;
  if (p == this) return;
  for (WinControl* a = p; a; a = a->parent_) {
    if (a == this) return;  // would make a cycle
  }
  if (parent_) parent_->removeChild(this);
  parent_ = p;
  if (parent_) parent_->insertChild(this);
  changed(Change::Parent);
  checkInputState();
}

Form* Control::form() {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->asForm();
}

void Control::setBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed(Change::Bounds);
  if (parent_ && !parent_->tearingDown_) parent_->childChanged(*this, Change::Bounds);
}

Point Control::clientToScreen(Point p) const {
  const Control* c = this;
  while (c) {
    p.x += c->left_;
    p.y += c->top_;
    c = c->parent_;
  }
  return p;
}

Point Control::screenToClient(Point p) const {
  Point origin = clientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void Control::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  changed(Change::Visible);
  if (!v) checkInputState();
  if (parent_ && !parent_->tearingDown_) parent_->childChanged(*this, Change::Visible);
}

bool Control::showing() const {
  const Control* c = this;
  while (c) {
    if (!c->visible_) return false;
    if (!c->parent_) return const_cast<Control*>(c)->asForm() != nullptr;
    c = c->parent_;
  }
  return false;
}

void Control::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  changed(Change::Enabled);
  if (!on) checkInputState();
}

bool Control::effectivelyEnabled() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void Control::setColor(Color c) {
  if (c == color_) return;
  color_ = c;
  changed(Change::Appearance);
}

const Font& Control::font() const {
  if (!parentFont_) return font_;
  if (parent_) return parent_->font();
  return font_;
}

void Control::setFont(const Font& f) {
  font_ = f;
  parentFont_ = false;
  changed(Change::Appearance);
}

void Control::setParentFont(bool on) {
  if (on == parentFont_) return;
  if (!on) font_ = font();
  parentFont_ = on;
  changed(Change::Appearance);
}

void Control::setFontColor(Color c) {
  Font f = font();
  f.color = c;
  setFont(f);
}

void Control::setFontBold(bool on) {
  Font f = font();
  f.bold = on;
  setFont(f);
}

void Control::repaint() {
  invalidate();
  backend().paintNow();
}

void Control::setCaption(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  changed(Change::Text);
}

bool Control::showHint() const {
  if (parentShowHint_ && parent_) return parent_->showHint();
  return showHint_;
}

void Control::setShowHint(bool on) {
  showHint_ = on;
  parentShowHint_ = false;
}

void Control::setAlign(Align a) {
  if (a == align_) return;
  align_ = a;
  if (parent_ && !parent_->tearingDown_) parent_->childChanged(*this, Change::Bounds);
}

bool Control::canFocus() const {
  if (!isWindowed() || dying_) return false;
  if (!showing() || !effectivelyEnabled()) return false;
  return true;
}

bool Control::focused() const {
  return screen().focusedControl() == this;
}

bool Control::setFocus() {
  if (!canFocus()) return false;
  Form* f = form();
  if (f && screen().activeForm() != f) {
    f->setActiveControl(this);
    screen().activate(f);
    return focused();
  }
  screen().moveFocus(this);
  return focused();
}

void Control::bringToFront() {
  if (parent_) parent_->moveChild(this, true);
}

void Control::sendToBack() {
  if (parent_) parent_->moveChild(this, false);
}

void Control::mouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseDown) onMouseDown(this, button, shift, x, y);
}

void Control::mouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseUp) onMouseUp(this, button, shift, x, y);
}

void Control::mouseMove(ShiftState shift, int x, int y) {
  if (onMouseMove) onMouseMove(this, shift, x, y);
}

void Control::click() {
  fireNotify(onClick);
}

void Control::dblClick() {
  fireNotify(onDblClick);
}

void Control::keyDown(uint16_t& key, ShiftState shift) {
  if (onKeyDown) onKeyDown(this, key, shift);
}

void Control::keyUp(uint16_t& key, ShiftState shift) {
  if (onKeyUp) onKeyUp(this, key, shift);
}

void Control::keyPress(char& key) {
  if (onKeyPress) onKeyPress(this, key);
}

void Control::captureLost() {
  fireNotify(onMouseCaptureLost);
}

void Control::focusGained() {
  fireNotify(onEnter);
}

void Control::focusLost() {
  fireNotify(onExit);
}

void Control::changed(Change what) {
  if (dying_) return;
  backend().controlChanged(*this, what);
}

void Control::checkInputState() {
  Screen& s = screen();
  auto inside = [this](Control* c) {
    for (; c; c = c->parent_) {
      if (c == this) return true;
    }
    return false;
  };
  if (s.capture_ && inside(s.capture_) && (!s.capture_->showing() || !s.capture_->effectivelyEnabled())) {
    s.cancelCapture();
  }
  if (s.focused_ && inside(s.focused_) && !s.focused_->canFocus()) s.moveFocus(nullptr);
}

WinControl::WinControl(Component* owner) : Control(owner) {}

WinControl::~WinControl() {
  tearingDown_ = true;
  while (!children_.empty()) {
    Control* c = children_.back();
    if (c->destroying() || c->dying_) {
      children_.pop_back();
      c->parent_ = nullptr;
      continue;
    }
    c->free();
  }
}

Control* WinControl::control(int i) const {
  if (i < 0 || i >= controlCount()) return nullptr;
  return children_[static_cast<size_t>(i)];
}

void WinControl::insertChild(Control* c) {
  children_.push_back(c);
  childChanged(*c, Change::Parent);
}

void WinControl::removeChild(Control* c) {
  auto it = std::find(children_.begin(), children_.end(), c);
  if (it == children_.end()) return;
  children_.erase(it);
  if (!tearingDown_ && !destroying()) childChanged(*c, Change::Parent);
}

void WinControl::moveChild(Control* c, bool toFront) {
  auto it = std::find(children_.begin(), children_.end(), c);
  if (it == children_.end()) return;
  children_.erase(it);
  if (toFront) {
    children_.push_back(c);
  } else {
    children_.insert(children_.begin(), c);
  }
  c->changed(Change::ZOrder);
}

void WinControl::setBounds(int left, int top, int width, int height) {
  bool resized = width != this->width() || height != this->height();
  Control::setBounds(left, top, width, height);
  if (resized) realign();
}

void WinControl::childChanged(Control& child, Change) {
  if (child.align() != Align::None) realign();
}

void WinControl::realign() {
  if (aligning_ || tearingDown_) return;
  aligning_ = true;
  Rect r = alignRect();
  auto take = [this](Align a) {
    std::vector<Control*> list;
    for (Control* c : children_) {
      if (c->align() == a && c->visible()) list.push_back(c);
    }
    // Aligned controls keep the order of their positions; ties keep the child order.
    std::stable_sort(list.begin(), list.end(), [a](Control* x, Control* y) {
      switch (a) {
        case Align::Top:
          return x->top() < y->top();
        case Align::Bottom:
          return x->top() + x->height() > y->top() + y->height();
        case Align::Left:
          return x->left() < y->left();
        case Align::Right:
          return x->left() + x->width() > y->left() + y->width();
        default:
          return false;
      }
    });
    return list;
  };
  for (Control* c : take(Align::Top)) {
    c->setBounds(r.left, r.top, r.width(), c->height());
    r.top += c->height();
  }
  for (Control* c : take(Align::Bottom)) {
    c->setBounds(r.left, r.bottom - c->height(), r.width(), c->height());
    r.bottom -= c->height();
  }
  for (Control* c : take(Align::Left)) {
    c->setBounds(r.left, r.top, c->width(), std::max(0, r.height()));
    r.left += c->width();
  }
  for (Control* c : take(Align::Right)) {
    c->setBounds(r.right - c->width(), r.top, c->width(), std::max(0, r.height()));
    r.right -= c->width();
  }
  for (Control* c : take(Align::Client)) {
    c->setBounds(r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
  }
  aligning_ = false;
}

Control* WinControl::firstTabStop() {
  auto stops = tabStops();
  return stops.empty() ? nullptr : stops.front();
}

std::vector<Control*> WinControl::tabStops() {
  std::vector<Control*> out;
  for (Control* c : children_) {
    if (!c->visible() || !c->enabled()) continue;
    if (c->tabStop() && c->canFocus()) out.push_back(c);
    if (auto* w = dynamic_cast<WinControl*>(c)) {
      auto inner = w->tabStops();
      out.insert(out.end(), inner.begin(), inner.end());
    }
  }
  return out;
}

}  // namespace ui
