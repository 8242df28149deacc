// What the programs' --headless runs share: every window printed to stdout, and each one answered the way
// its close box would answer it, so that a run ends by itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/component.h"
#include "platform/ui/types.h"

namespace ui {

class Form;
struct MessageBoxRequest;
enum class MessageButtons;

// Exit code of a command line the program refuses.
inline constexpr int kExitUsage = 2;
// A program's command line, which takes --headless and nothing else: --help (or -h) prints the usage and
// gives 0, anything else is refused with the usage on stderr and gives kExitUsage; nothing when the
// program goes on.
std::optional<int> checkCommandLine(int argc, char** argv, const char* program, const char* usage);

// CR line breaks (the windows' own) as the terminal's.
std::string forTerminal(std::string text);
// "== <when>: <caption> ==" and the form's control tree.
void printWindow(const char* when, Form& form);
// The answer a message box's close box gives (No for a Yes/No box, which has none).
ModalResult closeBoxAnswer(MessageButtons buttons);
// Prints the box ("== message box (Kind): caption ==" and its text) and answers it as its close box would.
ModalResult printAndAnswerMessageBox(const MessageBoxRequest& request);
// Prints a modal window and closes it as its close box would.
void printAndCloseModal(Form& form);

// Stands in for the user in front of a display: sees each window that is not modal once it has settled,
// prints it, and closes it when it has a close box (the main form stays). A help request is printed as
// "== help: <file>[#<topic>] ==", the place a help viewer would open.
class HeadlessUser : public Backend {
 public:
  void showHelp(const HelpRequest& request) override;
  void controlChanged(Control& control, Change what) override;

 private:
  void lookLater(Form* form);
  void look(Form* f);
  bool isWaiting(const Form* f) const;
  std::vector<Ref<Form>> waiting_;
};

}  // namespace ui
