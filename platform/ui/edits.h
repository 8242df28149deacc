// Text controls: edit box, spin edit, combo box, rich-text box and multi-line edit (memo).
//
// Typing goes through keyPress(): the control's own filter, then onKeyPress (which may swallow the
// key by setting it to 0), then the control inserts the character at the end of the text, or in
// place of the whole text when it is selected (focusing an edit selects its text).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/strings.h"

namespace ui {

class Edit : public WinControl {
 public:
  explicit Edit(Component* owner);
  const char* kind() const override { return "Edit"; }
  bool wantsArrows() const override { return true; }

  // Every change of the text fires onChange, whoever made it.
  void setCaption(const std::string& text) override;
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on) { readOnly_ = on; }
  // Most characters the user may type (0: no limit); text set by the program is not cut.
  int maxLength() const { return maxLength_; }
  void setMaxLength(int n) { maxLength_ = n; }
  // Only digits may be typed (text set by the program is not checked).
  bool numbersOnly() const { return numbersOnly_; }
  void setNumbersOnly(bool on) { numbersOnly_ = on; }
  bool autoSelect() const { return autoSelect_; }
  void setAutoSelect(bool on) { autoSelect_ = on; }
  void selectAll() { allSelected_ = true; }
  bool allSelected() const { return allSelected_; }

  NotifyEvent onChange;

  void keyPress(char& key) override;
  void keyDown(uint16_t& key, ShiftState shift) override;
  void focusGained() override;

 protected:
  virtual void change() { fireNotify(onChange); }

 private:
  bool readOnly_ = false;
  int maxLength_ = 0;
  bool numbersOnly_ = false;
  bool autoSelect_ = true;
  bool allSelected_ = false;
};

// An edit for whole numbers with up and down buttons.
class SpinEdit : public Edit {
 public:
  explicit SpinEdit(Component* owner);
  const char* kind() const override { return "SpinEdit"; }

  int minValue() const { return minValue_; }
  void setMinValue(int v) { minValue_ = v; }
  int maxValue() const { return maxValue_; }
  void setMaxValue(int v) { maxValue_ = v; }
  int increment() const { return increment_; }
  void setIncrement(int v) { increment_ = v; }
  // The number in the text as typed (not limited to the range until the edit loses the focus);
  // minValue when the text is not a number.
  int value() const;
  // The number in the text as typed, or nothing while the text is not a whole number (empty, "1.5").
  std::optional<int> typedNumber() const;
  // Shows the value limited to minValue..maxValue (no limit when both are equal).
  void setValue(int v);
  int checkValue(int v) const;

  // The user's up and down buttons (also the arrow keys).
  void upClick();
  void downClick();

  // True while the user is typing a value that is not complete yet: from the first typed key until
  // Enter, the up and down buttons or arrow keys, or leaving the edit. Then the value is limited to the
  // range (the edit shows what it holds) and the typing ends. Whoever writes the value back waits for it.
  bool editing() const { return editing_; }
  // Ends the typing as Enter does.
  void finishEditing();

  void keyPress(char& key) override;
  void keyDown(uint16_t& key, ShiftState shift) override;
  void focusLost() override;

 private:
  bool editing_ = false;
  int minValue_ = 0;
  int maxValue_ = 0;
  int increment_ = 1;
};

enum class ComboStyle { DropDown, DropDownList };

class ComboBox : public WinControl {
 public:
  explicit ComboBox(Component* owner);
  const char* kind() const override { return "ComboBox"; }
  std::string dumpDetails() const override { return "index " + std::to_string(itemIndex_); }
  bool wantsArrows() const override { return true; }

  Strings& items() { return items_; }
  const Strings& items() const { return items_; }
  ComboStyle style() const { return style_; }
  void setStyle(ComboStyle s) { style_ = s; }
  int dropDownCount() const { return dropDownCount_; }
  void setDropDownCount(int n) { dropDownCount_ = n; }

  int itemIndex() const { return itemIndex_; }
  // Selects an item (-1: none) without any event; an index outside the list selects none.
  void setItemIndex(int i);
  // Text of the edit part; for a drop-down list the text of the selected item.
  void setCaption(const std::string& text) override;

