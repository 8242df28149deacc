#include "quillon/box_requests.h"

#include <array>
#include <cstring>

#include "platform/wdu/wdu_names.h"
#include "quillon/quillon.h"
#include "usbdevice/usb_wire.h"

namespace quillon {

wdu::Status BoxControlOut(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                          const void* data, uint16_t length) {
  const SetupPacket setup(SetupPacket::kVendorOut, request, value, index, length);
  // The layer takes one buffer for both directions; an OUT transfer only reads it.
  return WDU_Transfer(device, 0, false, 0, const_cast<void*>(data), length, nullptr, setup.data(),
                      kControlTimeoutMs);
}

wdu::Status BoxControlIn(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                         void* data, uint16_t length, uint32_t* done) {
  const SetupPacket setup(SetupPacket::kVendorIn, request, value, index, length);
  return WDU_Transfer(device, 0, true, 0, data, length, done, setup.data(), kControlTimeoutMs);
}

wdu::Status BoxControlInExact(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                              void* data, uint16_t length) {
  if (length > kMaxExactAnswer) return wdu::kInvalidParameter;
  std::array<uint8_t, kMaxExactAnswer> answer{};
  uint32_t done = 0;
  const wdu::Status st = BoxControlIn(device, request, value, index, answer.data(), length, &done);
  if (st != wdu::kSuccess) return st;
  if (done != length) return DMX_ST_SHORT_ANSWER;
  if (length > 0) std::memcpy(data, answer.data(), length);
  return wdu::kSuccess;
}

}  // namespace quillon
