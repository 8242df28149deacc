// A host of the DMX library for our tests and benchmarks: loads the built library with dlopen, calls it
// only through Quillon, and waits for its notifications in platform/ui's message queue without spinning.
#pragma once

#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/backend.h"
#include "quillon/quillon.h"

namespace quillon::host {

// A message loop that sleeps until something is posted (or maxMs pass).
class WakeableBackend : public ui::Backend {
 public:
  void waitForEvents(uint32_t maxMs) override {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait_for(lock, std::chrono::milliseconds(maxMs), [&] { return woken_; });
    woken_ = false;
  }
  void wake() override {
    {
      std::lock_guard<std::mutex> lock(m_);
      woken_ = true;
    }
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool woken_ = false;
};

// The library, loaded on its own (RTLD_LOCAL) so that unloading it really unmaps it.
class Library {
 public:
  ~Library() { unload(); }
  // False (with the loader's reason) when the library or its entry point cannot be had.
  bool load(const char* path, std::string* error = nullptr) {
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) entry_ = reinterpret_cast<EntryFn>(dlsym(handle_, kEntrySymbol));
    if (entry_ == nullptr && error != nullptr) *error = dlerror();
    return entry_ != nullptr;
  }
  // dlclose's result; 0 when nothing was loaded.
  int unload() {
    if (handle_ == nullptr) return 0;
    const int result = dlclose(handle_);
    handle_ = nullptr;
    entry_ = nullptr;
    return result;
  }
  unsigned operator()(unsigned command, unsigned char device = 0, int value = 0, void* data = nullptr) const {
    return entry_(command, device, value, data);
  }

 private:
  void* handle_ = nullptr;
  EntryFn entry_ = nullptr;
};

// Runs the host's message loop until cond holds or ms pass; answers cond's last value.
inline bool pumpUntil(WakeableBackend& backend, const std::function<bool()>& cond, uint32_t ms,
                      uint32_t pollMs = 1) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    ui::app().processMessages();
    if (cond()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    backend.waitForEvents(pollMs);
  }
}

inline void* asData(uintptr_t number) {
  return reinterpret_cast<void*>(number);
}

}  // namespace quillon::host
