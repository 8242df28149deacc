// A model of the console chip around the loader, for running the loader on the host: the registers it reads
// and writes (setup data, endpoint 0's buffers, byte counts and handshake bits, the I2C master's status and
// data registers), a host on the other end of endpoint 0 and a boot EEPROM on the I2C bus. The loader runs
// either as its C code compiled for the host or as its machine code (the HEX text the program embeds) on a
// modelled 8051 core.
//
// The model checks the loader's use of the hardware as it goes and keeps what it finds wrong (violations):
// an address that is no register it uses, a byte put on the bus before the last one was done, a start
// before the last stop ended, a read that left the last byte acknowledged or clocked a byte past it, a
// request answered while the EEPROM's write cycle still runs, endpoint 0 answered or armed while a setup
// packet waits unread (it would answer that packet), a touch of endpoint 0 during a request the chip's core
// answers; and, where the machine code runs, a last byte of a read taken later than straight after STOP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "usbdevice/loaders/cpu8051.h"

namespace loadermodel {

// How the loader runs: its C sources built for the host, which reach the model through regs.h, or the
// machine code built from them on an 8051 core, whose instructions the model counts as the chip's time.
enum class Runs { Source, MachineCode };

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

class ChipModel : public ExternalData {
 public:
  // The loader starts as on the chip once the host lets the CPU run, and runs until it waits for a setup
  // packet.
  explicit ChipModel(Runs runs = Runs::Source);
  ~ChipModel() override;
  ChipModel(const ChipModel&) = delete;
  ChipModel& operator=(const ChipModel&) = delete;

  Eeprom eeprom;

  // Sends a setup packet (with the OUT data stage's bytes), lets the loader run until it waits for the next
  // one and returns the answer to this packet.
  Answer request(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                 std::vector<uint8_t> out = {});
  // The same in two steps: the packet arrives; the loader runs until it waits for the next one (having
  // served, too, a packet that arrived meanwhile).
  void sendSetup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                 std::vector<uint8_t> out = {});
  void run();
  // A setup packet that arrives while the loader serves the current request, for the host gave that one
  // up: instead of the OUT data stage the loader waits for, or once the I2C bus has carried `busBytes`
  // more bytes (1 or more).
  void arriveInsteadOfData(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                           std::vector<uint8_t> out = {});
  void arriveOnBus(size_t busBytes, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                   uint16_t length, std::vector<uint8_t> out = {});
  // What endpoint 0 did after each setup packet, in the order they arrived: the chip takes whatever the
  // loader does there as the answer to the packet that came last.
  const std::vector<Answer>& answers() const { return answers_; }

  const std::vector<std::string>& violations() const { return violations_; }
  size_t busTransactions() const { return transactions_; }

  // The loader's register accesses.
  uint8_t read(uint16_t address) override;
  void write(uint16_t address, uint8_t value) override;

 private:
  enum class Arrival { None, InsteadOfData, OnBus };
  void violation(std::string what);
  bool inBuffer(uint16_t address, uint16_t base) const;
  void queue(Arrival arrival, uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
             std::vector<uint8_t> out);
  void deliverQueued();
  Answer& lastAnswer();
  // The bus, as the EEPROM sees it.
  bool busStart(uint8_t control);
  bool busWrite(uint8_t byte);
  uint8_t busRead();
  void busStop();
  void busByteDone();

  Runs runs_;
  std::unique_ptr<Cpu8051> cpu_;
  unsigned long long instructions_ = 0;  // run by the 8051 core so far
  int idlePolls_ = 0;  // reads of USBIRQ in a row, with nothing else between, that found no setup packet

  std::vector<std::string> violations_;
  uint8_t setup_[8] = {};
  bool sudav_ = false;
  bool hsnak_ = false;
  std::vector<Answer> answers_;
  Answer beforeFirst_;
  std::vector<uint8_t> pendingOut_;
  bool outArmed_ = false;
  Arrival arrival_ = Arrival::None;  // a setup packet waiting to arrive, and when
  size_t arrivalBusBytes_ = 0;
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
  bool afterStop_ = false;         // a read's stop went out: one more I2DAT read hands over the final byte
  unsigned long long stopAt_ = 0;  // the instruction that set that stop
  size_t transactions_ = 0;

  // EEPROM's side
  enum class Phase { Idle, AddressHigh, AddressLow, Data, Read } phase_ = Phase::Idle;
  size_t pointer_ = 0;
  size_t writeStart_ = 0;
  std::vector<uint8_t> writeData_;
};

}  // namespace loadermodel
