// Pictures of the model windows, drawn here rather than loaded: the fader pictures (a bar per effect),
// the frost panel glyphs and a plain outline of each fixture family for the information page.
#pragma once

#include "platform/ui/graphics.h"
#include "zem/modelwindows/ColorMixingForm.h"

namespace colormix {

// The LED colours of the LED fixtures' faders.
inline constexpr ui::Color kLedRed = ui::rgb(255, 0, 0);
inline constexpr ui::Color kLedGreen = ui::rgb(0, 255, 0);
inline constexpr ui::Color kLedBlue = ui::rgb(0, 128, 255);
inline constexpr ui::Color kLedAmber = ui::rgb(255, 128, 0);
inline constexpr ui::Color kLedWhite = ui::rgb(255, 255, 255);

// The fader pictures in ImageList1 order: cyan, magenta, yellow, zoom, intensity, then the LED colours
// red, green, blue, amber and white. Each fades from its colour at the top (full level) to dark at the
// bottom.
void FillFaderImages(ui::ImageList& list);

// A fader picture of any colour, as those of the list.
ui::Bitmap LevelPicture(ui::Color color);

// A gobo (0 to 3): a disc with its own pattern of light.
ui::Bitmap GoboPicture(int gobo);

// An arrow pointing along (dx, dy), one of them 0 and the other 1 or -1, on a transparent ground.
ui::Bitmap ArrowPicture(int dx, int dy);

// The pan/tilt grid: a dark field with lines every eighth and a cross through the middle.
ui::Bitmap GridPicture(int width, int height);

// A frost glyph: a clear lens, or with frost a hazy one.
ui::Bitmap FrostPicture(bool on);

// The fixture's outline on the information page.
ui::Bitmap FixturePicture(FixtureOutline outline);

}  // namespace colormix
