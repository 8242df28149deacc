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

// The loader's machine code, as the program embeds it: runs of bytes at their RAM addresses.
struct LoaderRun {
  uint16_t address;
  uint16_t length;
};
#if defined(LOADER_FX2)
#include "loader_fx2_bytes.inc"
#include "loader_fx2_runs.inc"
constexpr const auto& kLoaderRuns = kLoaderRunsFx2;
constexpr const auto& kLoaderBytes = kLoaderBytesFx2;
#elif defined(LOADER_AN21)
#include "loader_an21xx_bytes.inc"
#include "loader_an21xx_runs.inc"
constexpr const auto& kLoaderRuns = kLoaderRunsAn21;
constexpr const auto& kLoaderBytes = kLoaderBytesAn21;
#endif

// The chips' procedure takes the last byte of a read from I2DAT straight after setting STOP: the only
// instruction it leaves room for between the two is the one that points at I2DAT.
constexpr unsigned long long kStopToLastByte = 2;
// Bounds on one run: far more than serving any request takes, so that a loader that never comes back to
// wait for the next setup packet shows as a fault instead of a hang.
constexpr int kMaxPolls = 100;
constexpr unsigned long long kMaxInstructions = 50'000'000;

// Program memory: the loader's bytes, and elsewhere the one opcode that is no instruction, so that code
// running off the loader shows.
std::vector<uint8_t> programMemory() {
  std::vector<uint8_t> code(0x10000, 0xA5);
  size_t at = 0;
  for (const LoaderRun& run : kLoaderRuns) {
    std::copy_n(kLoaderBytes + at, run.length, code.begin() + run.address);
    at += run.length;
  }
  return code;
}

ChipModel* current = nullptr;

std::string hex4(uint16_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", v);
  return text;
}

}  // namespace

ChipModel::ChipModel(Runs runs) : runs_(runs) {
  current = this;
  if (runs_ == Runs::Source) {
    loader_init();
    return;
  }
  cpu_ = std::make_unique<Cpu8051>(programMemory(), *this);
  run();
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

// A new setup packet sets the chip's setup-data-available request bit and the handshake bit, and ends
// whatever endpoint 0 did for the packet before.
void ChipModel::sendSetup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                          std::vector<uint8_t> out) {
  const auto bytes = SetupPacket(type, request, value, index, length).bytes();
  std::copy(bytes.begin(), bytes.end(), setup_);
  sudav_ = true;
  hsnak_ = true;
  answers_.emplace_back();
  pendingOut_ = std::move(out);
  outArmed_ = false;
  busyReads_ = 0;
}

// The loader is waiting for the next setup packet once it has looked for one twice in a row, with nothing
// else between, and found none.
void ChipModel::run() {
  idlePolls_ = 0;
  if (runs_ == Runs::Source) {
    for (int polls = 0; idlePolls_ < 2; ++polls) {
      if (polls == kMaxPolls) {
        violation("the loader never came back to wait for a setup packet");
        return;
      }
      loader_poll();
    }
    return;
  }
  for (unsigned long long n = 0; idlePolls_ < 2; ++n) {
    if (n == kMaxInstructions) {
      violation("the loader never came back to wait for a setup packet");
      return;
    }
    ++instructions_;
    if (!cpu_->step()) {
      violation(cpu_->fault());
      return;
    }
  }
}

Answer ChipModel::request(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                          std::vector<uint8_t> out) {
  sendSetup(type, request, value, index, length, std::move(out));
  const size_t mine = answers_.size() - 1;
  run();
  return answers_[mine];
}

void ChipModel::queue(Arrival arrival, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                      uint16_t length, std::vector<uint8_t> out) {
  arrival_ = arrival;
  const auto bytes = SetupPacket(type, request, value, index, length).bytes();
  std::copy(bytes.begin(), bytes.end(), queuedSetup_);
  queuedOut_ = std::move(out);
}

