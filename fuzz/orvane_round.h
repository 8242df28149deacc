// The firmware tool's flows against the layer's one console chip, with the checks of what they promise:
// the board list holds only boards at IIC addresses; a damaged HEX file is refused before any question, its
// line and reason last in the log; a file the flow refuses (damaged, unreadable ranges, another board,
// another chip) and a question answered No write nothing; what is written is the file's own bytes at their
// own places. Shared by the target and the seed maker.
#pragma once

#include <cstdint>
#include <span>

#include "fuzz/usb/fuzz_usb.h"

namespace fuzzorvane {

// Round flags.
inline constexpr uint8_t kUsbUpdate = 1;   // the chip's update instead of the IIC scan and board update
inline constexpr uint8_t kUnknownPcb = 2;  // "Program Unknown PCB" checked
inline constexpr uint8_t kAnswerNo = 4;    // every question answered No
inline constexpr uint8_t kCancelFile = 8;  // the file dialog cancelled

// The dialog, created once over the chip the layer offers (waiting for it in real time), its line picked;
// from then on time is virtual.
void OpenDialog(fuzzusb::Control& bus);
// One round with this file: the IIC scan and the first board's update, or the chip's update.
void RunRound(std::span<const uint8_t> file, uint16_t productId, uint8_t flags);

}  // namespace fuzzorvane
