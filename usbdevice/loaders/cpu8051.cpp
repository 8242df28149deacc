#include "usbdevice/loaders/cpu8051.h"

#include <cstdio>
#include <utility>

namespace loadermodel {

namespace {

// Special function registers the core itself holds.
constexpr uint8_t kSp = 0x81, kDpl = 0x82, kDph = 0x83, kPsw = 0xD0, kAcc = 0xE0, kB = 0xF0;
constexpr uint8_t kCy = 0x80, kAc = 0x40, kOv = 0x04, kParity = 0x01;

bool oddParity(uint8_t v) {
  v ^= static_cast<uint8_t>(v >> 4);
  v ^= static_cast<uint8_t>(v >> 2);
  v ^= static_cast<uint8_t>(v >> 1);
  return (v & 1) != 0;
}

}  // namespace

Cpu8051::Cpu8051(std::vector<uint8_t> code, ExternalData& external)
    : code_(std::move(code)), external_(external) {
  reset();
}

void Cpu8051::reset() {
  for (uint8_t& b : iram_) b = 0;
  for (uint8_t& b : sfr_) b = 0;
  sfr_[kSp - 0x80] = 0x07;
  pc_ = 0;
  fault_.clear();
}

bool Cpu8051::fail(uint16_t at, const char* what) {
  char where[8];
  std::snprintf(where, sizeof where, "0x%04X", at);
  fault_ = std::string(what) + " at " + where;
  pc_ = at;
  return false;
}

uint8_t Cpu8051::code(uint16_t address) const {
  return address < code_.size() ? code_[address] : 0xFF;
}

uint8_t Cpu8051::fetch() {
  return code(pc_++);
}

// Direct addresses below 0x80 are the internal RAM, from 0x80 the special function registers.
uint8_t Cpu8051::direct(uint8_t address) const {
  return address < 0x80 ? iram_[address] : sfr_[address - 0x80];
}

void Cpu8051::setDirect(uint8_t address, uint8_t value) {
  (address < 0x80 ? iram_[address] : sfr_[address - 0x80]) = value;
}

// Bits 0x00-0x7F are those of RAM 0x20-0x2F; from 0x80 those of the registers at multiples of 8.
bool Cpu8051::bit(uint8_t address) const {
  const uint8_t byte = address < 0x80 ? static_cast<uint8_t>(0x20 + address / 8) : (address & 0xF8);
  return (direct(byte) >> (address & 7)) & 1;
}

void Cpu8051::setBit(uint8_t address, bool value) {
  const uint8_t byte = address < 0x80 ? static_cast<uint8_t>(0x20 + address / 8) : (address & 0xF8);
  const auto mask = static_cast<uint8_t>(1u << (address & 7));
  setDirect(byte, static_cast<uint8_t>(value ? (direct(byte) | mask) : (direct(byte) & ~mask)));
}

uint8_t& Cpu8051::reg(unsigned n) {
  return iram_[(sfr_[kPsw - 0x80] & 0x18) + n];
}

// @R0, @R1: the whole internal RAM.
uint8_t& Cpu8051::indirect(unsigned i) {
  return iram_[reg(i)];
}

uint8_t& Cpu8051::acc() {
  return sfr_[kAcc - 0x80];
}

bool Cpu8051::carry() const {
  return (sfr_[kPsw - 0x80] & kCy) != 0;
}

void Cpu8051::setCarry(bool value) {
  uint8_t& psw = sfr_[kPsw - 0x80];
  psw = static_cast<uint8_t>(value ? (psw | kCy) : (psw & ~kCy));
}

uint16_t Cpu8051::dptr() const {
  return static_cast<uint16_t>(sfr_[kDph - 0x80] << 8 | sfr_[kDpl - 0x80]);
}

void Cpu8051::setDptr(uint16_t value) {
  sfr_[kDph - 0x80] = static_cast<uint8_t>(value >> 8);
  sfr_[kDpl - 0x80] = static_cast<uint8_t>(value);
}

void Cpu8051::push(uint8_t value) {
  uint8_t& sp = sfr_[kSp - 0x80];
  iram_[++sp] = value;
}

uint8_t Cpu8051::pop() {
  uint8_t& sp = sfr_[kSp - 0x80];
  return iram_[sp--];
}

void Cpu8051::jumpRelative(uint8_t offset) {
  pc_ = static_cast<uint16_t>(pc_ + static_cast<int8_t>(offset));
}

void Cpu8051::add(uint8_t value, bool withCarry) {
  const unsigned a = acc(), c = withCarry && carry() ? 1 : 0;
  const unsigned r = a + value + c;
  uint8_t& psw = sfr_[kPsw - 0x80];
  psw = static_cast<uint8_t>(psw & ~(kCy | kAc | kOv));
  if (r > 0xFF) psw |= kCy;
  if ((a & 0x0F) + (value & 0x0F) + c > 0x0F) psw |= kAc;
  if (~(a ^ value) & (a ^ r) & 0x80) psw |= kOv;
  acc() = static_cast<uint8_t>(r);
}

void Cpu8051::subtract(uint8_t value) {
  const int a = acc(), c = carry() ? 1 : 0;
  const int r = a - value - c;
  uint8_t& psw = sfr_[kPsw - 0x80];
  psw = static_cast<uint8_t>(psw & ~(kCy | kAc | kOv));
  if (r < 0) psw |= kCy;
  if ((a & 0x0F) - (value & 0x0F) - c < 0) psw |= kAc;
  if ((a ^ value) & (a ^ r) & 0x80) psw |= kOv;
  acc() = static_cast<uint8_t>(r);
}

void Cpu8051::compareAndJump(uint8_t a, uint8_t b) {
  const uint8_t offset = fetch();
  setCarry(a < b);
  if (a != b) jumpRelative(offset);
}

uint8_t Cpu8051::aluOperand(uint8_t opcode) {
  const unsigned low = opcode & 0x0F;
  if (low == 4) return fetch();
  if (low == 5) return direct(fetch());
  if (low < 8) return indirect(low - 6);
  return reg(low - 8);
}

// The byte an instruction with low nibble 5 to F works on: direct (its address fetched), @R0, @R1, R0 to R7.
uint8_t& Cpu8051::aluTarget(uint8_t opcode) {
  const unsigned low = opcode & 0x0F;
  if (low == 5) {
    const uint8_t address = fetch();
    return address < 0x80 ? iram_[address] : sfr_[address - 0x80];
  }
  if (low < 8) return indirect(low - 6);
  return reg(low - 8);
}

bool Cpu8051::step() {
  const uint16_t at = pc_;
  const uint8_t op = fetch();
  const unsigned high = op >> 4, low = op & 0x0F;

  if (low == 1) {  // AJMP / ACALL: 11 address bits inside the current 2 KiB page
    const uint8_t addressLow = fetch();
    const auto target = static_cast<uint16_t>((pc_ & 0xF800) | (op & 0xE0) << 3 | addressLow);
    if (high & 1) {
      push(static_cast<uint8_t>(pc_));
      push(static_cast<uint8_t>(pc_ >> 8));
    }
    pc_ = target;
  } else if (low >= 4 && (high == 0x0 || high == 0x1)) {  // INC, DEC
    const int delta = high == 0 ? 1 : -1;
    if (low == 4)
      acc() = static_cast<uint8_t>(acc() + delta);
    else {
      uint8_t& t = aluTarget(op);
      t = static_cast<uint8_t>(t + delta);
    }
  } else if (low >= 4 && (high == 0x2 || high == 0x3)) {
    add(aluOperand(op), high == 0x3);
  } else if (low >= 4 && high == 0x9) {
    subtract(aluOperand(op));
  } else if (low >= 2 && (high == 0x4 || high == 0x5 || high == 0x6)) {  // ORL, ANL, XRL
    auto apply = [high](uint8_t x, uint8_t y) {
      return static_cast<uint8_t>(high == 0x4 ? (x | y) : high == 0x5 ? (x & y) : (x ^ y));
    };
    if (low == 2 || low == 3) {
      const uint8_t target = fetch();
      const uint8_t value = low == 2 ? acc() : fetch();
      setDirect(target, apply(direct(target), value));
    } else {
      acc() = apply(acc(), aluOperand(op));
    }
  } else if (low >= 4 && high == 0x7) {  // MOV x,#data
    if (low == 4) {
      acc() = fetch();
    } else if (low == 5) {
      const uint8_t target = fetch();
      setDirect(target, fetch());
    } else {
      uint8_t& t = aluTarget(op);
      t = fetch();
    }
  } else if (low >= 5 && high == 0x8) {  // MOV direct,x
    if (low == 5) {
      const uint8_t source = fetch();
      const uint8_t value = direct(source);
      setDirect(fetch(), value);
    } else {
      const uint8_t value = aluOperand(op);
      setDirect(fetch(), value);
    }
  } else if (low >= 6 && high == 0xA) {  // MOV @Ri/Rn,direct
    uint8_t& t = aluTarget(op);
    t = direct(fetch());
  } else if (low >= 4 && high == 0xB) {  // CJNE
    if (low == 4) {
      const uint8_t value = fetch();
      compareAndJump(acc(), value);
    } else if (low == 5) {
      const uint8_t value = direct(fetch());
      compareAndJump(acc(), value);
    } else {
      const uint8_t left = aluTarget(op);
      const uint8_t value = fetch();
      compareAndJump(left, value);
    }
  } else if (low >= 5 && high == 0xC) {  // XCH
    uint8_t& t = aluTarget(op);
    std::swap(t, acc());
  } else if (low >= 5 && high == 0xD && (low == 5 || low >= 8)) {  // DJNZ
    uint8_t& t = aluTarget(op);
    t = static_cast<uint8_t>(t - 1);
    const uint8_t offset = fetch();
    if (t != 0) jumpRelative(offset);
  } else if ((low == 6 || low == 7) && high == 0xD) {  // XCHD
    uint8_t& t = indirect(low - 6);
    const uint8_t a = acc();
    acc() = static_cast<uint8_t>((a & 0xF0) | (t & 0x0F));
    t = static_cast<uint8_t>((t & 0xF0) | (a & 0x0F));
  } else if (low >= 5 && high == 0xE) {  // MOV A,x
    acc() = aluOperand(op);
  } else if (low >= 5 && high == 0xF) {  // MOV x,A
    uint8_t& t = aluTarget(op);
    t = acc();
  } else {
    switch (op) {
      case 0x00:  // NOP
        break;
      case 0x02: {  // LJMP
        const uint8_t h = fetch();
        pc_ = static_cast<uint16_t>(h << 8 | fetch());
        break;
      }
      case 0x12: {  // LCALL
        const uint8_t h = fetch();
        const uint16_t target = static_cast<uint16_t>(h << 8 | fetch());
        push(static_cast<uint8_t>(pc_));
        push(static_cast<uint8_t>(pc_ >> 8));
        pc_ = target;
        break;
      }
      case 0x22:    // RET
      case 0x32: {  // RETI
        const uint8_t h = pop();
        pc_ = static_cast<uint16_t>(h << 8 | pop());
        break;
      }
      case 0x03:  // RR A
        acc() = static_cast<uint8_t>(acc() >> 1 | acc() << 7);
        break;
      case 0x13: {  // RRC A
        const bool c = (acc() & 1) != 0;
        acc() = static_cast<uint8_t>(acc() >> 1 | (carry() ? 0x80 : 0));
        setCarry(c);
        break;
      }
      case 0x23:  // RL A
        acc() = static_cast<uint8_t>(acc() << 1 | acc() >> 7);
        break;
      case 0x33: {  // RLC A
        const bool c = (acc() & 0x80) != 0;
        acc() = static_cast<uint8_t>(acc() << 1 | (carry() ? 1 : 0));
        setCarry(c);
        break;
      }
      case 0x10:    // JBC bit,rel
      case 0x20:    // JB
      case 0x30: {  // JNB
        const uint8_t b = fetch(), offset = fetch();
        const bool set = bit(b);
        if (op == 0x10 && set) setBit(b, false);
        if (set == (op != 0x30)) jumpRelative(offset);
        break;
      }
      case 0x40:    // JC
      case 0x50:    // JNC
      case 0x60:    // JZ
      case 0x70:    // JNZ
      case 0x80: {  // SJMP
        const uint8_t offset = fetch();
        const bool jump = op == 0x40   ? carry()
                          : op == 0x50 ? !carry()
                          : op == 0x60 ? acc() == 0
                          : op == 0x70 ? acc() != 0
                                       : true;
        if (jump) jumpRelative(offset);
        break;
      }
      case 0x72:  // ORL C,bit
        setCarry(carry() || bit(fetch()));
        break;
      case 0xA0:  // ORL C,/bit
        setCarry(carry() || !bit(fetch()));
        break;
      case 0x82:  // ANL C,bit
        setCarry(carry() && bit(fetch()));
        break;
      case 0xB0:  // ANL C,/bit
        setCarry(carry() && !bit(fetch()));
        break;
      case 0x92:  // MOV bit,C
        setBit(fetch(), carry());
        break;
      case 0xA2:  // MOV C,bit
        setCarry(bit(fetch()));
        break;
      case 0xB2: {  // CPL bit
        const uint8_t b = fetch();
        setBit(b, !bit(b));
        break;
      }
      case 0xB3:  // CPL C
        setCarry(!carry());
        break;
      case 0xC2:  // CLR bit
        setBit(fetch(), false);
        break;
      case 0xC3:  // CLR C
        setCarry(false);
        break;
      case 0xD2:  // SETB bit
        setBit(fetch(), true);
        break;
      case 0xD3:  // SETB C
        setCarry(true);
        break;
      case 0x73:  // JMP @A+DPTR
        pc_ = static_cast<uint16_t>(dptr() + acc());
        break;
      case 0x83:  // MOVC A,@A+PC
        acc() = code(static_cast<uint16_t>(pc_ + acc()));
        break;
      case 0x93:  // MOVC A,@A+DPTR
        acc() = code(static_cast<uint16_t>(dptr() + acc()));
        break;
      case 0x84: {  // DIV AB
        uint8_t& b = sfr_[kB - 0x80];
        uint8_t& psw = sfr_[kPsw - 0x80];
        psw = static_cast<uint8_t>(psw & ~(kCy | kOv));
        if (b == 0) {
          psw |= kOv;
        } else {
          const uint8_t q = static_cast<uint8_t>(acc() / b), r = static_cast<uint8_t>(acc() % b);
          acc() = q;
          b = r;
        }
        break;
      }
      case 0xA4: {  // MUL AB
        uint8_t& b = sfr_[kB - 0x80];
        const unsigned product = static_cast<unsigned>(acc()) * b;
        acc() = static_cast<uint8_t>(product);
        b = static_cast<uint8_t>(product >> 8);
        uint8_t& psw = sfr_[kPsw - 0x80];
        psw = static_cast<uint8_t>((psw & ~(kCy | kOv)) | (product > 0xFF ? kOv : 0));
        break;
      }
      case 0x90: {  // MOV DPTR,#data16
        const uint8_t h = fetch();
        setDptr(static_cast<uint16_t>(h << 8 | fetch()));
        break;
      }
      case 0xA3:  // INC DPTR
        setDptr(static_cast<uint16_t>(dptr() + 1));
        break;
      case 0xC0:  // PUSH
        push(direct(fetch()));
        break;
      case 0xD0: {  // POP
        const uint8_t target = fetch();
        setDirect(target, pop());
        break;
      }
      case 0xC4:  // SWAP A
        acc() = static_cast<uint8_t>(acc() << 4 | acc() >> 4);
        break;
      case 0xD4: {  // DA A
        unsigned a = acc();
        bool c = carry();
        if ((a & 0x0F) > 9 || (sfr_[kPsw - 0x80] & kAc)) {
          a += 0x06;
          if (a > 0xFF) c = true;
        }
        if (((a >> 4) & 0x0F) > 9 || c || a > 0xFF) {
          a += 0x60;
          c = true;
        }
        acc() = static_cast<uint8_t>(a);
        setCarry(c);
        break;
      }
      case 0xE4:  // CLR A
        acc() = 0;
        break;
      case 0xF4:  // CPL A
        acc() = static_cast<uint8_t>(~acc());
        break;
      case 0xE0:  // MOVX A,@DPTR
        acc() = external_.read(dptr());
        break;
      case 0xF0:  // MOVX @DPTR,A
        external_.write(dptr(), acc());
        break;
      case 0xE2:  // MOVX A,@Ri
      case 0xE3:
      case 0xF2:  // MOVX @Ri,A
      case 0xF3:
        // Where the high address byte comes from is the chip's own choice; the loaders keep no paged data.
        return fail(at, "MOVX through R0/R1 (paged external data, which the model does not know)");
      default:  // A5, the one opcode without an instruction
        return fail(at, "opcode 0xA5 (no instruction)");
    }
  }
  // The parity flag follows the accumulator.
  uint8_t& psw = sfr_[kPsw - 0x80];
  psw = static_cast<uint8_t>((psw & ~kParity) | (oddParity(acc()) ? kParity : 0));
  return true;
}

}  // namespace loadermodel