void ChipModel::arriveInsteadOfData(uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                                    uint16_t length, std::vector<uint8_t> out) {
  queue(Arrival::InsteadOfData, type, request, value, index, length, std::move(out));
}

void ChipModel::arriveOnBus(size_t busBytes, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                            uint16_t length, std::vector<uint8_t> out) {
  queue(Arrival::OnBus, type, request, value, index, length, std::move(out));
  arrivalBusBytes_ = busBytes;
}

void ChipModel::deliverQueued() {
  arrival_ = Arrival::None;
  sendSetup(queuedSetup_[0], queuedSetup_[1], static_cast<uint16_t>(queuedSetup_[2] | queuedSetup_[3] << 8),
            static_cast<uint16_t>(queuedSetup_[4] | queuedSetup_[5] << 8),
            static_cast<uint16_t>(queuedSetup_[6] | queuedSetup_[7] << 8), std::move(queuedOut_));
}

uint8_t ChipModel::read(uint16_t address) {
  if (address == kMap.usbirq) {
    idlePolls_ = sudav_ ? 0 : idlePolls_ + 1;
    return sudav_ ? 0x01 : 0x00;
  }
  idlePolls_ = 0;
  if (address >= kMap.setupdat && address < kMap.setupdat + 8) return setup_[address - kMap.setupdat];
  if (address == kMap.ep0cs) {
    uint8_t v = hsnak_ ? kMap.hsnak : 0;
    if (outArmed_ && arrival_ == Arrival::InsteadOfData) {
      deliverQueued();
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
      if (instructions_ - stopAt_ > kStopToLastByte)
        violation("the last byte read " + std::to_string(instructions_ - stopAt_ - 1) +
                  " instructions after STOP was set");
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

// The chip knows no other request than the one that came last. (Before the first, the setup data are zero:
// a request the core answers, for which touching endpoint 0 is a fault of its own.)
Answer& ChipModel::lastAnswer() {
  return answers_.empty() ? beforeFirst_ : answers_.back();
}

void ChipModel::write(uint16_t address, uint8_t value) {
  idlePolls_ = 0;
  const bool coreRequest = (setup_[0] & 0x60) != 0x40 || setup_[1] == 0xA0;
  const bool handshakeOrCount = address == kMap.ep0cs || address == kMap.inCount ||
                                address == kMap.outCount || (kMap.ep0bch && address == kMap.ep0bch);
  if (handshakeOrCount || inBuffer(address, kMap.inBuf)) {
    lastAnswer().touched = true;
    if (coreRequest) violation("endpoint 0 touched during a request the core answers");
  }
  if (handshakeOrCount && sudav_)
    violation("endpoint 0 answered before the setup packet that came last was read");
  if (address == kMap.usbirq) {
    if (value & 0x01) sudav_ = false;
    return;
  }
  if (address == kMap.ep0cs) {
    Answer& answer = lastAnswer();
    if (value & kMap.stall) answer.stalled = true;
    if (value & kMap.hsnak) {
      if (!(value & kMap.stall) && eeprom.busy > 0) violation("a request answered during a write cycle");
      hsnak_ = false;
      answer.acknowledged = !answer.stalled;
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
    std::vector<uint8_t>& sent = lastAnswer().in;
    sent.insert(sent.end(), inBuf_, inBuf_ + std::min<size_t>(value, kPacket));
    busyReads_ = 1;
    return;
  }
  if (address == kMap.outCount) {
    if (in) violation("OUT data armed during an IN request");
    outArmed_ = true;
    if (arrival_ == Arrival::InsteadOfData) return;  // the host sends the next setup packet instead
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
        stopAt_ = instructions_;
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

// Counts a byte the bus carried, for a setup packet that is to arrive meanwhile.
void ChipModel::busByteDone() {
  if (arrival_ == Arrival::OnBus && --arrivalBusBytes_ == 0) deliverQueued();
}

bool ChipModel::busStart(uint8_t control) {
  busByteDone();
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
  busByteDone();
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
  busByteDone();
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
