#include "sim/usbfs/usbfs_test_support.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/wdu/wdu.h"

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

bool waitUntilUnplugged() {
  const wdu::MatchRow rows[] = {{0x11BE, 0}, {0x04B4, 0}, {0x0547, 0}, {0x1234, 0}};
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end) {
    std::atomic<int> offers{0};
    wdu::Events events;
    events.attach = [&offers](wdu::DeviceHandle, const wdu::DeviceInfo&) {
      ++offers;
      return false;  // refused: nobody else's business
    };
    wdu::DriverHandle driver = 0;
    if (wdu::Init(driver, rows, events, wdu::kAcknowledge) != wdu::kSuccess) return false;
    // The devices present are offered at once, on the registration's thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    (void)wdu::Uninit(driver);
    if (offers == 0) return true;
  }
  return false;
}

Control* deviceMaker() {
  return openSimUsb(SIM_USB_LIB);
}

}  // namespace simusb::testing
