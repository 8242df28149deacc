// OS services of the USB layer: a re-entrant mutex, an event, and joinable threads.
//
// How to use them:
//   wdu::OsMutex m;                 // re-entrant: the owning thread may lock it again
//   { std::lock_guard<wdu::OsMutex> g(m); ... }
//   wdu::OsEvent ev;                // auto-reset unless constructed with manualReset = true
//   ev.set();  ev.wait(1000);       // answers kSuccess or kTimeout
//   wdu::Thread t;
//   wdu::ThreadStart(t, [] { ... });  // ThreadWait(t) or t's destructor joins it
//
// Waits here run on real time: they sit inside layer and worker threads where a condition
// variable is the natural shape. Code that tests must run fast waits on the tick source instead.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/wdu/wdu.h"

namespace wdu {

// Re-entrant mutex; meets the standard Lockable requirements.
class OsMutex {
 public:
  void lock() { m_.lock(); }
  bool try_lock() { return m_.try_lock(); }
  void unlock() { m_.unlock(); }

 private:
  std::recursive_mutex m_;
};

class OsEvent {
 public:
  explicit OsEvent(bool manualReset = false) : manual_(manualReset) {}
  void set();
  void reset();
  bool isSet() const;
  // Waits until the event is set (an auto-reset event is then cleared again); 0 = no limit.
  Status wait(uint32_t timeoutMs);

 private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  bool manual_;
  bool set_ = false;
};

// A joinable thread. The destructor joins it.
class Thread {
 public:
  Thread() = default;
  ~Thread() { join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool joinable() const { return t_.joinable(); }
  // True when called on this thread.
  bool isCurrent() const { return t_.get_id() == std::this_thread::get_id(); }
  // Waits for the thread to end; no-op when none runs. Called from the thread itself (its own
  // handle dropped), it lets the thread run out on its own instead.
  void join();

 private:
  friend Status ThreadStart(Thread& thread, std::function<void()> body);
  std::thread t_;
};

// Starts body on a new thread held by thread. A thread it held before is joined first (the
// caller knows it has ended or is ending). kNoResources if no thread can be started,
// kWrongContext when called from the thread that thread holds.
Status ThreadStart(Thread& thread, std::function<void()> body);
// Waits for the thread to end.
inline void ThreadWait(Thread& thread) {
  thread.join();
}

}  // namespace wdu
