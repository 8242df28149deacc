#include "orvane/IicBoard.h"

#include "orvane/FlowHelpers.h"
#include "orvane/PcbTypes.h"

BoardEntry BoardFromIdent(std::span<const uint8_t, kIdentSize> b) {
  return {static_cast<uint16_t>((b[0] << 8) | b[1]), b[2], b[3], static_cast<uint16_t>((b[4] << 8) | b[5])};
}

BoardEntry BoardFromIdBlock(std::span<const uint8_t, kIdBlockSize> b) {
  return {static_cast<uint16_t>((b[0] << 8) | b[2]), b[4], b[6], static_cast<uint16_t>((b[8] << 8) | b[10])};
}

std::string IicListLine(uint8_t address, const BoardEntry& board, bool bootState) {
  std::string line =
      orvane::Format(" %02Xh  %04Xh  %s %02Xh  %04Xh", address, board.id,
                     std::string(PcbTypeName(board.id, board.code)).c_str(), board.extra, board.version);
  if (bootState) line += "   *";
  return line;
}
