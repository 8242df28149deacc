#include "sim/usbfs/usbfs_test_support.h"

#include <cstdio>
#include <memory>
#include <mutex>

#include "sim/usb/sim_usb_loader.h"

namespace simusb::testing {

namespace {

std::string& reexecError() {
  static std::string why;
  return why;
}

// Before anything else runs (gtest's discovery included): the process must have umockdev's preload
// library from its start, or libusb would see the machine's own sysfs.
__attribute__((constructor)) void startUnderUmockdev(int, char** argv, char**) {
  std::string why;
  if (!reexecUnderUmockdev(argv, why)) reexecError() = why;
}

}  // namespace

UsbfsEmulator* emulator(std::string* why) {
  static std::once_flag once;
  static UsbfsEmulator* instance = nullptr;  // lives for the process, like the libusb backend using it
  static std::string error;
  std::call_once(once, [] {
    if (!reexecError().empty()) {
      error = reexecError();
      return;
    }
    instance = UsbfsEmulator::create(error).release();
  });
  if (why) *why = error;
  return instance;
}

Control* deviceMaker() {
  return openSimUsb(SIM_USB_LIB);
}

}  // namespace simusb::testing
