#include "platform/ui/file_dialog.h"

#include <filesystem>

#include "platform/sys/system.h"
#include "platform/ui/application.h"
#include "platform/ui/backend.h"
#include "platform/ui/message_box.h"

namespace ui {

namespace {
FileDialogResponder g_responder;
std::vector<FileDialogRequest> g_shown;
// A user who keeps choosing a refused name is asked at most this often before the dialog gives up.
constexpr int kMaxAttempts = 100;
}  // namespace

bool FileDialog::execute() {
  FileDialogRequest req{save_, title, filter, defaultExt, initialDir, fileName, options};
  g_shown.push_back(req);
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    app().processMessages();
    std::optional<std::string> chosen;
    if (g_responder) {
      FileDialogResponder r = g_responder;
      chosen = r(req);
    } else if (backend().interactive()) {
      chosen = backend().fileDialog(req);
    } else {
      return false;
    }
    if (!chosen || chosen->empty()) return false;
    std::filesystem::path p(*chosen);
    // A relative name lies in the folder the dialog shows.
    if (p.is_relative() && !req.initialDir.empty()) p = std::filesystem::path(req.initialDir) / p;
    if (!p.has_extension() && !defaultExt.empty()) p += "." + defaultExt;
    std::error_code ec;
    if ((options & kPathMustExist) && p.has_parent_path() &&
        !std::filesystem::is_directory(p.parent_path(), ec)) {
      messageBox({MessageKind::Warning, title, p.string() + "\r\nPath does not exist.", MessageButtons::Ok});
      // Asked again in the nearest folder on that path that exists (never in the missing one), with the
      // name alone, so that a plain name typed next lies in a folder that is there.
      if (const std::string there = sys::existingFolder(p.parent_path().string()); !there.empty())
        req.initialDir = there;
      req.fileName = p.filename().string();
      continue;
    }
    bool exists = std::filesystem::exists(p, ec);
    if (!save_ && (options & kFileMustExist) && !exists) {
      messageBox({MessageKind::Warning, title, p.string() + "\r\nFile not found.", MessageButtons::Ok});
      req.fileName = p.string();
      continue;
    }
    if (save_ && (options & kOverwritePrompt) && exists) {
      ModalResult answer =
          messageBox({MessageKind::Confirmation, title,
                      p.string() + " already exists.\r\nDo you want to replace it?", MessageButtons::YesNo});
      if (answer != ModalResult::Yes) {
        req.fileName = p.string();
        continue;
      }
    }
    fileName = p.string();
    return true;
  }
  return false;
}

void setFileDialogResponder(FileDialogResponder r) {
  g_responder = std::move(r);
}

const std::vector<FileDialogRequest>& shownFileDialogs() {
  return g_shown;
}

void clearShownFileDialogs() {
  g_shown.clear();
}

namespace detail {
void resetFileDialogs() {
  g_responder = nullptr;
  g_shown.clear();
}
}  // namespace detail

}  // namespace ui
