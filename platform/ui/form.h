// Forms: top-level windows with show/hide/close, activation, modal loops and deferred freeing.
//
// A form is built in its constructor (its controls are created there) and then gets its creation
// event: createForm<T>() does both, as the class library does. ShowModal runs a nested message loop
// that disables the other shown forms (their timers keep running) until ModalResult is set. In the
// headless layer the user of a modal form is the modal responder (setModalResponder): it runs on
// every pass of the loop and may click, type or set the result; with none installed a modal form is
// closed at once with Cancel, as if the user had pressed its close box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/control.h"
#include "platform/ui/graphics.h"
#include "platform/ui/icon.h"

namespace ui {

enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
using BorderIcons = uint32_t;
inline constexpr BorderIcons kSystemMenu = 1;
inline constexpr BorderIcons kMinimize = 2;
inline constexpr BorderIcons kMaximize = 4;
inline constexpr BorderIcons kHelpIcon = 8;
enum class FormStyle { Normal, StayOnTop };
enum class FormPosition { Designed, ScreenCenter, OwnerFormCenter, MainFormCenter };
enum class CloseAction { None, Hide, Free, Minimize };

struct SizeConstraints {
  int minWidth = 0;  // 0: no limit
  int minHeight = 0;
  int maxWidth = 0;
  int maxHeight = 0;
};

using CloseEvent = std::function<void(Component* sender, CloseAction& action)>;
using CloseQueryEvent = std::function<void(Component* sender, bool& canClose)>;
using MessageEvent = std::function<void(const Message& m)>;

class Form : public WinControl {
 public:
  explicit Form(Component* owner = nullptr);
  ~Form() override;

  const char* kind() const override { return "Form"; }
  Form* asForm() override { return this; }

  // Runs the creation event once (createForm() calls it after the constructor).
  void afterConstruction();

  BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle s) { borderStyle_ = s; }
  BorderIcons borderIcons() const { return borderIcons_; }
  void setBorderIcons(BorderIcons i) { borderIcons_ = i; }
  // The program's picture that the window's frame and the desktop show for it (null: none).
  const Icon* icon() const { return icon_; }
  void setIcon(const Icon* icon) { icon_ = icon; }
  // True when the frame offers a close box (system menu on a bordered window).
  bool hasCloseBox() const;
  FormStyle formStyle() const { return formStyle_; }
  void setFormStyle(FormStyle s);
  FormPosition position() const { return position_; }
  void setPosition(FormPosition p) { position_ = p; }
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool on);
  bool keyPreview() const { return keyPreview_; }
  void setKeyPreview(bool on) { keyPreview_ = on; }
  const SizeConstraints& constraints() const { return constraints_; }
  void setConstraints(const SizeConstraints& c);
  void setClientSize(int width, int height) { setBounds(left(), top(), width, height); }
  void setBounds(int left, int top, int width, int height) override;

  // Posted window messages reach handleMessage() (default: onMessage).
  Handle handle() const { return handle_; }
  virtual void handleMessage(const Message& m);
  bool postMessage(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
  MessageEvent onMessage;

  void setVisible(bool v) override;
  void setEnabled(bool on) override;
  // Closes as the user would: asks OnCloseQuery and OnClose; a modal form ends with Cancel.
  void close();
  ModalResult showModal();
  ModalResult modalResult() const { return modalResult_; }
  void setModalResult(ModalResult r) { modalResult_ = r; }
  bool modal() const { return modal_; }
  bool active() const;
  // Frees the form from the message loop, after the current handler has returned.
  void release();
  // Top of the stacking order, and active when it can be.
  void bringToFront();

  Control* activeControl() const { return activeControl_; }
  void setActiveControl(Control* c);
  // The form's canvas (its font) for measuring text.
  Canvas& canvas();

  NotifyEvent onCreate;
  NotifyEvent onShow;
  NotifyEvent onHide;
  NotifyEvent onActivate;
  NotifyEvent onDeactivate;
  CloseEvent onClose;
  CloseQueryEvent onCloseQuery;
  NotifyEvent onDestroy;

  void keyDown(uint16_t& key, ShiftState shift) override;

 protected:
  virtual void doCreate() { fireNotify(onCreate); }
  virtual void doShow() { fireNotify(onShow); }
  virtual void doHide() { fireNotify(onHide); }
  virtual void doActivate() { fireNotify(onActivate); }
  virtual void doDeactivate() { fireNotify(onDeactivate); }
  virtual void doClose(CloseAction& action);
  virtual bool closeQuery();
  virtual void doDestroy() { fireNotify(onDestroy); }
  void beforeDestruction() override;
  void childChanged(Control& child, Change what) override;
  // Sizes the form to hold its shown controls (AutoSize).
  void adjustSize();

 private:
  friend class Screen;
  void closeModal();
  void placeOnShow();

  Handle handle_ = 0;
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  BorderIcons borderIcons_ = kSystemMenu | kMinimize | kMaximize;
  const Icon* icon_ = nullptr;
  FormStyle formStyle_ = FormStyle::Normal;
  FormPosition position_ = FormPosition::Designed;
  bool autoSize_ = false;
  bool adjusting_ = false;
  bool keyPreview_ = false;
  SizeConstraints constraints_;
  ModalResult modalResult_ = ModalResult::None;
  bool modal_ = false;
  bool created_ = false;
  Ref<Control> activeControl_;
  Canvas canvas_;
};

// Builds a form and runs its creation event.
template <class T, class... A>
T* createForm(A&&... args) {
  T* f = new T(std::forward<A>(args)...);
  f->afterConstruction();
  return f;
}

// The main form: closing it terminates the application.
void setMainForm(Form* f);
Form* mainForm();

// Test hooks for modal loops.
using ModalResponder = std::function<void(Form& modalForm)>;
// Runs on every pass of every modal loop with the innermost modal form.
void setModalResponder(ModalResponder r);
struct ModalRecord {
  std::string name;
  std::string caption;
  ModalResult result = ModalResult::None;
};
// Every modal run that ended, in order.
const std::vector<ModalRecord>& shownModalForms();
void clearShownModalForms();
// A modal loop that runs more passes than this throws std::runtime_error (a test whose responder never
// answers fails instead of hanging). Default 1,000,000.
void setModalPassLimit(uint64_t passes);
// Depth of nested modal loops now running.
int modalDepth();

}  // namespace ui
