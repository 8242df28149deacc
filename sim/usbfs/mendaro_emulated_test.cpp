// The configurator over the USB layer's libusb backend: simulated USB-DMX boxes behind umockdev's usbfs,
// the dialog driven through its controls as in mendaro's own tests (its timers on the virtual clock, the
// boxes answering in real time).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mendaro/CMendaroDlg.h"
#include "mendaro/QUILLON.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/input.h"
#include "platform/wdu/wdu.h"
#include "sim/usb/sim_dmx_box.h"
#include "sim/usbfs/usbfs_test_support.h"

namespace {

using ::testing::ElementsAre;

class EmulatedMendaro : public simusb::testing::EmulatedProgramTest {
 protected:
  void SetUp() override {
    EmulatedProgramTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    dlg.reset(ui::createForm<mendaro::CMendaroDlg>(nullptr));
    dlg->show();
  }
  void TearDown() override {
    dlg.reset();
    EmulatedProgramTest::TearDown();
  }
  std::shared_ptr<simusb::SimDmxBox> plugBox(const simusb::DmxBoxConfig& config) {
    auto box = maker->newDmxBox(config);
    plug(box);
    return box;
  }
  // Waits until the boxes have attached, then lets the device watch run.
  void watch(uint32_t n) {
    ASSERT_TRUE(simusb::testing::waitUntil([&] { return dlg->Device()->GetDeviceCount() == n; }));
    sys::sleepMs(mendaro::CMendaroDlg::kWatchMs);
    ui::app().processMessages();
  }
  void type(ui::RichEdit* edit, const std::string& text) {
    ASSERT_TRUE(edit->setFocus());
    ui::input::typeText(text);
  }

  ui::Owned<mendaro::CMendaroDlg> dlg;
};

TEST_F(EmulatedMendaro, APickedBoxIdentifiesItselfAndUpdateWritesItsUniverses) {
  auto box = plugBox(
      {.name = "Stage left",
       .configBlock = {0xE0, 0xE1, 0xA4, 0x5B, 5, 6, 0, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF}});
  watch(1);
  ASSERT_EQ(dlg->lbDevices->items().count(), 1);
  ASSERT_TRUE(ui::input::selectListItem(*dlg->lbDevices, 0));
  EXPECT_TRUE(box->identify().on);
  type(dlg->reUniverseA, "12");
  type(dlg->reUniverseB, "13");
  ASSERT_TRUE(ui::input::click(*dlg->cbInputA));
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  EXPECT_THAT(box->configBlock(), ElementsAre(0xE0, 0xE1, 0xA4, 0x5B, 12, 13, 1, 0, 0xE8, 0xE9, 0xEA, 0xEB,
                                              0xEC, 0xED, 0xEE, 0xEF));
  EXPECT_EQ(dlg->lbDevices->items()[0], "Tavren omnex USB DMX v01.04  A:12  B:13");
}

TEST_F(EmulatedMendaro, AnUnplugNeverMovesTheHighlightOntoAnotherBox) {
  const simusb::ConfigBlock second = {0xE0, 0xE1, 0xA4, 0x5B, 3,    4,    0,    0,
                                      0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF};
  plugBox({.name = "First"});
  auto other = plugBox({.name = "Second", .configBlock = second});
  watch(2);
  ASSERT_TRUE(ui::input::selectListItem(*dlg->lbDevices, 0));
  ASSERT_TRUE(emu->unplug(plugged.front()));
  watch(1);
  EXPECT_EQ(dlg->lbDevices->itemIndex(), -1) << "the picked box is gone: no highlight";
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  EXPECT_EQ(other->configBlock(), second);
}

}  // namespace
