#include "zem/link/ZemUtils.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "zem/link/ZEMData.h"

namespace {

// Time and TerminateFlag are tested before each pause, so Delay(0) and a set flag return at once.
// pause(remaining ms) waits at least 1 ms.
template <typename Pause>
void waitLoop(uint32_t ms, Pause pause) {
  const uint32_t start = sys::tickCount();
  for (uint32_t passed = 0; !TerminateFlag && passed < ms; passed = sys::elapsedMs(start, sys::tickCount())) {
    pause(ms - passed);
  }
}

}  // namespace

void Delay(uint32_t ms) {
  // Waits for the window's events rather than polling for them (1 ms steps on the headless backend),
  // then handles them; the flag is set only by handlers, so it is seen as soon as it is set.
  waitLoop(ms, [](uint32_t remaining) {
    ui::app().idle(std::max<uint32_t>(1, remaining));
    ui::app().processMessages();
  });
}

void DelayNoMessages(uint32_t ms) {
  waitLoop(ms, [](uint32_t) { sys::sleepMs(1); });
}

std::string BufferToShortString(std::span<const uint8_t> data, size_t length) {
  const size_t n = std::min({length, data.size(), size_t{255}});
  std::string text(n, '_');
  for (size_t i = 0; i < n; ++i) {
    if (data[i] >= 32) text[i] = static_cast<char>(data[i]);
  }
  return text;
}

std::string VersionToText(uint32_t version) {
  const unsigned major = version & 0xFF;
  const unsigned minor = (version >> 8) & 0xFF;
  const unsigned build = (version >> 16) & 0xFF;
  if (build == 0) return FormatText("%u.%u", major, minor);
  return FormatText("%u.%u build %u", major, minor, build);
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<size_t>(n));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  return text;
}

std::string SafeFolderName(const std::string& name) {
  static constexpr std::string_view kReserved = "/\\:*?\"<>|";
  std::string out = name;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    const bool printable = u >= 32 && u < 127;
    if (!printable || kReserved.find(c) != std::string_view::npos) c = '_';
  }
  // A run of two or more dots could climb out of the folder; a lone dot is the folder itself.
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] != '.') continue;
    size_t j = i;
    while (j < out.size() && out[j] == '.') ++j;
    if (j - i >= 2 || out.size() == 1)
      std::fill(out.begin() + static_cast<std::ptrdiff_t>(i), out.begin() + static_cast<std::ptrdiff_t>(j),
                '_');
    i = j;
  }
  if (out.empty()) out.push_back('_');
  return out;
}
