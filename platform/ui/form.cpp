#include "platform/ui/form.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ui/backend.h"
#include "platform/ui/screen.h"

namespace ui {

namespace {
Ref<Form> g_mainForm;
ModalResponder g_modalResponder;
std::vector<ModalRecord> g_modalLog;
uint64_t g_passLimit = 1000000;
int g_modalDepth = 0;
}  // namespace

Form::Form(Component* owner) : WinControl(owner) {
  Control::setVisible(false);
  setBounds(0, 0, 320, 240);
  handle_ = app().registerWindow([this](const Message& m) { handleMessage(m); });
  screen().addForm(this);
}

Form::~Form() {
  app().unregisterWindow(handle_);
  Screen& s = screen();
  // Controls of this form go silently: nothing of it may run from here on.
  if (s.focused_ && s.focused_->form() == this) s.focused_ = nullptr;
  if (s.capture_ && s.capture_->form() == this) s.capture_ = nullptr;
  bool wasActive = s.active_ == this;
  s.removeForm(this);
  if (wasActive) s.activate(s.nextActive(this));
}

void Form::afterConstruction() {
  if (created_) return;
  created_ = true;
  doCreate();
}

bool Form::hasCloseBox() const {
  return borderStyle_ != BorderStyle::None && (borderIcons_ & kSystemMenu) != 0;
}

void Form::setFormStyle(FormStyle s) {
  formStyle_ = s;
  changed(Change::ZOrder);
}

void Form::setAutoSize(bool on) {
  autoSize_ = on;
  adjustSize();
}

void Form::setConstraints(const SizeConstraints& c) {
  constraints_ = c;
  setBounds(left(), top(), width(), height());
}

void Form::setBounds(int left, int top, int width, int height) {
  if (constraints_.minWidth > 0) width = std::max(width, constraints_.minWidth);
  if (constraints_.maxWidth > 0) width = std::min(width, constraints_.maxWidth);
  if (constraints_.minHeight > 0) height = std::max(height, constraints_.minHeight);
  if (constraints_.maxHeight > 0) height = std::min(height, constraints_.maxHeight);
  WinControl::setBounds(left, top, width, height);
}

void Form::handleMessage(const Message& m) {
  if (onMessage) onMessage(m);
}

bool Form::postMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return app().postMessage(handle_, msg, wParam, lParam);
}

void Form::placeOnShow() {
  Form* centreOn = nullptr;
  if (position_ == FormPosition::OwnerFormCenter) {
    if (auto* c = dynamic_cast<Control*>(owner())) centreOn = c->form();
  } else if (position_ == FormPosition::MainFormCenter) {
    centreOn = mainForm();
  }
  if (centreOn == this) centreOn = nullptr;
  if (position_ == FormPosition::Designed) return;
  if (centreOn) {
    setBounds(centreOn->left() + (centreOn->width() - width()) / 2,
              centreOn->top() + (centreOn->height() - height()) / 2, width(), height());
  } else {
    Screen& s = screen();
    setBounds((s.width() - width()) / 2, (s.height() - height()) / 2, width(), height());
  }
}

void Form::setVisible(bool v) {
  Screen& s = screen();
  if (v) {
    if (visible()) {
      bringToFront();
      return;
    }
    adjustSize();
    placeOnShow();
    Control::setVisible(true);
    Ref<Form> self(this);
    doShow();
    if (!self || !visible()) return;
    s.raise(this);
    if (effectivelyEnabled()) s.activate(this);
  } else {
    if (!visible()) return;
    Ref<Form> self(this);
    doHide();
    if (!self) return;
    Control::setVisible(false);
    s.lower(this);
    // A hidden modal form could never be answered: its loop ends.
    if (modal_ && modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
    if (s.active_ == this) s.activate(s.nextActive(this));
  }
}

void Form::setEnabled(bool on) {
  WinControl::setEnabled(on);
  Screen& s = screen();
  if (on && visible() && !s.active_) s.activate(this);
}

bool Form::active() const {
  return screen().activeForm() == this;
}

void Form::bringToFront() {
  if (!visible()) return;
  Screen& s = screen();
  s.raise(this);
  if (effectivelyEnabled()) s.activate(this);
}

void Form::setActiveControl(Control* c) {
  activeControl_ = c;
  if (c && active() && c->canFocus()) screen().moveFocus(c);
}

Canvas& Form::canvas() {
  canvas_.font = font();
  return canvas_;
}

void Form::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
}

void Form::doClose(CloseAction& action) {
  if (onClose) onClose(this, action);
}

bool Form::closeQuery() {
  bool canClose = true;
  if (onCloseQuery) onCloseQuery(this, canClose);
  return canClose;
}

