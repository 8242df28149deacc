// Millisecond tick source shared by every wait in the system.
//
// The tick is a 32-bit counter that wraps; compare ticks only through
// elapsedMs()/timeExceeded(), which work modulo 2^32. Tests install a
// VirtualClock so that long waits cost no real time.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace sys {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t tick() = 0;
  virtual void sleep(uint32_t ms) = 0;
  // Called once per pass of every busy-wait loop: a pause no longer than the tick's resolution, so
  // that a loop waiting on a device neither spins a core nor overshoots its time-out.
  virtual void poll() {}
  // A busy-wait pass that looks again only later: a pause until the tick has moved on by ms (at least 1;
  // pollFor(1) is poll()). One wake-up where ms polls would make ms of them.
  virtual void pollFor(uint32_t ms);
  // Waits at most ms for an outside event, a file descriptor becoming readable (such as a process's
  // end); true when it is readable. This default looks, sleeps ms on the clock and looks again.
  virtual bool waitReadable(int fd, uint32_t ms);
};

// Steady system time in milliseconds, truncated to 32 bits.
class RealClock : public Clock {
 public:
  uint32_t tick() override;
  void sleep(uint32_t ms) override;
  // Sleeps until the tick changes (at most 1 ms).
  void poll() override;
  // Sleeps until the tick has changed ms times.
  void pollFor(uint32_t ms) override;
  // Blocks until the descriptor is readable or ms have passed.
  bool waitReadable(int fd, uint32_t ms) override;
};

// Deterministic clock for tests: time moves only on sleep, on poll and on advance. Safe to share
// between threads (worker threads of the USB programs sleep on it too).
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint32_t start = 0, uint32_t pollStepMs = 1) : now_(start), pollStep_(pollStepMs) {}
  uint32_t tick() override { return now_.load(std::memory_order_acquire); }
  void sleep(uint32_t ms) override { now_.fetch_add(ms, std::memory_order_acq_rel); }
  void poll() override {
    now_.fetch_add(pollStep_.load(std::memory_order_relaxed), std::memory_order_acq_rel);
  }
  void pollFor(uint32_t ms) override {
    now_.fetch_add(std::max<uint32_t>(ms, 1) * pollStep_.load(std::memory_order_relaxed),
                   std::memory_order_acq_rel);
  }
  void advance(uint32_t ms) { now_.fetch_add(ms, std::memory_order_acq_rel); }
  // The outside world runs in real time: it gets at most the real slice (kRealSliceMs unless set) to
  // deliver the event; when none came, the clock moves on by ms.
  bool waitReadable(int fd, uint32_t ms) override;
  static constexpr uint32_t kRealSliceMs = 5;
  // A test whose event never comes (a process that never ends) sets 0: its long waits then cost no real
  // time.
  void setRealSlice(uint32_t ms) { realSlice_.store(ms, std::memory_order_relaxed); }
  void set(uint32_t t) { now_.store(t, std::memory_order_release); }
  void setPollStep(uint32_t ms) { pollStep_.store(ms, std::memory_order_relaxed); }

 private:
  std::atomic<uint32_t> now_;
  std::atomic<uint32_t> pollStep_;
  std::atomic<uint32_t> realSlice_{kRealSliceMs};
};

// The clock in use; the real one unless a test installed another.
Clock& clock();
// Installs a clock (nullptr restores the real one). The caller keeps ownership.
void setClock(Clock* c);

inline uint32_t tickCount() {
  return clock().tick();
}
inline void sleepMs(uint32_t ms) {
  clock().sleep(ms);
}
inline void busyWaitPoll() {
  clock().poll();
}
inline void busyWaitPoll(uint32_t ms) {
  clock().pollFor(ms);
}
inline bool waitReadable(int fd, uint32_t ms) {
  return clock().waitReadable(fd, ms);
}

// Milliseconds from start to now, correct across the counter's wrap.
constexpr uint32_t elapsedMs(uint32_t start, uint32_t now) {
  return now - start;
}
// True once more than timeoutMs have passed since start.
constexpr bool timeExceeded(uint32_t start, uint32_t timeoutMs, uint32_t now) {
  return elapsedMs(start, now) > timeoutMs;
}

// Installs a VirtualClock for the lifetime of the object (tests).
class ScopedVirtualClock {
 public:
  explicit ScopedVirtualClock(uint32_t start = 0, uint32_t pollStepMs = 1);
  ~ScopedVirtualClock();
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock& operator*() { return clock_; }
  VirtualClock* operator->() { return &clock_; }

 private:
  VirtualClock clock_;
  Clock* previous_;
};

}  // namespace sys
