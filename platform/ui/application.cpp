#include "platform/ui/application.h"

#include <algorithm>

#include "platform/sys/clock.h"
#include "platform/ui/backend.h"
#include "platform/ui/post_message.h"
#include "platform/ui/screen.h"

namespace ui {

namespace detail {
void resetForms();
void resetFileDialogs();
void resetMessageBoxes();
void resetInput();
}  // namespace detail

Application& Application::instance() {
  static Application a;
  return a;
}

void Application::post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  backend().wake();
}

bool Application::postMessage(Handle target, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!windows_.count(target)) return false;
    Message m{target, msg, wParam, lParam};
    queue_.push_back([this, m] {
      std::function<void(const Message&)> handler;
      {
        std::lock_guard<std::mutex> inner(mutex_);
        auto it = windows_.find(m.target);
        if (it == windows_.end()) return;  // window went away after posting
        handler = it->second;
      }
      handler(m);
    });
  }
  backend().wake();
  return true;
}

Handle Application::registerWindow(std::function<void(const Message&)> handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  Handle h = nextHandle_++;
  windows_[h] = std::move(handler);
  return h;
}

void Application::unregisterWindow(Handle h) {
  std::lock_guard<std::mutex> lock(mutex_);
  windows_.erase(h);
}

void Application::processMessages() {
  // Only what is queued now runs; messages posted by handlers wait for the next call,
  // so a handler that posts to itself cannot spin this call forever.
  backend().processEvents();
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(queue_);
  }
  for (auto& fn : batch) fn();
  fireDueTimers();
}

void Application::run(const std::function<bool()>& until) {
  while (!terminated_ && !(until && until())) {
    processMessages();
    idle();
  }
}

uint32_t Application::idleWaitMs(uint32_t limitMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!queue_.empty()) return 0;
  }
  const uint32_t now = sys::tickCount();
  uint32_t wait = limitMs;
  for (const Timer* t : timers_) {
    if (auto due = t->msUntilDue(now)) wait = std::min(wait, *due);
  }
  return wait;
}

void Application::idle(uint32_t limitMs) {
  backend().waitForEvents(idleWaitMs(limitMs));
}

bool Application::helpCommand(uint32_t command, uintptr_t data) {
  if (helpFile_.empty()) return false;
  helpRequests_.push_back({helpFile_, command, data, {}});
  backend().showHelp(helpRequests_.back());
  return true;
}

bool Application::helpJump(const std::string& topic) {
  if (helpFile_.empty()) return false;
  helpRequests_.push_back({helpFile_, 0, 0, topic});
  backend().showHelp(helpRequests_.back());
  return true;
}

void Application::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
  windows_.clear();
  terminated_ = false;
  title_.clear();
  helpFile_.clear();
  helpRequests_.clear();
  showHint_ = true;
  hintPause_ = 500;
  hintShortPause_ = 50;
  hintHidePause_ = 2500;
  onShowHint = nullptr;
  detail::resetForms();
  detail::resetFileDialogs();
  detail::resetMessageBoxes();
  detail::resetInput();
  screen().reset();
}

void Application::addTimer(Timer* t) {
  timers_.push_back(t);
}

void Application::removeTimer(Timer* t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

void Application::fireDueTimers() {
  // A handler may create or destroy timers: walk a snapshot and skip any that went away.
  std::vector<Timer*> snapshot = timers_;
  for (Timer* t : snapshot) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    // The time now, not at the pass's start: a handler before this one may have taken a while and started
    // this timer, whose interval runs from then.
    t->fireIfDue(sys::tickCount());
  }
}

Timer::Timer(uint32_t intervalMs) : Timer(nullptr, intervalMs) {}

Timer::Timer(Component* owner, uint32_t intervalMs) : Component(owner), interval_(intervalMs) {
  app().addTimer(this);
}

Timer::~Timer() {
  *alive_ = false;
  app().removeTimer(this);
}

void Timer::setEnabled(bool on) {
  if (on && !enabled_) start_ = sys::tickCount();
  enabled_ = on;
}

void Timer::setInterval(uint32_t ms) {
  interval_ = ms;
  start_ = sys::tickCount();
}

std::optional<uint32_t> Timer::msUntilDue(uint32_t now) const {
  if (!enabled_ || running_ || interval_ == 0 || !onTimer) return std::nullopt;
  const uint32_t elapsed = sys::elapsedMs(start_, now);
  return elapsed >= interval_ ? 0 : interval_ - elapsed;
}

void Timer::fireIfDue(uint32_t now) {
  if (!enabled_ || running_ || interval_ == 0 || !onTimer) return;
  if (sys::elapsedMs(start_, now) < interval_) return;
  start_ = now;
  running_ = true;
  // Copy: the handler may replace onTimer or destroy this timer's owner's state.
  auto handler = onTimer;
  auto alive = alive_;
  handler();
  if (*alive) running_ = false;  // the handler may have destroyed this timer
}

}  // namespace ui

// The queue's door for shared libraries the program loads (platform/ui/post_message.h); the link
// exports it from every program built on this layer.
extern "C" __attribute__((visibility("default"))) bool ZemPostMessage(uint32_t window, uint32_t message,
                                                                      uintptr_t wParam, intptr_t lParam) {
  return ui::app().postMessage(window, message, wParam, lParam);
}
