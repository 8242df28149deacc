// Test support for runs over the libusb backend: one umockdev test bed for the whole test process (the
// process starts itself again under umockdev's preload library first), with simulated devices plugged
// into it, and the simulated bus library only as the maker of those devices.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "sim/usb/sim_usb.h"
#include "sim/usbfs/usbfs_emulator.h"

namespace simusb::testing {

// The process's emulator; nullptr (and why) when umockdev cannot run here: the tests then skip.
UsbfsEmulator* emulator(std::string* why = nullptr);
// After unplugs: waits (at most 5 s) until the USB layer offers no device of any vendor the tests use,
// so that the next test meets no device that is still leaving.
bool waitUntilUnplugged();
// The simulated bus library's control, to make boxes and chips (never selected as the backend here).
Control* deviceMaker();
// Polls the condition (real time, at most 5 s): the emulator's and the layer's threads make it come true.
bool waitUntil(const std::function<bool()>& holds);

// A test over the USB layer's libusb backend with emulated devices; skipped where umockdev cannot run.
// The devices plug() plugs in are unplugged at the end (a derived TearDown ends its own things first).
class EmulatedUsbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  uint32_t plug(std::shared_ptr<Device> device);

  UsbfsEmulator* emu = nullptr;
  Control* maker = nullptr;  // makes the boxes and chips
  std::vector<uint32_t> plugged;
};

// A program's dialog over emulated devices: its timers and pauses on the virtual clock (the devices answer
// in real time), the window layer reset before and after.
class EmulatedProgramTest : public EmulatedUsbTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::optional<sys::ScopedVirtualClock> clock;
};

}  // namespace simusb::testing
