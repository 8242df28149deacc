#include "fuzz/usb_session.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/sys/dynlib.h"

namespace fuzz {

namespace {

fuzzusb::Control* control() {
  static std::unique_ptr<sys::DynamicLibrary> library = sys::DynamicLibrary::open(FUZZ_USB_LIBRARY);
  auto entry =
      reinterpret_cast<fuzzusb::Control* (*)()>(library ? library->symbol("FuzzUsbControl") : nullptr);
  fuzzusb::Control* c = entry ? entry() : nullptr;
  if (c == nullptr) {
    std::fprintf(stderr, "the fuzzed USB backend %s did not load\n", FUZZ_USB_LIBRARY);
    std::abort();
  }
  return c;
}

void select() {
  if (wdu::SelectBackendLibrary(FUZZ_USB_LIBRARY) != wdu::kSuccess) {
    std::fprintf(stderr, "the USB layer refused the fuzzed backend: %s\n", wdu::BackendError().c_str());
    std::abort();
  }
}

}  // namespace

fuzzusb::Control* UseFuzzedBus(const wdu::DeviceInfo& attached) {
  fuzzusb::Control* c = control();
  c->replay(nullptr, 0, attached);
  select();
  return c;
}

fuzzusb::Control* UseRecordedBus(const char* simulatorPath) {
  fuzzusb::Control* c = control();
  if (!c->record(simulatorPath)) {
    std::fprintf(stderr, "cannot record from %s\n", simulatorPath);
    std::abort();
  }
  select();
  return c;
}

wdu::DeviceInfo ChipInfo(uint16_t vendorId, uint16_t productId, uint16_t bcdDevice) {
  wdu::DeviceInfo info;
  info.vendorId = vendorId;
  info.productId = productId;
  info.bcdDevice = bcdDevice;
  info.iManufacturer = 1;
  info.iProduct = 2;
  wdu::InterfaceInfo iface;
  iface.alts.push_back(wdu::AltSettingInfo{});
  info.interfaces.push_back(iface);
  return info;
}

}  // namespace fuzz
