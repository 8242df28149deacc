// Every window zem can open, on a real display with its real fonts: every caption, label, item and tab
// fits the room its control gives it (the screenshot test runs this binary under Xvfb; without a
// display it skips). The fixture window is filled from the simulated fixture, so the texts are the
// ones a technician sees.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/ui/fltk/display_test_support.h"
#include "platform/ui/fltk/help_viewer.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/text_fit.h"
#include "sim/fixture/model_profiles.h"
#include "zem/link/ZEMData.h"
#include "zem/link/link_test_support.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBralin.h"
#include "zem/modelwindows/LedAutoTest.h"
#include "zem/windows/About.h"
#include "zem/windows/DemoMenu.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/GetInfoProgress.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/SARunDialog.h"
#include "zem/windows/SaveMemoryDialog.h"
#include "zem/windows/TestSequenceForm.h"
#include "zem/windows/UploadMemProgressForm.h"
#include "zem/windows/WarningDialog.h"
#include "zem/windows/ZemFolders.h"
#include "zem/windows/ZemMain.h"
#include "zem/windows/monitor_test_support.h"

namespace {

namespace profiles = simfix::profiles;

class WindowsFitTest : public ui::fltk::testing::OnDisplay<linktest::SimTest> {
 protected:
  void SetUp() override {
    OnDisplay::SetUp();
    if (IsSkipped()) return;
    owner_.reset(ui::createForm<ui::Form>(nullptr));
    owner_->setBounds(0, 0, 600, 400);
  }
  void TearDown() override {
    owner_.reset();
    CurrentFixture = nullptr;
    delete model_;
    model_ = nullptr;
    OnDisplay::TearDown();
  }

  // Shows the window on the display, fills it (beforeCheck, when given), checks it and frees it.
  void expectFits(ui::Form* window, const std::function<void(ui::Form&)>& beforeCheck = {}) {
    ui::Ref<ui::Form> ref(window);
    window->show();
    ui::app().processMessages();
    if (beforeCheck) beforeCheck(*window);
    for (const auto& f : ui::findClippedText(*window)) ADD_FAILURE() << f.describe();
    if (ref) ref->free();
  }

  template <class Box>
  void expectBoxFits(std::initializer_list<const char*> lines) {
    auto* box = new Box(owner_.get());
    for (const char* line : lines) box->AddText(line);
    expectFits(box);
  }

  // Identifies the simulated fixture as the search loop does and makes its model current.
  void connect(const profiles::ModelProfile& p) {
    profiles::apply(*sim_, p);
    ASSERT_TRUE(CreateDevice(Device));
    Device->Open();
    TZemFixture generic;
    ASSERT_TRUE(generic.ReadSerialNumber());
    ASSERT_TRUE(generic.ReadFixtureInfo());
    model_ = CreateFixtureForType(generic.GetTypeCode(), generic.GetSubType());
    ASSERT_NE(model_, nullptr);
    CurrentFixture = model_;
  }

  // Opens the window of the identification table's row for the current model, checks it as expectFits does,
  // then lets the window, the model and the device go.
  void expectRowWindowFits(int row, const std::function<void(ui::Form&)>& beforeCheck = {}) {
    const TFixtureWindowRow& entry = FixtureWindowTable()[static_cast<size_t>(row)];
    expectFits(entry.create(owner_.get(), entry), beforeCheck);
    FreeDevice();
    CurrentFixture = nullptr;
    delete model_;
    model_ = nullptr;
  }

