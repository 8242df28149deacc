#include "sim/usb/sim_ezusb.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace simusb {

namespace {

// The simulator's own byte-order helpers, kept apart from the program's on purpose.
uint16_t le16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint32_t fnv1a32(std::span<const uint8_t> bytes) {
  uint32_t h = 0x811C9DC5u;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 0x01000193u;
  }
  return h;
}

constexpr uint8_t kRequestGetDescriptor = 0x06;
constexpr uint8_t kDescriptorDevice = 0x01;
constexpr uint8_t kDescriptorString = 0x03;
constexpr uint8_t kRequestDip = 0x00;
constexpr uint8_t kRequestRam = 0xA0;
constexpr uint8_t kRequestA2 = 0xA2;
constexpr uint8_t kTypeStandardIn = 0x80;
constexpr uint8_t kTypeVendorOut = 0x40;
constexpr uint8_t kTypeVendorIn = 0xC0;

constexpr uint8_t kIicHold = 0x55;
constexpr uint8_t kIicRelease = 0xAA;
constexpr uint8_t kIicSelect = 0xCC;
constexpr uint8_t kIicRun = 0xCD;
constexpr uint8_t kIicRefresh = 0xCE;
constexpr uint8_t kIicCf = 0xCF;
constexpr uint8_t kIicIdent = 0xC1;
constexpr uint8_t kIicWords = 0xC0;
constexpr size_t kIdentSize = 6;

constexpr char kLoaderMagic[] = "RAMLOAD1";
constexpr size_t kLoaderMagicSize = 8;
constexpr uint8_t kLoaderFormat = 1;

ControlReply stall() {
  return ControlReply{true, {}};
}
ControlReply ok(std::vector<uint8_t> data = {}) {
  return ControlReply{false, std::move(data)};
}

}  // namespace

SimEzUsb::Config SimEzUsb::Blank(ChipKind kind) {
  Config c;
  c.kind = kind;
  c.vendorId = 0x04B4;
  c.productId = kind == ChipKind::AN21xx ? kBlankAn21 : kBlankFx2;
  c.firmware = false;
  return c;
}

SimEzUsb::Config SimEzUsb::Programmed(ChipKind kind, uint16_t productId, uint16_t bcdDevice,
                                      std::string product) {
  Config c;
  c.kind = kind;
  c.vendorId = 0x11BE;
  c.productId = productId;
  c.bcdDevice = bcdDevice;
  c.firmware = true;
  c.manufacturer = "Console";
  c.product = std::move(product);
  return c;
}

SimEzUsb::SimEzUsb(Config config)
    : config_(std::move(config)),
      ram_(kRamSize, 0x00),
      eeprom_(config_.eepromSize, 0xFF),
      code_(config_.firmware ? Code::Firmware : Code::None) {}

ControlReply SimEzUsb::control(std::span<const uint8_t, 8> setup, std::span<const uint8_t> out) {
  const uint8_t type = setup[0];
  const uint8_t request = setup[1];
  const uint16_t value = le16(setup, 2);
  const uint16_t index = le16(setup, 4);
  const uint16_t length = le16(setup, 6);
  const bool in = (type & 0x80) != 0;
  out = out.first(std::min<size_t>(out.size(), length));

  std::lock_guard lock(mutex_);
  ControlReply reply;
  if (type == kTypeStandardIn) {
    reply = standardRequest(request, value, length);
  } else if (type == kTypeVendorOut || type == kTypeVendorIn) {
    switch (request) {
      case kRequestRam:
        reply = ramRequest(in, value, length, out);
        break;
      case kRequestA2:
        reply = a2Request(in, value, index, length, out);
        break;
      case kRequestDip:
        reply = in && code_ == Code::Firmware ? ok({config_.dipSwitches}) : stall();
        break;
      default:
        reply = stall();
    }
  } else {
    reply = stall();
  }
  if (reply.data.size() > length) reply.data.resize(length);
  return reply;
}

