// What an IIC board answers about itself, and its line in the dialog's list. The scan's reading of a
// board's answers, callable on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// What a board at one IIC address reported of itself.
struct BoardEntry {
  uint16_t id = 0;
  uint8_t code = 0;  // 0: no board at that address
  uint8_t extra = 0;
  uint16_t version = 0;
  bool operator==(const BoardEntry&) const = default;
};

inline constexpr size_t kIdentSize = 6;
inline constexpr size_t kIdBlockSize = 12;
// The board id a board running its boot code reports in its ident; its ID block then tells what it is.
inline constexpr uint16_t kBootStateId = 0xFF3F;

// The ident reply: id high, id low, code, extra, version high, version low.
BoardEntry BoardFromIdent(std::span<const uint8_t, kIdentSize> ident);
// The ID block (a board's answer, or bytes of its HEX file): the same fields in its even bytes.
BoardEntry BoardFromIdBlock(std::span<const uint8_t, kIdBlockSize> block);
// The board's line in the IIC list: " 24h  F080h  Main Keyboard 05h  0102h", with "   *" for a board
// found in its boot code.
std::string IicListLine(uint8_t address, const BoardEntry& board, bool bootState);
