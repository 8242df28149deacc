// A text dump of a control tree, for tests and diagnostics.
#pragma once

#include <string>

namespace ui {

class Control;

// One line per control, children indented by two blanks under their parent:
//   name: Kind "caption" (left,top,width,height) hidden disabled [details]
// "hidden" and "disabled" appear only when they apply; unnamed controls show as "-".
std::string dumpControls(const Control& root);

}  // namespace ui
