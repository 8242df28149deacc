#include "platform/sys/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace sys {

namespace {
RealClock g_realClock;
std::atomic<Clock*> g_clock{nullptr};
}  // namespace

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
  using namespace std::chrono;
  const auto now = steady_clock::now();
  std::this_thread::sleep_until(time_point_cast<milliseconds>(now) + milliseconds(1));
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
