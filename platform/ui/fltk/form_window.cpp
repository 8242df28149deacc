#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/fltk/display.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/popups.h"
#include "platform/ui/fltk/xopen.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/list_box.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "platform/ui/screen.h"

namespace ui::fltk {

namespace {

constexpr int kSpinButtonWidth = 15;
constexpr int kComboButtonWidth = 17;
constexpr int kWheelLines = 3;

void closeBoxPressed(Fl_Widget* w, void*) {
  auto* window = static_cast<FormWindow*>(w);
  // Esc is the form's key (cancel buttons), not the toolkit's way of closing windows.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  if (Form* f = window->form()) input::clickCloseBox(*f);
}

int clampSize(int v) {
  return std::max(1, v);
}

}  // namespace

FormWindow::FormWindow(DisplayBackend& display, Form& form)
    : Fl_Double_Window(form.left(), form.top(), clampSize(form.width()), clampSize(form.height())),
      display_(display),
      form_(&form),
      createdModal_(form.modal()) {
  end();
  callback(closeBoxPressed);
  if (form.borderStyle() == BorderStyle::None) border(0);
  // A modal form stays above the windows it disabled (the layer itself refuses their input).
  if (createdModal_) set_non_modal();
  syncFromForm();
}

void FormWindow::syncFromForm() {
  Form* f = form_;
  if (!f) return;
  syncing_ = true;
  const char* now = label();
  if (!now || f->caption() != now) copy_label(f->caption().c_str());
  int w = clampSize(f->width());
  int h = clampSize(f->height());
  bool sizeable = f->borderStyle() == BorderStyle::Sizeable || f->borderStyle() == BorderStyle::SizeToolWin;
  SizeLimits limits{w, h, w, h};
  if (sizeable) {
    const SizeConstraints& c = f->constraints();
    limits = {std::max(1, c.minWidth), std::max(1, c.minHeight), c.maxWidth, c.maxHeight};
  }
  // Every call talks to the window manager, and its answer wakes the loop: only on a change.
  if (limits != limits_) {
    limits_ = limits;
    size_range(limits.minW, limits.minH, limits.maxW, limits.maxH);
  }
  if (x() != f->left() || y() != f->top() || this->w() != w || this->h() != h) {
    resize(f->left(), f->top(), w, h);
  }
  syncIcon();
  syncing_ = false;
}

void FormWindow::syncIcon() {
  Form* f = form_;
  if (!f || f->icon() == shownIcon_) return;
  shownIcon_ = f->icon();
  std::vector<std::unique_ptr<Fl_PNG_Image>> decoded;
  std::vector<const Fl_RGB_Image*> images;
  if (shownIcon_) {
    for (const IconImage& image : *shownIcon_) {
      auto png =
          std::make_unique<Fl_PNG_Image>("window icon", image.png.data(), static_cast<int>(image.png.size()));
      if (png->w() != image.size || png->h() != image.size) continue;  // not a PNG of the size it claims
      images.push_back(png.get());
      decoded.push_back(std::move(png));
    }
  }
  // The window keeps copies; none takes the icon away.
  icons(images.data(), static_cast<int>(images.size()));
}

void FormWindow::setCursorShape(Fl_Cursor c) {
  if (c == cursor_ || !shown()) return;
  cursor_ = c;
  cursor(c);
}

void FormWindow::resize(int x, int y, int w, int h) {
  Fl_Double_Window::resize(x, y, w, h);
  // Moved or sized by the user (or the window manager): the form follows.
  if (syncing_) return;
  if (Form* f = form_) f->setBounds(x, y, w, h);
}

void FormWindow::draw() {
  Form* f = form_;
  if (!f) {
    fl_color(toolkitColor(clBtnFace));
    fl_rectf(0, 0, w(), h());
    return;
  }
  paintWindow(*f, display_.paintContext());
  // Where the tabs are, for the screenshot tests to click them by caption; only on a change.
  std::string tabs = shownTabs(*f);
  if (tabs != publishedTabs_) {
    publishedTabs_ = std::move(tabs);
    detail::setWindowText(*this, detail::kTabsProperty, publishedTabs_);
  }
}

int FormWindow::handle(int event) {
  switch (event) {
    case FL_PUSH:
    case FL_DRAG:
    case FL_MOVE:
    case FL_RELEASE:
    case FL_ENTER:
    case FL_LEAVE:
    case FL_MOUSEWHEEL:
      return handleMouse(event);
    case FL_KEYBOARD:
    case FL_KEYUP:
    case FL_SHORTCUT:
      return handleKey(event);
    case FL_FOCUS:
      // The window manager activated the window: so does the layer, when the form may be active.
      if (Form* f = form_; f && f->visible() && f->effectivelyEnabled() && !f->active()) f->bringToFront();
      return 1;
    case FL_UNFOCUS:
      return 1;
    default:
      return Fl_Double_Window::handle(event);
  }
}

int FormWindow::handleMouse(int event) {
  Form* f = form_;
  if (!f) return 0;
  Point p{Fl::event_x(), Fl::event_y()};
  ShiftState shift = shiftState(Fl::event_state());
  switch (event) {
    case FL_ENTER:
      hoverAt(p);
      return 1;
    case FL_LEAVE:
      input::leave();
      display_.setHovered(nullptr);
      return 1;
    case FL_MOVE:
      hoverAt(p);
      [[fallthrough]];
    case FL_DRAG: {
      if (screen().captureControl()) {
        input::mouseMove(*f, p.x, p.y, shift);
      } else {
        Point local;
        Control* c = controlAt(*f, p, local);
        input::mouseMove(*c, local.x, local.y, shift);
      }
      return 1;
    }
    case FL_PUSH: {
      take_focus();
      Point local;
      Control* c = controlAt(*f, p, local);
      bool dbl = Fl::event_clicks() > 0;
      MouseButton button = mouseButton(Fl::event_button());
      Control* receiver = input::mouseDown(*c, local.x, local.y, button, shiftState(Fl::event_state(), dbl));
      Ref<Control> r(receiver);
      if (r && dbl && button == MouseButton::Left) r->dblClick();
      if (r && button == MouseButton::Left) {
        // The receiver's own coordinates (the press may have fallen through a disabled control).
        Point origin = originInForm(*r);
        afterPress(*r, {p.x - origin.x, p.y - origin.y});
      }
      return 1;
    }
    case FL_RELEASE:
      input::mouseUp(*f, p.x, p.y, mouseButton(Fl::event_button()), shift);
      return 1;
    case FL_MOUSEWHEEL: {
      Point local;
      for (Control* c = controlAt(*f, p, local); c; c = c->parent()) {
        if (dynamic_cast<RichEdit*>(c)) {
          display_.scroll(*c, -Fl::event_dy() * kWheelLines);
          redraw();
          break;
        }
        if (auto* list = dynamic_cast<ListBox*>(c)) {
          list->setTopIndex(list->topIndex() + Fl::event_dy() * kWheelLines);
          break;
        }
      }
      return 1;
    }
    default:
      return 0;
  }
}

void FormWindow::hoverAt(Point p) {
  Form* f = form_;
  if (!f) return;
  Point local;
  Control* c = controlAt(*f, p, local);
  if (c != display_.hovered()) {
    display_.setHovered(c);
    input::hover(*c, local.x, local.y);
  }
}

void FormWindow::afterPress(Control& receiver, Point local) {
  Ref<Control> r(&receiver);
  // Windowed controls that take part in tabbing take the focus when pressed.
  if (receiver.isWindowed() && receiver.tabStop() && receiver.canFocus() && !receiver.focused()) {
    receiver.setFocus();
    if (!r) return;
  }
  if (auto* spin = dynamic_cast<SpinEdit*>(&receiver)) {
    if (local.x >= spin->width() - 2 - kSpinButtonWidth) {
      if (local.y < spin->height() / 2) {
        spin->upClick();
      } else {
        spin->downClick();
      }
    }
    return;
  }
  if (auto* combo = dynamic_cast<ComboBox*>(&receiver)) {
    if (combo->style() == ComboStyle::DropDownList || local.x >= combo->width() - 2 - kComboButtonWidth) {
      openComboList(*combo);
    }
    return;
  }
  if (auto* pc = dynamic_cast<PageControl*>(&receiver)) {
    input::pressTabRow(*pc, local.x, local.y);
    return;
  }
  if (dynamic_cast<ToolButton*>(&receiver)) openMenu(receiver);
}

void FormWindow::openMenu(Control& button) {
  auto* tb = static_cast<ToolButton*>(&button);
  Ref<MenuItem> item(tb->menuItem());
  // A menu drops down on the press: the release must not click the button again.
  screen().cancelCapture();
  Ref<Control> ref(&button);
  // Opening a top-level item runs its own click first, as the system's menus do.
  button.click();
  if (!item || !ref) return;
  std::vector<PopupEntry> entries;
  std::vector<Ref<MenuItem>> shown;
  for (MenuItem* sub : item->items()) {
    if (!sub->visible()) continue;
    PopupEntry e;
    e.text = sub->caption();
    e.enabled = sub->enabled();
    e.line = sub->isLine();
    e.item = sub;
    entries.push_back(e);
    shown.push_back(sub);
  }
  if (entries.empty()) return;
  Point origin = originInForm(button);
  Font font = button.font();
  display_.setHovered(nullptr);
  int chosen = runPopup(entries, x() + origin.x, y() + origin.y + button.height(), 0, font, -1);
  if (chosen < 0) return;
  MenuItem* picked = shown[static_cast<size_t>(chosen)];
  if (picked && picked->visible() && picked->enabled()) picked->click();
}

void FormWindow::openComboList(Control& control) {
  auto* combo = static_cast<ComboBox*>(&control);
  Ref<ComboBox> ref(combo);
  screen().cancelCapture();
  std::vector<PopupEntry> entries;
  for (int i = 0; i < combo->items().count(); ++i) {
    PopupEntry e;
    e.text = combo->items()[i];
    entries.push_back(e);
  }
  if (entries.empty()) return;
  Point origin = originInForm(*combo);
  int chosen = runPopup(entries, x() + origin.x, y() + origin.y + combo->height(), combo->width(),
                        combo->font(), combo->itemIndex());
  if (chosen >= 0 && ref) input::selectComboItem(*ref, chosen);
}

int FormWindow::handleKey(int event) {
  if (!form_) return 0;
  int key = Fl::event_key();
  uint16_t code = virtualKey(key);
  ShiftState shift = shiftState(Fl::event_state());
  if (event == FL_KEYUP) {
    if (code) input::keyUp(code, shift);
    return 1;
  }
  if (event == FL_SHORTCUT) return 0;  // every key was handled as it came
  if (code) input::keyDown(code, shift);
  // The character the key types (one byte: the layer's texts are single-byte).
  if (Fl::event_length() == 1) {
    char ch = Fl::event_text()[0];
    if (key == FL_Enter || key == FL_KP_Enter) ch = '\r';
    input::keyPress(ch);
  }
  return 1;
}

}  // namespace ui::fltk
