// Test scaffolding of the model windows: a model object that records the live operations, the idle poll
// and the DMX protocol instead of sending them, a scripted device for everything else (service frames,
// settings records), the headless layer and the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/page_control.h"
#include "zem/link/ZEMData.h"
#include "zem/model/fake_device.h"
#include "zem/modelwindows/ColorMixingForm.h"

namespace mwtest {

// A model whose live operations, idle poll and DMX protocol change are recorded as "Name(value)".
// Operations named in `failing` answer false; in `throwing` they raise a range error.
template <class Model>
class Recording : public Model {
 public:
  std::vector<std::string> calls;
  std::set<std::string> failing;
  std::set<std::string> throwing;
  bool protocolAnswer = true;  // what SetDmxProtocol answers
  int protocolStored = -1;     // the protocol the fixture keeps after a set (-1: the value set)
  bool idlePollReads = false;  // the idle poll is also the model's own (reads and sends through the device)

  bool ReadAllFixtureData(const TProgressCallback&) override { return true; }
  bool SetLiveIntensity(int v) override { return record("SetLiveIntensity", v); }
  bool SetLiveCyan(int v) override { return record("SetLiveCyan", v); }
  bool SetLiveMagenta(int v) override { return record("SetLiveMagenta", v); }
  bool SetLiveYellow(int v) override { return record("SetLiveYellow", v); }
  bool SetLiveZoom(int v) override { return record("SetLiveZoom", v); }
  bool SetLiveColor(int v) override { return record("SetLiveColor", v); }
  bool SetLiveFrost(int v) override { return record("SetLiveFrost", v); }
  bool SetLiveRandomColor(int v) override { return record("SetLiveRandomColor", v); }
  bool SetLiveFocus(int v) override { return record("SetLiveFocus", v); }
  bool SetLiveRed(int v) override { return record("SetLiveRed", v); }
  bool SetLiveGreen(int v) override { return record("SetLiveGreen", v); }
  bool SetLiveBlue(int v) override { return record("SetLiveBlue", v); }
  bool SetLiveAmber(int v) override { return record("SetLiveAmber", v); }
  bool SetLiveWhite(int v) override { return record("SetLiveWhite", v); }
  bool SetControlValue78(int a, int b) override { return record("SetControlValue78", a, b); }
  bool SetControlValue79(int a, int b) override { return record("SetControlValue79", a, b); }
  bool SetControlValue80(int a, int b) override { return record("SetControlValue80", a, b); }
  bool SetLivePanTilt(int a, int b) override { return record("SetLivePanTilt", a, b); }
  bool IdlePoll(bool monitor) override {
    const bool answer = record("IdlePoll", monitor ? 1 : 0);
    return idlePollReads ? Model::IdlePoll(monitor) : answer;
  }
  bool SetDmxProtocol(int v) override {
    record("SetDmxProtocol", v);
    if (protocolAnswer)
      FixtureData[fd::kPersonality + fdarea::pers::kDmxProtocol] =
          static_cast<uint8_t>(protocolStored < 0 ? v : protocolStored);
    return protocolAnswer;
  }

  // The calls other than idle polls.
  std::vector<std::string> sends() const {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
      if (c.rfind("IdlePoll", 0) != 0) out.push_back(c);
    }
    return out;
  }

 private:
  bool record(const std::string& name, int value) { return recordText(name, std::to_string(value)); }
  bool record(const std::string& name, int a, int b) {
    return recordText(name, std::to_string(a) + "," + std::to_string(b));
  }
  bool recordText(const std::string& name, const std::string& arguments) {
    calls.push_back(name + "(" + arguments + ")");
    if (throwing.count(name)) throw ERangeError(name + " refused");
    return failing.count(name) == 0;
  }
};

// The scene record of the stand-alone program in FixtureData: count, index, then the scene's bytes
// from byte 134 on.
inline void SetScene(int count, int index, std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
  FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneCount] = static_cast<uint8_t>(count);
  FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneIndex] = static_cast<uint8_t>(index);
  for (const auto& [offset, value] : bytes) FixtureData.at(offset) = value;
}

// A record area as the fixture holds it and as the program last read it.
inline void SetRecord(zemtest::FakeDevice& device, size_t offset, std::initializer_list<uint8_t> bytes) {
  size_t i = offset;
  for (uint8_t b : bytes) {
    FixtureData[i] = b;
    device.remote[i] = b;
    ++i;
  }
}

