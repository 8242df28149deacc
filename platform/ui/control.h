// Controls: the common base of everything shown in a window, and windowed controls that hold others.
//
// A control has an owner (who frees it) and a parent (the control it is shown in); freeing a
// windowed control frees the controls shown in it. Bounds are relative to the parent's client area.
// Input reaches controls through platform/ui/input.h, which calls the virtual entry points below in
// the class library's order (mouse down, then on release inside: click, then mouse up).
#pragma once

#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {

class WinControl;
class Form;

class Control : public Component {
 public:
  explicit Control(Component* owner);
  ~Control() override;

  // A short kind name for dumps ("Panel", "Label", ...).
  virtual const char* kind() const { return "Control"; }
  // State worth showing in a dump besides caption, bounds, visibility and enabling ("" for none).
  virtual std::string dumpDetails() const { return {}; }
  virtual Form* asForm() { return nullptr; }

  WinControl* parent() const { return parent_; }
  virtual void setParent(WinControl* p);
  // The form this control is on (the form itself for a form), or null.
  Form* form();

  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void setLeft(int v) { setBounds(v, top_, width_, height_); }
  void setTop(int v) { setBounds(left_, v, width_, height_); }
  void setWidth(int v) { setBounds(left_, top_, v, height_); }
  void setHeight(int v) { setBounds(left_, top_, width_, v); }
  virtual void setBounds(int left, int top, int width, int height);
  Rect boundsRect() const { return boundsToRect(left_, top_, width_, height_); }
  Rect clientRect() const { return {0, 0, width_, height_}; }
  int clientWidth() const { return width_; }
  int clientHeight() const { return height_; }
  Point clientToScreen(Point p) const;
  Point screenToClient(Point p) const;

  bool visible() const { return visible_; }
  virtual void setVisible(bool v);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  // Visible here and in every parent up to a shown form.
  bool showing() const;
  bool enabled() const { return enabled_; }
  virtual void setEnabled(bool on);
  // Enabled here and in every parent.
  bool effectivelyEnabled() const;

  virtual Color color() const { return color_; }
  virtual void setColor(Color c);
  // With parentFont on (the default) a control shows its parent's font.
  virtual const Font& font() const;
  virtual void setFont(const Font& f);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);
  void setFontColor(Color c);
  void setFontBold(bool on);

  // Caption and text are the same property.
  virtual const std::string& caption() const { return caption_; }
  virtual void setCaption(const std::string& text);
  const std::string& text() const { return caption(); }
  void setText(const std::string& t) { setCaption(t); }

  const std::string& hint() const { return hint_; }
  void setHint(const std::string& h) { hint_ = h; }
  // With parentShowHint on (the default) the parent's setting counts.
  bool showHint() const;
  void setShowHint(bool on);
  bool parentShowHint() const { return parentShowHint_; }
  void setParentShowHint(bool on) { parentShowHint_ = on; }

  Align align() const { return align_; }
  void setAlign(Align a);
  Cursor cursor() const { return cursor_; }
  void setCursor(Cursor c) { cursor_ = c; }
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool on) { tabStop_ = on; }

  // Focus: only windowed controls take it.
  virtual bool isWindowed() const { return false; }
  // The dialog-code query: true when the control handles the arrow keys itself.
  virtual bool wantsArrows() const { return false; }
  bool canFocus() const;
  bool focused() const;
  // Focuses the control (activating its form); false when it cannot take the focus.
  bool setFocus();

  // Moves the control to the top (or bottom) of its parent's stacking order.
  void bringToFront();
  void sendToBack();
  void invalidate() { changed(Change::Appearance); }
  // Draws the control's window now, as it stands, without handling input or running messages and timers:
  // a long operation on the loop's thread shows its progress (its log, its progress bar) this way.
  void repaint();

  NotifyEvent onClick;
  NotifyEvent onDblClick;
  NotifyEvent onEnter;
  NotifyEvent onExit;
  MouseEvent onMouseDown;
  MouseEvent onMouseUp;
  MouseMoveEvent onMouseMove;
  KeyEvent onKeyDown;
  KeyEvent onKeyUp;
  KeyPressEvent onKeyPress;
  // The control lost the mouse capture before the button was released.
  NotifyEvent onMouseCaptureLost;

  // Input entry points; the defaults fire the events above.
  virtual void mouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void mouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void mouseMove(ShiftState shift, int x, int y);
  virtual void click();
  virtual void dblClick();
  virtual void keyDown(uint16_t& key, ShiftState shift);
  virtual void keyUp(uint16_t& key, ShiftState shift);
  virtual void keyPress(char& key);
  virtual void captureLost();
  virtual void focusGained();
  virtual void focusLost();

 protected:
  void changed(Change what);
  // Drops the focus and the mouse capture when this control (or one inside it) can no longer have them.
  void checkInputState();
  void fireNotify(const NotifyEvent& e) {
    if (e) e(this);
  }

 private:
  friend class WinControl;
  friend class Screen;
  WinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  Color color_ = clBtnFace;
  Font font_;
  bool parentFont_ = true;
  std::string caption_;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  Align align_ = Align::None;
  Cursor cursor_ = crDefault;
  bool tabStop_ = false;
  bool dying_ = false;
};

class WinControl : public Control {
 public:
  explicit WinControl(Component* owner);
  ~WinControl() override;

  const char* kind() const override { return "WinControl"; }
  bool isWindowed() const override { return true; }

  const std::vector<Control*>& controls() const { return children_; }
  int controlCount() const { return static_cast<int>(children_.size()); }
  Control* control(int i) const;
  // Places the aligned children (top, bottom, left, right, then client) in alignRect().
  virtual void realign();
  void setBounds(int left, int top, int width, int height) override;
  // The first focusable tab stop inside, in child order, or null.
  Control* firstTabStop();
  // Every focusable tab stop inside, in tab order.
  std::vector<Control*> tabStops();

 protected:
  // The area aligned children fill.
  virtual Rect alignRect() const { return clientRect(); }
  // A child changed its bounds, visibility or alignment.
  virtual void childChanged(Control& child, Change what);
  bool tearingDown() const { return tearingDown_; }

 private:
  friend class Control;
  void insertChild(Control* c);
  void removeChild(Control* c);
  void moveChild(Control* c, bool toFront);
  std::vector<Control*> children_;
  bool aligning_ = false;
  bool tearingDown_ = false;
};

// How every window builds a control: a T owned by owner (which frees it), shown in parent, named, and
// with its bounds when they are given. The control's own default size stays when they are not.
template <class T>
T* make(Component* owner, WinControl* parent, const char* name) {
  T* c = new T(owner);
  c->setName(name);
  c->setParent(parent);
  return c;
}
template <class T>
T* make(Component* owner, WinControl* parent, const char* name, int left, int top, int width, int height) {
  T* c = make<T>(owner, parent, name);
  c->setBounds(left, top, width, height);
  return c;
}

}  // namespace ui
