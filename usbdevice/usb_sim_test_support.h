// Test set-up for the USB device classes: the simulated bus as the USB layer's backend, the bus and the
// tick source on one virtual clock, and a wait for the layer's own thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/wdu/sim_testing.h"
#include "sim/usb/sim_ezusb.h"
#include "sim/usb/sim_usb.h"

#ifndef USBDEVICE_TEST_SIM_LIBRARY
#error "USBDEVICE_TEST_SIM_LIBRARY names the simulated bus library"
#endif

// Attach and detach arrive on the layer's thread: wait (real time, bounded) until pred holds.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

class SimBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus = wdu::testing::useSimulatedBus(USBDEVICE_TEST_SIM_LIBRARY);
    ASSERT_NE(bus, nullptr) << "cannot load " << USBDEVICE_TEST_SIM_LIBRARY;
    time.emplace(bus, 0);
  }
  void TearDown() override {
    if (bus) bus->reset();
    time.reset();
  }
  std::shared_ptr<simusb::SimEzUsb> plugChip(const simusb::EzUsbConfig& config, uint32_t* address = nullptr) {
    auto chip = bus->newEzUsb(config);
    uint32_t a = bus->plug(chip);
    if (address) *address = a;
    return chip;
  }

  simusb::Control* bus = nullptr;
  std::optional<wdu::testing::VirtualBusTime> time;
};
