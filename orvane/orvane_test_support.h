// Test set-up for the firmware tool: the dialog shown headless over the simulated USB bus on the virtual
// clock, answers for its file dialogs and message boxes, and Intel HEX files and boot images written for a
// test.
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
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "usbdevice/usb_sim_test_support.h"

namespace orvanetest {

// Intel HEX text of data records (16 bytes each, upper-case digits, CR LF) and the end-of-file record.
inline std::string hexRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
  char buf[16];
  std::string line = ":";
  uint8_t sum = static_cast<uint8_t>(data.size() + (address >> 8) + (address & 0xFF) + type);
  std::snprintf(buf, sizeof buf, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
  line += buf;
  for (uint8_t b : data) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    line += buf;
    sum = static_cast<uint8_t>(sum + b);
  }
  std::snprintf(buf, sizeof buf, "%02X", static_cast<uint8_t>(-sum));
  return line + buf + "\r\n";
}

inline std::string hexData(uint16_t address, const std::vector<uint8_t>& bytes) {
  std::string text;
  for (size_t at = 0; at < bytes.size(); at += 16) {
    std::vector<uint8_t> chunk(bytes.begin() + static_cast<ptrdiff_t>(at),
                               bytes.begin() + static_cast<ptrdiff_t>(std::min(bytes.size(), at + 16)));
    text += hexRecord(static_cast<uint16_t>(address + at), 0, chunk);
  }
  return text;
}

inline const std::string kEndOfFile = ":00000001FF\r\n";

// A board's firmware file: the header block (with the ID block and the validity marks) and the program.
struct BoardFirmware {
  BoardEntry identity;
  std::vector<uint8_t> program;

  std::array<uint8_t, 32> header() const {
    std::array<uint8_t, 32> h{};
    for (size_t i = 0; i < 16; ++i) h[i] = static_cast<uint8_t>(0x40 + i);
    uint8_t* id = h.data() + 16;
    id[0] = static_cast<uint8_t>(identity.id >> 8);
    id[2] = static_cast<uint8_t>(identity.id);
    id[4] = identity.code;
    id[6] = identity.extra;
    id[8] = static_cast<uint8_t>(identity.version >> 8);
    id[10] = static_cast<uint8_t>(identity.version);
    id[12] = 0xA5;
    id[14] = 0x5A;
    return h;
  }
  std::string hexText() const {
    auto h = header();
    return hexData(0x2E0, {h.begin(), h.end()}) + hexData(0x300, program) + kEndOfFile;
  }
};

// Bytes that differ from their neighbours and from their offset's low byte.
inline std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& b : v) {
    x = x * 1103515245u + 12345;
    b = static_cast<uint8_t>(x >> 16);
  }
  return v;
}

// A boot image: kind byte, 8 header bytes, one load record with the body, then the trailer words
// (trailer word, product id, version) and five closing bytes.
inline std::vector<uint8_t> bootImage(uint8_t kind, uint16_t productId, uint16_t version, size_t bodySize) {
  std::vector<uint8_t> image = {kind, 0xB4, 0x04, 0x13, 0x86, 0x00, 0x00, 0x00, 0x00};
  image.push_back(static_cast<uint8_t>(bodySize >> 8));
  image.push_back(static_cast<uint8_t>(bodySize));
  image.push_back(0x00);
  image.push_back(0x00);
  auto body = pattern(bodySize, 7);
  image.insert(image.end(), body.begin(), body.end());
  const uint8_t trailer[] = {0x12,
                             0x34,
                             static_cast<uint8_t>(productId >> 8),
                             static_cast<uint8_t>(productId),
                             static_cast<uint8_t>(version >> 8),
                             static_cast<uint8_t>(version),
                             0x80,
                             0x01,
                             0xE6,
                             0x00,
                             0x00};
  image.insert(image.end(), std::begin(trailer), std::end(trailer));
  return image;
}

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
    dir_ = std::filesystem::temp_directory_path() /
           ("orvane_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
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
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
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
  std::filesystem::path dir_;
};

}  // namespace orvanetest
