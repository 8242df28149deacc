#include "orvane/PcbTypes.h"

#include <gtest/gtest.h>

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
