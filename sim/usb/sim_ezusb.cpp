#include "sim/usb/sim_ezusb.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace simusb {

namespace {

// Our RAM loaders, known by their runs of bytes in RAM and the FNV-1a hash of those bytes in address order
// (generated from the loaders' HEX text by usbdevice/loaders).
struct LoaderRun {
  uint16_t address;
  uint16_t length;
};
#include "loader_an21xx_runs.inc"
#include "loader_fx2_runs.inc"

template <size_t N>
bool holdsLoader(const std::vector<uint8_t>& ram, const LoaderRun (&runs)[N], uint32_t hash) {
  uint32_t h = 0x811C9DC5u;
  for (const LoaderRun& run : runs) {
    for (size_t i = 0; i < run.length; ++i) {
      h ^= ram[run.address + i];
      h *= 0x01000193u;
    }
  }
  return h == hash;
}

constexpr uint8_t kRequestDip = 0x00;
constexpr uint8_t kRequestRam = 0xA0;
constexpr uint8_t kRequestA2 = 0xA2;

constexpr uint8_t kIicHold = 0x55;
constexpr uint8_t kIicRelease = 0xAA;
constexpr uint8_t kIicSelect = 0xCC;
constexpr uint8_t kIicRun = 0xCD;
constexpr uint8_t kIicRefresh = 0xCE;
constexpr uint8_t kIicCf = 0xCF;
constexpr uint8_t kIicIdent = 0xC1;
constexpr uint8_t kIicWords = 0xC0;
constexpr size_t kIdentSize = 6;
constexpr uint16_t kSelectWord = 0xFFAA;

constexpr size_t kVersionByte = SimIicBoard::kIdBlockByte + 8;  // version high; low two bytes on
constexpr size_t kVersionBytes = 4;
constexpr uint8_t kValidMark0 = 0xA5;
constexpr uint8_t kValidMark1 = 0x5A;

class IicBoard : public SimIicBoard {
 public:
  explicit IicBoard(const IicBoardIdentity& identity) : memory_(kMemoryBytes, 0xFF), identity_(identity) {
    uint8_t* id = &memory_[kIdBlockByte];
    std::fill(id, id + 16, 0x00);
    id[0] = static_cast<uint8_t>(identity.id >> 8);
    id[2] = static_cast<uint8_t>(identity.id);
    id[4] = identity.code;
    id[6] = identity.extra;
    id[8] = static_cast<uint8_t>(identity.version >> 8);
    id[10] = static_cast<uint8_t>(identity.version);
    memory_[kValidMarkByte] = kValidMark0;
    memory_[kValidMarkByte + 2] = kValidMark1;
  }

  // --- the commands the chip's firmware passes on ---
  std::optional<std::array<uint8_t, kIdentSize>> ident() const {
    std::lock_guard lock(mutex_);
    if (identFails_) return std::nullopt;
    const uint16_t id = boot_ ? kBootId : identity_.id;
    return std::array<uint8_t, kIdentSize>{static_cast<uint8_t>(id >> 8),
                                           static_cast<uint8_t>(id),
                                           identity_.code,
                                           identity_.extra,
                                           static_cast<uint8_t>(identity_.version >> 8),
                                           static_cast<uint8_t>(identity_.version)};
  }

  bool write(uint16_t word, const uint8_t* data, size_t n) {
    std::lock_guard lock(mutex_);
    if (word == kSelectWord) {
      if (!armed_ || n != 2) return false;
      armed_ = false;
      selected_ = true;
      boot_ = true;  // the boot code takes over for programming
      return true;
    }
    const size_t start = 2 * static_cast<size_t>(word);
    if (!selected_ || start + n > kMemoryBytes) return false;
    for (size_t i = 0; i < n; ++i) {
      const size_t at = start + i;
      if (versionNeverTakes_ && at >= kVersionByte && at < kVersionByte + kVersionBytes) continue;
      uint8_t b = data[i];
      if (corruptOffset_ && at == kProgramByte + *corruptOffset_) b ^= corruptMask_;
      memory_[at] = b;
    }
    return true;
  }

