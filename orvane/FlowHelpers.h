// What the dialog's flows share: formatted log text, the file question, the version question.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace orvane {

// printf-style text of a log line or a list line.
template <class... Args>
std::string Format(const char* fmt, Args... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// Asks for a file to read (open dialog with this filter, starting in the current directory); nothing when
// the user cancels.
std::optional<std::string> AskForFile(const char* filter);

// The comparison of the version on the device with the file's: the log line that says it, and the Yes/No
// question asked about it.
struct VersionComparison {
  std::string logLine;
  std::string question;
};
VersionComparison CompareVersions(uint16_t current, uint16_t file);

}  // namespace orvane
