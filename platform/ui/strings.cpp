#include "platform/ui/strings.h"

#include <fstream>

namespace ui {

namespace {
const std::string kEmpty;
}

std::vector<std::string> Strings::splitLines(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

const std::string& Strings::operator[](int i) const {
  if (i < 0 || i >= count()) return kEmpty;
  return items_[static_cast<size_t>(i)].text;
}

void Strings::set(int i, const std::string& text) {
  if (i < 0 || i >= count()) return;
  items_[static_cast<size_t>(i)].text = text;
  changed();
}

uint64_t Strings::data(int i) const {
  if (i < 0 || i >= count()) return 0;
  return items_[static_cast<size_t>(i)].data;
}

void Strings::setData(int i, uint64_t data) {
  if (i < 0 || i >= count()) return;
  items_[static_cast<size_t>(i)].data = data;
}

int Strings::add(const std::string& text, uint64_t data) {
  int first = count();
  if (splitsLines_) {
    for (auto& line : splitLines(text)) items_.push_back({line, data});
  } else {
    items_.push_back({text, data});
  }
  changed();
  return first;
}

void Strings::insert(int i, const std::string& text, uint64_t data) {
  if (i < 0 || i > count()) return;
  std::vector<std::string> parts = splitsLines_ ? splitLines(text) : std::vector<std::string>{text};
  auto pos = items_.begin() + i;
  for (auto& line : parts) pos = items_.insert(pos, Item{line, data}) + 1;
  changed();
}

void Strings::remove(int i) {
  if (i < 0 || i >= count()) return;
  items_.erase(items_.begin() + i);
  changed();
}

void Strings::clear() {
  if (items_.empty()) return;
  items_.clear();
  changed();
}

int Strings::indexOf(const std::string& text) const {
  for (int i = 0; i < count(); ++i) {
    if (items_[static_cast<size_t>(i)].text == text) return i;
  }
  return -1;
}

void Strings::assign(const std::vector<std::string>& lines) {
  items_.clear();
  for (auto& l : lines) items_.push_back({l, 0});
  changed();
}

std::vector<std::string> Strings::lines() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (auto& it : items_) out.push_back(it.text);
  return out;
}

std::string Strings::text() const {
  std::string out;
  for (auto& it : items_) {
    out += it.text;
    out += "\r\n";
  }
  return out;
}

void Strings::setText(const std::string& text) {
  items_.clear();
  if (!text.empty()) {
    auto parts = splitLines(text);
    // A final line break ends the last line; it does not start an empty one.
    if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    for (auto& p : parts) items_.push_back({p, 0});
  }
  changed();
}

bool Strings::saveToFile(const std::string& path) const {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  std::string t = text();
  f.write(t.data(), static_cast<std::streamsize>(t.size()));
  f.close();
  return static_cast<bool>(f);
}

void Strings::changed() {
  if (onChange) onChange();
}

}  // namespace ui
