#include "platform/sys/result.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

sys::Result<int> half(int n) {
  if (n % 2 != 0) return sys::Error("odd: " + std::to_string(n));
  return n / 2;
}

TEST(ResultTest, ASuccessCarriesItsValueAndNoMessage) {
  const auto r = half(8);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value(), 4);
  EXPECT_EQ(r.error(), "");
}

TEST(ResultTest, AFailureCarriesItsMessageAndRefusesAValue) {
  const auto r = half(3);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.error(), "odd: 3");
  EXPECT_THROW((void)r.value(), std::logic_error);
}

TEST(ResultTest, AValueCanBeMovedOut) {
  sys::Result<std::vector<int>> r(std::vector<int>{1, 2, 3});
  const std::vector<int> taken = std::move(r).value();
  EXPECT_EQ(taken.size(), 3u);
}

TEST(ResultTest, AVoidResultIsSuccessOrAMessage) {
  EXPECT_TRUE(sys::Result<void>().ok());
  const sys::Result<void> failed = sys::Error("disk full");
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), "disk full");
}

}  // namespace