  bool read(uint16_t word, uint8_t* out, size_t n) const {
    std::lock_guard lock(mutex_);
    const size_t start = 2 * static_cast<size_t>(word);
    if (start + n > kMemoryBytes) return false;
    std::copy_n(memory_.begin() + static_cast<ptrdiff_t>(start), n, out);
    return true;
  }

  void armSelect() {
    std::lock_guard lock(mutex_);
    armed_ = true;
  }

  void run() {
    std::lock_guard lock(mutex_);
    armed_ = false;
    selected_ = false;
    boot_ = !(memory_[kValidMarkByte] == kValidMark0 && memory_[kValidMarkByte + 2] == kValidMark1);
    if (!boot_) identity_ = identityFromMemory();
  }

  void refreshIdent() {
    std::lock_guard lock(mutex_);
    identity_ = identityFromMemory();
  }

  // --- tests ---
  std::vector<uint8_t> memory() const override {
    std::lock_guard lock(mutex_);
    return memory_;
  }
  std::vector<uint8_t> program(size_t bytes) const override {
    std::lock_guard lock(mutex_);
    bytes = std::min(bytes, kMemoryBytes - kProgramByte);
    return {memory_.begin() + kProgramByte, memory_.begin() + static_cast<ptrdiff_t>(kProgramByte + bytes)};
  }
  void setMemory(size_t byteAddress, const std::vector<uint8_t>& bytes) override {
    std::lock_guard lock(mutex_);
    if (byteAddress > kMemoryBytes) return;
    const size_t n = std::min(bytes.size(), kMemoryBytes - byteAddress);
    std::copy_n(bytes.begin(), n, memory_.begin() + static_cast<ptrdiff_t>(byteAddress));
  }
  IicBoardIdentity identity() const override {
    std::lock_guard lock(mutex_);
    return identity_;
  }
  bool inBootState() const override {
    std::lock_guard lock(mutex_);
    return boot_;
  }
  bool selected() const override {
    std::lock_guard lock(mutex_);
    return selected_;
  }
  void setBootState(bool boot) override {
    std::lock_guard lock(mutex_);
    boot_ = boot;
  }
  void setCorruptedByte(std::optional<size_t> programOffset, uint8_t flipMask) override {
    std::lock_guard lock(mutex_);
    corruptOffset_ = programOffset;
    corruptMask_ = flipMask;
  }
  void setVersionNeverTakes(bool on) override {
    std::lock_guard lock(mutex_);
    versionNeverTakes_ = on;
  }
  void setIdentFails(bool on) override {
    std::lock_guard lock(mutex_);
    identFails_ = on;
  }

 private:
  IicBoardIdentity identityFromMemory() const {
    const uint8_t* id = &memory_[kIdBlockByte];
    return {static_cast<uint16_t>((id[0] << 8) | id[2]), id[4], id[6],
            static_cast<uint16_t>((id[8] << 8) | id[10])};
  }

  mutable std::mutex mutex_;
  std::vector<uint8_t> memory_;
  IicBoardIdentity identity_;
  bool boot_ = false;
  bool armed_ = false;
  bool selected_ = false;
  std::optional<size_t> corruptOffset_;
  uint8_t corruptMask_ = 0x01;
  bool versionNeverTakes_ = false;
  bool identFails_ = false;
};

class EzUsbChip : public SimEzUsb {
 public:
  explicit EzUsbChip(const EzUsbConfig& config)
      : config_(config),
        ram_(kEzUsbRamSize, 0x00),
        eeprom_(config.eepromSize, 0xFF),
        code_(config.firmware ? Code::Firmware : Code::None) {}

  wdu::DeviceInfo info() override {
    wdu::DeviceInfo d;
    d.vendorId = config_.vendorId;
    d.productId = config_.productId;
    d.bcdDevice = config_.bcdDevice;
    d.bcdUsb = config_.kind == ChipKind::FX2 ? 0x0200 : 0x0110;
    d.deviceClass = 0xFF;
    d.deviceSubClass = 0xFF;
    d.deviceProtocol = 0xFF;
    d.iManufacturer = iManufacturer();
    d.iProduct = iProduct();
    wdu::InterfaceInfo interface;
    interface.alts.push_back(wdu::AltSettingInfo{});
    d.interfaces.push_back(interface);
    return d;
  }

