// The picture of a USB-DMX box that the configurator shows: the box's face with its two DMX sockets
// (port B left, port A right), its USB socket and the identify lamp's bezel.
#pragma once

#include "platform/ui/graphics.h"

namespace mendaro {

inline constexpr int kBoxPictureWidth = 224;
inline constexpr int kBoxPictureHeight = 120;

// Where the lamp is drawn on the picture: a filled 7 x 5 rectangle, and the rows above and below it
// shortened by a pixel at each end, so that the lamp looks round.
inline constexpr ui::Rect kLampBody{164, 95, 171, 100};
inline constexpr ui::Rect kLampTop{165, 94, 170, 95};
inline constexpr ui::Rect kLampBottom{165, 100, 170, 101};

ui::Bitmap BoxPicture();

}  // namespace mendaro
