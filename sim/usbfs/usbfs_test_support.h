// Test support for runs over the libusb backend: one umockdev test bed for the whole test process (the
// process starts itself again under umockdev's preload library first), with simulated devices plugged
// into it, and the simulated bus library only as the maker of those devices.
#pragma once

#include <string>

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

}  // namespace simusb::testing
