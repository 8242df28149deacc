// Simulated devices as real USB devices for libusb: umockdev's emulated sysfs and /dev/bus/usb, with our
// own answers to the usbfs ioctls that libusb sends to a device node (submit, reap and discard of URBs,
// claim, set interface). So the USB layer's libusb backend, and the programs on it, can be run against
// the simulated USB-DMX boxes and console chips without hardware.
//
// The process (or the one that starts the programs) must run under umockdev's preload library; see
// reexecUnderUmockdev. Devices are plugged as bus 1, device 2, 3, ...; each gets its descriptors in the
// emulated sysfs and an "add" event, as the kernel would announce it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/usb/sim_device.h"

namespace simusb {

class UsbfsEmulator {
 public:
  // nullptr (with the reason) when umockdev's test bed cannot be set up here.
  static std::unique_ptr<UsbfsEmulator> create(std::string& why);
  virtual ~UsbfsEmulator() = default;

  // Plugs a device in; answers its device number (0 if it cannot be plugged).
  virtual uint32_t plug(std::shared_ptr<Device> device) = 0;
  // Unplugs it: its URBs end with ENODEV, then the "remove" event comes.
  virtual bool unplug(uint32_t address) = 0;
  // While held, finished URBs are not handed to the reaps ("nothing to reap yet"), as when the kernel
  // gives an URB back after the device's "remove" event has been read; released, they are reaped as usual.
  virtual void holdCompletions(bool hold) = 0;
  // Discard requests the devices have received so far (whether or not the URB was still to be ended).
  virtual uint32_t discardRequests() const = 0;
  // The emulated root folder (UMOCKDEV_DIR): child processes started from here see the same devices.
  virtual std::string rootDir() const = 0;
};

// umockdev's preload library, as built in (empty when none was found at build time).
const char* umockdevPreloadLibrary();

// Starts this program again with umockdev's preload library in LD_PRELOAD, unless it is there already.
// Returns only when it is (true) or when it cannot be (false, why).
bool reexecUnderUmockdev(char** argv, std::string& why);

}  // namespace simusb
