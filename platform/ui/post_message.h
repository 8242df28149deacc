// Posting window messages from a shared library the program loaded (the DMX library's notifications):
// the program's message queue, reached through the one C function that every program built on
// platform/ui exports, so the message arrives in the program's own loop whatever thread posted it.
//
// How to use it (in the library; nothing to link but platform_ui_post):
//   ui::postMessageToProcess(window, message, wParam, lParam);  // false: no such window, or no queue
#pragma once

#include <cstdint>

namespace ui {

// The exported C function (defined with the message queue, application.cpp):
//   extern "C" bool ZemPostMessage(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);
inline constexpr const char* kPostMessageSymbol = "ZemPostMessage";
using PostMessageFn = bool (*)(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Posts to a window handle of the process's message queue (Application::postMessage). Thread-safe.
// False when the handle is unknown or the process has no platform/ui message queue.
bool postMessageToProcess(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace ui
