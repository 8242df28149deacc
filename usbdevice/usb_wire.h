// The USB setup packet and the USB-DMX configuration block: byte layouts shared by the USB programs and the
// DMX library. Header only, so the library can use it without linking the device classes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sys/byte_order.h"

// The 8-byte setup packet of a control transfer, kept in wire order (16-bit fields low byte first).
class SetupPacket {
 public:
  static constexpr size_t kSize = 8;
  static constexpr size_t kRequestTypeOffset = 0;
  static constexpr size_t kRequestOffset = 1;
  static constexpr size_t kValueOffset = 2;
  static constexpr size_t kIndexOffset = 4;
  static constexpr size_t kLengthOffset = 6;
  static_assert(kLengthOffset + 2 == kSize);

  // Request types the programs send.
  static constexpr uint8_t kVendorOut = 0x40;    // vendor, host to device
  static constexpr uint8_t kVendorIn = 0xC0;     // vendor, device to host
  static constexpr uint8_t kStandardIn = 0x80;   // standard, device to host
  static constexpr uint8_t kDirectionIn = 0x80;  // bit 7 of the request type

  SetupPacket() = default;
  SetupPacket(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint16_t length) {
    SetRequest(requestType, request);
    SetValue(value);
    SetIndex(index);
    SetLength(length);
  }
  // A packet as it came off the wire.
  static SetupPacket FromBytes(std::span<const uint8_t, kSize> wire) {
    SetupPacket p;
    for (size_t i = 0; i < kSize; ++i) p.bytes_[i] = wire[i];
    return p;
  }

  void SetRequest(uint8_t requestType, uint8_t request) {
    bytes_[kRequestTypeOffset] = requestType;
    bytes_[kRequestOffset] = request;
  }
  void SetValue(uint16_t value) { sys::putLE16(bytes_, kValueOffset, value); }
  void SetIndex(uint16_t index) { sys::putLE16(bytes_, kIndexOffset, index); }
  void SetLength(uint16_t length) { sys::putLE16(bytes_, kLengthOffset, length); }

  uint8_t RequestType() const { return bytes_[kRequestTypeOffset]; }
  uint8_t Request() const { return bytes_[kRequestOffset]; }
  uint16_t Value() const { return sys::getLE16(bytes_, kValueOffset); }
  uint16_t Index() const { return sys::getLE16(bytes_, kIndexOffset); }
  uint16_t Length() const { return sys::getLE16(bytes_, kLengthOffset); }
  bool IsIn() const { return (RequestType() & kDirectionIn) != 0; }

  const std::array<uint8_t, kSize>& bytes() const { return bytes_; }
  const uint8_t* data() const { return bytes_.data(); }

 private:
  std::array<uint8_t, kSize> bytes_{};
};

// The USB-DMX box's 16-byte configuration block, read and written raw with vendor request 0x01. Bytes 0-1
// and 8-15 belong to the box's firmware and are written back as read.
class DeviceConfigBlock {
 public:
  static constexpr size_t kSize = 16;
  static constexpr uint8_t kRequest = 0x01;  // vendor request that reads (IN) and writes (OUT) the block

  static constexpr size_t kMarkerOffset = 2;  // 2 bytes: kMarker0, kMarker1 when configured
  static constexpr size_t kUniverseAOffset = 4;
  static constexpr size_t kUniverseBOffset = 5;
  static constexpr size_t kDirectionAOffset = 6;
  static constexpr size_t kDirectionBOffset = 7;
  static_assert(kDirectionBOffset < kSize);

  static constexpr uint8_t kMarker0 = 0xA4;
  static constexpr uint8_t kMarker1 = 0x5B;
  static constexpr uint8_t kDirectionInput = 1;
  static constexpr uint8_t kDirectionOutput = 0;
  static constexpr uint8_t kMinUniverse = 1;
  static constexpr uint8_t kMaxUniverse = 32;
  static constexpr uint8_t kClearedUniverseA = 1;
  static constexpr uint8_t kClearedUniverseB = 2;

  DeviceConfigBlock() = default;
  explicit DeviceConfigBlock(std::span<const uint8_t, kSize> raw) {
    for (size_t i = 0; i < kSize; ++i) bytes_[i] = raw[i];
  }

  // Configured only with both marker bytes; otherwise bytes 4-7 mean nothing.
  bool IsConfigured() const {
    return bytes_[kMarkerOffset] == kMarker0 && bytes_[kMarkerOffset + 1] == kMarker1;
  }
  uint8_t UniverseA() const { return bytes_[kUniverseAOffset]; }
  uint8_t UniverseB() const { return bytes_[kUniverseBOffset]; }
  bool InputA() const { return bytes_[kDirectionAOffset] == kDirectionInput; }
  bool InputB() const { return bytes_[kDirectionBOffset] == kDirectionInput; }

  // Marks the block configured with these settings; the firmware's bytes stay as they are.
  void Configure(uint8_t universeA, uint8_t universeB, bool inputA, bool inputB) {
    bytes_[kMarkerOffset] = kMarker0;
    bytes_[kMarkerOffset + 1] = kMarker1;
    bytes_[kUniverseAOffset] = universeA;
    bytes_[kUniverseBOffset] = universeB;
    bytes_[kDirectionAOffset] = inputA ? kDirectionInput : kDirectionOutput;
    bytes_[kDirectionBOffset] = inputB ? kDirectionInput : kDirectionOutput;
  }
  // The cleared state: no markers, universes 1 and 2, both ports output.
  void Clear() {
    bytes_[kMarkerOffset] = 0;
    bytes_[kMarkerOffset + 1] = 0;
    bytes_[kUniverseAOffset] = kClearedUniverseA;
    bytes_[kUniverseBOffset] = kClearedUniverseB;
    bytes_[kDirectionAOffset] = kDirectionOutput;
    bytes_[kDirectionBOffset] = kDirectionOutput;
  }

  std::array<uint8_t, kSize>& bytes() { return bytes_; }
  const std::array<uint8_t, kSize>& bytes() const { return bytes_; }

 private:
  std::array<uint8_t, kSize> bytes_{};
};
