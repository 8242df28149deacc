#include "platform/sys/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

namespace {

TEST(ByteOrderTest, ReadsEachOrderFromTheSameBytes) {
  const std::array<uint8_t, 5> bytes = {0x00, 0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(sys::getLE16(bytes, 1), 0x3412);
  EXPECT_EQ(sys::getBE16(bytes, 1), 0x1234);
  EXPECT_EQ(sys::getLE32(bytes, 1), 0x78563412u);
  EXPECT_EQ(sys::getBE32(bytes, 1), 0x12345678u);
}

TEST(ByteOrderTest, WritesWhatItReadsBack) {
  std::array<uint8_t, 4> bytes{};
  sys::putLE16(bytes, 0, 0xBEEF);
  sys::putBE16(bytes, 2, 0xBEEF);
  EXPECT_EQ(bytes, (std::array<uint8_t, 4>{0xEF, 0xBE, 0xBE, 0xEF}));
  sys::putLE32(bytes, 0, 0x01020304);
  EXPECT_EQ(bytes, (std::array<uint8_t, 4>{4, 3, 2, 1}));
  sys::putBE32(bytes, 0, 0x01020304);
  EXPECT_EQ(bytes, (std::array<uint8_t, 4>{1, 2, 3, 4}));
}

TEST(ByteOrderTest, AValueReachingPastTheEndIsRefusedAndNothingIsWritten) {
  std::array<uint8_t, 3> bytes = {1, 2, 3};
  EXPECT_THROW((void)sys::getLE16(bytes, 2), std::out_of_range);
  EXPECT_THROW((void)sys::getBE32(bytes, 0), std::out_of_range);
  EXPECT_THROW((void)sys::getLE32(bytes, SIZE_MAX - 1), std::out_of_range);  // no wrap-around
  EXPECT_THROW(sys::putLE32(bytes, 0, 0), std::out_of_range);
  EXPECT_THROW(sys::putBE16(bytes, 3, 0), std::out_of_range);
  EXPECT_EQ(bytes, (std::array<uint8_t, 3>{1, 2, 3}));
}

}  // namespace
