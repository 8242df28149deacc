// The text-fit check: every caption, label, item and tab of a window must fit the room its control
// gives it, measured with the backend's fonts. Run it on a display (the real fonts) in screenshot
// tests: a clipped text names the window, the control and the text.
//
//   EXPECT_EQ(ui::clippedTextReport(form), "");      // in a test, with the display backend installed
//
// What counts as the room follows what the display draws: a label's bounds (and, for every control
// with text, its parent's client area, inside a group box's frame); a panel's inside of its bevels; a
// button's face (a push-like check box's too); a check box right of its box (a row for each line of its
// caption); every line of a list box inside its border, left of its scroll bar; a combo box's edit part
// (every item must fit it); an edit's text area (left of the spin buttons); a group box's caption strip;
// every tab of a page control on its row without scrolling. Two shown labels of one parent must not draw
// their texts over each other (each label's text from its top, aligned and clipped to its bounds), nor may a
// shown control of the parent be painted over a label's text (one after it, or a windowed one). The pages
// of a page control are all checked, not only the active one. Hidden controls and rich edits (which wrap and
// scroll) are not checked.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace ui {

class Control;
class Form;

struct ClippedText {
  std::string window;   // the form's caption (its name when it has none)
  std::string control;  // path of names from the form, e.g. "tsFixtureInfo/gbFixtureStatus/lSensorValue"
  std::string kind;     // the control's kind ("Label", ...)
  std::string text;
  Size needed;  // what the text takes
  Size room;    // what the control gives it
  // For two labels whose texts cover each other: the other label's path and text (else empty). For a
  // label's text that another control is painted over (under): that control's path.
  std::string overlapped;
  std::string overlappedText;
  bool under = false;
  // "window "Error!": control "re1" (Label) cuts "..." (needs 120x13, has 100x13)",
  // "window "Monitor": control "gb/l1" (Label) draws "..." over "..." of control "gb/l2"", or
  // "window "Info": control "gb/l1" (Label) draws "..." under control "gb/iPicture""
  std::string describe() const;
};

// Every clipped text of the form, in control order; empty when everything fits.
std::vector<ClippedText> findClippedText(Form& form);
// The first clipped text described, or "" when everything fits.
std::string clippedTextReport(Form& form);

}  // namespace ui
