// Test scaffolding: the simulated box and fixture behind the link, on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/sys/dynlib.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/Debug.h"
#include "zem/link/LinkReport.h"
#include "zem/link/USB_ft245bm.h"
#include "zem/link/USByolb1.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace linktest {

// A test program started by hand, without the environment ctest gives it, uses the simulated box and
// fixture of its own build (the build names it in ZEM_TEST_SIM_FIXTURE).
class SimulatorByDefault : public ::testing::Environment {
 public:
  void SetUp() override {
#ifdef ZEM_TEST_SIM_FIXTURE
    if (std::getenv(d2xx::kLibraryEnvVar) != nullptr) return;
    setenv(d2xx::kLibraryEnvVar, ZEM_TEST_SIM_FIXTURE, 1);
    (void)ReloadD2xx();  // the binding looked for the default library at start-up
#endif
  }
};
inline ::testing::Environment* const kSimulatorByDefault =
    ::testing::AddGlobalTestEnvironment(new SimulatorByDefault);

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

// A report sink that records what the link reported. whileShown runs inside each error, as the user's
// actions (or the window's timers) would while the box is up.
class RecordingSink : public TLinkReportSink {
 public:
  void ShowError(const std::string& text) override {
    errors.push_back(text);
    pausedAtError.push_back(pauses > resumes);
    if (whileShown) whileShown();
  }
  std::function<void()> PauseWriteBack() override {
    ++pauses;
    return [this] { ++resumes; };
  }

  std::vector<std::string> errors;
  std::vector<bool> pausedAtError;  // whether the write-back was held still while each error was up
  int pauses = 0;
  int resumes = 0;
  std::function<void()> whileShown;
};

// The recording sink installed for the time of a test.
class ScopedRecordingSink : public RecordingSink {
 public:
  ScopedRecordingSink() { SetLinkReportSink(this); }
  ~ScopedRecordingSink() override { SetLinkReportSink(nullptr); }
  ScopedRecordingSink(const ScopedRecordingSink&) = delete;
  ScopedRecordingSink& operator=(const ScopedRecordingSink&) = delete;
};

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
  }

  void TearDown() override {
    FreeDevice();
    if (sim_) {
      sim_->reset();
      sim_->setTickSource(nullptr, nullptr);
    }
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
