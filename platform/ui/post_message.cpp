#include "platform/ui/post_message.h"

#include <dlfcn.h>

#include <atomic>

namespace ui {

namespace {

// Found once it is there; a process that has no queue yet is asked again next time.
PostMessageFn processPoster() {
  static std::atomic<PostMessageFn> cached{nullptr};
  PostMessageFn fn = cached.load(std::memory_order_acquire);
  if (fn == nullptr) {
    fn = reinterpret_cast<PostMessageFn>(dlsym(RTLD_DEFAULT, kPostMessageSymbol));
    cached.store(fn, std::memory_order_release);
  }
  return fn;
}

}  // namespace

bool postMessageToProcess(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PostMessageFn fn = processPoster();
  return fn != nullptr && fn(window, message, wParam, lParam);
}

}  // namespace ui
