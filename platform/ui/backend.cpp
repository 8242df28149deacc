#include "platform/ui/backend.h"

#include <cmath>

#include "platform/sys/clock.h"

namespace ui {

namespace {
Backend g_headless;
Backend* g_backend = nullptr;
}  // namespace

void Backend::waitForEvents(uint32_t) {
  sys::sleepMs(1);
}

void Backend::wake() {}

void Backend::processEvents() {}

void Backend::paintNow() {}

void Backend::paintOffscreen(Control&) {}

bool Backend::interactive() const {
  return false;
}

ModalResult Backend::messageBox(const MessageBoxRequest&) {
  return ModalResult::Cancel;
}

std::optional<std::string> Backend::fileDialog(const FileDialogRequest&) {
  return std::nullopt;
}

void Backend::showHelp(const HelpRequest&) {}

Size Backend::textExtent(const Font& font, std::string_view text) {
  // Fixed metrics so that layouts and owner-drawn sizes are reproducible: every character is half
  // the character height wide (one pixel more in bold).
  int h = font.pixelHeight() + 2;
  int w = h / 2 + (font.bold ? 1 : 0);
  return {w * static_cast<int>(text.size()), h};
}

Color Backend::systemColor(int index) {
  switch (index) {
    case 5:  // window
      return 0xFFFFFF;
    case 8:   // window text
    case 18:  // button text
      return 0x000000;
    case 13:  // highlight
      return 0x6A240A;
    case 14:  // highlight text
      return 0xFFFFFF;
    case 15:  // button face
      return 0xC8D0D4;
    case 16:  // button shadow
      return 0x808080;
    case 17:  // grey text
      return 0x808080;
    case 20:  // button highlight
      return 0xFFFFFF;
    case 24:  // hint background
      return 0xE1FFFF;
    default:
      return 0xC8D0D4;
  }
}

Size Backend::screenSize() {
  return {1024, 768};
}

void Backend::controlChanged(Control&, Change) {}

void Backend::controlDestroyed(Control&) {}

Backend& backend() {
  return g_backend ? *g_backend : g_headless;
}

void setBackend(Backend* b) {
  g_backend = b;
}

Color colorToRGB(Color c) {
  if (isSystemColor(c)) return backend().systemColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFF;
}

int64_t roundHalfEven(long double v) {
  // Out-of-range values saturate instead of overflowing the conversion.
  constexpr long double kLimit = 9.0e18L;
  if (std::isnan(v)) return 0;
  if (v >= kLimit) return static_cast<int64_t>(kLimit);
  if (v <= -kLimit) return -static_cast<int64_t>(kLimit);
  long double f = std::floor(v);
  long double diff = v - f;
  int64_t base = static_cast<int64_t>(f);
  if (diff > 0.5L) return base + 1;
  if (diff < 0.5L) return base;
  return (base % 2 == 0) ? base : base + 1;
}

std::string lineBreaksAsLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      out += c;
      continue;
    }
    out += '\n';
    const char pair = c == '\r' ? '\n' : '\r';
    if (i + 1 < text.size() && text[i + 1] == pair) ++i;
  }
  return out;
}

std::string stripHotkey(const std::string& caption) {
  std::string out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

}  // namespace ui
