#include "usbdevice/loaders/loader_model.h"

#include <algorithm>
#include <cstdio>

#include "usbdevice/loaders/loader.h"
#include "usbdevice/usb_wire.h"

namespace loadermodel {

namespace {

// The chip's registers as its technical reference manual places them; kept apart from the loader's own
// list, so that a wrong address there shows as a register the model does not know.
struct RegisterMap {
  uint16_t usbirq, ep0cs, setupdat, i2cs, i2dat, i2ctl, ep0bch, inBuf, outBuf, inCount, outCount;
  uint8_t stall, hsnak, inBusy, outBusy;
  bool fx2;
};
#if defined(LOADER_FX2)
constexpr RegisterMap kMap{0xE65D, 0xE6A0, 0xE6B8, 0xE678, 0xE679, 0xE67A, 0xE68A, 0xE740,
                           0xE740, 0xE68B, 0xE68B, 0x01,   0x80,   0x02,   0x02,   true};
#elif defined(LOADER_AN21)
constexpr RegisterMap kMap{0x7FAB, 0x7FB4, 0x7FE8, 0x7FA5, 0x7FA6, 0,    0,    0x7F00,
                           0x7EC0, 0x7FB5, 0x7FC5, 0x01,   0x02,   0x04, 0x08, false};
#endif

constexpr uint8_t kStart = 0x80, kStop = 0x40, kLastRd = 0x20, kAck = 0x02, kDone = 0x01;
constexpr size_t kPacket = 64;

ChipModel* current = nullptr;

std::string hex4(uint16_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", v);
  return text;
}

}  // namespace

ChipModel::ChipModel() {
  current = this;
  loader_init();
}

ChipModel::~ChipModel() {
  current = nullptr;
}

void ChipModel::violation(std::string what) {
  violations_.push_back(std::move(what));
}

bool ChipModel::inBuffer(uint16_t address, uint16_t base) const {
  return address >= base && address < base + kPacket;
}

void ChipModel::sendSetup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                          std::vector<uint8_t> out) {
  const auto bytes = SetupPacket(type, request, value, index, length).bytes();
  std::copy(bytes.begin(), bytes.end(), setup_);
  sudav_ = true;
  hsnak_ = true;
  answer_ = {};
  pendingOut_ = std::move(out);
  outArmed_ = false;
  busyReads_ = 0;
}

Answer ChipModel::poll() {
  loader_poll();
  return answer_;
}

Answer ChipModel::request(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                          std::vector<uint8_t> out) {
  sendSetup(type, request, value, index, length, std::move(out));
  return poll();
}

void ChipModel::giveUpDataStage(uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                                uint16_t length, std::vector<uint8_t> out) {
  giveUp_ = true;
  const auto bytes = SetupPacket(type, request, value, index, length).bytes();
  std::copy(bytes.begin(), bytes.end(), queuedSetup_);
  queuedOut_ = std::move(out);
}

uint8_t ChipModel::read(uint16_t address) {
  if (address == kMap.usbirq) return sudav_ ? 0x01 : 0x00;
  if (address >= kMap.setupdat && address < kMap.setupdat + 8) return setup_[address - kMap.setupdat];
  if (address == kMap.ep0cs) {
    uint8_t v = hsnak_ ? kMap.hsnak : 0;
    if (outArmed_ && giveUp_) {
      giveUp_ = false;
      const uint8_t type = queuedSetup_[0], request = queuedSetup_[1];
      sendSetup(type, request, static_cast<uint16_t>(queuedSetup_[2] | queuedSetup_[3] << 8),
                static_cast<uint16_t>(queuedSetup_[4] | queuedSetup_[5] << 8),
                static_cast<uint16_t>(queuedSetup_[6] | queuedSetup_[7] << 8), std::move(queuedOut_));
      return v | kMap.outBusy;
    }
    if (busyReads_ > 0) {
      --busyReads_;
      v |= (setup_[0] & 0x80) ? kMap.inBusy : kMap.outBusy;
    }
    return v;
  }
  if (address == kMap.i2cs) {
    uint8_t v = static_cast<uint8_t>((ack_ ? kAck : 0) | (lastRd_ ? kLastRd : 0));
    if (stopReads_ > 0) {
      --stopReads_;
      v |= kStop;
    }
    if (doneReads_ > 0)
      --doneReads_;
    else
      v |= kDone;
    return v;
  }
  if (address == kMap.i2dat) {
    if (afterStop_) {  // the final byte, handed over while the stop goes out
      afterStop_ = false;
      return received_;
    }
    if (!inTransaction_ || !reading_ || nacked_) {
      violation("I2DAT read outside a read");
      return 0xFF;
    }
    if (doneReads_ > 0) violation("I2DAT read before the byte was done");
    const uint8_t v = readPrimed_ ? received_ : 0xEE;
    if (lastClockedNacked_) violation("a byte clocked in past the last one");
    received_ = busRead();
    lastClockedNacked_ = lastRd_;
    readPrimed_ = true;
    doneReads_ = 1;
    return v;
  }
  if (kMap.i2ctl && address == kMap.i2ctl) return i2ctl_;
  if (address == kMap.outCount) return outCount_;
  if (inBuffer(address, kMap.outBuf)) return outBuf_[address - kMap.outBuf];
  violation("read of " + hex4(address) + ", no register the loader needs");
  return 0xFF;
}

