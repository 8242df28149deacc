// Opens the simulated bus library and answers its control (tests, benchmarks and demos).
#pragma once

#include <dlfcn.h>

#include "sim/usb/sim_usb.h"

namespace simusb {

// nullptr if the library cannot be loaded. The library stays loaded: the bus lives as long as the
// process, and the USB layer that loads the same file shares it.
inline Control* openSimUsb(const char* path) {
  void* lib = dlopen(path, RTLD_NOW);
  if (lib == nullptr) return nullptr;
  auto entry = reinterpret_cast<Control* (*)()>(dlsym(lib, "SimUsbControl"));
  return entry ? entry() : nullptr;
}

}  // namespace simusb