ControlReply SimEzUsb::standardRequest(uint8_t request, uint16_t value, uint16_t length) {
  (void)length;
  if (request != kRequestGetDescriptor) return stall();
  const uint8_t descriptorType = static_cast<uint8_t>(value >> 8);
  const uint8_t descriptorIndex = static_cast<uint8_t>(value);
  if (descriptorType == kDescriptorDevice) {
    const uint16_t bcdUsb = config_.kind == ChipKind::FX2 ? 0x0200 : 0x0110;
    return ok({18, kDescriptorDevice, static_cast<uint8_t>(bcdUsb), static_cast<uint8_t>(bcdUsb >> 8), 0xFF,
               0xFF, 0xFF, 64, static_cast<uint8_t>(config_.vendorId),
               static_cast<uint8_t>(config_.vendorId >> 8), static_cast<uint8_t>(config_.productId),
               static_cast<uint8_t>(config_.productId >> 8), static_cast<uint8_t>(config_.bcdDevice),
               static_cast<uint8_t>(config_.bcdDevice >> 8), iManufacturer(), iProduct(), 0, 1});
  }
  if (descriptorType == kDescriptorString) {
    auto descriptor = stringDescriptor(descriptorIndex);
    if (descriptor.empty()) return stall();
    return ok(std::move(descriptor));
  }
  return stall();
}

std::vector<uint8_t> SimEzUsb::stringDescriptor(uint8_t index) const {
  if (auto raw = rawStrings_.find(index); raw != rawStrings_.end()) return raw->second;
  if (index == 0) return {4, kDescriptorString, 0x09, 0x04};  // US English only
  const std::string* text = nullptr;
  if (index == iManufacturer() && index != 0) text = &config_.manufacturer;
  if (index == iProduct() && index != 0) text = &config_.product;
  if (!text) return {};
  std::vector<uint8_t> d{static_cast<uint8_t>(2 + 2 * text->size()), kDescriptorString};
  for (char c : *text) {
    d.push_back(static_cast<uint8_t>(c));
    d.push_back(0);
  }
  return d;
}

ControlReply SimEzUsb::ramRequest(bool in, uint16_t address, uint16_t length, std::span<const uint8_t> out) {
  if (static_cast<size_t>(address) + length > kRamSize) return stall();
  if (in) return ok({ram_.begin() + address, ram_.begin() + address + length});
  if (out.size() != length) return stall();
  std::copy(out.begin(), out.end(), ram_.begin() + address);
  const uint16_t cs = cpuCs();
  if (cs >= address && cs < address + length) setCpuReset((out[cs - address] & 0x01) != 0);
  return ok();
}

void SimEzUsb::setCpuReset(bool hold) {
  if (hold) {
    held_ = true;
    code_ = Code::None;
    return;
  }
  if (!held_) return;
  held_ = false;
  code_ = ramHoldsOurLoader() ? Code::Loader : config_.firmware ? Code::Firmware : Code::None;
}

bool SimEzUsb::ramHoldsOurLoader() const {
  std::span<const uint8_t> sig(ram_.data() + kLoaderSignatureAddress, 16);
  if (std::memcmp(sig.data(), kLoaderMagic, kLoaderMagicSize) != 0) return false;
  const uint8_t kind = config_.kind == ChipKind::AN21xx ? kLoaderKindAn21 : kLoaderKindFx2;
  if (sig[8] != kind || sig[9] != kLoaderFormat) return false;
  const size_t bodyLength = le16(sig, 10);
  if (kLoaderBodyAddress + bodyLength > kRamSize) return false;
  return fnv1a32({ram_.data() + kLoaderBodyAddress, bodyLength}) == le32(sig, 12);
}

