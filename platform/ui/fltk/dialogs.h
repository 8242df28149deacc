// Message boxes and file dialogs at the display.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"

namespace ui::fltk {

// A message box built from the layer's own form and controls, run as a modal form (so the
// application's messages and timers keep running) and answered by the person at the display.
ModalResult runMessageBox(const MessageBoxRequest& request);
// The toolkit's file chooser; the path chosen, or nothing for Cancel.
std::optional<std::string> runFileDialog(const FileDialogRequest& request);

// The buttons a box shows, in order, and which of them Esc and the close box answer with (None: the
// box has no close box, as Yes/No boxes do not).
struct MessageBoxButtons {
  std::vector<std::pair<std::string, ModalResult>> buttons;
  ModalResult cancel = ModalResult::None;
};
MessageBoxButtons messageBoxButtons(MessageButtons b);

}  // namespace ui::fltk
