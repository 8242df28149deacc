// User input: how the display backend (and tests) hand mouse, keyboard and hover to the controls.
//
// Mouse coordinates are in the target control's client area. A press goes to the target; when the
// target or one of its parents is disabled it falls through the outermost disabled one to an enabled
// sibling under the point, or else to that control's parent (coordinates moved along). Presses on a
// hidden or disabled form go nowhere. The control that got the
// press holds the mouse capture until the release: moves and the release go to it, in its own
// coordinates, and a release inside it with the left button clicks it (click, then mouse up). When the
// capture is lost before the release (another press, a modal window, the control hidden or disabled)
// the holder is told, and the release goes nowhere.
//
// Keys go to the focused control, or to the active form when nothing has the focus. With keyPreview the
// form sees them first. Tab and the arrow keys (for controls that do not want arrows) move the focus;
// Enter clicks the form's default button and Esc its cancel button.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace ui {

class Control;
class Form;
class MenuItem;
class ComboBox;
class ListBox;
class PageControl;
class TabSheet;

namespace input {

// Returns the control that received the press, or null.
Control* mouseDown(Control& target, int x, int y, MouseButton button = MouseButton::Left,
                   ShiftState shift = 0);
// Returns the control that received the move, or null.
Control* mouseMove(Control& target, int x, int y, ShiftState shift = 0);
// Returns the control that received the release, or null (no press held, or its capture was lost).
Control* mouseUp(Control& target, int x, int y, MouseButton button = MouseButton::Left, ShiftState shift = 0);
// Press and release in the middle of the control; false when the press went nowhere.
bool click(Control& target);

void keyDown(uint16_t key, ShiftState shift = 0);
void keyUp(uint16_t key, ShiftState shift = 0);
void keyPress(char ch);
// Key down, then key up.
void pressKey(uint16_t key, ShiftState shift = 0);
// One key press per character.
void typeText(const std::string& text);

// The user picks a menu item (opening its parents first, whose click runs as they open). False when the
// item, one of its parents or the form showing the menu is hidden or disabled.
bool chooseMenuItem(MenuItem& item);
// The user picks an item from a shown, enabled combo box.
bool selectComboItem(ComboBox& box, int index);
// The user picks a line of a shown, enabled list box.
bool selectListItem(ListBox& box, int index);
// The user clicks the tab of a page.
bool selectTab(PageControl& control, TabSheet& page);
// The user presses the tab row at x, y (the control's coordinates): a tab selects its page, an arrow
// scrolls the row. False when the press changed nothing.
bool pressTabRow(PageControl& control, int x, int y);
// The user presses the form's close box; false when the frame has none or the form is disabled.
bool clickCloseBox(Form& form);

// Hints.
struct ShownHint {
  std::string text;
  std::string controlName;
  int maxWidth = 0;
  int hideTimeout = 0;
  uint32_t shownAt = 0;  // tick count
};
// The mouse comes to rest on a control; its hint shows after the application's hint pause, from the
// message loop.
void hover(Control& control, int x = 0, int y = 0);
// The mouse leaves every control: a shown hint goes away, a pending one is dropped.
void leave();
std::optional<ShownHint> currentHint();
// Every hint that was shown, in order.
const std::vector<ShownHint>& shownHints();
void clearShownHints();

}  // namespace input
}  // namespace ui
