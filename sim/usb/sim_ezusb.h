// A simulated EZ-USB microcontroller of a lighting console (AN21xx family or FX2): descriptors, RAM loading
// through request A0 with the CPU reset register, the RAM loader, EEPROM access and the IIC bridge of
// request A2 to the simulated boards behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "sim/usb/sim_iic_board.h"

namespace simusb {

enum class ChipKind { AN21xx, FX2 };

// What a chip answers to a control transfer: the stall, or success with these IN bytes.
struct ControlReply {
  bool stalled = false;
  std::vector<uint8_t> data;
};

class SimEzUsb {
 public:
  static constexpr size_t kRamSize = 0x10000;
  static constexpr uint16_t kCpuCsAn21 = 0x7F92;
  static constexpr uint16_t kCpuCsFx2 = 0xE600;
  static constexpr size_t kEepromPacket = 64;  // most bytes one A2 EEPROM request moves
  // Blank product ids, which the chips report when no firmware is loaded.
  static constexpr uint16_t kBlankAn21 = 0x2235;
  static constexpr uint16_t kBlankFx2 = 0x8613;
  static constexpr uint16_t kBlankFx2Other = 0x6473;

  // The signature block our RAM loaders carry (see usbdevice/loaders/make_loaders.py).
  static constexpr uint16_t kLoaderSignatureAddress = 0x0040;
  static constexpr uint16_t kLoaderBodyAddress = 0x0050;
  static constexpr uint8_t kLoaderKindAn21 = 0x21;
  static constexpr uint8_t kLoaderKindFx2 = 0xF2;

  struct Config {
    ChipKind kind = ChipKind::FX2;
    uint16_t vendorId = 0x04B4;
    uint16_t productId = kBlankFx2;
    uint16_t bcdDevice = 0x0000;
    bool firmware = false;  // a programmed chip: its firmware serves the DIP byte and request A2
    std::string manufacturer;
    std::string product;  // string descriptors 1 and 2; a blank chip has none
    uint8_t dipSwitches = 0;
    size_t eepromSize = 0x4000;
  };
  // A chip without firmware, reporting its blank product id.
  static Config Blank(ChipKind kind);
  // A chip running its firmware.
  static Config Programmed(ChipKind kind, uint16_t productId, uint16_t bcdDevice, std::string product);

  explicit SimEzUsb(Config config);

  const Config& config() const { return config_; }
  uint8_t iManufacturer() const { return config_.manufacturer.empty() ? 0 : 1; }
  uint8_t iProduct() const { return config_.product.empty() ? 0 : 2; }

  // One control transfer on pipe 0: setup in wire order; out holds the OUT data stage. IN data is cut to
  // wLength.
  ControlReply control(std::span<const uint8_t, 8> setup, std::span<const uint8_t> out);

  void attachBoard(uint8_t address, std::shared_ptr<SimIicBoard> board);
  std::shared_ptr<SimIicBoard> board(uint8_t address) const;

  // --- tests ---
  std::vector<uint8_t> eeprom() const;
  void setEeprom(size_t address, std::span<const uint8_t> bytes);
  std::vector<uint8_t> ram(size_t address, size_t length) const;
  bool cpuHeldInReset() const;
  bool loaderRunning() const;
  bool iicHeld() const;  // between commands 55 and AA
  // Replaces string descriptor index (wrong lengths, short replies, ...); the reply is these bytes cut to
  // wLength.
  void setRawStringDescriptor(uint8_t index, std::vector<uint8_t> raw);

 private:
  enum class Code { None, Firmware, Loader };

  ControlReply standardRequest(uint8_t request, uint16_t value, uint16_t length);
  ControlReply ramRequest(bool in, uint16_t address, uint16_t length, std::span<const uint8_t> out);
  ControlReply a2Request(bool in, uint16_t value, uint16_t index, uint16_t length,
                         std::span<const uint8_t> out);
  ControlReply eepromRequest(bool in, uint16_t address, uint16_t length, std::span<const uint8_t> out);
  ControlReply iicRequest(bool in, uint8_t address, uint8_t command, uint16_t word, uint16_t length,
                          std::span<const uint8_t> out);
  void setCpuReset(bool hold);
  bool ramHoldsOurLoader() const;
  std::vector<uint8_t> stringDescriptor(uint8_t index) const;
  uint16_t cpuCs() const { return config_.kind == ChipKind::AN21xx ? kCpuCsAn21 : kCpuCsFx2; }

  const Config config_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> ram_;
  std::vector<uint8_t> eeprom_;
  bool held_ = false;
  Code code_;
  bool iicHeld_ = false;
  std::map<uint8_t, std::shared_ptr<SimIicBoard>> boards_;
  std::map<uint8_t, std::vector<uint8_t>> rawStrings_;
};

}  // namespace simusb