void Form::close() {
  if (modal_) {
    modalResult_ = ModalResult::Cancel;
    return;
  }
  Ref<Form> self(this);
  if (!closeQuery() || !self) return;
  CloseAction action = CloseAction::Hide;
  doClose(action);
  if (!self || action == CloseAction::None) return;
  if (mainForm() == this) {
    app().terminate();
    return;
  }
  switch (action) {
    case CloseAction::Hide:
    case CloseAction::Minimize:
      hide();
      break;
    case CloseAction::Free:
      release();
      break;
    case CloseAction::None:
      break;
  }
}

void Form::closeModal() {
  Ref<Form> self(this);
  CloseAction action = CloseAction::None;
  if (closeQuery()) {
    if (!self) return;
    action = CloseAction::Hide;
    doClose(action);
    if (!self) return;
  }
  if (action == CloseAction::None) {
    modalResult_ = ModalResult::None;
  } else if (action == CloseAction::Free) {
    release();
  }
}

ModalResult Form::showModal() {
  if (visible() || !enabled() || modal_) throw std::logic_error("Cannot make a visible window modal");
  Screen& s = screen();
  s.cancelCapture();
  Ref<Form> self(this);
  Ref<Form> previous(s.activeForm());
  std::vector<Ref<Form>> disabled;
  for (Form* f : s.forms()) {
    if (f != this && f->visible() && f->enabled()) disabled.push_back(f);
  }
  for (auto& f : disabled) f->setEnabled(false);
  modal_ = true;
  modalResult_ = ModalResult::None;
  ++g_modalDepth;
  std::string name = this->name();
  std::string caption = this->caption();

  auto finish = [&] {
    --g_modalDepth;
    if (self) {
      modal_ = false;
      if (visible()) hide();
    }
    for (auto& f : disabled) {
      if (f) f->Control::setEnabled(true);
    }
    Form* back = previous;
    if (!back || !back->visible() || !back->effectivelyEnabled()) back = s.nextActive(self);
    if (back && back != s.active_) s.activate(back);
  };

  ModalResult result = ModalResult::Cancel;
  try {
    show();
    uint64_t passes = 0;
    while (self) {
      app().processMessages();
      if (!self) break;
      if (app().terminated()) modalResult_ = ModalResult::Cancel;
      if (modalResult_ == ModalResult::None) {
        if (g_modalResponder) {
          ModalResponder r = g_modalResponder;
          r(*this);
          if (!self) break;
        } else if (!backend().interactive()) {
          modalResult_ = ModalResult::Cancel;
        }
      }
      if (modalResult_ != ModalResult::None) {
        closeModal();
        if (!self || modalResult_ != ModalResult::None) break;
      }
      // At a display the user may keep a dialog open as long as they like.
      if (++passes > g_passLimit && !backend().interactive())
        throw std::runtime_error("modal loop of form '" + name + "' did not end");
      app().idle();
    }
    if (self) {
      result = modalResult_;
      caption = this->caption();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  g_modalLog.push_back({name, caption, result});
  return result;
}

void Form::release() {
  Ref<Form> r(this);
  app().post([r] {
    if (Form* f = r.get()) f->free();
  });
}

void Form::beforeDestruction() {
  doDestroy();
}

void Form::childChanged(Control& child, Change what) {
  WinControl::childChanged(child, what);
  if (!tearingDown()) adjustSize();
}

void Form::adjustSize() {
  if (!autoSize_ || adjusting_ || tearingDown()) return;
  int right = 0;
  int bottom = 0;
  bool any = false;
  for (Control* c : controls()) {
    if (!c->visible()) continue;
    any = true;
    right = std::max(right, c->left() + c->width());
    bottom = std::max(bottom, c->top() + c->height());
  }
  if (!any) return;
  adjusting_ = true;
  setBounds(left(), top(), right, bottom);
  adjusting_ = false;
}

void setMainForm(Form* f) {
  g_mainForm = f;
}

Form* mainForm() {
  return g_mainForm.get();
}

void setModalResponder(ModalResponder r) {
  g_modalResponder = std::move(r);
}

const std::vector<ModalRecord>& shownModalForms() {
  return g_modalLog;
}

void clearShownModalForms() {
  g_modalLog.clear();
}

void setModalPassLimit(uint64_t passes) {
  g_passLimit = passes;
}

int modalDepth() {
  return g_modalDepth;
}

namespace detail {
void resetForms() {
  g_modalResponder = nullptr;
  g_modalLog.clear();
  g_passLimit = 1000000;
  g_mainForm = nullptr;
}
}  // namespace detail

}  // namespace ui
