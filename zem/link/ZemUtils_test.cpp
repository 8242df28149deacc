#include "zem/link/ZemUtils.h"

#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "zem/link/ZEMData.h"

namespace {

class DelayTest : public ::testing::Test {
 protected:
  void SetUp() override { InitZemData(); }
  void TearDown() override {
    ui::app().reset();
    InitZemData();
  }
};

TEST_F(DelayTest, WaitsTheTimeAcrossTheTickWrapAndOnlyDelayProcessesMessages) {
  sys::ScopedVirtualClock clock(0xFFFFFFF0u);
  int ran = 0;
  ui::app().post([&] { ++ran; });
  DelayNoMessages(100);
  EXPECT_EQ(sys::tickCount(), 0xFFFFFFF0u + 100u);  // 84 past the wrap: neither cut short nor endless
  EXPECT_EQ(ran, 0);
  Delay(40);
  EXPECT_EQ(sys::tickCount(), 0xFFFFFFF0u + 140u);
  EXPECT_EQ(ran, 1);
}

TEST_F(DelayTest, ZeroOrTerminateEndTheWaitAtOnce) {
  sys::ScopedVirtualClock clock(0);
  Delay(0);
  EXPECT_EQ(sys::tickCount(), 0u);
  ui::app().post([] { TerminateFlag = true; });
  Delay(2000);
  EXPECT_LE(sys::tickCount(), 1u);
  DelayNoMessages(2000);
  EXPECT_LE(sys::tickCount(), 1u);
}

TEST(ZemUtilsTest, TextHelpers) {
  const uint8_t bytes[] = {65, 10, 66};
  EXPECT_EQ(BufferToShortString(bytes, 3), "A_B");
  EXPECT_EQ(BufferToShortString(bytes, 40), "A_B");  // never past the data
  EXPECT_EQ(BufferToShortString(std::vector<uint8_t>(400, 'x'), 400).size(), 255u);
  EXPECT_EQ(VersionToText(2 | (3 << 8)), "2.3");
  EXPECT_EQ(VersionToText(2 | (3 << 8) | (5 << 16)), "2.3 build 5");
}

}  // namespace