  Reply control(const Setup& setup, uint8_t* data) override {
    std::lock_guard lock(mutex_);
    if (setup.standard()) return standardRequest(setup, data);
    if (!setup.vendor()) return Reply::stall();
    switch (setup.request) {
      case kRequestRam:
        return ramRequest(setup, data);
      case kRequestA2:
        return a2Request(setup, data);
      case kRequestDip:
        if (!setup.in() || code_ != Code::Firmware) return Reply::stall();
        return answer(setup, data, &config_.dipSwitches, 1);
      default:
        return Reply::stall();
    }
  }

  EzUsbConfig config() const override { return config_; }

  std::shared_ptr<SimIicBoard> addBoard(uint8_t address, const IicBoardIdentity& identity) override {
    auto board = std::make_shared<IicBoard>(identity);
    std::lock_guard lock(mutex_);
    boards_[address] = board;
    return board;
  }
  std::shared_ptr<SimIicBoard> board(uint8_t address) const override {
    std::lock_guard lock(mutex_);
    auto found = boards_.find(address);
    return found == boards_.end() ? nullptr : found->second;
  }

  std::vector<uint8_t> eeprom() const override {
    std::lock_guard lock(mutex_);
    return eeprom_;
  }
  void setEeprom(size_t address, const std::vector<uint8_t>& bytes) override {
    std::lock_guard lock(mutex_);
    if (address > eeprom_.size()) return;
    const size_t n = std::min(bytes.size(), eeprom_.size() - address);
    std::copy_n(bytes.begin(), n, eeprom_.begin() + static_cast<ptrdiff_t>(address));
  }
  std::vector<uint8_t> ram(size_t address, size_t length) const override {
    std::lock_guard lock(mutex_);
    if (address > kEzUsbRamSize) return {};
    length = std::min(length, kEzUsbRamSize - address);
    return {ram_.begin() + static_cast<ptrdiff_t>(address),
            ram_.begin() + static_cast<ptrdiff_t>(address + length)};
  }
  bool cpuHeldInReset() const override {
    std::lock_guard lock(mutex_);
    return held_;
  }
  bool loaderRunning() const override {
    std::lock_guard lock(mutex_);
    return code_ == Code::Loader;
  }
  bool iicHeld() const override {
    std::lock_guard lock(mutex_);
    return iicHeld_;
  }
  void setRawStringDescriptor(uint8_t index, const std::vector<uint8_t>& raw) override {
    std::lock_guard lock(mutex_);
    rawStrings_[index] = raw;
  }

 private:
  enum class Code { None, Firmware, Loader };

  uint8_t iManufacturer() const { return config_.manufacturer.empty() ? 0 : 1; }
  uint8_t iProduct() const { return config_.product.empty() ? 0 : 2; }
  uint16_t cpuCs() const { return config_.kind == ChipKind::AN21xx ? kCpuCsAn21 : kCpuCsFx2; }

  Reply standardRequest(const Setup& setup, uint8_t* data) {
    if (!setup.in() || setup.request != kRequestGetDescriptor) return Reply::stall();
    const uint8_t type = static_cast<uint8_t>(setup.value >> 8);
    const uint8_t index = static_cast<uint8_t>(setup.value);
    if (type == kDescriptorDevice) return answer(setup, data, deviceDescriptor(info()));
    if (type != kDescriptorString) return Reply::stall();
    if (auto raw = rawStrings_.find(index); raw != rawStrings_.end()) return answer(setup, data, raw->second);
    if (index == 0) return answer(setup, data, languageDescriptor());
    if (index != 0 && index == iManufacturer())
      return answer(setup, data, stringDescriptor(config_.manufacturer));
    if (index != 0 && index == iProduct()) return answer(setup, data, stringDescriptor(config_.product));
    return Reply::stall();
  }

