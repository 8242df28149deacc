// Requests to a console's EZ-USB microcontrollers over the control pipe: device information, descriptor
// strings, the DIP byte, RAM loading with the CPU reset register, the EEPROM and the IIC bridge to the
// boards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "usbdevice/WD_USB.h"
#include "usbdevice/usb_wire.h"

class CYDevice : public WD_USB {
 public:
  static constexpr uint32_t kTimeoutMs = 15000;
  static constexpr size_t kPacketSize = 64;         // RAM and EEPROM packets
  static constexpr size_t kAddressSpace = 0x10000;  // RAM and EEPROM addresses are 16 bits
  static constexpr uint32_t kIicPauseMs = 100;
  static constexpr uint32_t kEepromWritePauseMs = 50;
  static constexpr uint32_t kEepromReadPauseMs = 25;
  static constexpr uint16_t kCpuCsAn21 = 0x7F92;  // CPU control and status register, AN21xx family
  static constexpr uint16_t kCpuCsFx2 = 0xE600;   // the same on the FX2
  static constexpr size_t kBlock32 = 32;

  explicit CYDevice(std::span<const wdu::MatchRow> matchTable) : WD_USB(matchTable) {}
  ~CYDevice() override = default;

  // From the device information; 0 when it cannot be read.
  uint16_t GetProductId(wdu::DeviceHandle dev);
  uint16_t GetVendorId(wdu::DeviceHandle dev);
  uint16_t GetDeviceVersion(wdu::DeviceHandle dev);  // bcdDevice: high byte major, low byte minor

  // Read the string descriptor into the descriptor text; false leaves the text as it was. A device without
  // the string gives an empty text.
  [[nodiscard]] bool ReadProductString(wdu::DeviceHandle dev);
  [[nodiscard]] bool ReadManufacturerString(wdu::DeviceHandle dev);
  // The DIP-switch byte; 0 on failure.
  uint8_t ReadDipSwitches(wdu::DeviceHandle dev);

  // IIC bridge commands (request A2; board address in wIndex's high byte); each pauses 100 ms after success.
  [[nodiscard]] bool IicCommand55(wdu::DeviceHandle dev);
  [[nodiscard]] bool IicCommandAA(wdu::DeviceHandle dev);
  [[nodiscard]] bool IicSelectDevice(wdu::DeviceHandle dev, uint8_t addr);
  [[nodiscard]] bool IicCommandCD(wdu::DeviceHandle dev, uint8_t addr);
  [[nodiscard]] bool IicCommandCE(wdu::DeviceHandle dev, uint8_t addr);
  [[nodiscard]] bool IicCommandCF(wdu::DeviceHandle dev, uint8_t addr);
  [[nodiscard]] bool IicClearVersionBlock(wdu::DeviceHandle dev, uint8_t addr);
  [[nodiscard]] bool IicWriteVersionBlock32(wdu::DeviceHandle dev, uint8_t addr,
                                            std::span<const uint8_t, kBlock32> block);
  [[nodiscard]] bool IicWriteVersion(wdu::DeviceHandle dev, uint8_t addr, uint16_t version);
  [[nodiscard]] bool IicWriteHeaderBlock32(wdu::DeviceHandle dev, uint8_t addr,
                                           std::span<const uint8_t, kBlock32> block);

  // Packet transfers of up to 64 bytes each at address, address + 64, ...: the bytes moved, or -1 at the
  // first failing packet. A range that does not fit the 16-bit address space is refused with -1 before
  // anything is sent.
  [[nodiscard]] int RamWrite(wdu::DeviceHandle dev, uint16_t address, std::span<const uint8_t> data);
  [[nodiscard]] int EepromWrite(wdu::DeviceHandle dev, uint16_t address, std::span<const uint8_t> data);
  [[nodiscard]] int EepromRead(wdu::DeviceHandle dev, uint16_t address, std::span<uint8_t> data);

  // One request A2 with wValue and wIndex as given (wIndex 0: the EEPROM; else the IIC bridge, board address
  // in its high byte, command in its low byte), without a pause: OUT sends the data, IN reads into it. The
  // status of the transfer; moved gets the count of bytes that went or came.
  wdu::Status VendorA2Out(wdu::DeviceHandle dev, uint16_t value, uint16_t index,
                          std::span<const uint8_t> data);
  wdu::Status VendorA2In(wdu::DeviceHandle dev, uint16_t value, uint16_t index, std::span<uint8_t> data,
                         uint32_t* moved);

  // Hold the 8051 in reset (true) or let it run: 0, or -1 on failure.
  [[nodiscard]] int HoldInResetAn21(wdu::DeviceHandle dev, bool hold);
  [[nodiscard]] int HoldInResetFx2(wdu::DeviceHandle dev, bool hold);

  // WDU_Transfer, then one trace line on the debug output whatever the outcome:
  // "#OV#CYDevice::WDU_Transfer_Logged:" the eight setup bytes, and " -" with the bytes moved, if any.
  wdu::Status WDU_Transfer_Logged(wdu::DeviceHandle dev, uint32_t pipe, bool read, uint32_t options,
                                  void* buffer, uint32_t length, uint32_t* bytesTransferred,
                                  const uint8_t* setup, uint32_t timeoutMs);

 private:
  enum class Direction { Out, In };
  [[nodiscard]] bool readString(wdu::DeviceHandle dev, bool product);
  // One logged vendor request on pipe 0 with the standard time-out.
  wdu::Status vendorRequest(wdu::DeviceHandle dev, const SetupPacket& setup, void* buffer, uint32_t length,
                            uint32_t* moved = nullptr);
  // An IIC request of request A2 with no data or OUT data, and the pause after success.
  [[nodiscard]] bool iicOut(wdu::DeviceHandle dev, uint16_t value, uint16_t index,
                            std::span<const uint8_t> data);
  int packets(wdu::DeviceHandle dev, Direction direction, uint8_t request, uint16_t address, uint8_t* data,
              size_t length, uint32_t pauseMs);
  int holdInReset(wdu::DeviceHandle dev, uint16_t cpuCs, bool hold);
};
