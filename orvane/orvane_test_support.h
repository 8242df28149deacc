// Test set-up for the firmware tool: the dialog shown headless over the simulated USB bus on the virtual
// clock, and answers for its file dialogs and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "orvane/COrvaneDlg.h"
#include "orvane/test_firmware.h"
#include "platform/sys/sys_testing.h"
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "usbdevice/usb_sim_test_support.h"

namespace orvanetest {

// A simulated chip with hooks on its control requests: a test answers a request itself (before) or changes
// the chip's answer (after). Hooks are set before the chip is plugged in.
class HookedChip : public simusb::Device {
 public:
  explicit HookedChip(std::shared_ptr<simusb::SimEzUsb> chip) : chip_(std::move(chip)) {}
  std::function<std::optional<simusb::Reply>(const simusb::Setup&, uint8_t*)> before;
  std::function<void(const simusb::Setup&, uint8_t*, simusb::Reply&)> after;

  wdu::DeviceInfo info() override { return chip_->info(); }
  simusb::Reply control(const simusb::Setup& setup, uint8_t* data) override {
    if (before) {
      if (std::optional<simusb::Reply> r = before(setup, data)) return *r;
    }
    simusb::Reply reply = chip_->control(setup, data);
    if (after) after(setup, data, reply);
    return reply;
  }
  uint32_t setInterface(uint8_t i, uint8_t alt) override { return chip_->setInterface(i, alt); }
  void plugged(simusb::DeviceHost* host) override { chip_->plugged(host); }
  void unplugged() override { chip_->unplugged(); }

 private:
  std::shared_ptr<simusb::SimEzUsb> chip_;
};

inline bool isA2(const simusb::Setup& s, uint8_t command) {
  return s.request == 0xA2 && (s.index & 0xFF) == command;
}

class OrvaneDlgTest : public SimBusTest {
 protected:
  void SetUp() override {
    SimBusTest::SetUp();
    ui::app().reset();
    ui::app().setTitle("Orvane");
    // A folder of the test's own (a parameterised test's name holds a '/'), gone even when the test fails.
    folder_.emplace("orvane_test_");
    dir_ = folder_->path();
    ui::setFileDialogResponder([this](const ui::FileDialogRequest& r) -> std::optional<std::string> {
      fileRequests.push_back(r);
      return chosenFile;
    });
    ui::setMessageBoxResponder([this](const ui::MessageBoxRequest& r) {
      boxes.push_back(r);
      return answer;
    });
    dlg.reset(ui::createForm<COrvaneDlg>());
    dlg->show();
  }
  void TearDown() override {
    dlg.reset();
    ui::setFileDialogResponder(nullptr);
    ui::setMessageBoxResponder(nullptr);
    ui::app().reset();
    folder_.reset();
    SimBusTest::TearDown();
  }

  // Waits until the device list holds n devices, then lets the USB list timer run once.
  void listDevices(uint32_t n) {
    ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetDeviceCount() == n; }));
    timerTick();
  }
  void timerTick() {
    sys::sleepMs(COrvaneDlg::kUsbListTimerMs);
    ui::app().processMessages();
  }
  void pickUsb(int line) { ASSERT_TRUE(ui::input::selectListItem(*dlg->lbUsbDevices, line)); }
  void pickBoard(int line) { ASSERT_TRUE(ui::input::selectListItem(*dlg->lbIicDevices, line)); }

  std::string writeFile(const std::string& name, const std::string& text) {
    std::filesystem::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }
  std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    return writeFile(name, std::string(bytes.begin(), bytes.end()));
  }

  // A programmed FX2 (product 1001, version 1.02, DIP byte 5) named "Front panel".
  std::shared_ptr<simusb::SimEzUsb> newFrontPanel() {
    auto config = simusb::programmedEzUsb(simusb::ChipKind::FX2, 0x1001, 0x0102, "Front panel");
    config.dipSwitches = 5;
    return bus->newEzUsb(config);
  }

  std::vector<std::string> logLines() const { return ui::Strings::splitLines(dlg->LogText()); }
  bool logHas(const std::string& line) const {
    for (const auto& l : logLines())
      if (l == line) return true;
    return false;
  }
  // The transfers of one request A2 command (wIndex low byte), in order.
  std::vector<simusb::TransferRecord> a2(uint8_t command) const {
    std::vector<simusb::TransferRecord> out;
    for (const auto& t : bus->transfers())
      if (t.setup[1] == 0xA2 && t.setup[4] == command) out.push_back(t);
    return out;
  }

  ui::Owned<COrvaneDlg> dlg;
  std::optional<std::string> chosenFile;
  std::vector<ui::FileDialogRequest> fileRequests;
  ui::ModalResult answer = ui::ModalResult::Yes;
  std::vector<ui::MessageBoxRequest> boxes;
  std::optional<sys::testing::TempFolder> folder_;
  std::filesystem::path dir_;
};

}  // namespace orvanetest
