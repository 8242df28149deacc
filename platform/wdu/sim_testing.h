// Test support: the USB layer over the simulated bus, and the bus on the test's virtual clock.
#pragma once

#include <cstdint>

#include "platform/sys/clock.h"
#include "platform/wdu/wdu.h"
#include "sim/usb/sim_usb_loader.h"

namespace wdu::testing {

// Makes the layer use the simulator library at path and answers the bus's control (nullptr on
// failure). The bus comes back reset.
inline simusb::Control* useSimulatedBus(const char* path) {
  if (SelectBackendLibrary(path) != kSuccess) return nullptr;
  simusb::Control* bus = simusb::openSimUsb(path);
  if (bus) bus->reset();
  return bus;
}

// The bus's time source: the process's tick source (platform/sys).
class TickTime : public simusb::TimeSource {
 public:
  uint32_t tick() override { return sys::tickCount(); }
  void sleep(uint32_t ms) override { sys::sleepMs(ms); }
};

// Runs the bus and the tick source on one virtual clock for the object's lifetime.
class VirtualBusTime {
 public:
  VirtualBusTime(simusb::Control* bus, uint32_t start) : clock_(start), bus_(bus) {
    bus_->setTimeSource(&time_);
  }
  ~VirtualBusTime() { bus_->setTimeSource(nullptr); }
  VirtualBusTime(const VirtualBusTime&) = delete;
  VirtualBusTime& operator=(const VirtualBusTime&) = delete;
  uint32_t tick() { return clock_->tick(); }
  sys::VirtualClock& clock() { return *clock_; }

 private:
  sys::ScopedVirtualClock clock_;
  TickTime time_;
  simusb::Control* bus_;
};

}  // namespace wdu::testing
