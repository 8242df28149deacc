#include "mendaro/CMendaroApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "mendaro/CMendaroDlg.h"
#include "mendaro/mendaro_test_support.h"
#include "platform/sys/fake_service_testing.h"
#include "platform/sys/process.h"
#include "platform/sys/sys_testing.h"
#include "platform/ui/controls.h"

namespace mendaro {
namespace {

using ::testing::ElementsAre;

// Records every window that is shown: its name, and the text of a notice.
class ShownWindows : public ui::Backend {
 public:
  void controlChanged(ui::Control& control, ui::Change what) override {
    ui::Form* f = control.asForm();
    if (!f || what != ui::Change::Visible || !f->visible()) return;
    std::string entry = f->name();
    if (auto* label = dynamic_cast<ui::Label*>(f->findComponent("lMessage")))
      entry += ": " + label->caption();
    shown.push_back(entry);
  }
  std::vector<std::string> shown;
};

class AppTest : public testing::MendaroTest {
 protected:
  void SetUp() override {
    MendaroTest::SetUp();
    ui::setBackend(&windows);
    // The user closes the dialog as soon as it is there; whether the service ran meanwhile is noted.
    ui::setModalResponder([this](ui::Form& f) {
      if (auto* d = dynamic_cast<CMendaroDlg*>(&f)) {
        if (onDialog) onDialog(*d);
        serviceRanWhileOpen = !sys::findProcesses(service.name()).empty();
        openedAt = sys::tickCount();
        closeDialog(*d);
      }
    });
  }
  void TearDown() override {
    ui::setBackend(nullptr);
    MendaroTest::TearDown();
  }
  // Runs the program's start and end around the dialog.
  void run(sys::ServiceControl& control) {
    CMendaroApp app(control, [this](const std::string& what) { reports.push_back(what); });
    startedAt = sys::tickCount();
    EXPECT_TRUE(app.InitInstance());
    EXPECT_EQ(app.ExitInstance(), 0);
    wasRunning = app.ServiceWasRunning();
  }

