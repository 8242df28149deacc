// Inside the display backend: the backend object and the toolkit window that shows one form.
#pragma once

#include "platform/ui/fltk/toolkit.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/ui/backend.h"
#include "platform/ui/component.h"
#include "platform/ui/fltk/help_viewer.h"
#include "platform/ui/fltk/paint.h"

#include "platform/ui/icon.h"

namespace ui {
class Form;
}

namespace ui::fltk {

class DisplayBackend;

// The toolkit window of one form: draws the form's control tree and turns the window's events into the
// layer's input calls. The window holds only a reference to its form; the form may go at any time.
class FormWindow : public Fl_Double_Window {
 public:
  FormWindow(DisplayBackend& display, Form& form);

  Form* form() const { return form_.get(); }
  bool createdModal() const { return createdModal_; }
  // Brings position, size, caption and size limits in line with the form.
  void syncFromForm();
  void syncIcon();
  void setCursorShape(Fl_Cursor c);

  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  int handleMouse(int event);
  int handleKey(int event);
  // Extra behaviour of a press that the controls leave to the system: drop-down lists, menus, spin
  // buttons, tabs, focus.
  void afterPress(Control& receiver, Point local);
  void openMenu(Control& button);
  void openComboList(Control& combo);
  void hoverAt(Point p);

  struct SizeLimits {
    int minW = -1, minH = -1, maxW = -1, maxH = -1;
    friend bool operator==(const SizeLimits&, const SizeLimits&) = default;
  };

  DisplayBackend& display_;
  Ref<Form> form_;
  SizeLimits limits_;
  bool createdModal_ = false;
  bool syncing_ = false;
  Fl_Cursor cursor_ = FL_CURSOR_DEFAULT;
  // What the window last published of its tabs (shownTabs).
  std::string publishedTabs_;
  // The form's icon as last given to the window manager.
  const Icon* shownIcon_ = nullptr;
};

class DisplayBackend : public Backend {
 public:
  DisplayBackend();
  ~DisplayBackend() override;

  void waitForEvents(uint32_t maxMs) override;
  void wake() override;
  void processEvents() override;
  void paintNow() override;
  void paintOffscreen(Control& form) override;
  bool interactive() const override { return true; }
  Size textExtent(const Font& font, std::string_view text) override;
  Size screenSize() override;
  void controlChanged(Control& control, Change what) override;
  void controlDestroyed(Control& control) override;
  ModalResult messageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
  void showHelp(const HelpRequest& request) override;
  HelpViewer* helpViewer() const { return help_.get(); }

  // Makes the toolkit windows match the forms: shown, hidden, placed, stacked, repainted.
  void sync();
  PaintContext paintContext() const;
  Control* hovered() const { return hovered_; }
  void setHovered(Control* c);
  // Scrolls a rich edit by whole lines (positive: back towards its start).
  void scroll(const Control& c, int lines);
  FormWindow* windowOf(const Form& f) const;

 private:
  void syncHint();
  void syncCursor();
  void dropWindow(const Control* formAddress);

  std::map<const Control*, FormWindow*> windows_;
  std::unique_ptr<HelpViewer> help_;
  Ref<Control> hovered_;
  std::unordered_map<const Control*, int> scroll_;
  const Control* topForm_ = nullptr;
  const Control* lastFocus_ = nullptr;
  const Control* lastCapture_ = nullptr;
  uint32_t hintShownAt_ = 0;
  std::string hintText_;
  bool hintUp_ = false;
  int syncDepth_ = 0;
};

}  // namespace ui::fltk
