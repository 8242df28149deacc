// The simulated-device interface: what the simulated bus asks of every device plugged into it.
//
// How to write a device: derive from simusb::Device, describe it in info(), answer control requests
// (standard ones such as GET_DESCRIPTOR included) and the bulk endpoints of its active settings, and
// plug it in through the bus's control (sim_usb.h):
//   auto dev = std::make_shared<MyDevice>();
//   uint32_t address = SimUsbControl()->plug(dev);
//
// The bus calls a device's methods one at a time (never two at once for one device), on the
// threads of the transfers. A device that also takes calls from tests guards its state with a lock
// of its own. Answers:
//   Reply::ok(n)         n bytes answered (IN) or taken (OUT)
//   Reply::stall()       the request or endpoint stalls (the transfer answers kStall)
//   Reply::fail(status)  the transfer fails with that status
//   Reply::pending(ms)   nothing yet: the bus asks again after ms milliseconds of its time source,
//                        or, with 0, when the device calls DeviceHost::wake(); with kNever the
//                        transfer gets nothing before its time-out.
// The bus ends a transfer on unplug, on its time-out, or when the device answers anything but pending.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/wdu/wdu.h"
#include "sim/usb/sim_bytes.h"

namespace simusb {

// The setup packet, decoded from its 8 wire bytes.
struct Setup {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;

  static Setup decode(const uint8_t bytes[8]) {
    return {bytes[0], bytes[1], getLe16(bytes + 2), getLe16(bytes + 4), getLe16(bytes + 6)};
  }
  bool in() const { return (requestType & 0x80) != 0; }
  bool standard() const { return (requestType & 0x60) == 0x00; }
  bool vendor() const { return (requestType & 0x60) == 0x40; }
};

// The transfer is not answered yet.
inline constexpr uint32_t kPendingStatus = 0xFFFF0001;
inline constexpr uint32_t kNever = 0xFFFFFFFF;

struct Reply {
  uint32_t status = wdu::kSuccess;
  uint32_t bytes = 0;
  uint32_t retryInMs = 0;  // pending only

  static Reply ok(uint32_t bytes = 0) { return {wdu::kSuccess, bytes, 0}; }
  static Reply stall() { return {wdu::kStall, 0, 0}; }
  static Reply fail(uint32_t status) { return {status, 0, 0}; }
  static Reply pending(uint32_t retryInMs = 0) { return {kPendingStatus, 0, retryInMs}; }
  bool isPending() const { return status == kPendingStatus; }
};

// What the bus offers a plugged device.
class DeviceHost {
 public:
  // New data (or room) may be there: waiting transfers on this device ask again.
  virtual void wake() = 0;
  // The bus's time source, milliseconds (wraps at 2^32).
  virtual uint32_t tick() = 0;

 protected:
  ~DeviceHost() = default;
};

class Device {
 public:
  virtual ~Device() = default;

  // Descriptors as they are now (vendor, product, strings, interfaces with their active settings).
  virtual wdu::DeviceInfo info() = 0;
  // A control request on pipe 0. data holds setup.length bytes: the host's (OUT) or room for the
  // answer (IN; answer at most setup.length bytes).
  virtual Reply control(const Setup& setup, uint8_t* data) = 0;
  // SET_INTERFACE; the bus has checked that the interface and setting exist. Answer a status.
  virtual uint32_t setInterface(uint8_t interfaceNumber, uint8_t alternateSetting) {
    (void)interfaceNumber;
    (void)alternateSetting;
    return wdu::kSuccess;
  }
  // A whole bulk OUT transfer on an endpoint of an active setting; answer the bytes taken.
  virtual Reply bulkOut(uint8_t endpoint, const uint8_t* data, uint32_t len) {
    (void)endpoint, (void)data, (void)len;
    return Reply::stall();
  }
  // One packet of a bulk IN transfer: at most maxPacket bytes into packet. firstPacket tells the
  // packet that starts a transfer. A packet shorter than maxPacket (0 too) ends the transfer.
  virtual Reply bulkIn(uint8_t endpoint, uint8_t* packet, uint32_t maxPacket, bool firstPacket) {
    (void)endpoint, (void)packet, (void)maxPacket, (void)firstPacket;
    return Reply::stall();
  }
  // Plugging in and out. After unplugged() returns the device must not use the host again.
  virtual void plugged(DeviceHost* host) { (void)host; }
  virtual void unplugged() {}
  // The program that held the device has let it go (what closing a real device tells the system).
  virtual void released() {}
};

// ---- Descriptor helpers for devices ----

inline constexpr uint8_t kRequestGetDescriptor = 0x06;
inline constexpr uint8_t kDescriptorDevice = 1;
inline constexpr uint8_t kDescriptorString = 3;

// Copies an answer, cut to the request's wLength.
inline Reply answer(const Setup& setup, uint8_t* data, const uint8_t* bytes, size_t size) {
  const size_t n = std::min<size_t>(size, setup.length);
  if (n > 0) std::memcpy(data, bytes, n);
  return Reply::ok(static_cast<uint32_t>(n));
}
inline Reply answer(const Setup& setup, uint8_t* data, const std::vector<uint8_t>& bytes) {
  return answer(setup, data, bytes.data(), bytes.size());
}

// A string descriptor (UTF-16LE) of ASCII text, at most 126 characters.
inline std::vector<uint8_t> stringDescriptor(std::string_view text) {
  const size_t n = std::min<size_t>(text.size(), 126);
  std::vector<uint8_t> d(2 + 2 * n, 0);
  d[0] = static_cast<uint8_t>(d.size());
  d[1] = kDescriptorString;
  for (size_t i = 0; i < n; ++i) d[2 + 2 * i] = static_cast<uint8_t>(text[i]);
  return d;
}

// String descriptor 0: the language table (US English).
inline std::vector<uint8_t> languageDescriptor() {
  return {4, kDescriptorString, 0x09, 0x04};
}

// The 18-byte device descriptor of a device's information.
inline std::vector<uint8_t> deviceDescriptor(const wdu::DeviceInfo& info) {
  std::vector<uint8_t> d(18, 0);
  d[0] = 18;
  d[1] = kDescriptorDevice;
  putLe16(&d[2], info.bcdUsb);
  d[4] = info.deviceClass;
  d[5] = info.deviceSubClass;
  d[6] = info.deviceProtocol;
  d[7] = info.maxPacketSize0;
  putLe16(&d[8], info.vendorId);
  putLe16(&d[10], info.productId);
  putLe16(&d[12], info.bcdDevice);
  d[14] = info.iManufacturer;
  d[15] = info.iProduct;
  d[16] = info.iSerialNumber;
  d[17] = 1;
  return d;
}

}  // namespace simusb
