// Small process-level services: the program's folder, the user's and the installed data folders, and the
// debug output sink.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sys {

// Folder of the running program file, with a trailing '/'.
std::string programFolder();

// The folder with a trailing '/' ("" stays "").
std::string withTrailingSlash(std::string folder);

// The user's data folder of an application, with a trailing '/': $XDG_DATA_HOME/<app>/ when the variable
// holds an absolute path, else <home>/.local/share/<app>/ (home from $HOME, else the user database);
// "" when there is no home to put it in.
std::string userDataFolder(std::string_view app);

// The application's data folder as installed beside a program in programFolder (<prefix>/share/<app>/
// for <prefix>/bin/), with a trailing '/'; "" when there is no such folder, as for a program run from its
// build or from a portable folder.
std::string installedDataFolder(const std::string& programFolder, std::string_view app);

// True when the folder exists and the process may create files in it.
bool folderWritable(const std::string& folder);

// The folder itself when it exists, else the nearest folder above it that does; "" when none does (a
// relative path none of whose folders exists).
std::string existingFolder(const std::string& folder);

// Debug output: dropped unless a sink is installed (or ZEM_DEBUG_OUTPUT is set, which sends it to stderr).
using DebugSink = std::function<void(std::string_view)>;
void setDebugSink(DebugSink sink);
void debugOutput(std::string_view text);

}  // namespace sys
