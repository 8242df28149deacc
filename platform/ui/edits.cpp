#include "platform/ui/edits.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "platform/ui/text_layout.h"

namespace ui {

namespace {
constexpr uint64_t kHasColor = uint64_t{1} << 32;

// A numbers-only box takes digits and the editing keys (backspace and the other control characters).
bool refusedByNumbersOnly(bool numbersOnly, char key) {
  return numbersOnly && static_cast<unsigned char>(key) >= 32 && (key < '0' || key > '9');
}
}  // namespace

Edit::Edit(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setColor(clWindow);
  setBounds(0, 0, 121, 21);
}

void Edit::setCaption(const std::string& text) {
  if (text == caption()) return;
  WinControl::setCaption(text);
  change();
}

void Edit::keyPress(char& key) {
  if (refusedByNumbersOnly(numbersOnly_, key)) key = 0;
  WinControl::keyPress(key);
  if (key == 0 || readOnly_) return;
  std::string t = caption();
  if (key == '\b') {
    if (allSelected_) {
      t.clear();
    } else if (!t.empty()) {
      t.pop_back();
    }
  } else if (static_cast<unsigned char>(key) >= 32) {
    if (allSelected_) t.clear();
    if (maxLength_ > 0 && static_cast<int>(t.size()) >= maxLength_) return;
    t += key;
  } else {
    return;
  }
  allSelected_ = false;
  setCaption(t);
}

void Edit::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  if (key == vk::Delete && !readOnly_ && allSelected_) {
    allSelected_ = false;
    setCaption("");
  }
}

void Edit::focusGained() {
  if (autoSelect_) allSelected_ = true;
  WinControl::focusGained();
}

SpinEdit::SpinEdit(Component* owner) : Edit(owner) {
  setCaption("0");
}

int SpinEdit::value() const {
  return typedNumber().value_or(minValue_);
}

std::optional<int> SpinEdit::typedNumber() const {
  const std::string& t = caption();
  size_t b = t.find_first_not_of(' ');
  size_t e = t.find_last_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  const char* first = t.data() + b;
  const char* last = t.data() + e + 1;
  if (*first == '+') ++first;
  int v = 0;
  auto [p, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || p != last) return std::nullopt;
  return v;
}

int SpinEdit::checkValue(int v) const {
  if (maxValue_ != minValue_) {
    if (v < minValue_) return minValue_;
    if (v > maxValue_) return maxValue_;
  }
  return v;
}

void SpinEdit::setValue(int v) {
  // A value set (by the program or the spin buttons) is complete.
  editing_ = false;
  setCaption(std::to_string(checkValue(v)));
}

void SpinEdit::finishEditing() {
  if (!editing_) return;
  editing_ = false;
  int v = value();
  if (checkValue(v) != v) setValue(v);
  // The complete value is a change of its own for whoever waited for it.
  change();
}

