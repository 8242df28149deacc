// A model of the console chip around the loader, for running the loader's C code on the host: the registers
// it reads and writes (setup data, endpoint 0's buffers, byte counts and handshake bits, the I2C master's
// status and data registers), a host on the other end of endpoint 0 and a boot EEPROM on the I2C bus.
//
// The model checks the loader's use of the hardware as it goes and keeps what it finds wrong (violations):
// an address that is no register it uses, a byte put on the bus before the last one was done, a start
// before the last stop ended, a read that left the last byte acknowledged or clocked a byte past it, a
// request answered while the EEPROM's write cycle still runs, a touch of endpoint 0 during a request the
// chip's core answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace loadermodel {

// A serial EEPROM with two address bytes at I2C address 0x51: a write goes into the page of its first
// address (wrapping inside it, as the parts do) and is stored at the stop; then it runs its write cycle,
// during which it acknowledges nothing (busyAttempts addressing attempts).
struct Eeprom {
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x4000, 0xFF);
  size_t pageSize = 32;
  int busyAttempts = 3;   // attempts refused after each write cycle starts
  int busy = 0;           // attempts still refused (the write cycle running)
  bool present = true;    // false: nothing answers at 0x51
  int nackDataByte = -1;  // >= 0: the data byte with this number in each write is not acknowledged
  struct Cycle {
    size_t address;
    size_t length;
  };
  std::vector<Cycle> cycles;  // every write cycle, in order
};

struct Answer {
  bool stalled = false;
  bool acknowledged = false;  // the handshake released: the status stage completes
  std::vector<uint8_t> in;    // the data stage's bytes sent to the host
  bool touched = false;       // the loader wrote any endpoint-0 register
};

class ChipModel {
 public:
  ChipModel();
  ~ChipModel();
  ChipModel(const ChipModel&) = delete;
  ChipModel& operator=(const ChipModel&) = delete;

  Eeprom eeprom;

  // Sends a setup packet (with the OUT data stage's bytes) and lets the loader answer it.
  Answer request(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                 std::vector<uint8_t> out = {});
  // The same in two steps: the packet arrives; the loader runs once and the answer to the packet that
  // arrived last is returned.
  void sendSetup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                 std::vector<uint8_t> out = {});
  Answer poll();
  // The host gives the current request's OUT data stage up: while the loader waits for the data, this
  // setup packet arrives instead.
  void giveUpDataStage(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                       std::vector<uint8_t> out = {});

  const std::vector<std::string>& violations() const { return violations_; }
  size_t busTransactions() const { return transactions_; }

  // The loader's register accesses.
  uint8_t read(uint16_t address);
  void write(uint16_t address, uint8_t value);

 private:
  void violation(std::string what);
  bool inBuffer(uint16_t address, uint16_t base) const;
  // The bus, as the EEPROM sees it.
  bool busStart(uint8_t control);
  bool busWrite(uint8_t byte);
  uint8_t busRead();
  void busStop();

  std::vector<std::string> violations_;
  uint8_t setup_[8] = {};
  bool sudav_ = false;
  bool hsnak_ = false;
  Answer answer_;
  std::vector<uint8_t> pendingOut_;
  bool outArmed_ = false;
  bool giveUp_ = false;  // the next wait for OUT data brings the queued setup instead
  uint8_t queuedSetup_[8] = {};
  std::vector<uint8_t> queuedOut_;
  int busyReads_ = 0;  // EP0 busy bit reads left before the buffer comes back
  uint8_t inBuf_[64] = {};
  uint8_t outBuf_[64] = {};
  uint8_t outCount_ = 0;
  uint8_t i2ctl_ = 0xFF;

  // I2C master
  bool startPending_ = false;
  bool inTransaction_ = false;
  bool reading_ = false;
  bool nacked_ = false;  // the last byte written was not acknowledged
  bool lastRd_ = false;
  bool lastClockedNacked_ = false;  // the byte clocked in last was left unacknowledged (LASTRD)
  bool readPrimed_ = false;         // a read has clocked a byte in
  int doneReads_ = 0;               // status reads left before DONE shows
  bool ack_ = false;
  int stopReads_ = 0;  // status reads left before STOP clears
  uint8_t received_ = 0;
  bool afterStop_ = false;  // a read's stop went out: one more I2DAT read hands over the final byte
  size_t transactions_ = 0;

  // EEPROM's side
  enum class Phase { Idle, AddressHigh, AddressLow, Data, Read } phase_ = Phase::Idle;
  size_t pointer_ = 0;
  size_t writeStart_ = 0;
  std::vector<uint8_t> writeData_;
};

}  // namespace loadermodel
