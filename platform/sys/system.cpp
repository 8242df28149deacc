#include "platform/sys/system.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

// The installed data folder relative to the installed programs' folder (set by the build from the install
// layout).
#ifndef ZEM_INSTALL_BIN_TO_DATA
#define ZEM_INSTALL_BIN_TO_DATA "../share"
#endif

namespace sys {

std::string programFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string withTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

namespace {

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "";
}

}  // namespace

std::string userDataFolder(std::string_view app) {
  // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules ask.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const std::string home = homeFolder();
    if (home.empty()) return "";
    base = withTrailingSlash(home) + ".local/share";
  }
  return withTrailingSlash(base) + std::string(app) + "/";
}

std::string installedDataFolder(const std::string& programFolder, std::string_view app) {
  if (programFolder.empty()) return "";
  const std::string folder =
      withTrailingSlash(programFolder) + ZEM_INSTALL_BIN_TO_DATA + "/" + std::string(app) + "/";
  return isFolder(folder) ? folder : "";
}

bool folderWritable(const std::string& folder) {
  return !folder.empty() && isFolder(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string existingFolder(const std::string& folder) {
  std::filesystem::path p = std::filesystem::path(folder).lexically_normal();
  while (!p.empty()) {
    if (isFolder(p.string())) return p.string();
    if (!p.has_relative_path() || p.parent_path() == p) break;
    p = p.parent_path();
  }
  return "";
}

namespace {
std::mutex g_sinkMutex;
DebugSink g_sink;
}  // namespace

void setDebugSink(DebugSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

void debugOutput(std::string_view text) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) {
    g_sink(text);
  } else if (std::getenv("ZEM_DEBUG_OUTPUT")) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
}

}  // namespace sys
