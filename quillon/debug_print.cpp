#include "quillon/debug_print.h"

#include <cstdarg>
#include <cstdio>

#include "platform/sys/system.h"

namespace quillon {

void DebugPrint(const char* format, ...) {
  char text[kDebugPrintBuffer];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (n < 0) return;
  sys::debugOutput(text);
}

}  // namespace quillon
