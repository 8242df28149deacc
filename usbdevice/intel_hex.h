// One Intel HEX record and its parser, shared by the HEX readers of the USB programs.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace intelhex {

// Record types the readers act on; others are passed over by their callers.
inline constexpr int kDataRecord = 0;
inline constexpr int kEndOfFileRecord = 1;

// Reader results below zero.
inline constexpr int kNoRecord = -1;      // nothing left to read
inline constexpr int kNoColon = -2;       // the record does not begin with ':'
inline constexpr int kMalformed = -3;     // shorter than its count says, or a character that is no hex digit
inline constexpr int kBadChecksum = -10;  // the bytes do not sum to zero

struct HexRecord {
  uint8_t count = 0;
  uint8_t addressHigh = 0;
  uint8_t addressLow = 0;
  uint8_t type = 0;
  std::array<uint8_t, 255> data{};
  uint8_t checksum = 0;

  uint16_t address() const { return static_cast<uint16_t>((addressHigh << 8) | addressLow); }
  std::span<const uint8_t> bytes() const { return {data.data(), count}; }
};

enum class Digits { UpperCaseOnly, AnyCase };

// Characters one record of count data bytes needs: ':' and 2 digits each for count, address (2), type,
// the data and the checksum.
constexpr size_t recordChars(uint8_t count) {
  return 1 + 2 * (5 + static_cast<size_t>(count));
}

// True when c is a digit the parser takes under that rule.
[[nodiscard]] bool IsHexDigit(char c, Digits digits);

// Parses the record at the start of text (characters after the checksum are not looked at). Returns the
// record's type and fills record, or returns kNoColon, kMalformed or kBadChecksum and leaves record as it
// was.
[[nodiscard]] int ParseHexRecord(std::string_view text, HexRecord& record, Digits digits = Digits::AnyCase);

}  // namespace intelhex
