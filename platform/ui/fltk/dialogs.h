// Message boxes and file dialogs at the display.
#pragma once

#include <filesystem>
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
// The file dialog; the path chosen, or nothing for Cancel.
std::optional<std::string> runFileDialog(const FileDialogRequest& request);
// What a name typed into the file dialog's name field means when the dialog shows folder: a plain or
// relative name lies in the folder, a full path (or one from the home folder, "~/...") stands for
// itself. Empty for a blank name.
std::filesystem::path resolveTypedName(const std::filesystem::path& folder, const std::string& typed);

// The buttons a box shows, in order, and which of them Esc and the close box answer with (None: the
// box has no close box, as Yes/No boxes do not).
struct MessageBoxButtons {
  std::vector<std::pair<std::string, ModalResult>> buttons;
  ModalResult cancel = ModalResult::None;
};
MessageBoxButtons messageBoxButtons(MessageButtons b);

}  // namespace ui::fltk
