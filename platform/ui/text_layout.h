// Laying text out in a width: the one word-wrap rule that the layer's sizing, the display's painting
// and the text-fit check share, measured with the backend's fonts.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace ui {

// The rows the text takes at the given width in the font: every line (ended by CR LF, CR or LF) is
// broken after the last blank that fits, or inside a word longer than the width. An empty text is one
// empty row.
std::vector<std::string> wrapText(const Font& font, const std::string& text, int width);
// Height of one row of text in the font.
int lineHeight(const Font& font);
// The extent of the wrapped text: its widest row, and its rows' height.
Size wrappedTextExtent(const Font& font, const std::string& text, int width);

}  // namespace ui
