#include "platform/ui/data_exchange.h"

#include <charconv>

#include "platform/ui/application.h"
#include "platform/ui/edits.h"
#include "platform/ui/message_box.h"

namespace ui {

namespace {

// A whole number with optional blanks around it and an optional sign; nothing for anything else.
std::optional<long long> parseInteger(const std::string& text) {
  const size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  const size_t e = text.find_last_not_of(' ') + 1;
  const char* first = text.data() + b;
  const char* last = text.data() + e;
  if (*first == '+') ++first;
  long long v = 0;
  auto [p, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || p != last) return std::nullopt;
  return v;
}

// The number in text, or the standard message and the edit focused with its text selected.
template <class E>
std::optional<int> take(E& edit, const std::string& text, int min, int max) {
  const std::optional<long long> v = parseInteger(text);
  if (v && *v >= min && *v <= max) return static_cast<int>(*v);
  messageBox({MessageKind::Warning, app().title(), v ? integerRangeMessage(min, max) : integerMessage(),
              MessageButtons::Ok});
  edit.setFocus();
  edit.selectAll();
  return std::nullopt;
}

}  // namespace

std::string integerMessage() {
  return "Please enter an integer.";
}

std::string integerRangeMessage(int min, int max) {
  return "Please enter an integer between " + std::to_string(min) + " and " + std::to_string(max) + ".";
}

std::optional<int> takeInteger(Edit& edit, int min, int max) {
  return take(edit, edit.caption(), min, max);
}

std::optional<int> takeInteger(RichEdit& edit, int min, int max) {
  return take(edit, edit.content(), min, max);
}

}  // namespace ui
