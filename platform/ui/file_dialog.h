// Open and save dialogs.
//
// Headless: a dialog is recorded and answered by the installed responder (it runs inside the
// dialog's modal loop, after pending messages and timers). Without a responder a dialog is cancelled.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/component.h"

namespace ui {

using DialogOptions = uint32_t;
inline constexpr DialogOptions kOverwritePrompt = 1;
inline constexpr DialogOptions kHideReadOnly = 2;
inline constexpr DialogOptions kNoChangeDir = 4;
inline constexpr DialogOptions kPathMustExist = 8;
inline constexpr DialogOptions kFileMustExist = 16;
inline constexpr DialogOptions kEnableSizing = 32;

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string filter;
  std::string defaultExt;
  std::string initialDir;
  std::string fileName;
  DialogOptions options = 0;
};

// Returns the chosen path, or nothing for Cancel.
using FileDialogResponder = std::function<std::optional<std::string>(const FileDialogRequest&)>;

class FileDialog : public Component {
 public:
  FileDialog(Component* owner, bool save) : Component(owner), save_(save) {}

  std::string title;
  std::string filter;
  std::string defaultExt;
  std::string initialDir;
  std::string fileName;
  DialogOptions options = 0;

  // Shows the dialog; true with fileName set when the user confirmed. A name without an extension
  // gets "." + defaultExt. A save dialog with kOverwritePrompt asks before choosing an existing file;
  // kPathMustExist and kFileMustExist make the dialog refuse (with a message) and ask again; after a
  // folder that does not exist it asks in the nearest folder on that path that does, with the name alone.
  bool execute();

 private:
  bool save_;
};

class OpenDialog : public FileDialog {
 public:
  explicit OpenDialog(Component* owner) : FileDialog(owner, false) {}
};

class SaveDialog : public FileDialog {
 public:
  explicit SaveDialog(Component* owner) : FileDialog(owner, true) {}
};

void setFileDialogResponder(FileDialogResponder r);
const std::vector<FileDialogRequest>& shownFileDialogs();
void clearShownFileDialogs();

}  // namespace ui
