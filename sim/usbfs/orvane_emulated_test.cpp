// The firmware tool over the USB layer's libusb backend: the simulated console chip and its boards behind
// umockdev's usbfs, the dialog driven through its controls as in orvane's own tests (its pauses on the
// virtual clock, the devices answering in real time).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "orvane/COrvaneDlg.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/strings.h"
#include "platform/wdu/wdu.h"
#include "sim/usb/sim_ezusb.h"
#include "sim/usbfs/usbfs_test_support.h"

namespace {

const simusb::IicBoardIdentity kKeyboard{0xF080, 0x30, 0x05, 0x0102};  // takes the keyboard sample file

class EmulatedOrvane : public simusb::testing::EmulatedProgramTest {
 protected:
  void SetUp() override {
    EmulatedProgramTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ui::app().setTitle("Orvane");
    ui::setFileDialogResponder([this](const ui::FileDialogRequest&) { return chosenFile; });
    ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Yes; });
    dlg.reset(ui::createForm<COrvaneDlg>());
    dlg->show();
  }
  void TearDown() override {
    dlg.reset();
    ui::setFileDialogResponder(nullptr);
    ui::setMessageBoxResponder(nullptr);
    EmulatedProgramTest::TearDown();
  }
  // Waits until the devices have attached, then lets the USB list timer run.
  void listDevices(uint32_t n) {
    ASSERT_TRUE(simusb::testing::waitUntil([&] { return dlg->Device()->GetDeviceCount() == n; }));
    sys::sleepMs(COrvaneDlg::kUsbListTimerMs);
    ui::app().processMessages();
  }
  int logCount(const std::string& line) const {
    int n = 0;
    for (const auto& l : ui::Strings::splitLines(dlg->LogText())) n += l == line;
    return n;
  }

  ui::Owned<COrvaneDlg> dlg;
  std::optional<std::string> chosenFile;
};

TEST_F(EmulatedOrvane, ABoardAndAChipWithoutFirmwareAreUpdatedFromTheSampleFiles) {
  auto front = maker->newEzUsb(simusb::programmedEzUsb(simusb::ChipKind::FX2, 0x1001, 0x0102, "Front panel"));
  auto keyboard = front->addBoard(0x24, kKeyboard);
  auto blank = maker->newEzUsb(simusb::blankEzUsb(simusb::ChipKind::FX2));
  plug(front);
  plug(blank);
  listDevices(2);
  ASSERT_EQ(dlg->lbUsbDevices->items().count(), 2);
  EXPECT_EQ(dlg->lbUsbDevices->items()[0], "1001  Front panel  v01.02  DIPS:0");

  ASSERT_TRUE(ui::input::selectListItem(*dlg->lbUsbDevices, 0));  // the IIC bus is scanned
  ASSERT_EQ(dlg->lbIicDevices->items().count(), 1) << dlg->LogText();
  ASSERT_TRUE(ui::input::selectListItem(*dlg->lbIicDevices, 0));
  chosenFile = std::string(ORVANE_SAMPLES_DIR) + "/keyboard_f080_30_v0103.hex";
  ASSERT_TRUE(ui::input::click(*dlg->btnUpdateIic));
  EXPECT_EQ(logCount("Verify OK. Orvane successful."), 1) << dlg->LogText();
  EXPECT_EQ(keyboard->identity(), (simusb::IicBoardIdentity{0xF080, 0x30, 0x05, 0x0103}));

  ASSERT_TRUE(ui::input::selectListItem(*dlg->lbUsbDevices, 1));
  dlg->cbProgramUnknownPcb->setChecked(true);
  chosenFile = std::string(ORVANE_SAMPLES_DIR) + "/front_panel_1001_v0103.c2";
  ASSERT_TRUE(ui::input::click(*dlg->btnUpdateUsb));
  EXPECT_EQ(logCount("Orvane success"), 1) << dlg->LogText();
  EXPECT_TRUE(blank->loaderRunning());
  EXPECT_EQ(blank->eeprom()[0], 0xC2);
}

}  // namespace
