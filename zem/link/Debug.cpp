#include "zem/link/Debug.h"

#include "platform/sys/system.h"

namespace {
std::deque<DebugLogEntry> g_history;
bool g_idle = false;
}  // namespace

void DebugLogLine(uint32_t colour, const std::string& text) {
  sys::debugOutput(text);
  g_history.push_back({colour, text});
  while (g_history.size() > kDebugLogMaxLines) g_history.pop_front();
}

void DebugLogIdle(uint32_t colour, const std::string& text) {
  if (g_idle) DebugLogLine(colour, text);
}

bool Debug2Active() {
  return false;
}

const std::deque<DebugLogEntry>& DebugLogHistory() {
  return g_history;
}

void ClearDebugLog() {
  g_history.clear();
}

void SetDebugLogIdle(bool on) {
  g_idle = on;
}
