#include "mendaro/QUILLON.h"

#include <array>

namespace mendaro {

// The box's requests go straight to the layer, without the trace line of the console chips' requests.
bool QUILLON::Identify(wdu::DeviceHandle dev, bool on, uint8_t level) {
  const uint16_t index = static_cast<uint16_t>((Brightness(level) << 8) | (on ? 1 : 0));
  const SetupPacket setup(SetupPacket::kVendorOut, kRequestIdentify, 0, index, 0);
  uint32_t moved = 0;
  return WDU_Transfer(dev, 0, false, 0, nullptr, 0, &moved, setup.data(), kIdentifyTimeoutMs) ==
         wdu::kSuccess;
}

bool QUILLON::ReadConfig(wdu::DeviceHandle dev, DeviceConfigBlock& block) {
  const SetupPacket setup(SetupPacket::kVendorIn, DeviceConfigBlock::kRequest, 0, 0,
                          DeviceConfigBlock::kSize);
  std::array<uint8_t, DeviceConfigBlock::kSize> buffer{};
  uint32_t moved = 0;
  const wdu::Status status = WDU_Transfer(dev, 0, true, 0, buffer.data(), DeviceConfigBlock::kSize, &moved,
                                          setup.data(), kConfigTimeoutMs);
  if (status != wdu::kSuccess || moved != DeviceConfigBlock::kSize) return false;
  block = DeviceConfigBlock(buffer);
  return true;
}

bool QUILLON::WriteConfig(wdu::DeviceHandle dev, const DeviceConfigBlock& block) {
  const SetupPacket setup(SetupPacket::kVendorOut, DeviceConfigBlock::kRequest, 0, 0,
                          DeviceConfigBlock::kSize);
  std::array<uint8_t, DeviceConfigBlock::kSize> buffer = block.bytes();
  uint32_t moved = 0;
  const wdu::Status status = WDU_Transfer(dev, 0, false, 0, buffer.data(), DeviceConfigBlock::kSize, &moved,
                                          setup.data(), kConfigTimeoutMs);
  return status == wdu::kSuccess && moved == DeviceConfigBlock::kSize;
}

}  // namespace mendaro
