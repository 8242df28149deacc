// The exported C entry points: the USB layer's backend and the control tests script the bus with.
// Everything else stays hidden.
#include "sim/usb/bus.h"

namespace {

// Lives for the whole process: the layer may still call it while static objects are destroyed.
simusb::detail::Bus& bus() {
  static auto* instance = new simusb::detail::Bus;
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
