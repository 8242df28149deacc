// An 8051 core for the chip model: runs the loader's machine code instruction by instruction, with internal
// RAM and special function registers of its own and every external data access (MOVX) handed to the chip.
// No interrupts, timers or serial port, and none of the chips' additions to the 8051 (such as a second data
// pointer): the loaders poll and use none of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace loadermodel {

// The external data space as the core reaches it: the chip's registers and buffers.
class ExternalData {
 public:
  virtual ~ExternalData() = default;
  virtual uint8_t read(uint16_t address) = 0;
  virtual void write(uint16_t address, uint8_t value) = 0;
};

class Cpu8051 {
 public:
  // code: the program memory from address 0 (up to 64 KiB; beyond it reads as 0xFF).
  Cpu8051(std::vector<uint8_t> code, ExternalData& external);

  // The state after a reset: PC 0, SP 7, register bank 0, the other registers 0.
  void reset();
  // Runs one instruction; false (and fault() says why, the program counter left at the instruction) for
  // the reserved opcode A5, which no 8051 program holds, and for MOVX through R0/R1, which needs a high
  // address byte the chips choose themselves.
  bool step();
  const std::string& fault() const { return fault_; }
  uint16_t pc() const { return pc_; }

 private:
  bool fail(uint16_t at, const char* what);
  uint8_t fetch();
  uint8_t code(uint16_t address) const;
  uint8_t direct(uint8_t address) const;
  void setDirect(uint8_t address, uint8_t value);
  bool bit(uint8_t address) const;
  void setBit(uint8_t address, bool value);
  uint8_t& reg(unsigned n);
  uint8_t& indirect(unsigned i);
  uint8_t& acc();
  bool carry() const;
  void setCarry(bool value);
  uint16_t dptr() const;
  void setDptr(uint16_t value);
  void push(uint8_t value);
  uint8_t pop();
  void jumpRelative(uint8_t offset);
  void add(uint8_t value, bool withCarry);
  void subtract(uint8_t value);
  void compareAndJump(uint8_t a, uint8_t b);
  // The operand of an ALU instruction's low nibble 4 to F: #data, direct, @R0, @R1, R0 to R7.
  uint8_t aluOperand(uint8_t opcode);
  uint8_t& aluTarget(uint8_t opcode);

  std::vector<uint8_t> code_;
  ExternalData& external_;
  uint8_t iram_[256] = {};
  uint8_t sfr_[128] = {};
  uint16_t pc_ = 0;
  std::string fault_;
};

}  // namespace loadermodel