void SpinEdit::upClick() {
  if (readOnly()) return;
  int64_t v = static_cast<int64_t>(value()) + increment_;
  setValue(static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}

void SpinEdit::downClick() {
  if (readOnly()) return;
  int64_t v = static_cast<int64_t>(value()) - increment_;
  setValue(static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}

void SpinEdit::keyPress(char& key) {
  // Only characters of a number and editing keys (not Enter) reach the edit.
  bool valid = (key >= '0' && key <= '9') || key == '+' || key == '-' || key == '.' ||
               (static_cast<unsigned char>(key) < 32 && key != '\r');
  if (!valid) key = 0;
  if (key == 0) return;
  const std::string before = caption();
  // Typing starts before the text changes, so that its change handlers already see it.
  const bool was = editing_;
  if (!readOnly()) editing_ = true;
  Edit::keyPress(key);
  if (caption() == before) editing_ = was;
}

void SpinEdit::keyDown(uint16_t& key, ShiftState shift) {
  Edit::keyDown(key, shift);
  if (key == vk::Up) {
    upClick();
  } else if (key == vk::Down) {
    downClick();
  } else if (key == vk::Return) {
    finishEditing();
  }
}

void SpinEdit::focusLost() {
  if (editing_) {
    finishEditing();
  } else {
    int v = value();
    if (checkValue(v) != v) setValue(v);
  }
  Edit::focusLost();
}

ComboBox::ComboBox(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setColor(clWindow);
  setBounds(0, 0, 145, 21);
  items_.onChange = [this] { itemsChanged(); };
}

void ComboBox::itemsChanged() {
  if (itemIndex_ >= items_.count()) {
    itemIndex_ = -1;
    WinControl::setCaption("");
  }
  changed(Change::Items);
}

void ComboBox::setItemIndex(int i) {
  if (i < 0 || i >= items_.count()) i = -1;
  itemIndex_ = i;
  WinControl::setCaption(i >= 0 ? items_[i] : std::string());
}

void ComboBox::setCaption(const std::string& text) {
  int i = items_.indexOf(text);
  if (style_ == ComboStyle::DropDownList) {
    setItemIndex(i);
    return;
  }
  itemIndex_ = i;
  WinControl::setCaption(text);
}

bool ComboBox::userSelect(int i) {
  if (i < 0 || i >= items_.count()) return false;
  setItemIndex(i);
  Ref<ComboBox> self(this);
  click();
  if (!self) return true;
  if (onSelect) {
    onSelect(this);
  } else {
    fireNotify(onChange);
  }
  return true;
}

void ComboBox::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  if (key == vk::Down && itemIndex_ + 1 < items_.count()) {
    userSelect(itemIndex_ + 1);
  } else if (key == vk::Up && itemIndex_ > 0) {
    userSelect(itemIndex_ - 1);
  }
}

RichEdit::RichEdit(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setColor(clWindow);
  setBounds(0, 0, 185, 89);
  lines_.setSplitsLines(true);
  lines_.onChange = [this] {
    changed(Change::Text);
    fireNotify(onChange);
  };
}

void RichEdit::appendLine(const std::string& text, Color color) {
  int first = lines_.count();
  lines_.add(text, kHasColor | (color & 0xFFFFFFFF));
  for (int i = first; i < lines_.count(); ++i) lines_.setData(i, kHasColor | color);
}

Color RichEdit::lineColor(int i) const {
  uint64_t d = lines_.data(i);
  if (d & kHasColor) return static_cast<Color>(d & 0xFFFFFFFF);
  return font().color;
}

std::string RichEdit::content() const {
  std::string out;
  for (int i = 0; i < lines_.count(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines_[i];
  }
  return out;
}

void RichEdit::setContent(const std::string& text) {
  lines_.assign(text.empty() ? std::vector<std::string>{} : Strings::splitLines(text));
}

void RichEdit::appendText(const std::string& text) {
  if (text.empty()) return;
  const std::vector<std::string> parts = Strings::splitLines(text);
  size_t next = 0;
  if (!lines_.empty()) {
    const int last = lines_.count() - 1;
    if (!parts[0].empty()) lines_.set(last, lines_[last] + parts[0]);
    next = 1;
  }
  for (; next < parts.size(); ++next) lines_.add(parts[next]);
}

int RichEdit::typedLength() const {
  int n = 0;
  for (int i = 0; i < lines_.count(); ++i) n += static_cast<int>(lines_[i].size());
  return n;
}

void RichEdit::keyPress(char& key) {
  if (refusedByNumbersOnly(numbersOnly_, key) || (key == '\r' && !multiLine_)) key = 0;
  WinControl::keyPress(key);
  if (key == 0 || readOnly_) return;
  if (allSelected_ && (key == '\b' || static_cast<unsigned char>(key) >= 32)) {
    allSelected_ = false;
    setContent(key == '\b' ? "" : std::string(1, key));
    return;
  }
  allSelected_ = false;
  if (lines_.empty()) lines_.add("");
  int last = lines_.count() - 1;
  if (key == '\r') {
    lines_.add("");
  } else if (key == '\b') {
    std::string t = lines_[last];
    if (!t.empty()) {
      t.pop_back();
      lines_.set(last, t);
    } else if (last > 0) {
      lines_.remove(last);
    }
  } else if (static_cast<unsigned char>(key) >= 32) {
    if (maxLength_ > 0 && typedLength() >= maxLength_) return;
    lines_.set(last, lines_[last] + key);
  }
}

void RichEdit::keyDown(uint16_t& key, ShiftState shift) {
  WinControl::keyDown(key, shift);
  if (key == vk::Delete && !readOnly_ && allSelected_) {
    allSelected_ = false;
    setContent("");
  }
}

void RichEdit::focusGained() {
  if (!multiLine_ && !readOnly_) allSelected_ = true;
  WinControl::focusGained();
}

int RichEdit::textWidth() const {
  const bool vbar = scrollBars_ == ScrollStyle::Vertical || scrollBars_ == ScrollStyle::Both;
  return width() - 2 * textInset() - (vbar ? kScrollBarWidth : 0) - 2;
}

std::vector<std::pair<std::string, int>> RichEdit::rows() const {
  std::vector<std::pair<std::string, int>> out;
  for (int i = 0; i < lines_.count(); ++i) {
    if (!wordWrap_) {
      out.emplace_back(lines_[i], i);
      continue;
    }
    for (std::string& row : wrapText(font(), lines_[i], textWidth())) out.emplace_back(std::move(row), i);
  }
  return out;
}

int RichEdit::heightForText() const {
  return static_cast<int>(rows().size()) * lineHeight(font()) + 2 * textInset();
}

Memo::Memo(Component* owner) : RichEdit(owner) {
  setReadOnly(true);
  setPlainText(true);
  setScrollBars(ScrollStyle::Vertical);
}

std::string RichEdit::dumpDetails() const {
  const int n = lines_.count();
  std::string out = std::to_string(n) + (n == 1 ? " line" : " lines");
  for (int i = 0; i < n; ++i) out += (i == 0 ? ": \"" : " \"") + lines_[i] + "\"";
  return out;
}

}  // namespace ui
