// How the window layer's values map onto the display toolkit: keys, modifier state, cursors, fonts,
// colours and file-dialog filters. Pure functions: they need no display.
#pragma once

#include "platform/ui/fltk/toolkit.h"

#include <cstdint>
#include <string>

#include "platform/ui/types.h"

namespace ui::fltk {

// The virtual key code of a toolkit key (0 for keys the layer has no code for).
uint16_t virtualKey(int fltkKey);
// The layer's shift state from the toolkit's event state; dbl adds the double-click flag.
ShiftState shiftState(int fltkState, bool dbl = false);
MouseButton mouseButton(int fltkButton);
Fl_Cursor toolkitCursor(Cursor c);
// The toolkit face for a font: family by name (sans serif unless it names a fixed or serif face),
// then bold and italic.
Fl_Font toolkitFace(const Font& f);
// The windows' layouts are made for a small dialog face (8 points, regular, narrow): the toolkit's
// sans-serif faces are set to one with close metrics (Liberation Sans, the metrics of the classic dialog
// faces' successors), so that every caption fits as laid out.
void useDialogFaces();
// A layer colour (system colours resolved) as a toolkit colour.
Fl_Color toolkitColor(Color c);
// "Text|*.txt|All|*.*" becomes "Text (*.txt)\tAll (*)": the toolkit wants the patterns in brackets
// and tabs between filters. Several patterns ("*.hex;*.ihx") become one alternative "{*.hex,*.ihx}". An
// empty pair ("||") ends the list.
std::string toolkitFilter(const std::string& filter);

}  // namespace ui::fltk
