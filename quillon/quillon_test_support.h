// Test support: a host of the DMX library. Each test loads the built library with dlopen, reaches it
// only through Quillon, plugs simulated boxes into the simulated bus and receives the library's
// notifications in platform/ui's message queue, as a host program would.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sys/priority.h"
#include "platform/wdu/sim_testing.h"
#include "quillon/quillon_host.h"
#include "sim/usb/sim_dmx_box.h"

namespace quillon::testing {

using host::asData;

class QuillonHost : public ::testing::Test {
 public:
  static constexpr uint32_t kMessage = 0x8001;  // the host's notification message number
  static constexpr uint32_t kWaitMs = 5000;     // generous bound of every wait on the library

  void SetUp() override {
    bus = selectBackend();
    ASSERT_NE(bus, nullptr) << wdu::BackendError();
    ui::app().reset();
    ui::setBackend(&backend_);
    window = ui::app().registerWindow([this](const ui::Message& m) {
      if (m.msg == kMessage) messages.push_back(m);
    });
    load();
  }

  void TearDown() override {
    unload();
    ui::setBackend(nullptr);
    ui::app().reset();
    if (bus) bus->reset();
    (void)sys::setPriorityClass(sys::PriorityClass::Normal);  // the library raises it when loaded
  }

  void load() {
    std::string error;
    ASSERT_TRUE(lib_.load(QUILLON_LIB, &error)) << error;
  }
  // Unloads the library (its destructor shuts down what is left) and checks that it is gone.
  void unload() {
    EXPECT_EQ(lib_.unload(), 0);
    EXPECT_EQ(dlopen(QUILLON_LIB, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stayed loaded";
  }

  unsigned Q(unsigned command, unsigned char device = 0, int value = 0, void* data = nullptr) {
    return lib_(command, device, value, data);
  }

  // Initialises the library for vendor 0x11BE and the given product.
  void init(unsigned char maximum = 255, uint16_t product = 0xF0A9) {
    ASSERT_EQ(Q(DMX_CMD_INIT, maximum, 0x11BE, asData(product)), 0u);
  }

  uint32_t plug(const simusb::DmxBoxConfig& config = {}) {
    auto box = bus->newDmxBox(config);
    boxes.push_back(box);
    return plugDevice(box);
  }

  // Where the boxes are plugged: the simulated bus, as the layer's backend. A fixture that runs the
  // same scenarios over another backend answers the bus that makes its boxes and plugs them itself.
  virtual simusb::Control* selectBackend() { return wdu::testing::useSimulatedBus(SIM_USB_LIB); }
  virtual uint32_t plugDevice(std::shared_ptr<simusb::Device> device) { return bus->plug(std::move(device)); }

  // Polls cond (pumping the host's messages) until it holds or kWaitMs pass.
  bool waitUntil(const std::function<bool()>& cond, uint32_t ms = kWaitMs) {
    return host::pumpUntil(backend_, cond, ms);
  }
  bool waitAttached(unsigned char id) {
    return waitUntil([&] { return Q(DMX_CMD_DEVICE_EXISTS, id) == 0; });
  }
  bool waitGone(unsigned char id) {
    return waitUntil([&] { return Q(DMX_CMD_DEVICE_EXISTS, id) != 0; });
  }
  // How many notifications of this kind (and wParam, unless any) have arrived.
  size_t count(intptr_t kind, uintptr_t wParam, bool anyWParam = false) const {
    size_t n = 0;
    for (const auto& m : messages) n += m.lParam == kind && (anyWParam || m.wParam == wParam) ? 1 : 0;
    return n;
  }
  bool waitForNotification(intptr_t kind, uintptr_t wParam, size_t n = 1) {
    return waitUntil([&] { return count(kind, wParam) >= n; });
  }

  // Plugs a box, waits until it has id `id` and opens it with notifications to the host's window.
  void openBox(unsigned char id, const simusb::DmxBoxConfig& config = {}) {
    plug(config);
    ASSERT_TRUE(waitAttached(id));
    ASSERT_EQ(Q(DMX_CMD_OPEN, id), 0u);
    ASSERT_EQ(Q(DMX_CMD_SET_NOTIFY, id, static_cast<int>(kMessage), asData(window)), 0u);
  }

  // The vendor control requests with this bRequest the bus carried, oldest first.
  std::vector<simusb::TransferRecord> requests(uint8_t request) const {
    std::vector<simusb::TransferRecord> out;
    for (auto& t : bus->transfers()) {
      if (t.pipe == 0 && (t.setup[0] & 0x60) == 0x40 && t.setup[1] == request) out.push_back(t);
    }
    return out;
  }
  static uint16_t wValue(const simusb::TransferRecord& t) {
    return static_cast<uint16_t>(t.setup[2] | t.setup[3] << 8);
  }
  static uint16_t wIndex(const simusb::TransferRecord& t) {
    return static_cast<uint16_t>(t.setup[4] | t.setup[5] << 8);
  }
  static uint16_t wLength(const simusb::TransferRecord& t) {
    return static_cast<uint16_t>(t.setup[6] | t.setup[7] << 8);
  }

  simusb::Control* bus = nullptr;
  std::vector<std::shared_ptr<simusb::SimDmxBox>> boxes;
  ui::Handle window = 0;
  std::vector<ui::Message> messages;  // notifications, in the order the host received them

 private:
  host::WakeableBackend backend_;
  host::Library lib_;
};

// 512 slot values following a pattern.
inline simusb::DmxSlots pattern(uint8_t seed) {
  simusb::DmxSlots s{};
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i * 7 + seed);
  return s;
}

}  // namespace quillon::testing
