// The library's diagnostic output: printf-style lines on the system debug output.
#pragma once

namespace quillon {

inline constexpr unsigned kDebugPrintBuffer = 256;  // at most 255 characters; longer text is cut

void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quillon
