// The program's string table: every user-visible text of the windows, by identifier.
//
// To add a text: one identifier below (before Count_) and one row in ZemStrings.cpp. Texts that take
// values are printf formats; ZemFormat fills them.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

enum class ZemStr : int {
  ErrorCaption,        // "Error!"
  WarningCaption,      // "Warning!"
  InformationCaption,  // "Information"
  Ok,
  Stop,
  Cancel,
  DownloadMemCaption,
  SaveMemoryCaption,
  MemoryFileNotes,
  SaveToFile,
  AboutCaption,
  ZemLogo,
  VersionFormat,  // "%d.%d": major, minor
  Count_
};

// The text of an entry (an empty text for an identifier outside the table).
const std::string& ZemString(ZemStr id);

// The entry used as a printf format with the given numbers and C strings.
template <class... Args>
std::string ZemFormat(ZemStr id, Args... args) {
  static_assert(((std::is_arithmetic_v<Args> || std::is_same_v<Args, const char*>)&&...),
                "ZemFormat takes numbers and C strings only");
  const std::string& fmt = ZemString(id);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
  int n = std::snprintf(nullptr, 0, fmt.c_str(), args...);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt.c_str(), args...);
#pragma GCC diagnostic pop
  out.resize(static_cast<size_t>(n));
  return out;
}
