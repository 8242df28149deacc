#include "platform/ui/text_layout.h"

#include <algorithm>

#include "platform/ui/backend.h"

namespace ui {

namespace {

int widthOf(const Font& font, const std::string& text, size_t start, size_t end) {
  return backend().textExtent(font, std::string_view(text).substr(start, end - start)).width;
}

void wrapLine(const Font& font, const std::string& line, int width, std::vector<std::string>& rows) {
  if (line.empty()) {
    rows.emplace_back();
    return;
  }
  size_t start = 0;
  while (start < line.size()) {
    // The longest stretch that fits (at least one character), then back to its last blank.
    size_t end = start + 1;
    while (end < line.size() && widthOf(font, line, start, end + 1) <= width) ++end;
    if (end < line.size()) {
      const size_t blank = line.rfind(' ', end);
      if (blank != std::string::npos && blank > start) end = blank + 1;
    }
    std::string row = line.substr(start, end - start);
    // The blank a row breaks after takes no room of its own.
    while (row.size() > 1 && row.back() == ' ' && end < line.size()) row.pop_back();
    rows.push_back(std::move(row));
    start = end;
  }
}

}  // namespace

std::vector<std::string> wrapText(const Font& font, const std::string& text, int width) {
  std::vector<std::string> rows;
  size_t start = 0;
  for (;;) {
    const size_t brk = text.find_first_of("\r\n", start);
    wrapLine(font, text.substr(start, brk == std::string::npos ? std::string::npos : brk - start), width,
             rows);
    if (brk == std::string::npos) break;
    start = brk + 1;
    if (text[brk] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return rows;
}

int lineHeight(const Font& font) {
  return backend().textExtent(font, "Ag").height;
}

Size wrappedTextExtent(const Font& font, const std::string& text, int width) {
  const std::vector<std::string> rows = wrapText(font, text, width);
  int widest = 0;
  for (const std::string& row : rows) widest = std::max(widest, backend().textExtent(font, row).width);
  return {widest, lineHeight(font) * static_cast<int>(rows.size())};
}

}  // namespace ui
