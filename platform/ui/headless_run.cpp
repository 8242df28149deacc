#include "platform/ui/headless_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace ui
