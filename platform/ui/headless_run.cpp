#include "platform/ui/headless_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/application.h"
#include "platform/ui/dump.h"
#include "platform/ui/form.h"
#include "platform/ui/message_box.h"

namespace ui {

namespace {

const char* messageKindName(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error:
      return "Error";
    case MessageKind::Warning:
      return "Warning";
    case MessageKind::Information:
      return "Information";
    case MessageKind::Confirmation:
      return "Confirmation";
  }
  return "Message";
}

}  // namespace

std::optional<int> checkCommandLine(int argc, char** argv, const char* program, const char* usage) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(usage, stdout);
      return EXIT_SUCCESS;
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) continue;
    std::fprintf(stderr, "%s: unknown option '%s'\n\n%s", program, argv[i], usage);
    return kExitUsage;
  }
  return std::nullopt;
}

std::string forTerminal(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

void printWindow(const char* when, Form& form) {
  std::printf("== %s: %s ==\n%s", when, form.caption().c_str(), dumpControls(form).c_str());
  std::fflush(stdout);
}

ModalResult closeBoxAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return ModalResult::Ok;
    case MessageButtons::YesNo:
      return ModalResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return ModalResult::Cancel;
  }
  return ModalResult::Cancel;
}

ModalResult printAndAnswerMessageBox(const MessageBoxRequest& request) {
  std::printf("== message box (%s): %s ==\n%s\n", messageKindName(request.kind), request.caption.c_str(),
              forTerminal(request.text).c_str());
  std::fflush(stdout);
  return closeBoxAnswer(request.buttons);
}

void printAndCloseModal(Form& form) {
  if (form.modalResult() != ModalResult::None) return;
  printWindow("modal window", form);
  form.close();
}

void HeadlessUser::showHelp(const HelpRequest& request) {
  std::printf("== help: %s ==\n", request.location().c_str());
  std::fflush(stdout);
}

void HeadlessUser::controlChanged(Control& control, Change what) {
  Backend::controlChanged(control, what);
  Form* form = control.asForm();
  if (!form || !form->visible() || form->modal()) return;
  if (what == Change::Visible || (what == Change::Enabled && form->enabled() && isWaiting(form)))
    lookLater(form);
}

// Looks twice later: a window shown from a handler (a main window's first activation) finishes its work
// before the user sees it.
void HeadlessUser::lookLater(Form* form) {
  Ref<Form> ref(form);
  app().post([this, ref] { app().post([this, ref] { look(ref.get()); }); });
}

void HeadlessUser::look(Form* f) {
  if (!f || !f->visible() || f->modal()) return;
  // A window busy with a long operation is disabled meanwhile and pumps messages: the user sees it once it
  // is enabled again.
  if (!f->enabled()) {
    if (!isWaiting(f)) waiting_.emplace_back(f);
    return;
  }
  std::erase_if(waiting_, [f](const Ref<Form>& w) { return !w || w.get() == f; });
  printWindow("window", *f);
  if (f != mainForm() && f->hasCloseBox()) f->close();
}

bool HeadlessUser::isWaiting(const Form* f) const {
  return std::any_of(waiting_.begin(), waiting_.end(), [f](const Ref<Form>& w) { return w.get() == f; });
}

}  // namespace ui