  ui::Owned<ui::Form> owner_;
  TZemFixture* model_ = nullptr;
};

TEST_F(WindowsFitTest, MainWindowAndDemonstrationMenu) {
  auto* main = ui::createForm<TZEMMainForm>(nullptr);
  main->ShowDriverNote(
      "Driver library \"/opt/drivers/libftd2xx.so\" could not be loaded: it is not a shared library "
      "(invalid ELF header). Running in demonstration mode.");
  // The search loop ends at its first test: only the window is wanted here.
  TerminateFlag = true;
  expectFits(main);
  TerminateFlag = false;
  auto* menu = new TDemoMenuForm(owner_.get());
  expectFits(menu);
  expectFits(new TAboutForm(owner_.get()));
}

TEST_F(WindowsFitTest, MessageBoxes) {
  expectBoxFits<TErrorForm>({"Unsupported fixture connected - communication not possible"});
  expectBoxFits<TErrorForm>({"Brevidor 600",
                             "Fixture firmeware (1.9 build 9) not compatible with ZEM application",
                             "Fixture firmware version 2.0 or higher required."});
  expectBoxFits<TWarningForm>({"Upload of fixture settings will overwrite the settings of the fixture."});
  expectBoxFits<TInformationForm>(
      {"Fixture is resetting. This may take a minute or two. Meanwhile the fixture is not able to "
       "comunicate."});
  expectBoxFits<TSARunForm>({"Running stand-alone program"});
}

TEST_F(WindowsFitTest, ProgressAndNotesDialogs) {
  expectFits(new TDownloadMemform(owner_.get()));
  auto* upload = new TUploadMemProgress(owner_.get());
  upload->setCaption("Uploading complete fixture memory - please wait");
  expectFits(upload);
  expectFits(new TSaveMemoryForm(owner_.get()));
  auto* notes = new TEEpromUploadForm(owner_.get());
  notes->setCaption("Upload complete fixture memory from file");
  expectFits(notes);
  expectFits(new TFormGetInfoProgress(owner_.get()));
  expectFits(new TTestSequenceDialog(owner_.get()));
}

// Every page of the fixture window each simulated model opens (through the main window's table, as the
// search loop opens it), read from the simulated fixture.
TEST_F(WindowsFitTest, FixtureWindowOfEveryModel) {
  for (const profiles::ModelProfile& p : profiles::allProfiles()) {
    SCOPED_TRACE(p.model);
    connect(p);
    if (HasFatalFailure()) return;
    const int row = FindFixtureType(p.typeCode, p.subtype);
    ASSERT_GE(row, 0);
    expectRowWindowFits(row);
  }
}

// The Monitor page with every value as wide as it can come (five digits, a sign and a decimal): its columns
// still stand side by side inside their group.
TEST_F(WindowsFitTest, MonitorPageOfEveryModelAtItsWidestValues) {
  for (const profiles::ModelProfile& p : profiles::allProfiles()) {
    SCOPED_TRACE(p.model);
    connect(p);
    if (HasFatalFailure()) return;
    const int row = FindFixtureType(p.typeCode, p.subtype);
    ASSERT_GE(row, 0);
    expectRowWindowFits(row, [](ui::Form& form) {
      auto* window = dynamic_cast<TFixtureFormTemplate*>(&form);
      ASSERT_NE(window, nullptr);
      monitortest::FillMonitorAtItsWidest();
      window->UpdateMonitorValues();
    });
  }
}

// Every window the demonstration menu opens, filled from the demonstration device as in demonstration mode.
TEST_F(WindowsFitTest, FixtureWindowOfEveryDemonstrationChoice) {
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(owner_.get()));
  for (ui::SpeedButton* button : menu->FixtureButtons()) {
    SCOPED_TRACE(button->caption());
    menu->sbFixtureClick(button);
    Device = new TZEMDeviceNone();
    DemoMode = true;
    TZemFixture generic;
    (void)generic.ReadFixtureInfo();  // the demonstration device keeps the identity the menu wrote
    const int row = FindFixtureType(generic.GetTypeCode(), generic.GetSubType());
    ASSERT_GE(row, 0);
    model_ = FixtureTypeTable()[static_cast<size_t>(row)].create();
    CurrentFixture = model_;
    expectRowWindowFits(row);
  }
  DemoMode = false;
}

// The help viewer at every topic the fixture window opens, and at the contents: its buttons' labels fit
// and no page is wider than the view (the pictures included).
TEST_F(WindowsFitTest, HelpViewerAtEveryTopic) {
  const std::string saved = ProgramFolder;
  ProgramFolder = ZEM_BUILD_PROGRAM_FOLDER;
  ui::app().setHelpFile(helpFilePath());
  ui::Owned<TFixtureFormTemplate> window(ui::createForm<TFixtureFormTemplate>(owner_.get()));
  window->show();
  auto expectViewerFits = [](const char* what) {
    ui::app().processMessages();
    ui::fltk::HelpViewer* viewer = ui::fltk::helpViewer();
    ASSERT_NE(viewer, nullptr) << what;
    EXPECT_TRUE(viewer->shown()) << what;
    EXPECT_EQ(viewer->title(), "ZEM help") << what << ": the file was not found";
    EXPECT_EQ(viewer->clippedTextReport(), "") << what;
  };
  for (int i = 0; i < window->PC1->pageCount(); ++i) {
    window->PC1->setActivePage(window->PC1->page(i));
    ASSERT_TRUE(ui::input::chooseMenuItem(*window->mHelp));
    expectViewerFits(window->PC1->page(i)->caption().c_str());
  }
  ASSERT_TRUE(ui::input::chooseMenuItem(*window->mFileMenuHelp));
  expectViewerFits("File Menu Help");
  ASSERT_TRUE(ui::input::chooseMenuItem(*window->mHelpContents));
  expectViewerFits("Help contents");
  ProgramFolder = saved;
}

// The LED auto-test windows with their longest texts, and the tube's "Auto" boxes in place of the DMX
// address and mode of a segment that configures itself.
TEST_F(WindowsFitTest, LedAutoTestWindowsAndTheTubesAutoBoxes) {
  auto* tubeTest = ui::createForm<TBralinAutotestForm>(owner_.get());
  tubeTest->lSubDevice->setCaption(ZemFormat(ZemStr::AtDmxAddress, 512));
  tubeTest->lColorIndex->setCaption(ZemFormat(ZemStr::AtColorIndex, "Green"));
  expectFits(tubeTest);
  auto* stripTest = ui::createForm<TKandrelAutoTest>(owner_.get());
  stripTest->lSubDevice->setCaption(ZemFormat(ZemStr::AtQuodraNumber, 254));
  stripTest->lColorIndex->setCaption(ZemFormat(ZemStr::AtLedColor, "Green"));
  expectFits(stripTest);

  const profiles::ModelProfile* tube = profiles::findProfile("BRALB", 0);
  ASSERT_NE(tube, nullptr);
  connect(*tube);
  auto* window = ui::createForm<TBralinForm>(owner_.get());
  window->show();
  ui::app().processMessages();
  ui::input::mouseDown(*window->sbSegmentNext, 2, 2);
  ui::input::mouseUp(*window->sbSegmentNext, 2, 2);
  ASSERT_TRUE(window->eDMXAddressAuto->visible());
  window->eDMXAddressAuto->setCaption(ZemFormat(ZemStr::LtAutoNumber, 512));
  expectFits(window);
}

}  // namespace
