// Little-endian helpers of the simulated USB devices (their own copy: a simulator shares no code
// with the programs it checks).
#pragma once

#include <cstddef>
#include <cstdint>

namespace simusb {

inline uint16_t getLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void putLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace simusb