  // The user picks item i: onClick, then onSelect (or onChange when onSelect is not set). False for
  // an index outside the list.
  bool userSelect(int i);

  NotifyEvent onChange;
  NotifyEvent onSelect;

  void keyDown(uint16_t& key, ShiftState shift) override;

 private:
  void itemsChanged();
  Strings items_;
  ComboStyle style_ = ComboStyle::DropDown;
  int dropDownCount_ = 8;
  int itemIndex_ = -1;
};

enum class ScrollStyle { None, Horizontal, Vertical, Both };

// A rich-text box: lines (a line break inside an added text starts a new line) with their colours.
class RichEdit : public WinControl {
 public:
  explicit RichEdit(Component* owner);
  const char* kind() const override { return "RichEdit"; }
  // The line count and every line, quoted: "2 lines: \"first\" \"second\"".
  std::string dumpDetails() const override;
  bool wantsArrows() const override { return true; }

  Strings& lines() { return lines_; }
  const Strings& lines() const { return lines_; }
  // Adds text (one or more lines) shown in the given colour.
  void appendLine(const std::string& text, Color color);
  // Colour of line i: its own, or the font's.
  Color lineColor(int i) const;
  // The whole text: the lines with CR LF between them. Setting it replaces the lines.
  std::string content() const;
  void setContent(const std::string& text);
  // Adds text at the end: it continues the last line, and each line break in it starts a new one.
  void appendText(const std::string& text);

  // Most characters the user may type, line breaks not counted (0: no limit); text set by the
  // program is not cut.
  int maxLength() const { return maxLength_; }
  void setMaxLength(int n) { maxLength_ = n; }
  // Only digits may be typed.
  bool numbersOnly() const { return numbersOnly_; }
  void setNumbersOnly(bool on) { numbersOnly_ = on; }
  // Without multiLine (a one-line box) Enter adds no line.
  bool multiLine() const { return multiLine_; }
  void setMultiLine(bool on) { multiLine_ = on; }

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on) { readOnly_ = on; }
  bool plainText() const { return plainText_; }
  void setPlainText(bool on) { plainText_ = on; }
  ScrollStyle scrollBars() const { return scrollBars_; }
  void setScrollBars(ScrollStyle s) { scrollBars_ = s; }
  bool border() const { return border_; }
  void setBorder(bool on) { border_ = on; }
  // With wordWrap on (the default, as the class library's) long lines wrap at the box's width whatever
  // the scroll bars; off, they run on (to a horizontal scroll bar).
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool on) { wordWrap_ = on; }

  // Pixels between the box's edge and its text (its border).
  int textInset() const { return border_ ? 3 : 1; }
  // Width the lines are laid out in: inside the border, left of a vertical scroll bar.
  int textWidth() const;
  // The rows the lines take (wrapped at textWidth() when wordWrap is on), with each row's line index.
  std::vector<std::pair<std::string, int>> rows() const;
  // Height the box needs to show every row without scrolling.
  int heightForText() const;
  static constexpr int kScrollBarWidth = 16;

  // A one-line box selects its text when it gets the focus, as an edit does: what is typed next
  // (Backspace, Delete) replaces it.
  void selectAll() { allSelected_ = true; }
  bool allSelected() const { return allSelected_; }

  NotifyEvent onChange;

  // Typing adds to the last line; Enter starts a new one.
  void keyPress(char& key) override;
  void keyDown(uint16_t& key, ShiftState shift) override;
  void focusGained() override;

 private:
  int typedLength() const;
  Strings lines_;
  bool allSelected_ = false;
  int maxLength_ = 0;
  bool numbersOnly_ = false;
  bool multiLine_ = true;
  bool readOnly_ = false;
  bool plainText_ = false;
  ScrollStyle scrollBars_ = ScrollStyle::None;
  bool border_ = true;
  bool wordWrap_ = true;
};

// A multi-line edit box of plain text, read-only with a vertical scroll bar by default: a log that
// grows by appendText() and shows its end.
class Memo : public RichEdit {
 public:
  explicit Memo(Component* owner);
  const char* kind() const override { return "Memo"; }
};

}  // namespace ui
