// The USB layer over the fuzzed backend (usb/fuzz_usb.h), for the targets whose code reaches its devices
// through the layer: the device classes, the firmware tool's flows and the configurator.
#pragma once

#include <cstdint>

#include "fuzz/usb/fuzz_usb.h"
#include "platform/wdu/wdu.h"

namespace fuzz {

// Makes the layer use the fuzzed backend, whose one device has this information when the layer first sees
// it; aborts when the backend cannot be loaded.
fuzzusb::Control* UseFuzzedBus(const wdu::DeviceInfo& attached);
// The same, recording what the backend library at path answers (the seed maker's simulated bus).
fuzzusb::Control* UseRecordedBus(const char* simulatorPath);

// Waits, in real time (the layer's own thread offers devices), until count() gives n; false after 20 s,
// which only a machine that stands still would need.
template <typename Count>
bool WaitForDevices(Count&& count, uint32_t n);

// An EZ-USB chip of the console as the layer reports it: vendor, product and version as given, string
// indexes 1 and 2 for manufacturer and product.
wdu::DeviceInfo ChipInfo(uint16_t vendorId, uint16_t productId, uint16_t bcdDevice);

}  // namespace fuzz

#include <chrono>
#include <thread>

template <typename Count>
bool fuzz::WaitForDevices(Count&& count, uint32_t n) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (count() != n) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::yield();
  }
  return true;
}