ControlReply SimEzUsb::a2Request(bool in, uint16_t value, uint16_t index, uint16_t length,
                                 std::span<const uint8_t> out) {
  if (code_ == Code::None) return stall();  // nothing runs that could answer
  if (index == 0) return eepromRequest(in, value, length, out);
  if (code_ == Code::Loader) return stall();  // the loader knows the EEPROM only
  return iicRequest(in, static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index), value, length, out);
}

ControlReply SimEzUsb::eepromRequest(bool in, uint16_t address, uint16_t length,
                                     std::span<const uint8_t> out) {
  if (length > kEepromPacket || static_cast<size_t>(address) + length > eeprom_.size()) return stall();
  if (in) return ok({eeprom_.begin() + address, eeprom_.begin() + address + length});
  if (out.size() != length) return stall();
  std::copy(out.begin(), out.end(), eeprom_.begin() + address);
  return ok();
}

ControlReply SimEzUsb::iicRequest(bool in, uint8_t address, uint8_t command, uint16_t word, uint16_t length,
                                  std::span<const uint8_t> out) {
  auto found = boards_.find(address);
  SimIicBoard* board = found == boards_.end() ? nullptr : found->second.get();
  switch (command) {
    case kIicHold:
    case kIicRelease:
      if (in) return stall();
      iicHeld_ = command == kIicHold;
      return ok();
    case kIicIdent: {
      if (!in) return stall();
      if (!board) return ok(std::vector<uint8_t>(kIdentSize, 0));  // code 0: nobody at this address
      auto ident = board->ident();
      if (!ident) return stall();
      return ok({ident->begin(), ident->end()});
    }
    case kIicWords: {
      if (!board) return stall();
      if (in) {
        std::vector<uint8_t> data(length);
        return board->read(word, data) ? ok(std::move(data)) : stall();
      }
      if (out.size() != length) return stall();
      return board->write(word, out) ? ok() : stall();
    }
    case kIicSelect:
    case kIicRun:
    case kIicRefresh:
    case kIicCf:
      if (in || !board) return stall();
      if (command == kIicSelect) board->armSelect();
      if (command == kIicRun) board->run();
      if (command == kIicRefresh) board->refreshIdent();
      return ok();
    default:
      return stall();
  }
}

void SimEzUsb::attachBoard(uint8_t address, std::shared_ptr<SimIicBoard> board) {
  std::lock_guard lock(mutex_);
  boards_[address] = std::move(board);
}

std::shared_ptr<SimIicBoard> SimEzUsb::board(uint8_t address) const {
  std::lock_guard lock(mutex_);
  auto found = boards_.find(address);
  return found == boards_.end() ? nullptr : found->second;
}

std::vector<uint8_t> SimEzUsb::eeprom() const {
  std::lock_guard lock(mutex_);
  return eeprom_;
}

void SimEzUsb::setEeprom(size_t address, std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (address > eeprom_.size()) return;
  size_t n = std::min(bytes.size(), eeprom_.size() - address);
  std::copy_n(bytes.begin(), n, eeprom_.begin() + static_cast<ptrdiff_t>(address));
}

std::vector<uint8_t> SimEzUsb::ram(size_t address, size_t length) const {
  std::lock_guard lock(mutex_);
  if (address > kRamSize) return {};
  length = std::min(length, kRamSize - address);
  return {ram_.begin() + static_cast<ptrdiff_t>(address),
          ram_.begin() + static_cast<ptrdiff_t>(address + length)};
}

bool SimEzUsb::cpuHeldInReset() const {
  std::lock_guard lock(mutex_);
  return held_;
}

bool SimEzUsb::loaderRunning() const {
  std::lock_guard lock(mutex_);
  return code_ == Code::Loader;
}

bool SimEzUsb::iicHeld() const {
  std::lock_guard lock(mutex_);
  return iicHeld_;
}

void SimEzUsb::setRawStringDescriptor(uint8_t index, std::vector<uint8_t> raw) {
  std::lock_guard lock(mutex_);
  rawStrings_[index] = std::move(raw);
}

}  // namespace simusb
