#include "zem/link/USB_ft245bm.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "zem/link/link_test_support.h"

namespace {

// Points the binding at another library for one test and back afterwards.
class ScopedDriverLibrary {
 public:
  // nullptr: no library named (the default name is looked for).
  explicit ScopedDriverLibrary(const char* path) {
    if (const char* old = std::getenv(d2xx::kLibraryEnvVar)) previous_ = old;
    if (path) {
      setenv(d2xx::kLibraryEnvVar, path, 1);
    } else {
      unsetenv(d2xx::kLibraryEnvVar);
    }
    ReloadD2xx();
  }
  ~ScopedDriverLibrary() {
    setenv(d2xx::kLibraryEnvVar, previous_.c_str(), 1);
    ReloadD2xx();
  }

 private:
  std::string previous_;
};

class BindingTest : public linktest::SimTest {
 protected:
  linktest::ScopedRecordingSink sink_;
};

TEST_F(BindingTest, StartUpBindsTheNamedLibraryAndCountsItsDevices) {
  EXPECT_EQ(D2xxStartupError(), "");
  uint32_t count = 99;
  EXPECT_EQ(GetFtdiDeviceCount(count), FT_OK);
  EXPECT_EQ(count, 1u);
  sim_->setDeviceCount(0);
  GetFtdiDeviceCount(count);
  EXPECT_EQ(count, 0u);
}

TEST_F(BindingTest, WithoutALibraryThereAreNoDevicesAndNothingIsReported) {
  ScopedDriverLibrary none("/nonexistent/libftd2xx.so");
  EXPECT_EQ(D2xxStartupError(), "");
  uint32_t count = 7;
  EXPECT_EQ(GetFtdiDeviceCount(count), FT_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(ReportD2xxStartupError());
  EXPECT_TRUE(sink_.errors.empty());
  // So the program runs as a demonstration.
  EXPECT_FALSE(CreateDevice(Device));
  EXPECT_EQ(Device->GetInterfaceName(), "No hardware");
  EXPECT_EQ(InterfaceBox, nullptr);
  // A library the user named is missing: worth a note (shown, not raised) saying which and why.
  EXPECT_EQ(
      D2xxLoadNote(),
      "Driver library \"/nonexistent/libftd2xx.so\" could not be loaded: there is no such file. Running in "
      "demonstration mode.");
}

TEST_F(BindingTest, TheDefaultLibraryNotInstalledIsPlainDemonstrationMode) {
  ScopedDriverLibrary none(nullptr);
  EXPECT_FALSE(D2xxLoaded());
  EXPECT_EQ(D2xxStartupError(), "");
  EXPECT_EQ(D2xxLoadNote(), "");
}

TEST_F(BindingTest, AMissingEntryPointIsRecordedAtStartUpAndReportedInAnErrorBox) {
  {
    ScopedDriverLibrary lacking(ZEM_TEST_SIM_NO_ERASE);
    // The entry point's message, then the file it was looked for in.
    const std::string expected =
        std::string("DLL error. Cannot locate entrypoint for FT_EraseEE\rDriver library: ") +
        ZEM_TEST_SIM_NO_ERASE;
    EXPECT_EQ(D2xxStartupError(), expected);
    EXPECT_FALSE(D2xxLoaded());
    EXPECT_THROW(LoadD2xx(), EYOLBDLLError);
    EXPECT_TRUE(ReportD2xxStartupError());
    EXPECT_EQ(sink_.errors, std::vector<std::string>{expected});
  }
  EXPECT_EQ(D2xxStartupError(), "");
  EXPECT_TRUE(D2xxLoaded());
}

TEST_F(BindingTest, AFailingCallReachesTheObserverWithItsStatusText) {
  TUSB_ft245bm chip;
  std::vector<std::string> seen;
  chip.StatusObserver = [&](const std::string& text) { seen.push_back(text); };
  sim_->setFailOpen(FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(chip.Open(0), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(seen, std::vector<std::string>{"FT_Open - Device Not Found...."});
  EXPECT_TRUE(sink_.errors.empty());  // no box unless asked for
}

TEST_F(BindingTest, AFailingCallIsShownWhenABoxIsAskedFor) {
  TUSB_ft245bm chip;
  chip.StatusMessageBox = true;
  sim_->setFailOpen(FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(chip.Open(0), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(sink_.errors, std::vector<std::string>{"FT_Open - Device Not Found...."});
}

TEST_F(BindingTest, CloseClearsTheHandleEvenWhenItFails) {
  TUSB_ft245bm chip;
  ASSERT_EQ(chip.Open(0), FT_OK);
  sim_->reset();  // the simulator forgets the handle: the close fails
  sim_->setTickSource(&linktest::virtualTick, nullptr);
  EXPECT_EQ(chip.Close(), FT_INVALID_HANDLE);
  EXPECT_EQ(chip.Handle, nullptr);
}

}  // namespace
