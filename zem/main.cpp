// Zem: service program for lighting fixtures.
//
// On a display every window appears as a real window. Without one the program says so and stops, unless
// it was started with --headless: then every window it shows is printed to stdout
// (its caption and its controls), and, with nobody to answer, every window is answered the way its
// close box would: a modal window (demonstration menu, message box) ends with Cancel, a fixture window
// is closed (windows without a close box, such as progress windows, are only printed). The program therefore
// ends by itself: at the demonstration menu without interface hardware, or after opening the identified
// fixture's window when a driver library finds one.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/backend.h"
#include "platform/ui/dump.h"
#include "platform/ui/form.h"
#include "platform/ui/message_box.h"
#include "zem/link/USB_ft245bm.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/ZemMain.h"

#ifdef ZEM_WITH_DISPLAY
#include "platform/ui/fltk/fltk_backend.h"
#endif

namespace {

void printWindow(const char* when, ui::Form& form) {
  std::printf("== %s: %s ==\n%s", when, form.caption().c_str(), ui::dumpControls(form).c_str());
  std::fflush(stdout);
}

const char* messageKindName(ui::MessageKind kind) {
  switch (kind) {
    case ui::MessageKind::Error:
      return "Error";
    case ui::MessageKind::Warning:
      return "Warning";
    case ui::MessageKind::Information:
      return "Information";
    case ui::MessageKind::Confirmation:
      return "Confirmation";
  }
  return "Message";
}

// The answer a box's close box would give.
ui::ModalResult closeAnswer(ui::MessageButtons buttons) {
  switch (buttons) {
    case ui::MessageButtons::Ok:
      return ui::ModalResult::Ok;
    case ui::MessageButtons::YesNo:
      return ui::ModalResult::No;
    case ui::MessageButtons::OkCancel:
    case ui::MessageButtons::YesNoCancel:
      return ui::ModalResult::Cancel;
  }
  return ui::ModalResult::Cancel;
}

// Stands in for the user in front of a display: sees each window once it has settled, and closes it.
class HeadlessUser : public ui::Backend {
 public:
  void controlChanged(ui::Control& control, ui::Change what) override {
    ui::Backend::controlChanged(control, what);
    ui::Form* form = control.asForm();
    if (!form || !form->visible() || form->modal()) return;
    if (what == ui::Change::Visible || (what == ui::Change::Enabled && form->enabled() && isWaiting(form)))
      lookLater(form);
  }

 private:
  // Looks twice later: a window shown from a handler (the main window's first activation) finishes its
  // work before the user sees it.
  void lookLater(ui::Form* form) {
    ui::Ref<ui::Form> ref(form);
    ui::app().post([this, ref] { ui::app().post([this, ref] { look(ref.get()); }); });
  }

  void look(ui::Form* f) {
    if (!f || !f->visible() || f->modal()) return;
    // A window busy with a long operation (a fixture window reading its fixture) is disabled meanwhile
    // and pumps messages: the user sees it once it is enabled again.
    if (!f->enabled()) {
      if (!isWaiting(f)) waiting_.emplace_back(f);
      return;
    }
    std::erase_if(waiting_, [f](const ui::Ref<ui::Form>& w) { return !w || w.get() == f; });
    printWindow("window", *f);
    if (f != ui::mainForm() && f->hasCloseBox()) f->close();
  }

  bool isWaiting(const ui::Form* f) const {
    return std::any_of(waiting_.begin(), waiting_.end(),
                       [f](const ui::Ref<ui::Form>& w) { return w.get() == f; });
  }

  std::vector<ui::Ref<ui::Form>> waiting_;
};

void answerModal(ui::Form& form) {
  if (form.modalResult() != ui::ModalResult::None) return;
  printWindow("modal window", form);
  form.close();
}

ui::ModalResult answerMessageBox(const ui::MessageBoxRequest& request) {
  std::printf("== message box (%s): %s ==\n%s\n", messageKindName(request.kind), request.caption.c_str(),
              request.text.c_str());
  std::fflush(stdout);
  return closeAnswer(request.buttons);
}

// Leaves the display (if one was opened) and the headless user behind.
void leaveBackend() {
#ifdef ZEM_WITH_DISPLAY
  ui::fltk::uninstall();
#endif
  ui::setBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  HeadlessUser user;
#ifdef ZEM_WITH_DISPLAY
  const ui::fltk::Start start = ui::fltk::startFromCommandLine(argc, argv);
  if (start == ui::fltk::Start::NoDisplay) return EXIT_FAILURE;  // the reason is already on stderr
  const bool headless = start == ui::fltk::Start::Headless;
#else
  (void)argc;
  (void)argv;
  const bool headless = true;
#endif
  if (headless) {
    ui::setBackend(&user);
    ui::setModalResponder(&answerModal);
    ui::setMessageBoxResponder(&answerMessageBox);
  }

  // A driver library without an entry point we need: say so and stop before any window exists.
  if (ReportD2xxStartupError()) {
    std::fprintf(stderr, "%s\n", D2xxStartupError().c_str());
    leaveBackend();
    return EXIT_FAILURE;
  }

  int exitCode = EXIT_SUCCESS;
  ui::app().setTitle("ZEM");
  {
    ui::Ref<TZEMMainForm> mainWindow(ui::createForm<TZEMMainForm>(nullptr));
    ui::setMainForm(mainWindow);
    try {
      mainWindow->show();
      ui::app().run();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "Fatal Error.\n%s\n", e.what());
      exitCode = EXIT_FAILURE;
    }
    if (mainWindow) {
      if (headless) printWindow("window at exit", *mainWindow);
      // Frees the fixture object, the device with its interface and the box object.
      mainWindow->free();
    }
  }
  leaveBackend();
  return exitCode;
}
