// Application object: the message queue, the message loop and timers.
//
// Headless core: posted messages and due timers run from processMessages()
// on the thread that owns the loop. post()/postMessage() may be called from
// any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace ui {

using Handle = uint32_t;  // target of posted window messages; 0 is no window

struct Message {
  Handle target = 0;
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class Timer;

class Application {
 public:
  static Application& instance();

  // Queues a closure to run on the loop's thread. Thread-safe.
  void post(std::function<void()> fn);
  // Queues a message for a registered window handle; false when the handle is unknown. Thread-safe.
  bool postMessage(Handle target, uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);

  Handle registerWindow(std::function<void(const Message&)> handler);
  void unregisterWindow(Handle h);

  // Runs every message queued so far and every timer that is due, then returns.
  void processMessages();
  // Runs the loop until terminate() (or until pred returns true, when given).
  void run(const std::function<bool()>& until = nullptr);
  void terminate() { terminated_ = true; }
  bool terminated() const { return terminated_; }

  // Drops queued messages, windows and timers; clears the terminated state (tests).
  void reset();

 private:
  friend class Timer;
  void addTimer(Timer* t);
  void removeTimer(Timer* t);
  void fireDueTimers();

  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
  std::map<Handle, std::function<void(const Message&)>> windows_;
  Handle nextHandle_ = 1;
  std::vector<Timer*> timers_;
  bool terminated_ = false;
};

inline Application& app() {
  return Application::instance();
}

// A loop timer: fires onTimer every interval ms while enabled. A handler that is still running is not
// entered again; changing the interval or enabling restarts the period.
class Timer {
 public:
  explicit Timer(uint32_t intervalMs = 1000);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void setEnabled(bool on);
  bool enabled() const { return enabled_; }
  void setInterval(uint32_t ms);
  uint32_t interval() const { return interval_; }

  std::function<void()> onTimer;

 private:
  friend class Application;
  void fireIfDue(uint32_t now);
  uint32_t interval_;
  bool enabled_ = false;
  bool running_ = false;
  uint32_t start_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
