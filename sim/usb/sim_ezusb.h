// Simulated EZ-USB microcontrollers of a lighting console (AN21xx family and FX2) and the IIC boards behind
// them, as devices of the simulated USB bus.
//
// How to use them:
//   auto chip = SimUsbControl()->newEzUsb(simusb::programmedEzUsb(simusb::ChipKind::FX2, 0x1001, 0x0102,
//   "Front")); auto board = chip->addBoard(0x24, {0xF080, 0x30, 0x05, 0x0102}); SimUsbControl()->plug(chip);
//   ... drive the program ...  chip->eeprom();  board->program(100);
//
// The chip (interface 0, alternate setting 0, no endpoints of its own) answers on its control pipe:
//   standard GET_DESCRIPTOR    device descriptor; strings 0 (languages), 1 manufacturer, 2 product, cut to
//                              wLength; a chip without firmware has no strings
//   C0/00 IN 1                 the DIP-switch byte (needs the firmware)
//   40/A0, C0/A0               write / read the 64 KiB RAM at wValue (refused past 64 KiB); a write that
//                              reaches the CPU control register (0x7F92 AN21xx, 0xE600 FX2) holds the CPU in
//                              reset with bit 0 set and lets it run with bit 0 clear. Released with our RAM
//                              loader for its kind in RAM (usbdevice/loaders; recognised by the hash of its
//                              bytes), the chip runs the loader; otherwise its firmware, if it has one.
//   40/A2, C0/A2 wIndex 0      EEPROM at wValue, at most 64 bytes a request (firmware or loader)
//   40/A2, C0/A2 wIndex other  the IIC bridge (firmware only): low byte the command, high byte the board
//                              address, wValue a word address of the board:
//                              55 / AA hold / release the bus; CC then a 2-byte write to word 0xFFAA selects
//                              the board for programming; CD runs it; CE refreshes its ident from its ID
//                              block; CF nothing; C1 IN 6 its ident (zeros where no board answers);
//                              C0 OUT / IN its memory.
// Anything else, and a request nothing running could answer, stalls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/usb/sim_device.h"

namespace simusb {

enum class ChipKind { AN21xx, FX2 };
// Parameterised tests print a kind by its name.
inline void PrintTo(ChipKind kind, std::ostream* os) {
  *os << (kind == ChipKind::FX2 ? "FX2" : "AN21xx");
}

inline constexpr uint16_t kEzUsbBlankAn21 = 0x2235;  // product ids of chips without firmware
inline constexpr uint16_t kEzUsbBlankFx2 = 0x8613;
inline constexpr uint16_t kEzUsbBlankFx2Other = 0x6473;
inline constexpr uint16_t kCpuCsAn21 = 0x7F92;
inline constexpr uint16_t kCpuCsFx2 = 0xE600;
inline constexpr size_t kEzUsbRamSize = 0x10000;
inline constexpr size_t kEepromPacket = 64;

struct IicBoardIdentity {
  uint16_t id = 0;
  uint8_t code = 0;
  uint8_t extra = 0;
  uint16_t version = 0;
  bool operator==(const IicBoardIdentity&) const = default;
};

// An IIC board. Its memory is kept as the bytes of the board's HEX files (byte address = 2 x word address):
//   words 0x170-0x17F  header block (bytes 0x2E0-0x2FF)
//   words 0x178-0x17D  ID block: even bytes id high, id low, code, extra, version high, version low
//   words 0x17E-0x17F  validity marks A5 and 5A (even bytes 0x2FC, 0x2FE)
//   words from 0x180   program (bytes from 0x300)
// Selected (CC, then word 0xFFAA), the board runs its boot code and takes writes; a write to an unselected
// board is not acknowledged. CD leaves the boot code only while the validity marks are set. In the boot code
// its ident reports id 0xFF3F.
class SimIicBoard {
 public:
  static constexpr size_t kMemoryBytes = 0x4000;
  static constexpr size_t kIdBlockByte = 0x2F0;
  static constexpr size_t kValidMarkByte = 0x2FC;
  static constexpr size_t kProgramByte = 0x300;
  static constexpr uint16_t kBootId = 0xFF3F;

  virtual ~SimIicBoard() = default;

  virtual std::vector<uint8_t> memory() const = 0;
  virtual std::vector<uint8_t> program(size_t bytes) const = 0;  // memory from the program's start
  virtual void setMemory(size_t byteAddress, const std::vector<uint8_t>& bytes) = 0;
  virtual IicBoardIdentity identity() const = 0;  // what the board reports as itself
  virtual bool inBootState() const = 0;
  virtual bool selected() const = 0;
  virtual void setBootState(bool boot) = 0;

  // Faults: the program byte at this offset is stored with these bits flipped; the version bytes of the
  // ID block never change; the ident fails (the request stalls).
  virtual void setCorruptedByte(std::optional<size_t> programOffset, uint8_t flipMask = 0x01) = 0;
  virtual void setVersionNeverTakes(bool on) = 0;
  virtual void setIdentFails(bool on) = 0;
};

struct EzUsbConfig {
  ChipKind kind = ChipKind::FX2;
  uint16_t vendorId = 0x04B4;
  uint16_t productId = kEzUsbBlankFx2;
  uint16_t bcdDevice = 0x0000;
  bool firmware = false;  // a programmed chip: its firmware serves the DIP byte and request A2
  std::string manufacturer;
  std::string product;  // strings 1 and 2; empty: the chip has no such string
  uint8_t dipSwitches = 0;
  size_t eepromSize = 0x4000;
};

// A chip without firmware, with its blank product id.
inline EzUsbConfig blankEzUsb(ChipKind kind) {
  EzUsbConfig c;
  c.kind = kind;
  c.productId = kind == ChipKind::AN21xx ? kEzUsbBlankAn21 : kEzUsbBlankFx2;
  return c;
}
// A chip running its firmware.
inline EzUsbConfig programmedEzUsb(ChipKind kind, uint16_t productId, uint16_t bcdDevice,
                                   std::string product) {
  EzUsbConfig c;
  c.kind = kind;
  c.vendorId = 0x11BE;
  c.productId = productId;
  c.bcdDevice = bcdDevice;
  c.firmware = true;
  c.manufacturer = "Console";
  c.product = std::move(product);
  return c;
}

class SimEzUsb : public Device {
 public:
  virtual EzUsbConfig config() const = 0;
  // A board at this IIC address (replacing one there), running its application.
  virtual std::shared_ptr<SimIicBoard> addBoard(uint8_t address, const IicBoardIdentity& identity) = 0;
  virtual std::shared_ptr<SimIicBoard> board(uint8_t address) const = 0;

  virtual std::vector<uint8_t> eeprom() const = 0;
  virtual void setEeprom(size_t address, const std::vector<uint8_t>& bytes) = 0;
  virtual std::vector<uint8_t> ram(size_t address, size_t length) const = 0;
  virtual bool cpuHeldInReset() const = 0;
  virtual bool loaderRunning() const = 0;
  virtual bool iicHeld() const = 0;  // between commands 55 and AA
  // Replaces string descriptor index (wrong lengths, short replies); answered cut to wLength.
  virtual void setRawStringDescriptor(uint8_t index, const std::vector<uint8_t>& raw) = 0;
};

// Makes a chip (the bus's control offers it as newEzUsb).
std::shared_ptr<SimEzUsb> makeEzUsb(const EzUsbConfig& config);

}  // namespace simusb
