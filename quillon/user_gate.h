// A count of users behind a gate: users get in only while the gate is open, and whoever closes it can
// wait until the last one has left. Other waits that must end when the gate closes share its lock and
// its wake-ups. (A device's port threads and frame copies behind its stop flag; the attach and detach
// handlers behind the library's shutdown.)
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quillon {

class UserGate {
 public:
  // Counts one more user; false (nothing counted) while the gate is closed.
  bool enter() {
    std::lock_guard<std::mutex> lock(m_);
    if (closed_) return false;
    ++users_;
    return true;
  }
  // One user less (never below 0).
  void leave() {
    update([&] {
      if (users_ > 0) --users_;
    });
  }
  // Closes the gate and wakes every waiter.
  void close() {
    update([&] { closed_ = true; });
  }
  void open() {
    std::lock_guard<std::mutex> lock(m_);
    closed_ = false;
  }
  bool closed() const { return closed_; }

  // Waits until no user is inside.
  void waitIdle() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return users_ == 0; });
  }
  // Waits at most ms for the gate to close; true once it is closed.
  bool waitClosed(uint32_t ms) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return closed_.load(); });
  }
  // Waits until the gate closes or cond (checked under the gate's lock) holds.
  template <typename Cond>
  void waitClosedOr(Cond cond) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return closed_ || cond(); });
  }
  // Runs change under the gate's lock, then wakes the waiters: a waiter checking its condition cannot
  // miss it.
  template <typename Change>
  void update(Change change) {
    {
      std::lock_guard<std::mutex> lock(m_);
      change();
    }
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::atomic<bool> closed_{false};  // written under m_; read without it by loops that only look
  int32_t users_ = 0;
};

}  // namespace quillon
