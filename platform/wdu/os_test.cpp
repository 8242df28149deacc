// The layer's OS services: re-entrant mutex, events, joinable threads.
#include "platform/wdu/os.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/wdu/wdu_names.h"

namespace {

TEST(OsMutex, TheOwnerMayLockAgainAndOthersWaitUntilItsLastUnlock) {
  wdu::OsMutex* m = nullptr;
  ASSERT_EQ(OsMutexCreate(&m), wdu::kSuccess);
  OsMutexLock(m);
  OsMutexLock(m);  // the device list takes it again inside a refresh
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = m->try_lock(); }).join();
  EXPECT_FALSE(otherGotIt);
  OsMutexUnlock(m);
  std::thread([&] { otherGotIt = m->try_lock(); }).join();
  EXPECT_FALSE(otherGotIt);
  OsMutexUnlock(m);
  std::thread([&] {
    otherGotIt = m->try_lock();
    if (otherGotIt) m->unlock();
  }).join();
  EXPECT_TRUE(otherGotIt);
  OsMutexClose(m);
}

TEST(OsEvent, AutoResetWakesOneWaitThenClears) {
  wdu::OsEvent ev;
  ev.set();
  EXPECT_EQ(ev.wait(1), wdu::kSuccess);
  EXPECT_FALSE(ev.isSet());
  EXPECT_EQ(ev.wait(1), wdu::kTimeout);
}

TEST(OsEvent, ManualResetStaysSetUntilReset) {
  wdu::OsEvent ev(true);
  ev.set();
  EXPECT_EQ(ev.wait(1), wdu::kSuccess);
  EXPECT_EQ(ev.wait(1), wdu::kSuccess);
  ev.reset();
  EXPECT_EQ(ev.wait(1), wdu::kTimeout);
}

TEST(OsEvent, AWaitWithoutLimitEndsWhenAnotherThreadSetsIt) {
  wdu::OsEvent* ev = nullptr;
  ASSERT_EQ(OsEventCreate(&ev), wdu::kSuccess);
  std::thread setter([&] { OsEventSignal(ev); });
  EXPECT_EQ(OsEventWait(ev, 0), wdu::kSuccess);
  setter.join();
  OsEventClose(ev);
}

TEST(Thread, StartRunsTheBodyAndWaitJoinsIt) {
  wdu::Thread t;
  std::atomic<int> runs{0};
  ASSERT_EQ(wdu::ThreadStart(t, [&] { ++runs; }), wdu::kSuccess);
  wdu::ThreadWait(t);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(t.joinable());
  // Starting again on the same object joins the ended thread first.
  ASSERT_EQ(wdu::ThreadStart(t, [&] { ++runs; }), wdu::kSuccess);
  ASSERT_EQ(wdu::ThreadStart(t, [&] { ++runs; }), wdu::kSuccess);
  wdu::ThreadWait(t);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(wdu::ThreadStart(t, nullptr), wdu::kInvalidParameter);
}

TEST(Thread, AThreadCannotRestartItselfAndMayDropItsOwnHandle) {
  auto t = std::make_unique<wdu::Thread>();
  std::atomic<wdu::Status> restart{wdu::kSuccess};
  wdu::OsEvent done(true);
  wdu::OsEvent started(true);
  ASSERT_EQ(wdu::ThreadStart(*t,
                             [&] {
                               started.wait(0);
                               restart = wdu::ThreadStart(*t, [] {});
                               t.reset();  // joins from the thread itself: it runs out on its own
                               done.set();
                             }),
            wdu::kSuccess);
  started.set();
  EXPECT_EQ(done.wait(0), wdu::kSuccess);
  EXPECT_EQ(restart.load(), wdu::kWrongContext);
}

}  // namespace
