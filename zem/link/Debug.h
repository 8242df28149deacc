// Diagnostic log of the fixture link: one line per exchange, black for success, red for failure.
//
// The program has no debug window; lines go to the system debug output and
// into a short in-memory history that tests can read.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

inline constexpr uint32_t kLogBlack = 0;
inline constexpr uint32_t kLogRed = 255;

struct DebugLogEntry {
  uint32_t colour = kLogBlack;
  std::string text;
};

void DebugLogLine(uint32_t colour, const std::string& text);
// Lines of the idle traffic: kept only while idle logging is switched on.
void DebugLogIdle(uint32_t colour, const std::string& text);
// The second debug window never exists.
bool Debug2Active();

// The most recent lines, oldest first (at most kDebugLogMaxLines).
inline constexpr size_t kDebugLogMaxLines = 50;
const std::deque<DebugLogEntry>& DebugLogHistory();
void ClearDebugLog();
void SetDebugLogIdle(bool on);
