#include "platform/sys/system.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace sys {

std::string programFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
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
