#include "platform/sys/priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

int currentNice(pid_t tid) {
  errno = 0;
  return getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
}

TEST(ProcessPriority, EveryThreadOfTheProcessTakesTheClass) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  std::atomic<pid_t> workerTid{0};
  std::thread worker([&] {
    workerTid = gettid();
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return done; });
  });
  while (workerTid.load() == 0) std::this_thread::yield();

  if (!sys::setPriorityClass(sys::PriorityClass::High)) {
    {
      std::lock_guard<std::mutex> lock(m);
      done = true;
    }
    cv.notify_all();
    worker.join();
    GTEST_SKIP() << "no privilege to raise the priority here";
  }
  EXPECT_EQ(currentNice(gettid()), -10);
  EXPECT_EQ(currentNice(workerTid), -10);
  EXPECT_TRUE(sys::setPriorityClass(sys::PriorityClass::Realtime));
  EXPECT_EQ(currentNice(workerTid), -20);
  EXPECT_TRUE(sys::setPriorityClass(sys::PriorityClass::Normal));
  EXPECT_EQ(currentNice(gettid()), 0);
  EXPECT_EQ(currentNice(workerTid), 0);
  {
    std::lock_guard<std::mutex> lock(m);
    done = true;
  }
  cv.notify_all();
  worker.join();
}

}  // namespace
