#include "platform/wdu/os.h"

#include <chrono>
#include <system_error>

namespace wdu {

void OsEvent::set() {
  // Notified under the lock: a waiter that wakes may destroy the event at once.
  std::lock_guard<std::mutex> lock(m_);
  set_ = true;
  if (manual_) {
    cv_.notify_all();
  } else {
    cv_.notify_one();
  }
}

void OsEvent::reset() {
  std::lock_guard<std::mutex> lock(m_);
  set_ = false;
}

bool OsEvent::isSet() const {
  std::lock_guard<std::mutex> lock(m_);
  return set_;
}

Status OsEvent::wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(m_);
  const auto ready = [this] { return set_; };
  if (timeoutMs == 0) {
    cv_.wait(lock, ready);
  } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return kTimeout;
  }
  if (!manual_) set_ = false;
  return kSuccess;
}

void Thread::join() {
  if (!t_.joinable()) return;
  // A thread that drops its own handle cannot wait for itself: let it run out instead.
  if (isCurrent()) {
    t_.detach();
    return;
  }
  t_.join();
}

Status ThreadStart(Thread& thread, std::function<void()> body) {
  if (!body) return kInvalidParameter;
  if (thread.isCurrent()) return kWrongContext;
  thread.join();
  try {
    thread.t_ = std::thread(std::move(body));
  } catch (const std::system_error&) {
    return kNoResources;
  }
  return kSuccess;
}

}  // namespace wdu
