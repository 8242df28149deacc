// Small process-level services: the program's folder and the debug output sink.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sys {

// Folder of the running program file, with a trailing '/'.
std::string programFolder();

// Debug output: dropped unless a sink is installed (or ZEM_DEBUG_OUTPUT is set, which sends it to stderr).
using DebugSink = std::function<void(std::string_view)>;
void setDebugSink(DebugSink sink);
void debugOutput(std::string_view text);

}  // namespace sys
