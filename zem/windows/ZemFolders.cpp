#include "zem/windows/ZemFolders.h"

#include <filesystem>

#include "platform/sys/system.h"
#include "zem/link/ZEMData.h"

namespace {

constexpr const char* kHelpFile = "Zem.hlp";
// The program's name for its folders (the user's data folder and the installed data folder).
constexpr const char* kZemFolderName = "zem";

}  // namespace

std::string memoryFilesRoot() {
  const std::string program = sys::withTrailingSlash(ProgramFolder);
  const bool installed = !sys::installedDataFolder(program, kZemFolderName).empty();
  if (!installed && sys::folderWritable(program)) return program;
  const std::string user = sys::userDataFolder(kZemFolderName);
  // Without a home there is nowhere else: the program's folder, where a failed save is reported.
  return user.empty() ? program : user;
}

std::string helpFilePath() {
  const std::string beside = sys::withTrailingSlash(ProgramFolder) + kHelpFile;
  std::error_code ec;
  if (std::filesystem::is_regular_file(beside, ec)) return beside;
  const std::string data = sys::installedDataFolder(sys::withTrailingSlash(ProgramFolder), kZemFolderName);
  // Named without the way up from bin/: the viewer shows where it opened the file.
  if (!data.empty() && std::filesystem::is_regular_file(data + kHelpFile, ec))
    return std::filesystem::path(data + kHelpFile).lexically_normal().string();
  return beside;
}
