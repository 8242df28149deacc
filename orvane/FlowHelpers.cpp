#include "orvane/FlowHelpers.h"

#include <filesystem>

#include "platform/ui/file_dialog.h"

namespace orvane {

std::optional<std::string> AskForFile(const char* filter) {
  ui::OpenDialog dialog(nullptr);
  dialog.filter = filter;
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  if (!ec) dialog.initialDir = here.string();
  if (!dialog.execute()) return std::nullopt;
  return dialog.fileName;
}

VersionComparison CompareVersions(uint16_t current, uint16_t file) {
  if (current == file)
    return {"Current version same as file version",
            "Current version same as file version.\nDo you still want to update?"};
  if (current < file)
    return {"Current version older than file version",
            "Current version older than file version.\nWe recommend to update.\nDo you want to update?"};
  return {"Current version newer than file version",
          "Current version newer than file version.\nDo you still want to update?"};
}

}  // namespace orvane
