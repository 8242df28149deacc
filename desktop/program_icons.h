// Each program's icon, built into the program from desktop/icons/ for its windows' frames.
#pragma once

#include "platform/ui/icon.h"

namespace desktop {

// Each is defined in its program's icon library (zem_icon, orvane_icon, mendaro_icon).
const ui::Icon& zemIcon();
const ui::Icon& orvaneIcon();
const ui::Icon& mendaroIcon();

}  // namespace desktop
