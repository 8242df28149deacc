#include "sim/usbfs/usbfs_test_support.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ui/application.h"
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

bool waitUntil(const std::function<bool()>& holds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!holds()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void EmulatedUsbTest::SetUp() {
  std::string why;
  emu = emulator(&why);
  if (emu == nullptr) GTEST_SKIP() << "no emulated usbfs here: " << why;
  ASSERT_EQ(wdu::SelectBackendLibrary(""), wdu::kSuccess) << wdu::BackendError();
  maker = deviceMaker();
  ASSERT_NE(maker, nullptr);
}

void EmulatedUsbTest::TearDown() {
  if (emu == nullptr) return;
  for (uint32_t address : plugged) emu->unplug(address);
  EXPECT_TRUE(waitUntilUnplugged());
}

void EmulatedProgramTest::SetUp() {
  EmulatedUsbTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  clock.emplace(0);
  ui::app().reset();
}

void EmulatedProgramTest::TearDown() {
  ui::app().reset();
  clock.reset();
  EmulatedUsbTest::TearDown();
}

uint32_t EmulatedUsbTest::plug(std::shared_ptr<Device> device) {
  const uint32_t address = emu->plug(std::move(device));
  EXPECT_NE(address, 0u);
  plugged.push_back(address);
  return address;
}

}  // namespace simusb::testing
