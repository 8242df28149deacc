#include "sim/usb/sim_iic_board.h"

#include <algorithm>

namespace simusb {

namespace {

constexpr size_t kVersionByte = SimIicBoard::kIdBlockByte + 8;  // version high, then low two bytes on
constexpr size_t kVersionBytes = 4;

}  // namespace

SimIicBoard::SimIicBoard(Identity identity) : memory_(kMemoryBytes, 0xFF), identity_(identity) {
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

SimIicBoard::Identity SimIicBoard::identityFromMemory() const {
  const uint8_t* id = &memory_[kIdBlockByte];
  return Identity{static_cast<uint16_t>((id[0] << 8) | id[2]), id[4], id[6],
                  static_cast<uint16_t>((id[8] << 8) | id[10])};
}

std::optional<std::array<uint8_t, 6>> SimIicBoard::ident() const {
  std::lock_guard lock(mutex_);
  if (identFails_) return std::nullopt;
  uint16_t id = boot_ ? kBootId : identity_.id;
  return std::array<uint8_t, 6>{static_cast<uint8_t>(id >> 8),
                                static_cast<uint8_t>(id),
                                identity_.code,
                                identity_.extra,
                                static_cast<uint8_t>(identity_.version >> 8),
                                static_cast<uint8_t>(identity_.version)};
}

bool SimIicBoard::write(uint16_t word, std::span<const uint8_t> data) {
  std::lock_guard lock(mutex_);
  if (word == kSelectWord) {
    if (!armed_ || data.size() != 2) return false;
    armed_ = false;
    selected_ = true;
    boot_ = true;  // the boot code takes over for programming
    return true;
  }
  size_t start = 2 * static_cast<size_t>(word);
  if (!selected_ || start + data.size() > kMemoryBytes) return false;
  for (size_t i = 0; i < data.size(); ++i) {
    size_t at = start + i;
    if (versionNeverTakes_ && at >= kVersionByte && at < kVersionByte + kVersionBytes) continue;
    uint8_t b = data[i];
    if (corruptOffset_ && at == kProgramByte + *corruptOffset_) b ^= corruptMask_;
    memory_[at] = b;
  }
  return true;
}

bool SimIicBoard::read(uint16_t word, std::span<uint8_t> out) const {
  std::lock_guard lock(mutex_);
  size_t start = 2 * static_cast<size_t>(word);
  if (start + out.size() > kMemoryBytes) return false;
  std::copy_n(memory_.begin() + static_cast<ptrdiff_t>(start), out.size(), out.begin());
  return true;
}

void SimIicBoard::armSelect() {
  std::lock_guard lock(mutex_);
  armed_ = true;
}

void SimIicBoard::run() {
  std::lock_guard lock(mutex_);
  armed_ = false;
  selected_ = false;
  boot_ = !(memory_[kValidMarkByte] == kValidMark0 && memory_[kValidMarkByte + 2] == kValidMark1);
  if (!boot_) identity_ = identityFromMemory();
}

void SimIicBoard::refreshIdent() {
  std::lock_guard lock(mutex_);
  identity_ = identityFromMemory();
}

std::vector<uint8_t> SimIicBoard::memory() const {
  std::lock_guard lock(mutex_);
  return memory_;
}

std::vector<uint8_t> SimIicBoard::program(size_t bytes) const {
  std::lock_guard lock(mutex_);
  bytes = std::min(bytes, kMemoryBytes - kProgramByte);
  return {memory_.begin() + kProgramByte, memory_.begin() + static_cast<ptrdiff_t>(kProgramByte + bytes)};
}

void SimIicBoard::setMemory(size_t byteAddress, std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (byteAddress > kMemoryBytes) return;
  size_t n = std::min(bytes.size(), kMemoryBytes - byteAddress);
  std::copy_n(bytes.begin(), n, memory_.begin() + static_cast<ptrdiff_t>(byteAddress));
}

SimIicBoard::Identity SimIicBoard::identity() const {
  std::lock_guard lock(mutex_);
  return identity_;
}

bool SimIicBoard::inBootState() const {
  std::lock_guard lock(mutex_);
  return boot_;
}

bool SimIicBoard::selected() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

void SimIicBoard::setBootState(bool boot) {
  std::lock_guard lock(mutex_);
  boot_ = boot;
}

void SimIicBoard::setCorruptedByte(std::optional<size_t> programOffset, uint8_t flipMask) {
  std::lock_guard lock(mutex_);
  corruptOffset_ = programOffset;
  corruptMask_ = flipMask;
}

void SimIicBoard::setVersionNeverTakes(bool on) {
  std::lock_guard lock(mutex_);
  versionNeverTakes_ = on;
}

void SimIicBoard::setIdentFails(bool on) {
  std::lock_guard lock(mutex_);
  identFails_ = on;
}

}  // namespace simusb
