#include "platform/sys/clock.h"

#include <gtest/gtest.h>

namespace sys {
namespace {

TEST(ClockTest, ElapsedAndTimeoutAreCorrectAcrossTheWrap) {
  EXPECT_EQ(elapsedMs(0xFFFFFFF0u, 0x10u), 0x20u);
  EXPECT_FALSE(timeExceeded(0xFFFFFFF0u, 200, 0x10u));
  EXPECT_TRUE(timeExceeded(0xFFFFFFF0u, 0x1F, 0x10u));
  // Exactly at the limit has not yet run out.
  EXPECT_FALSE(timeExceeded(100, 50, 150));
}

TEST(ClockTest, VirtualClockMovesOnlyOnSleepPollAndAdvance) {
  ScopedVirtualClock vc(0xFFFFFFFEu, 2);
  EXPECT_EQ(tickCount(), 0xFFFFFFFEu);
  busyWaitPoll();
  EXPECT_EQ(tickCount(), 0u);
  sleepMs(5);
  vc->advance(10);
  EXPECT_EQ(tickCount(), 15u);
  busyWaitPoll(3);  // three polls' worth
  EXPECT_EQ(tickCount(), 21u);
}

TEST(ClockTest, RealClockPollPausesUntilTheNextTick) {
  RealClock real;
  // A busy-wait pass gives the processor away until the next millisecond: the tick has moved on.
  for (int i = 0; i < 3; ++i) {
    const uint32_t before = real.tick();
    real.poll();
    EXPECT_NE(real.tick(), before);
  }
}

TEST(ClockTest, RealClockPollForPausesUntilTheTickHasMovedThatFar) {
  RealClock real;
  // One wake-up that waits out several ticks: the tick has moved on by at least that many, not one more
  // than its resolution allows.
  const uint32_t before = real.tick();
  real.pollFor(5);
  EXPECT_GE(elapsedMs(before, real.tick()), 5u);
}

TEST(ClockTest, ScopedClockRestoresThePreviousOne) {
  Clock* before = &clock();
  {
    ScopedVirtualClock outer(100);
    {
      ScopedVirtualClock inner(7);
      EXPECT_EQ(tickCount(), 7u);
    }
    EXPECT_EQ(tickCount(), 100u);
  }
  EXPECT_EQ(&clock(), before);
}

}  // namespace
}  // namespace sys
