// Pictures of the model windows, drawn here rather than loaded: the fader pictures (a bar per effect),
// the frost panel glyphs and a plain outline of each fixture family for the information page.
#pragma once

#include "platform/ui/graphics.h"
#include "zem/modelwindows/ColorMixingForm.h"

namespace colormix {

// The fader pictures in ImageList1 order: cyan, magenta, yellow, zoom, intensity. Each fades from its
// colour at the top (full level) to dark at the bottom.
void FillFaderImages(ui::ImageList& list);

// A frost glyph: a clear lens, or with frost a hazy one.
ui::Bitmap FrostPicture(bool on);

// The fixture's outline on the information page.
ui::Bitmap FixturePicture(FixtureOutline outline);

}  // namespace colormix
