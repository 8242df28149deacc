// Board types, and what the scan reads from a board's answers.
#include "orvane/IicBoard.h"

#include <gtest/gtest.h>

#include <array>

#include "orvane/PcbTypes.h"

TEST(PcbTypes, FirstRowWithIdAndCodeElseUnknown) {
  EXPECT_EQ(PcbTypeName(0xF080, 0xB0), "5 LCD");
  EXPECT_EQ(PcbTypeName(0xF080, 0x84), "VondarMK2 SoundPower");
  EXPECT_EQ(PcbTypeName(0x1234, 0x10), "Unknown PCB");
  EXPECT_EQ(FindPcbType(0x1234, 0x10), 0u);
  EXPECT_EQ(PcbTypeName(0xF090, 0xD2), "MF & Buttons");
  // Every row is found as itself: no (id, code) pair stands twice.
  for (size_t i = 1; i < PcbTypes().size(); ++i)
    EXPECT_EQ(FindPcbType(PcbTypes()[i].id, PcbTypes()[i].code), i) << PcbTypes()[i].name;
}

TEST(IicBoard, IdentAndIdBlockGiveTheSameFieldsFromTheirOwnLayouts) {
  const std::array<uint8_t, kIdentSize> ident = {0xF0, 0x80, 0x30, 0x05, 0x01, 0x02};
  EXPECT_EQ(BoardFromIdent(ident), (BoardEntry{0xF080, 0x30, 0x05, 0x0102}));
  const std::array<uint8_t, kIdBlockSize> block = {0xF0, 0xEE, 0x80, 0xEE, 0x30, 0xEE,
                                                   0x05, 0xEE, 0x01, 0xEE, 0x02, 0xEE};
  EXPECT_EQ(BoardFromIdBlock(block), (BoardEntry{0xF080, 0x30, 0x05, 0x0102}));
}

TEST(IicBoard, ListLineNamesTheTypeAndMarksABootStateBoard) {
  EXPECT_EQ(IicListLine(0x24, {0xF080, 0x30, 0x05, 0x0102}, false), " 24h  F080h  Main Keyboard 05h  0102h");
  EXPECT_EQ(IicListLine(0x02, {0x1234, 0x10, 0xFF, 0xFFFF}, true), " 02h  1234h  Unknown PCB FFh  FFFFh   *");
}
