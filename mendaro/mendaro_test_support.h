// Test set-up for the configurator: the simulated bus on the virtual clock, the dialog on it, and the
// user's moves through the dialog's controls.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mendaro/CMendaroDlg.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "sim/usb/sim_dmx_box.h"
#include "usbdevice/usb_sim_test_support.h"

namespace mendaro::testing {

inline simusb::ConfigBlock rawBlock(std::initializer_list<uint8_t> bytes) {
  simusb::ConfigBlock b{};
  std::copy(bytes.begin(), bytes.end(), b.begin());
  return b;
}
// A configured block: the firmware's bytes 0-1 and 8-15 set to something to keep.
inline simusb::ConfigBlock configuredBlock(uint8_t a, uint8_t b, uint8_t inputA = 0, uint8_t inputB = 0) {
  return rawBlock(
      {0xE0, 0xE1, 0xA4, 0x5B, a, b, inputA, inputB, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF});
}

class MendaroTest : public SimBusTest {
 protected:
  void SetUp() override {
    SimBusTest::SetUp();
    ui::app().reset();
    ui::clearShownMessageBoxes();
  }
  void TearDown() override {
    ui::app().reset();
    ui::clearShownMessageBoxes();
    SimBusTest::TearDown();
  }

  struct Plugged {
    std::shared_ptr<simusb::SimDmxBox> box;
    uint32_t address = 0;
  };
  Plugged plug(const simusb::DmxBoxConfig& config) {
    Plugged p{bus->newDmxBox(config), 0};
    p.address = bus->plug(p.box);
    return p;
  }

  // Virtual time passes; the timers that fall due run.
  static void pass(uint32_t ms) {
    sys::sleepMs(ms);
    ui::app().processMessages();
  }
};

class MendaroDialogTest : public MendaroTest {
 protected:
  void SetUp() override {
    MendaroTest::SetUp();
    dlg.reset(ui::createForm<CMendaroDlg>(nullptr));
    dlg->show();
  }
  void TearDown() override {
    dlg.reset();
    MendaroTest::TearDown();
  }

  // Waits until the device list holds n boxes, then lets the device watch run once.
  void watch(uint32_t n) {
    ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetDeviceCount() == n; }));
    pass(CMendaroDlg::kWatchMs);
  }
  // Plugs the boxes in and lets the watch list them.
  std::vector<Plugged> attach(const std::vector<simusb::DmxBoxConfig>& configs) {
    std::vector<Plugged> out;
    for (const auto& c : configs) out.push_back(plug(c));
    watch(static_cast<uint32_t>(configs.size()));
    return out;
  }
  void unplug(const Plugged& p, uint32_t left) {
    bus->unplug(p.address);
    watch(left);
  }

  bool pick(int line) { return ui::input::selectListItem(*dlg->lbDevices, line); }
  // The user goes into the edit (which selects what it holds) and types text in its place.
  void type(ui::RichEdit* edit, const std::string& text) {
    ASSERT_TRUE(edit->setFocus());
    ui::input::typeText(text);
  }
  std::vector<std::string> lines() const { return dlg->lbDevices->items().lines(); }
  std::vector<std::string> log() const { return dlg->mLog->lines().lines(); }
  std::string universes() const {
    return dlg->reUniverseA->content() + "/" + dlg->reUniverseB->content() + " " + dlg->cbInputA->caption() +
           "/" + dlg->cbInputB->caption();
  }
  // Control transfers that wrote a configuration block, to any box.
  size_t blockWrites() const {
    size_t n = 0;
    for (const auto& t : bus->transfers())
      if (t.pipe == 0 && t.setup[0] == 0x40 && t.setup[1] == 0x01) ++n;
    return n;
  }

  ui::Owned<CMendaroDlg> dlg;
};

}  // namespace mendaro::testing