  Reply ramRequest(const Setup& setup, uint8_t* data) {
    if (static_cast<size_t>(setup.value) + setup.length > kEzUsbRamSize) return Reply::stall();
    uint8_t* at = ram_.data() + setup.value;
    if (setup.in()) return answer(setup, data, at, setup.length);
    std::copy_n(data, setup.length, at);
    const uint16_t cs = cpuCs();
    if (cs >= setup.value && cs < setup.value + setup.length)
      setCpuReset((data[cs - setup.value] & 0x01) != 0);
    return Reply::ok(setup.length);
  }

  void setCpuReset(bool hold) {
    if (hold) {
      held_ = true;
      code_ = Code::None;
      return;
    }
    if (!held_) return;
    held_ = false;
    code_ = ramHoldsOurLoader() ? Code::Loader : config_.firmware ? Code::Firmware : Code::None;
  }

  bool ramHoldsOurLoader() const {
    return config_.kind == ChipKind::AN21xx ? holdsLoader(ram_, kLoaderRunsAn21, kLoaderHashAn21)
                                            : holdsLoader(ram_, kLoaderRunsFx2, kLoaderHashFx2);
  }

  Reply a2Request(const Setup& setup, uint8_t* data) {
    if (code_ == Code::None) return Reply::stall();  // nothing runs that could answer
    if (setup.index == 0) return eepromRequest(setup, data);
    if (code_ == Code::Loader) return Reply::stall();  // the loader knows the EEPROM only
    return iicRequest(setup, data);
  }

  Reply eepromRequest(const Setup& setup, uint8_t* data) {
    if (setup.length > kEepromPacket || static_cast<size_t>(setup.value) + setup.length > eeprom_.size()) {
      return Reply::stall();
    }
    uint8_t* at = eeprom_.data() + setup.value;
    if (setup.in()) return answer(setup, data, at, setup.length);
    std::copy_n(data, setup.length, at);
    return Reply::ok(setup.length);
  }

  Reply iicRequest(const Setup& setup, uint8_t* data) {
    const uint8_t address = static_cast<uint8_t>(setup.index >> 8);
    const uint8_t command = static_cast<uint8_t>(setup.index);
    auto found = boards_.find(address);
    IicBoard* board = found == boards_.end() ? nullptr : found->second.get();
    switch (command) {
      case kIicHold:
      case kIicRelease:
        if (setup.in()) return Reply::stall();
        iicHeld_ = command == kIicHold;
        return Reply::ok();
      case kIicIdent: {
        if (!setup.in()) return Reply::stall();
        std::array<uint8_t, kIdentSize> nobody{};  // code 0: no board at this address
        if (!board) return answer(setup, data, nobody.data(), nobody.size());
        auto ident = board->ident();
        if (!ident) return Reply::stall();
        return answer(setup, data, ident->data(), ident->size());
      }
      case kIicWords:
        if (!board) return Reply::stall();
        if (setup.in())
          return board->read(setup.value, data, setup.length) ? Reply::ok(setup.length) : Reply::stall();
        return board->write(setup.value, data, setup.length) ? Reply::ok(setup.length) : Reply::stall();
      case kIicSelect:
      case kIicRun:
      case kIicRefresh:
      case kIicCf:
        if (setup.in() || !board) return Reply::stall();
        if (command == kIicSelect) board->armSelect();
        if (command == kIicRun) board->run();
        if (command == kIicRefresh) board->refreshIdent();
        return Reply::ok();
      default:
        return Reply::stall();
    }
  }

  const EzUsbConfig config_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> ram_;
  std::vector<uint8_t> eeprom_;
  bool held_ = false;
  Code code_;
  bool iicHeld_ = false;
  std::map<uint8_t, std::shared_ptr<IicBoard>> boards_;
  std::map<uint8_t, std::vector<uint8_t>> rawStrings_;
};

}  // namespace

std::shared_ptr<SimEzUsb> makeEzUsb(const EzUsbConfig& config) {
  return std::make_shared<EzUsbChip>(config);
}

}  // namespace simusb
