// Taking values from a dialog's controls with their checks, as a dialog does when a button uses what the
// user typed.
#pragma once

#include <optional>
#include <string>

namespace ui {

class Edit;
class RichEdit;

// The whole number in the edit when it lies in min..max. Otherwise the standard message ("Please enter an
// integer." for text that is no number, "Please enter an integer between MIN and MAX." for one outside the
// range) is shown, the edit gets the focus with its text selected, and nothing is returned.
std::optional<int> takeInteger(Edit& edit, int min, int max);
// The same for the whole text of a rich edit (which gets the focus when refused).
std::optional<int> takeInteger(RichEdit& edit, int min, int max);

// The standard messages of takeInteger.
std::string integerMessage();
std::string integerRangeMessage(int min, int max);

}  // namespace ui
