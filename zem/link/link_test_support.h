// Test scaffolding: the simulated box and fixture behind the link, on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/sys/clock.h"
#include "platform/sys/dynlib.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/Debug.h"
#include "zem/link/USB_ft245bm.h"
#include "zem/link/USByolb1.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace linktest {

// The simulator's control object: the library the link loaded at start-up (same path, same instance).
inline simfix::Control* simControl() {
  static std::unique_ptr<sys::DynamicLibrary> library = [] {
    const char* path = std::getenv(d2xx::kLibraryEnvVar);
    return path ? sys::DynamicLibrary::open(path) : nullptr;
  }();
  if (!library) return nullptr;
  auto entry = reinterpret_cast<simfix::Control* (*)()>(library->symbol("SimFixtureControl"));
  return entry ? entry() : nullptr;
}

inline uint32_t virtualTick(void*) {
  return sys::tickCount();
}

// A powered-on simulator on the virtual clock, fresh globals, and nothing created yet.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_ = simControl();
    if (!sim_) GTEST_SKIP() << "simulator not available (" << d2xx::kLibraryEnvVar << " unset)";
    ASSERT_TRUE(D2xxLoaded()) << D2xxStartupError();
    sim_->reset();
    sim_->setTickSource(&virtualTick, nullptr);
    InitZemData();
    ClearDebugLog();
    ui::clearShownMessageBoxes();
  }

  void TearDown() override {
    FreeDevice();
    if (sim_) {
      sim_->reset();
      sim_->setTickSource(nullptr, nullptr);
    }
    ui::setMessageBoxResponder(nullptr);
    ui::clearShownMessageBoxes();
    ui::app().reset();
    InitZemData();
  }

  // Device and box as the main window makes them, opened; the sim's records start empty afterwards.
  void openDevice() {
    ASSERT_TRUE(CreateDevice(Device));
    Device->Open();
    sim_->clearReceivedFrames();
    sim_->clearBoxCommands();
  }

  // Identifies the fixture so that requests carry its serial.
  void identify() {
    openDevice();
    ASSERT_TRUE(Device->GetSerialNumber());
    sim_->clearReceivedFrames();
    ClearDebugLog();
  }

  bool logged(const std::string& text) const {
    for (const auto& e : DebugLogHistory())
      if (e.text == text) return true;
    return false;
  }

  sys::ScopedVirtualClock clock_{0x10000};
  simfix::Control* sim_ = nullptr;
};

}  // namespace linktest
