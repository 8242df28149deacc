// A session of the configurator with the layer's one USB-DMX box, with the checks of what it promises: a
// failed block read leaves the block; a box whose block could not be read is never written; every block
// written is configured (universes 1 to 32, directions 0 or 1) or cleared, and keeps the box's own bytes
// 0-1 and 8-15 as it read them. Shared by the target and the seed maker.
#pragma once

#include <cstdint>
#include <span>

#include "fuzz/usb/fuzz_usb.h"

namespace fuzzmendaro {

inline constexpr uint8_t kActions = 8;

// The dialog opened over the box, the device watch, the actions (two bytes each: action, argument), the
// dialog closed. Message boxes are answered OK.
void RunSession(fuzzusb::Control& bus, std::span<const uint8_t> actions);

}  // namespace fuzzmendaro
