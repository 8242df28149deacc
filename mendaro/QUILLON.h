// The configurator's class for a USB-DMX box: the device list and EZ-USB requests of CYDevice, and the
// box's own three requests: identify, read and write its 16-byte configuration block.
//
// Kept in the configurator's namespace: the DMX library's entry point shares the name but for its case.
#pragma once

#include <cstdint>

#include "usbdevice/CYDevice.h"
#include "usbdevice/usb_wire.h"

namespace mendaro {

class QUILLON : public CYDevice {
 public:
  static constexpr uint8_t kRequestIdentify = 0x02;
  static constexpr uint32_t kIdentifyTimeoutMs = 500;
  static constexpr uint32_t kConfigTimeoutMs = 15000;
  static constexpr uint8_t kFullBrightness = 255;

  // Opens the USB layer with the configurator's match table (the four box products).
  QUILLON() : CYDevice(kMendaroMatchTable) {}
  ~QUILLON() override = default;

  // Starts (on) or stops the box's identify signal. The level 0-255 becomes the brightness byte: twice
  // the level below 0x80, 0xFF from 0x80 on.
  [[nodiscard]] bool Identify(wdu::DeviceHandle dev, bool on, uint8_t level);
  // Reads the block. Only a complete block counts: a short answer is a failure, and block is left as it
  // was whenever the read fails.
  [[nodiscard]] bool ReadConfig(wdu::DeviceHandle dev, DeviceConfigBlock& block);
  [[nodiscard]] bool WriteConfig(wdu::DeviceHandle dev, const DeviceConfigBlock& block);

  static uint8_t Brightness(uint8_t level) { return level < 0x80 ? static_cast<uint8_t>(level * 2) : 0xFF; }
};

}  // namespace mendaro
