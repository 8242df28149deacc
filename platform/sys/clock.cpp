#include "platform/sys/clock.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace sys {

namespace {
RealClock g_realClock;
std::atomic<Clock*> g_clock{nullptr};

// Polls one descriptor for input for at most timeoutMs of real time (0: just look). An error or a hang-up
// counts as readable (the caller's next read tells which); an interrupted poll as not yet.
bool pollReadable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  const int n = ::poll(&p, 1, timeoutMs);
  return n > 0 || (n < 0 && errno != EINTR);
}
}  // namespace

void Clock::pollFor(uint32_t ms) {
  for (uint32_t i = 0; i < std::max<uint32_t>(ms, 1); ++i) poll();
}

bool Clock::waitReadable(int fd, uint32_t ms) {
  if (pollReadable(fd, 0)) return true;
  sleep(ms);
  return pollReadable(fd, 0);
}

bool RealClock::waitReadable(int fd, uint32_t ms) {
  // An interrupted poll starts again with the time that is left.
  const uint32_t start = tick();
  for (;;) {
    const uint32_t spent = elapsedMs(start, tick());
    const uint32_t left = spent >= ms ? 0 : ms - spent;
    if (pollReadable(fd, static_cast<int>(left))) return true;
    if (elapsedMs(start, tick()) >= ms) return false;
  }
}

bool VirtualClock::waitReadable(int fd, uint32_t ms) {
  const uint32_t slice = std::min(ms, realSlice_.load(std::memory_order_relaxed));
  if (pollReadable(fd, static_cast<int>(slice))) return true;
  sleep(ms);
  return pollReadable(fd, 0);
}

uint32_t RealClock::tick() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

void RealClock::sleep(uint32_t ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClock::poll() {
  pollFor(1);
}

void RealClock::pollFor(uint32_t ms) {
  using namespace std::chrono;
  const auto now = steady_clock::now();
  std::this_thread::sleep_until(time_point_cast<milliseconds>(now) + milliseconds(std::max<uint32_t>(ms, 1)));
}

Clock& clock() {
  Clock* c = g_clock.load(std::memory_order_acquire);
  return c ? *c : g_realClock;
}

void setClock(Clock* c) {
  g_clock.store(c, std::memory_order_release);
}

ScopedVirtualClock::ScopedVirtualClock(uint32_t start, uint32_t pollStepMs)
    : clock_(start, pollStepMs), previous_(g_clock.load()) {
  setClock(&clock_);
}

ScopedVirtualClock::~ScopedVirtualClock() {
  setClock(previous_);
}

}  // namespace sys
