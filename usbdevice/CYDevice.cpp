#include "usbdevice/CYDevice.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/sys/system.h"

namespace {

constexpr uint8_t kRequestGetDescriptor = 0x06;
constexpr uint16_t kStringDescriptor = 0x0300;
constexpr size_t kDescriptorHeader = 2;
constexpr uint8_t kRequestDip = 0x00;
constexpr uint8_t kRequestRam = 0xA0;
constexpr uint8_t kRequestA2 = 0xA2;

// IIC bridge: command in wIndex's low byte, board address in its high byte; wValue a board word address.
constexpr uint8_t kIicHold = 0x55;
constexpr uint8_t kIicRelease = 0xAA;
constexpr uint8_t kIicSelect = 0xCC;
constexpr uint8_t kIicCd = 0xCD;
constexpr uint8_t kIicCe = 0xCE;
constexpr uint8_t kIicCf = 0xCF;
constexpr uint8_t kIicWords = 0xC0;
constexpr uint16_t kSelectWord = 0xFFAA;
constexpr uint16_t kHeaderWord = 0x0170;
constexpr uint16_t kVersionWord = 0x017C;
constexpr size_t kVersionBlockSize = 8;

uint16_t iicIndex(uint8_t addr, uint8_t command) {
  return static_cast<uint16_t>((addr << 8) | command);
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE text up to its first NUL, as UTF-8; an odd last byte is dropped, a lone surrogate becomes U+FFFD.
std::string utf16leToUtf8(std::span<const uint8_t> bytes) {
  std::string out;
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) { return static_cast<uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

uint16_t CYDevice::GetProductId(wdu::DeviceHandle dev) {
  wdu::DeviceInfo info;
  return WDU_GetDeviceInfo(dev, info) == wdu::kSuccess ? info.productId : 0;
}

uint16_t CYDevice::GetVendorId(wdu::DeviceHandle dev) {
  wdu::DeviceInfo info;
  return WDU_GetDeviceInfo(dev, info) == wdu::kSuccess ? info.vendorId : 0;
}

uint16_t CYDevice::GetDeviceVersion(wdu::DeviceHandle dev) {
  wdu::DeviceInfo info;
  return WDU_GetDeviceInfo(dev, info) == wdu::kSuccess ? info.bcdDevice : 0;
}

bool CYDevice::ReadProductString(wdu::DeviceHandle dev) {
  return readString(dev, true);
}

bool CYDevice::ReadManufacturerString(wdu::DeviceHandle dev) {
  return readString(dev, false);
}

// The descriptor comes in two reads: its length byte, then the whole. Its text is bounded by the bytes that
// really came and by the length the descriptor gives itself, so a wrong length byte cannot reach past them.
bool CYDevice::readString(wdu::DeviceHandle dev, bool product) {
  wdu::DeviceInfo info;
  if (WDU_GetDeviceInfo(dev, info) != wdu::kSuccess) return false;
  const uint8_t index = product ? info.iProduct : info.iManufacturer;
  if (index == 0) {  // no such string (index 0 would be the language table)
    SetDescriptorText("");
    return true;
  }
  SetupPacket setup(SetupPacket::kStandardIn, kRequestGetDescriptor, kStringDescriptor + index, 0, 1);
  uint8_t length = 0;
  uint32_t moved = 0;
  wdu::Status status = WDU_Transfer(dev, 0, true, 0, &length, 1, &moved, setup.data(), kTimeoutMs);
  SetLastStatus(status);
  if (status != wdu::kSuccess || moved < 1 || length < kDescriptorHeader) return false;

  std::vector<uint8_t> buffer(length + 2u, 0);
  setup.SetLength(length);
  moved = 0;
  status = WDU_Transfer(dev, 0, true, 0, buffer.data(), length, &moved, setup.data(), kTimeoutMs);
  SetLastStatus(status);
  if (status != wdu::kSuccess || moved < kDescriptorHeader) return false;
  const size_t end = std::min<size_t>({moved, length, std::max<size_t>(buffer[0], kDescriptorHeader)});
  SetDescriptorText(
      utf16leToUtf8(std::span<const uint8_t>(buffer).subspan(kDescriptorHeader, end - kDescriptorHeader)));
  return true;
}

uint8_t CYDevice::ReadDipSwitches(wdu::DeviceHandle dev) {
  uint8_t dip = 0;
  uint32_t moved = 0;
  SetupPacket setup(SetupPacket::kVendorIn, kRequestDip, 0, 0, 1);
  if (vendorRequest(dev, setup, &dip, 1, &moved) != wdu::kSuccess || moved != 1) return 0;
  return dip;
}

wdu::Status CYDevice::vendorRequest(wdu::DeviceHandle dev, const SetupPacket& setup, void* buffer,
                                    uint32_t length, uint32_t* moved) {
  uint32_t done = 0;
  wdu::Status status =
      WDU_Transfer_Logged(dev, 0, setup.IsIn(), 0, buffer, length, &done, setup.data(), kTimeoutMs);
  SetLastStatus(status);
  if (moved) *moved = done;
  return status;
}

wdu::Status CYDevice::VendorA2Out(wdu::DeviceHandle dev, uint16_t value, uint16_t index,
                                  std::span<const uint8_t> data) {
  if (data.size() > UINT16_MAX) return wdu::kInvalidParameter;  // wLength is 16 bits
  SetupPacket setup(SetupPacket::kVendorOut, kRequestA2, value, index, static_cast<uint16_t>(data.size()));
  return vendorRequest(dev, setup, const_cast<uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
}

wdu::Status CYDevice::VendorA2In(wdu::DeviceHandle dev, uint16_t value, uint16_t index,
                                 std::span<uint8_t> data, uint32_t* moved) {
  if (moved) *moved = 0;
  if (data.size() > UINT16_MAX) return wdu::kInvalidParameter;
  SetupPacket setup(SetupPacket::kVendorIn, kRequestA2, value, index, static_cast<uint16_t>(data.size()));
  return vendorRequest(dev, setup, data.data(), static_cast<uint32_t>(data.size()), moved);
}

bool CYDevice::iicOut(wdu::DeviceHandle dev, uint16_t value, uint16_t index, std::span<const uint8_t> data) {
  if (VendorA2Out(dev, value, index, data) != wdu::kSuccess) return false;
  sys::sleepMs(kIicPauseMs);
  return true;
}

bool CYDevice::IicCommand55(wdu::DeviceHandle dev) {
  return iicOut(dev, 0, kIicHold, {});
}

bool CYDevice::IicCommandAA(wdu::DeviceHandle dev) {
  return iicOut(dev, 0, kIicRelease, {});
}

bool CYDevice::IicSelectDevice(wdu::DeviceHandle dev, uint8_t addr) {
  static constexpr uint8_t kZeros[2] = {0, 0};
  return iicOut(dev, 0, iicIndex(addr, kIicSelect), {}) &&
         iicOut(dev, kSelectWord, iicIndex(addr, kIicWords), kZeros);
}

bool CYDevice::IicCommandCD(wdu::DeviceHandle dev, uint8_t addr) {
  return iicOut(dev, 0, iicIndex(addr, kIicCd), {});
}

bool CYDevice::IicCommandCE(wdu::DeviceHandle dev, uint8_t addr) {
  return iicOut(dev, 0, iicIndex(addr, kIicCe), {});
}

bool CYDevice::IicCommandCF(wdu::DeviceHandle dev, uint8_t addr) {
  return iicOut(dev, 0, iicIndex(addr, kIicCf), {});
}

bool CYDevice::IicClearVersionBlock(wdu::DeviceHandle dev, uint8_t addr) {
  static constexpr uint8_t kZeros[kVersionBlockSize] = {};
  return iicOut(dev, kVersionWord, iicIndex(addr, kIicWords), kZeros);
}

bool CYDevice::IicWriteVersionBlock32(wdu::DeviceHandle dev, uint8_t addr,
                                      std::span<const uint8_t, kBlock32> block) {
  return iicOut(dev, kVersionWord, iicIndex(addr, kIicWords), block);
}

// The version goes to the board's words as high byte, low byte, then the marks A5 and 5A; the odd bytes of
// its word-organised memory stay 0.
bool CYDevice::IicWriteVersion(wdu::DeviceHandle dev, uint8_t addr, uint16_t version) {
  const uint8_t block[kVersionBlockSize] = {
      static_cast<uint8_t>(version >> 8), 0, static_cast<uint8_t>(version), 0, 0xA5, 0, 0x5A, 0};
  return iicOut(dev, kVersionWord, iicIndex(addr, kIicWords), block);
}

bool CYDevice::IicWriteHeaderBlock32(wdu::DeviceHandle dev, uint8_t addr,
                                     std::span<const uint8_t, kBlock32> block) {
  return iicOut(dev, kHeaderWord, iicIndex(addr, kIicWords), block);
}

int CYDevice::packets(wdu::DeviceHandle dev, Direction direction, uint8_t request, uint16_t address,
                      uint8_t* data, size_t length, uint32_t pauseMs) {
  // A length or an end past the 16-bit address space would wrap onto the start: refuse it whole.
  if (length > kAddressSpace - address) return -1;
  const uint8_t type = direction == Direction::In ? SetupPacket::kVendorIn : SetupPacket::kVendorOut;
  for (size_t offset = 0; offset < length; offset += kPacketSize) {
    const auto size = static_cast<uint16_t>(std::min(kPacketSize, length - offset));
    SetupPacket setup(type, request, static_cast<uint16_t>(address + offset), 0, size);
    uint32_t moved = 0;
    if (vendorRequest(dev, setup, data + offset, size, &moved) != wdu::kSuccess || moved != size) return -1;
    if (pauseMs) sys::sleepMs(pauseMs);
  }
  return static_cast<int>(length);
}

int CYDevice::RamWrite(wdu::DeviceHandle dev, uint16_t address, std::span<const uint8_t> data) {
  return packets(dev, Direction::Out, kRequestRam, address, const_cast<uint8_t*>(data.data()), data.size(),
                 0);
}

int CYDevice::EepromWrite(wdu::DeviceHandle dev, uint16_t address, std::span<const uint8_t> data) {
  return packets(dev, Direction::Out, kRequestA2, address, const_cast<uint8_t*>(data.data()), data.size(),
                 kEepromWritePauseMs);
}

int CYDevice::EepromRead(wdu::DeviceHandle dev, uint16_t address, std::span<uint8_t> data) {
  return packets(dev, Direction::In, kRequestA2, address, data.data(), data.size(), kEepromReadPauseMs);
}

int CYDevice::holdInReset(wdu::DeviceHandle dev, uint16_t cpuCs, bool hold) {
  uint8_t value = hold ? 1 : 0;
  SetupPacket setup(SetupPacket::kVendorOut, kRequestRam, cpuCs, 0, 1);
  return vendorRequest(dev, setup, &value, 1) == wdu::kSuccess ? 0 : -1;
}

int CYDevice::HoldInResetAn21(wdu::DeviceHandle dev, bool hold) {
  return holdInReset(dev, kCpuCsAn21, hold);
}

int CYDevice::HoldInResetFx2(wdu::DeviceHandle dev, bool hold) {
  return holdInReset(dev, kCpuCsFx2, hold);
}

wdu::Status CYDevice::WDU_Transfer_Logged(wdu::DeviceHandle dev, uint32_t pipe, bool read, uint32_t options,
                                          void* buffer, uint32_t length, uint32_t* bytesTransferred,
                                          const uint8_t* setup, uint32_t timeoutMs) {
  uint32_t moved = 0;
  wdu::Status status = WDU_Transfer(dev, pipe, read, options, buffer, length, &moved, setup, timeoutMs);
  if (bytesTransferred) *bytesTransferred = moved;

  std::string line = "#OV#CYDevice::WDU_Transfer_Logged:";
  char hex[8];
  for (size_t i = 0; i < SetupPacket::kSize; ++i) {
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", setup ? setup[i] : 0);
    line += hex;
  }
  if (moved > 0 && buffer) {
    line += " -";
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < std::min(moved, length); ++i) {
      std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
      line += hex;
    }
  }
  line += '\n';
  sys::debugOutput(line);
  return status;
}
