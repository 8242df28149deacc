// Requests of the USB device classes to an EZ-USB chip, with the checks of what they promise: a
// descriptor's text is UTF-8 made only from the bytes that came and the length the descriptor gives
// itself; a failed read leaves the text; packet transfers never report more than asked and refuse a range
// past the 16-bit address space before sending. Shared by the target and the seed maker.
#pragma once

#include <cstdint>
#include <span>

#include "fuzz/usb/fuzz_usb.h"
#include "usbdevice/CYDevice.h"

namespace fuzzusbops {

inline constexpr uint8_t kOperations = 8;

// Runs the program (three bytes per operation: operation, two arguments) on the device.
void RunOps(CYDevice& device, wdu::DeviceHandle handle, fuzzusb::Control& bus,
            std::span<const uint8_t> program);

}  // namespace fuzzusbops