void ChipModel::write(uint16_t address, uint8_t value) {
  const bool coreRequest = (setup_[0] & 0x60) != 0x40 || setup_[1] == 0xA0;
  const bool endpoint0 = address == kMap.ep0cs || address == kMap.inCount || address == kMap.outCount ||
                         (kMap.ep0bch && address == kMap.ep0bch) || inBuffer(address, kMap.inBuf);
  if (endpoint0) {
    answer_.touched = true;
    if (coreRequest) violation("endpoint 0 touched during a request the core answers");
  }
  if (address == kMap.usbirq) {
    if (value & 0x01) sudav_ = false;
    return;
  }
  if (address == kMap.ep0cs) {
    if (sudav_) violation("a setup packet answered before it was read");
    if (value & kMap.stall) answer_.stalled = true;
    if (value & kMap.hsnak) {
      if (!(value & kMap.stall) && eeprom.busy > 0) violation("a request answered during a write cycle");
      hsnak_ = false;
      answer_.acknowledged = !answer_.stalled;
    }
    return;
  }
  if (kMap.ep0bch && address == kMap.ep0bch) {
    if (value != 0) violation("EP0BCH not 0");
    return;
  }
  const bool in = (setup_[0] & 0x80) != 0;
  if (address == kMap.inCount && (in || !kMap.fx2)) {
    if (!in) violation("IN data armed during an OUT request");
    if (value > kPacket) violation("IN packet larger than the buffer");
    answer_.in.insert(answer_.in.end(), inBuf_, inBuf_ + std::min<size_t>(value, kPacket));
    busyReads_ = 1;
    return;
  }
  if (address == kMap.outCount) {
    if (in) violation("OUT data armed during an IN request");
    outArmed_ = true;
    if (giveUp_) return;
    const size_t n = std::min(kPacket, pendingOut_.size());
    std::copy_n(pendingOut_.begin(), n, outBuf_);
    pendingOut_.erase(pendingOut_.begin(), pendingOut_.begin() + static_cast<ptrdiff_t>(n));
    outCount_ = static_cast<uint8_t>(n);
    busyReads_ = 1;
    return;
  }
  if (inBuffer(address, kMap.inBuf)) {
    inBuf_[address - kMap.inBuf] = value;
    if (kMap.fx2) outBuf_[address - kMap.inBuf] = value;
    return;
  }
  if (address == kMap.i2cs) {
    lastRd_ = (value & kLastRd) != 0;
    if (value & kStart) {
      if (stopReads_ > 0) violation("a start before the last stop ended");
      startPending_ = true;
      afterStop_ = false;
    }
    if (value & kStop) {
      if (!inTransaction_) violation("a stop outside a transaction");
      if (inTransaction_ && reading_ && !nacked_) {
        if (!lastClockedNacked_) violation("the last byte read was acknowledged");
        afterStop_ = true;
      }
      busStop();
      inTransaction_ = false;
      stopReads_ = 1;
    }
    return;
  }
  if (address == kMap.i2dat) {
    if (doneReads_ > 0) violation("I2DAT written before the last byte was done");
    if (startPending_) {
      startPending_ = false;
      ack_ = busStart(value);
      ++transactions_;
      inTransaction_ = true;
      reading_ = (value & 0x01) != 0;
      readPrimed_ = false;
      lastClockedNacked_ = false;
    } else if (!inTransaction_ || reading_) {
      violation("a data byte outside a write");
      return;
    } else {
      if (nacked_) violation("a byte sent after one that was not acknowledged");
      ack_ = busWrite(value);
    }
    nacked_ = !ack_;
    doneReads_ = 1;
    return;
  }
  if (kMap.i2ctl && address == kMap.i2ctl) {
    i2ctl_ = value;
    return;
  }
  violation("write of " + hex4(address) + ", no register the loader needs");
}

bool ChipModel::busStart(uint8_t control) {
  writeData_.clear();  // a start in the middle of a write abandons it
  phase_ = Phase::Idle;
  if (!eeprom.present || (control >> 1) != 0x51) return false;
  if (eeprom.busy > 0) {
    --eeprom.busy;
    return false;
  }
  phase_ = (control & 0x01) ? Phase::Read : Phase::AddressHigh;
  return true;
}

bool ChipModel::busWrite(uint8_t byte) {
  switch (phase_) {
    case Phase::AddressHigh:
      pointer_ = static_cast<size_t>(byte) << 8;
      phase_ = Phase::AddressLow;
      return true;
    case Phase::AddressLow:
      pointer_ = (pointer_ | byte) % eeprom.memory.size();
      writeStart_ = pointer_;
      phase_ = Phase::Data;
      return true;
    case Phase::Data:
      if (eeprom.nackDataByte >= 0 && writeData_.size() == static_cast<size_t>(eeprom.nackDataByte))
        return false;
      writeData_.push_back(byte);
      return true;
    default:
      return false;
  }
}

uint8_t ChipModel::busRead() {
  if (phase_ != Phase::Read) {
    violation("a byte clocked in from an EEPROM not addressed for reading");
    return 0xFF;
  }
  const uint8_t v = eeprom.memory[pointer_];
  pointer_ = (pointer_ + 1) % eeprom.memory.size();
  return v;
}

void ChipModel::busStop() {
  if (phase_ == Phase::Data && !writeData_.empty()) {
    const size_t page = eeprom.pageSize;
    const size_t base = writeStart_ - writeStart_ % page;
    for (size_t i = 0; i < writeData_.size(); ++i)
      eeprom.memory[base + (writeStart_ + i) % page] = writeData_[i];
    eeprom.cycles.push_back({writeStart_, writeData_.size()});
    eeprom.busy = eeprom.busyAttempts;
  }
  writeData_.clear();
  phase_ = Phase::Idle;
}

}  // namespace loadermodel

extern "C" uint8_t loader_model_read(uint16_t address) {
  return loadermodel::current->read(address);
}
extern "C" void loader_model_write(uint16_t address, uint8_t value) {
  loadermodel::current->write(address, value);
}
