// The exported C entry points: the USB layer's backend and the control tests script the bus with.
// Everything else stays hidden.
#include <cstdio>
#include <cstdlib>

#include "sim/usb/bus.h"

namespace {

simusb::detail::Bus* makeBus() {
  auto* bus = new simusb::detail::Bus;
  if (const char* spec = std::getenv(simusb::kDevicesEnvVar)) {
    for (const auto& error : bus->plugFromSpec(spec)) {
      std::fprintf(stderr, "%s: %s\n", simusb::kDevicesEnvVar, error.c_str());
    }
  }
  return bus;
}

// Lives for the whole process: the layer may still call it while static objects are destroyed.
simusb::detail::Bus& bus() {
  static simusb::detail::Bus* instance = makeBus();
  return *instance;
}

}  // namespace

extern "C" {

SIMUSB_EXPORT wdu::Backend* ZemUsbBackend() {
  return &bus();
}

SIMUSB_EXPORT simusb::Control* SimUsbControl() {
  return &bus();
}

}  // extern "C"
