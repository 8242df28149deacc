// The board types a console's IIC boards report (board id and board code), by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct PcbType {
  uint16_t id;
  uint8_t code;
  std::string_view name;
};

// The table; row 0 is "Unknown PCB".
std::span<const PcbType> PcbTypes();
// The index of the first row with this id and code, else 0.
size_t FindPcbType(uint16_t id, uint8_t code);
// The name of the row FindPcbType gives.
std::string_view PcbTypeName(uint16_t id, uint8_t code);
