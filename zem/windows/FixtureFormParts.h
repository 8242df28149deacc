// Building blocks shared by the units of the fixture window template (not for other windows).
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "zem/windows/ZemStrings.h"

namespace fixtureform {

// A label sized to its text.
ui::Label* MakeLabel(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top);
// A spin edit with its range; digits is the most characters the user may type.
ui::SpinEdit* MakeSpinEdit(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                           int width, int minValue, int maxValue, int digits);
// A drop-down list.
ui::ComboBox* MakeList(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                       int width);
// A panel used as a button (raised bevels, caption centred).
ui::Panel* MakeButtonPanel(ui::Component* owner, ui::WinControl* parent, const char* name, int left, int top,
                           int width, int height);

// Group-box captions carry one blank before and after the text.
std::string GroupCaption(ZemStr id);

// printf with a format from the string table and one value.
std::string FormatValue(const std::string& format, int value);
std::string FormatValue(const std::string& format, double value);

}  // namespace fixtureform