// Service frames as (function, value) pairs.
inline std::vector<std::pair<int, int>> ServiceCalls(const zemtest::FakeDevice& device) {
  std::vector<std::pair<int, int>> out;
  for (const std::vector<uint8_t>& f : device.frames) {
    if (f.size() > svc::kValue + 1)
      out.emplace_back(f[svc::kFunction], (f[svc::kValue] << 8) | f[svc::kValue + 1]);
  }
  return out;
}

// A model window over a recording model and a scripted device, shown and read, on the virtual clock.
// Error boxes are recorded and answered.
template <class Model>
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
    ui::clearShownMessageBoxes();
    ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Ok; });
    Device = &device_;
    CurrentFixture = &fixture_;
    owner_.reset(ui::createForm<ui::Form>(nullptr));
  }
  void TearDown() override {
    if (window_) window_->free();
    owner_.reset();
    CurrentFixture = nullptr;
    Device = nullptr;
    ui::setMessageBoxResponder(nullptr);
    ui::setModalResponder(nullptr);
    ui::app().reset();
    InitZemData();
  }

  // Creates the window, shows it (starting its timer) and lets it read the fixture.
  template <class Window>
  Window* open() {
    auto* w = ui::createForm<Window>(owner_.get());
    window_ = w;
    WindowClosed = false;
    w->show();
    ui::app().processMessages();
    fixture_.calls.clear();
    device_.calls.clear();
    device_.frames.clear();
    return w;
  }
  // One period of the write-back timer (of the given length).
  void tick(int periods = 1, uint32_t periodMs = 200) {
    for (int i = 0; i < periods; ++i) {
      sys::sleepMs(periodMs);
      ui::app().processMessages();
    }
  }
  // Runs the message loop one millisecond at a time, calling each after every step.
  void runFor(uint32_t ms, const std::function<void()>& each = {}) {
    for (uint32_t i = 0; i < ms; ++i) {
      sys::sleepMs(1);
      ui::app().processMessages();
      if (each) each();
    }
  }
  // Brings the page holding the control to the front, as the user would before touching it.
  void showPageOf(ui::Control* control) {
    for (ui::Control* c = control; c != nullptr; c = c->parent()) {
      if (auto* page = dynamic_cast<ui::TabSheet*>(c)) {
        ASSERT_TRUE(ui::input::selectTab(*page->pageControl(), *page));
        return;
      }
    }
  }
  size_t errorBoxes() const { return ui::shownMessageBoxes().size(); }

  sys::ScopedVirtualClock clock_{0x30000};
  zemtest::FakeDevice device_;
  Recording<Model> fixture_;
  ui::Owned<ui::Form> owner_;
  ui::Ref<TColorMixingForm> window_;
};

template <class Model>
// A window test with the user's typing and clicks and the frames an operation of the model sends.
class ModelWindowTest : public WindowTest<Model> {
 protected:
  void type(ui::SpinEdit& edit, const std::string& text) {
    this->showPageOf(&edit);
    ASSERT_TRUE(edit.setFocus());
    edit.selectAll();
    ui::input::typeText(text);
    ui::input::pressKey(ui::vk::Return);  // the value is complete
  }
  // Clicks a control and returns the service frames it caused.
  std::vector<std::pair<int, int>> press(ui::Control& control) {
    this->device_.frames.clear();
    this->showPageOf(&control);
    EXPECT_TRUE(ui::input::click(control)) << control.name();
    return ServiceCalls(this->device_);
  }
  // The lamp-hour warning level: a level the edit cannot show (1500, 0) is shown limited and not written;
  // the user's level is written once. show shows the DMX settings again.
  void expectOnlyTheUsersWarningLevelIsWritten(ui::SpinEdit& edit, const std::function<void()>& show) {
    const size_t level = fd::kPersonality + fdarea::pers::kWarningLevel;
    for (auto [low, high, shown] : {std::tuple{0xDC, 0x05, "650"}, std::tuple{0, 0, "1"}}) {
      SetRecord(this->device_, level, {static_cast<uint8_t>(low), static_cast<uint8_t>(high)});
      show();
      EXPECT_EQ(edit.caption(), shown);
      this->tick(3);
      EXPECT_EQ(this->device_.count("SetPersonalities"), 0) << "shown " << shown;
    }
    type(edit, "120");
    this->tick(2);
    EXPECT_EQ(this->device_.count("SetPersonalities"), 1);
    EXPECT_EQ(this->device_.remote[level], 120);
  }
  // The service frames an operation of the model sends by itself.
  std::vector<std::pair<int, int>> framesOf(void (*op)(Model&)) {
    this->device_.frames.clear();
    op(this->fixture_);
    return ServiceCalls(this->device_);
  }
};

}  // namespace mwtest
