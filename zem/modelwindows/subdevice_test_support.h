// Test scaffolding of the LED tube and strip windows: a scripted chain of units behind a fake device (each
// unit keeps its own records), the windows opened over it on the virtual clock, and the program's dialogs
// answered as a user would.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/model/fake_device.h"
#include "zem/model/uZemFixture.h"
#include "zem/modelwindows/LedAutoTest.h"

namespace subdevtest {

// A fixture of a main unit and `subDevices` sub-devices: selecting a unit makes its records the ones that
// reads and writes reach, as a real chain answers.
class ChainDevice : public zemtest::FakeDevice {
 public:
  explicit ChainDevice(int subDevices) : units_(static_cast<size_t>(subDevices) + 1) {}

  // Records of unit i, laid out like FixtureData.
  std::array<uint8_t, kFixtureDataSize>& unit(int i) {
    return i == selected_ ? remote : units_.at(static_cast<size_t>(i));
  }
  // The same byte in every unit.
  void setAll(size_t offset, uint8_t value) {
    for (int i = 0; i < unitCount(); ++i) unit(i)[offset] = value;
  }
  int unitCount() const { return static_cast<int>(units_.size()); }
  int selected() const { return selected_; }

  // (unit, operation) pairs that answer false.
  std::set<std::pair<int, std::string>> failingOn;
  // Every stand-alone settings write: the unit and the six bytes.
  std::vector<std::pair<int, std::array<uint8_t, 6>>> standAloneWrites;
  // Every LED data send: the unit, red, green, blue, amber, white and the tick.
  struct LedSend {
    int unit;
    std::array<uint8_t, 5> values;
    uint32_t tick;
  };
  std::vector<LedSend> ledSends;
  std::function<void()> onSendLed;

  bool SetSubdevice(int index, bool reread) override {
    calls.push_back("SetSubdevice(" + std::to_string(index) + "," + (reread ? "1" : "0") + ")");
    if (index < 0 || index >= unitCount()) return false;
    units_[static_cast<size_t>(selected_)] = remote;
    selected_ = index;
    remote = units_[static_cast<size_t>(index)];
    FixtureData[fd::kSubdevice] = static_cast<uint8_t>(index);
    return true;
  }
  bool GetStandAloneSettings() override {
    return fails("GetStandAloneSettings") ? false : FakeDevice::GetStandAloneSettings();
  }
  bool GetPersonalities() override {
    return fails("GetPersonalities") ? false : FakeDevice::GetPersonalities();
  }
  bool SetStandAloneSettings() override {
    std::array<uint8_t, 6> bytes{};
    std::copy_n(FixtureData.begin() + fd::kStandAloneSettings, 6, bytes.begin());
    standAloneWrites.emplace_back(selected_, bytes);
    return FakeDevice::SetStandAloneSettings();
  }
  bool SendLedData() override {
    LedSend s{selected_, {}, sys::tickCount()};
    std::copy_n(FixtureData.begin() + fd::kLedData, 5, s.values.begin());
    ledSends.push_back(s);
    if (onSendLed) onSendLed();
    return FakeDevice::SendLedData();
  }

 private:
  bool fails(const std::string& operation) {
    if (failingOn.count({selected_, operation}) == 0) return false;
    calls.push_back(operation + " failed");
    return true;
  }
  std::vector<std::array<uint8_t, kFixtureDataSize>> units_;
  int selected_ = 0;
};

// The window over a chain (or over the simulator in the tests that set one up), on the virtual clock.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
    ui::setModalResponder([this](ui::Form& f) { answer(f); });
    ui::setMessageBoxResponder([this](const ui::MessageBoxRequest& r) {
      errors.push_back(r.text);
      if (onErrorBox) onErrorBox();
      return ui::ModalResult::Ok;
    });
  }
  void TearDown() override {
    if (window_) window_->free();
    owner_.reset();
    CurrentFixture = nullptr;
    fixture_.reset();
    Device = nullptr;
    device_.reset();
    ui::setMessageBoxResponder(nullptr);
    ui::clearShownMessageBoxes();
    ui::screen().reset();
    ui::app().reset();
    InitZemData();
  }

  // A chain of `subDevices` sub-devices identified as typeCode; every unit starts from the same records.
  template <class Model>
  void chain(int subDevices, const std::string& typeCode, uint8_t subType = 0) {
    if (window_) window_->free();  // a window of an earlier chain
    device_ = std::make_unique<ChainDevice>(subDevices);
    for (size_t k = 0; k < 5; ++k) device_->setAll(fd::kFixtureInfo + k, static_cast<uint8_t>(typeCode[k]));
    device_->setAll(fd::kFixtureInfo + fdarea::info::kSubType, subType);
    device_->setAll(fd::kPersonality + fdarea::pers::kDmxAddress, 1);
    Device = device_.get();
    std::copy_n(device_->remote.begin() + fd::kFixtureInfo, 15, FixtureData.begin() + fd::kFixtureInfo);
    fixture_ = std::make_unique<Model>();
    CurrentFixture = fixture_.get();
  }

  // Opens the window; its first activation reads the fixture.
  template <class W>
  W* open() {
    if (!owner_) owner_.reset(ui::createForm<ui::Form>(nullptr));
    W* w = ui::createForm<W>(owner_.get());
    window_ = w;
    WindowClosed = false;
    w->show();
    if (device_) device_->calls.clear();
    return w;
  }

  // Lets ms of time pass in the message loop, 10 ms at a time.
  void run(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 10) {
      clock_->advance(std::min<uint32_t>(10, ms - t));
      ui::app().processMessages();
    }
  }
  // Advances the clock to exactly `ms` after now and runs what is due.
  void at(uint32_t ms) {
    clock_->advance(ms);
    ui::app().processMessages();
  }

  void press(ui::Control& c) { ASSERT_NE(ui::input::mouseDown(c, 2, 2), nullptr) << c.name(); }
  void release(ui::Control& c) { ui::input::mouseUp(c, 2, 2); }

  int calls(const std::string& prefix) const { return device_ ? device_->count(prefix) : 0; }

  // The auto-test window gets `onAutoTest`; any other modal window is cancelled.
  void answer(ui::Form& f) {
    if (auto* test = dynamic_cast<TLedAutoTestForm*>(&f)) {
      if (onAutoTest) onAutoTest(*test);
      return;
    }
    f.setModalResult(ui::ModalResult::Cancel);
  }

  sys::ScopedVirtualClock clock_{0x1000};
  std::unique_ptr<ChainDevice> device_;
  std::unique_ptr<TZemFixture> fixture_;
  ui::Owned<ui::Form> owner_;
  ui::Ref<ui::Form> window_;
  std::vector<std::string> errors;
  std::function<void()> onErrorBox;
  std::function<void(TLedAutoTestForm&)> onAutoTest;
};

}  // namespace subdevtest