  ShownWindows windows;
  std::function<void(CMendaroDlg&)> onDialog;  // when the dialog is up, before the user closes it
  std::function<void(CMendaroDlg&)> closeDialog = [](CMendaroDlg& d) { ui::input::click(*d.bClose); };
  sys::testing::FakeService service;
  std::vector<std::string> reports;
  bool serviceRanWhileOpen = false;
  bool wasRunning = false;
  uint32_t startedAt = 0;
  uint32_t openedAt = 0;
};

TEST_F(AppTest, NoServiceRunningMeansNoStopOrStartCommand) {
  sys::testing::TempFolder folder("mendaro_app_test_");
  const std::string marker = (folder.path() / "ran").string();
  sys::ServiceSettings s = service.settings();
  s.stopCommand = "touch " + marker;
  s.startCommand = "touch " + marker;
  sys::ProcessServiceControl control(s);
  run(control);
  EXPECT_FALSE(wasRunning);
  EXPECT_THAT(windows.shown, ElementsAre("CMendaroDlg"));
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_TRUE(reports.empty());
}

TEST_F(AppTest, TheServiceIsStoppedBeforeTheDialogOpensAndStartedAfterItCloses) {
  ASSERT_TRUE(service.launch());
  sys::ProcessServiceControl control(service.settings());
  run(control);
  EXPECT_TRUE(wasRunning);
  EXPECT_FALSE(serviceRanWhileOpen);
  EXPECT_TRUE(service.waitUntilRunning(true));
  EXPECT_THAT(windows.shown,
              ElementsAre("CNoticeBox: Taking over communication from console.\nPlease wait.", "CMendaroDlg",
                          "CNoticeBox: Restoring communication with console.\nPlease wait."));
  EXPECT_TRUE(reports.empty()) << ::testing::PrintToString(reports);
}

TEST_F(AppTest, AServiceThatNeverStopsIsGivenUpAfterTheLimit) {
  ASSERT_TRUE(service.launch());
  sys::ServiceSettings s = service.settings();
  s.stopCommand = "true";
  sys::ProcessServiceControl control(s);
  // The process never ends: the stop's waits need no real time; the start command's do.
  time->clock().setRealSlice(0);
  onDialog = [this](CMendaroDlg&) { time->clock().setRealSlice(sys::VirtualClock::kRealSliceMs); };
  run(control);
  EXPECT_TRUE(serviceRanWhileOpen);
  EXPECT_GE(sys::elapsedMs(startedAt, openedAt), 30000u);
  EXPECT_THAT(reports, ElementsAre("the service did not stop: the process \"" + service.name() +
                                   "\" still runs after 30 s; the boxes it holds will answer \"Busy\""));
}

// A stop command that fails at once (no service manager to ask) is told with its code and what it means
// for the boxes; the dialog opens without waiting for the service, which is started at the end all the same.
TEST_F(AppTest, AFailingStopCommandIsToldAtOnceAndTheServiceIsStartedAtTheEnd) {
  ASSERT_TRUE(service.launch());
  sys::testing::TempFolder folder("mendaro_app_test_");
  const std::string marker = (folder.path() / "started").string();
  sys::ServiceSettings s = service.settings();
  s.stopCommand = "exit 1";
  s.startCommand = "touch " + marker;
  sys::ProcessServiceControl control(s);
  run(control);
  EXPECT_TRUE(serviceRanWhileOpen);
  EXPECT_LT(sys::elapsedMs(startedAt, openedAt), s.limitMs);
  EXPECT_THAT(reports,
              ElementsAre("the service did not stop: \"exit 1\" ended with exit code 1; the boxes it "
                          "holds will answer \"Busy\""));
  EXPECT_TRUE(std::filesystem::exists(marker)) << "the start command ran at the end";
  EXPECT_THAT(windows.shown,
              ElementsAre("CNoticeBox: Taking over communication from console.\nPlease wait.", "CMendaroDlg",
                          "CNoticeBox: Restoring communication with console.\nPlease wait."));
}

// One that stops the service and fails afterwards is told too, but the boxes are free: its process is gone.
TEST_F(AppTest, AStopCommandThatFailsAfterStoppingTheServiceIsToldWithoutBusyBoxes) {
  ASSERT_TRUE(service.launch());
  sys::ServiceSettings s = service.settings();
  s.stopCommand = service.stopAndWaitCommand() + "; exit 3";
  sys::ProcessServiceControl control(s);
  run(control);
  EXPECT_FALSE(serviceRanWhileOpen);
  EXPECT_THAT(reports,
              ElementsAre("the service stopped, but \"" + s.stopCommand + "\" ended with exit code 3"));
  EXPECT_TRUE(service.waitUntilRunning(true)) << "started again at the end";
}

enum class Ending { Close, CloseBox, Told, ToldWhileTakingOver, Raised };

class AppEndingTest : public AppTest, public ::testing::WithParamInterface<Ending> {};

// However the program ends (Close, the close box, told to end as a signal tells it, while the dialog is
// open or while the service is being stopped, an exception out of the dialog), the service runs again.
TEST_P(AppEndingTest, TheServiceIsStartedAgainHoweverTheProgramEnds) {
  ASSERT_TRUE(service.launch());
  auto toldToEnd = [] { ui::app().post([] { ui::app().terminate(); }); };
  switch (GetParam()) {
    case Ending::Close:
      break;
    case Ending::CloseBox:
      closeDialog = [](CMendaroDlg& d) { ui::input::clickCloseBox(d); };
      break;
    case Ending::Told:
      closeDialog = [&](CMendaroDlg&) { toldToEnd(); };
      break;
    case Ending::ToldWhileTakingOver:
      toldToEnd();
      break;
    case Ending::Raised:
      closeDialog = [](CMendaroDlg&) -> void { throw std::runtime_error("the dialog failed"); };
      break;
  }
  sys::ProcessServiceControl control(service.settings());
  CMendaroApp app(control, [this](const std::string& what) { reports.push_back(what); });
  if (GetParam() == Ending::Raised) {
    EXPECT_THROW(app.Run(), std::runtime_error);
  } else {
    EXPECT_EQ(app.Run(), 0);
  }
  EXPECT_FALSE(serviceRanWhileOpen);
  EXPECT_TRUE(service.waitUntilRunning(true));
  const bool dialogShown = GetParam() != Ending::ToldWhileTakingOver;
  EXPECT_EQ(std::count(windows.shown.begin(), windows.shown.end(), "CMendaroDlg"), dialogShown ? 1 : 0);
  ASSERT_FALSE(windows.shown.empty());
  EXPECT_EQ(windows.shown.back(), "CNoticeBox: Restoring communication with console.\nPlease wait.");
  EXPECT_TRUE(reports.empty()) << ::testing::PrintToString(reports);
}
void PrintTo(Ending ending, std::ostream* os) {
  static const char* const kNames[] = {"Close", "CloseBox", "Told", "ToldWhileTakingOver", "Raised"};
  *os << kNames[static_cast<int>(ending)];
}
INSTANTIATE_TEST_SUITE_P(Endings, AppEndingTest,
                         ::testing::Values(Ending::Close, Ending::CloseBox, Ending::Told,
                                           Ending::ToldWhileTakingOver, Ending::Raised),
                         ::testing::PrintToStringParamName());

// The display gone (the program ends at once): the service is started with nothing shown, and once only.
TEST_F(AppTest, WithTheDisplayGoneTheServiceIsStartedAgainWithoutANoticeAndOnce) {
  ASSERT_TRUE(service.launch());
  sys::testing::TempFolder folder("mendaro_app_test_");
  const std::string count = (folder.path() / "starts").string();
  sys::ServiceSettings s = service.settings();
  s.startCommand = "echo >> " + count + "; " + s.startCommand;
  sys::ProcessServiceControl control(s);
  CMendaroApp app(control, [this](const std::string& what) { reports.push_back(what); });
  bool runningAfter = false;
  size_t shownBefore = 0;
  onDialog = [&](CMendaroDlg&) {
    shownBefore = windows.shown.size();
    app.RestoreWithoutWindows();
    runningAfter = service.waitUntilRunning(true);
    app.RestoreWithoutWindows();
  };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(runningAfter);
  EXPECT_EQ(windows.shown.size(), shownBefore) << "nothing is shown once the display is gone";
  std::ifstream in(count);
  const std::string lines((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(lines, "\n") << "the start command runs once";
  EXPECT_TRUE(reports.empty()) << ::testing::PrintToString(reports);
}

// Nothing to start again when the service did not run.
TEST_F(AppTest, WithTheDisplayGoneAndNoServiceNothingIsStarted) {
  sys::testing::TempFolder folder("mendaro_app_test_");
  const std::string marker = (folder.path() / "ran").string();
  sys::ServiceSettings s = service.settings();
  s.startCommand = "touch " + marker;
  sys::ProcessServiceControl control(s);
  CMendaroApp app(control, nullptr);
  onDialog = [&](CMendaroDlg&) { app.RestoreWithoutWindows(); };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(std::filesystem::exists(marker));
}

// Without a backend no box can ever be listed: the dialog's log and the report say why, once each.
TEST_F(AppTest, WithoutAUsbBackendTheLogAndTheReportSayWhy) {
  ASSERT_EQ(wdu::SelectBackendLibrary("/nonexistent/libnothing.so"), wdu::kNoBackend);
  std::vector<std::string> log;
  onDialog = [&log](CMendaroDlg& d) { log = d.mLog->lines().lines(); };
  sys::ProcessServiceControl control(service.settings());
  CMendaroApp app(control, [this](const std::string& what) { reports.push_back(what); });
  EXPECT_TRUE(app.InitInstance());
  const std::string note = app.NoBackendNote();
  EXPECT_EQ(note.rfind("No USB devices can be listed: ", 0), 0u) << note;
  EXPECT_THAT(reports, ElementsAre(note));
  EXPECT_THAT(log, ElementsAre(note, ""));
}

}  // namespace
}  // namespace mendaro
