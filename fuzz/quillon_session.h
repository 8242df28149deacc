// A host's session with the DMX library and the USB layer's one box: the box attached (its name and
// endpoint answers), opened, the host's device commands with buffers of exactly the size each command
// documents, closed. Checked: the library writes no byte past a host's buffer; every answer is a status the
// library documents; the name is at most 15 characters and ends in a NUL; the configuration block comes
// through as the box sent it; directions stay in two bits; the firmware version is the box's. Frame
// commands, which start the port threads, are left out. Shared by the target and the seed maker.
#pragma once

#include <cstdint>
#include <span>

#include "fuzz/usb/fuzz_usb.h"

namespace fuzzquillon {

using Entry = unsigned (*)(unsigned command, unsigned char device, int value, void* data);

inline constexpr uint16_t kBoxProducts[] = {0xF028, 0xF0A8, 0xF0A9, 0xF0AA};

// Loads the library at path and initialises it for the boxes; aborts when it cannot.
Entry LoadLibrary(const char* path);
// Waits until the box just plugged in is attached or refused, then runs the commands (three bytes each)
// on it when it was attached.
void RunSession(Entry quillon, fuzzusb::Control& bus, uint16_t bcdDevice, std::span<const uint8_t> program);

}  // namespace fuzzquillon
