// A list of text lines (the class library's string list), with one data word per line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class Strings {
 public:
  Strings() = default;
  // Not copyable: onChange belongs to the control that holds the list. Copy lines() instead.
  Strings(const Strings&) = delete;
  Strings& operator=(const Strings&) = delete;
  // The lines of text split at CR LF, CR or LF.
  static std::vector<std::string> splitLines(const std::string& text);

  int count() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }
  // Out-of-range indexes give an empty text (reads) or do nothing (writes).
  const std::string& operator[](int i) const;
  const std::string& at(int i) const { return (*this)[i]; }
  void set(int i, const std::string& text);
  uint64_t data(int i) const;
  void setData(int i, uint64_t data);

  // Adds a line and returns its index. When the list splits lines (a rich-text box does), a text with
  // line breaks adds one line per part and the index of the first is returned.
  int add(const std::string& text, uint64_t data = 0);
  void insert(int i, const std::string& text, uint64_t data = 0);
  void remove(int i);
  void clear();
  int indexOf(const std::string& text) const;
  void assign(const std::vector<std::string>& lines);
  std::vector<std::string> lines() const;

  // All lines, each followed by CR LF.
  std::string text() const;
  // Replaces the lines by the lines of text.
  void setText(const std::string& text);
  // Writes the lines as plain text lines (CR LF after each); false when the file cannot be written.
  bool saveToFile(const std::string& path) const;

  void setSplitsLines(bool on) { splitsLines_ = on; }
  // Called after every change.
  std::function<void()> onChange;

 private:
  struct Item {
    std::string text;
    uint64_t data = 0;
  };
  void changed();
  std::vector<Item> items_;
  bool splitsLines_ = false;
};

}  // namespace ui
