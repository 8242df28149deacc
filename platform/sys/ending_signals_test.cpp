#include "platform/sys/ending_signals.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>

namespace sys {
namespace {

// A Ctrl-C that came just before the program stopped listening, while the signals' thread had not read
// it, still ends the program by it. Sent to this thread, which the signals' thread cannot read for, it
// stays unread until stop() however the threads are run.
TEST(EndingSignalsTest, ASignalNotReadYetWhenTheProgramStopsListeningIsTheFirst) {
  sigset_t ending, before;
  sigemptyset(&ending);
  for (int signal : {SIGINT, SIGHUP, SIGTERM}) sigaddset(&ending, signal);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, nullptr, &before), 0);
  std::atomic<int> handled{0};
  {
    EndingSignals signals([&handled](int signal) { handled = signal; });
    ASSERT_TRUE(signals.active());
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_EQ(signals.first(), 0);
    signals.stop();
    EXPECT_EQ(signals.first(), SIGINT);
    // The program's loop is over by then: it is not told again.
    EXPECT_EQ(handled.load(), 0);
  }
  // None is left behind for the tests that follow.
  const timespec now{0, 0};
  while (::sigtimedwait(&ending, nullptr, &now) > 0) {
  }
  ASSERT_EQ(pthread_sigmask(SIG_SETMASK, &before, nullptr), 0);
}

}  // namespace
}  // namespace sys
