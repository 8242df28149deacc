// The program end to end: the real main window and search loop against the simulated box and fixture,
// headless, on the virtual clock. A scripted user acts from a 1 ms timer (the service window is not
// modal) and from the modal responder (demonstration menu, error boxes).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/ui/input.h"
#include "platform/ui/screen.h"
#include "sim/fixture/model_profiles.h"
#include "zem/link/link_test_support.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/ColorMixingForm.h"
#include "zem/modelwindows/FixtureFormBrv200_20.h"
#include "zem/modelwindows/SubDeviceForm.h"
#include "zem/windows/DemoMenu.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/ZemMain.h"

namespace {

constexpr const char* kLooking = "No fixture connected - looking for fixture";

using DemoChoice = ui::SpeedButton* TDemoMenuForm::*;

// The table's window for the fixture in the record, made by that row: its class name is "T" + its name.
std::string openedWindowClass(const TFixtureFormTemplate& w) {
  return "T" + w.name();
}

std::string joinedLines(const ui::RichEdit& edit) {
  std::string text;
  for (const std::string& line : edit.lines().lines()) text += (text.empty() ? "" : "\r") + line;
  return text;
}

class ZemMainTest : public linktest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    if (IsSkipped()) return;
    ui::app().reset();
    ui::clearShownModalForms();
    ui::setModalPassLimit(200000);
    ui::setModalResponder([this](ui::Form& f) { answerModal(f); });
  }

  void TearDown() override {
    script_.reset();
    if (main_) main_->free();
    ui::setModalResponder(nullptr);
    delete CurrentFixture;
    CurrentFixture = nullptr;
    SimTest::TearDown();
  }

  // Starts the program as main does and runs it until it ends. The user acts from `script` on every
  // 1 ms tick; past limitMs of virtual time the run is stopped and the test fails.
  void runProgram(std::function<void()> script, uint32_t limitMs = 120000) {
    const uint32_t start = sys::tickCount();
    script_ = std::make_unique<ui::Timer>(1);
    script_->onTimer = [script, start, limitMs] {
      if (sys::elapsedMs(start, sys::tickCount()) > limitMs) {
        ADD_FAILURE() << "the program did not end within " << limitMs << " ms";
        TerminateFlag = true;
        WindowClosed = true;
        ui::app().terminate();
        return;
      }
      if (script) script();
    };
    script_->setEnabled(true);
    main_ = ui::createForm<TZEMMainForm>(nullptr);
    if (onCreated) onCreated(*main_);
    ui::setMainForm(main_);
    main_->show();
    ui::app().run();
    script_->setEnabled(false);
  }

  // Answers the modal windows: error boxes are recorded and confirmed, the demonstration menu is given
  // to onDemoMenu (default: its Close button).
  void answerModal(ui::Form& f) {
    if (auto* box = dynamic_cast<TErrorForm*>(&f)) {
      errors_.push_back(joinedLines(*box->re1));
      errorTicks_.push_back(sys::tickCount());
      ui::input::click(*box->sbOk);
    } else if (auto* menu = dynamic_cast<TDemoMenuForm*>(&f)) {
      ++menus_;
      if (onDemoMenu) {
        onDemoMenu(*menu);
      } else {
        ui::input::click(*menu->sbClose);
      }
    } else {
      f.close();
    }
  }

  // Frames the fixture received with the given command letters.
  int frames(char command, char subCommand) const {
    int n = 0;
    for (const auto& f : sim_->receivedFrames()) {
      if (f.duplex && f.bytes.size() > 5 && f.bytes[4] == command && f.bytes[5] == subCommand) ++n;
    }
    return n;
  }
  int serialReads() const { return frames('S', 's'); }
  int passes() const { return frames('A', 'E'); }
  // Serial requests in the current pass (after its sub-device selection).
  int serialReadsInPass() const {
    int n = 0;
    for (const auto& f : sim_->receivedFrames()) {
      if (!f.duplex || f.bytes.size() < 6) continue;
      if (f.bytes[4] == 'A' && f.bytes[5] == 'E') n = 0;
      if (f.bytes[4] == 'S') ++n;
    }
    return n;
  }
  // Tick of the last serial request the fixture received, or 0.
  uint32_t lastSerialTick() const {
    uint32_t t = 0;
    for (const auto& f : sim_->receivedFrames()) {
      if (f.duplex && f.bytes.size() > 5 && f.bytes[4] == 'S') t = f.tick;
    }
    return t;
  }

  // Every fixture window that exists.
  static std::vector<TFixtureFormTemplate*> fixtureWindows() {
    std::vector<TFixtureFormTemplate*> windows;
    for (ui::Form* f : ui::screen().forms()) {
      if (auto* w = dynamic_cast<TFixtureFormTemplate*>(f)) windows.push_back(w);
    }
    return windows;
  }

  // The fixture window once it is up and has read its fixture (it is disabled while it reads), else null.
  static TFixtureFormTemplate* serviceWindow() {
    for (TFixtureFormTemplate* w : fixtureWindows()) {
      if (w->visible() && w->Activated && w->enabled()) return w;
    }
    return nullptr;
  }

  // The window class the identification table names for the fixture in the record.
  static std::string tableWindowClass() {
    const std::string code(FixtureData.begin() + fd::kFixtureInfo,
                           FixtureData.begin() + fd::kFixtureInfo + 5);
    const int row = FindFixtureType(code, FixtureData[fd::kFixtureInfo + 5]);
    return row < 0 ? std::string() : FixtureWindowTable()[static_cast<size_t>(row)].windowClass;
  }

  // Runs the program until its first fixture window is in service, hands the window to `check`, then
  // closes it, which ends the program. False when no window came.
  bool serveFirstWindow(const std::function<void(TFixtureFormTemplate&)>& check) {
    bool seen = false;
    runProgram([&] {
      TFixtureFormTemplate* w = serviceWindow();
      if (!w || seen) return;
      seen = true;
      check(*w);
      ui::input::click(*w->sbClose);
    });
    return seen;
  }

  // The fixture plays the profile's model; the search loop opens the window the table names for it, which
  // `check` examines once it is in service before the window is closed.
  void ServeProfile(
      const char* code, int subtype,
      const std::function<void(TFixtureFormTemplate&, const simfix::profiles::ModelProfile&)>& check) {
    const simfix::profiles::ModelProfile* profile =
        simfix::profiles::findProfile(code, static_cast<uint8_t>(subtype));
    ASSERT_NE(profile, nullptr);
    simfix::profiles::apply(*sim_, *profile);
    EXPECT_TRUE(serveFirstWindow([&](TFixtureFormTemplate& w) {
      EXPECT_EQ("T" + w.name(), tableWindowClass());
      check(w, *profile);
    }));
    EXPECT_TRUE(errors_.empty());
  }

  // Demonstration mode (no interface box): the menu's buttons are chosen in turn, each model's window is
  // handed to `seen` and left with its Demo button; after the last choice the menu's close box ends the
  // program.
  void runDemoChoices(const std::vector<DemoChoice>& choices,
                      const std::function<void(TFixtureFormTemplate&)>& seen) {
    sim_->setDeviceCount(0);
    onDemoMenu = [this, choices](TDemoMenuForm& menu) {
      const size_t i = static_cast<size_t>(menus_ - 1);
      if (i < choices.size()) {
        ui::input::click(*(menu.*choices[i]));
      } else {
        ASSERT_TRUE(ui::input::clickCloseBox(menu));
      }
    };
    runProgram([&] {
      TFixtureFormTemplate* w = serviceWindow();
      if (!w) return;
      seen(*w);
      ui::input::click(*w->sbReconnect);
    });
  }

  ui::Ref<TZEMMainForm> main_;
  std::unique_ptr<ui::Timer> script_;
  std::function<void(TZEMMainForm&)> onCreated;  // before the main window is shown
  std::function<void(TDemoMenuForm&)> onDemoMenu;
  std::vector<std::string> errors_;
  std::vector<uint32_t> errorTicks_;
  int menus_ = 0;
};

TEST_F(ZemMainTest, ThreeAgreeingSerialReadsOpenTheTablesWindowForTheFixture) {
  ASSERT_TRUE(serveFirstWindow([&](TFixtureFormTemplate& w) {
    EXPECT_EQ(typeid(w), typeid(TBrv200_20Form));
    EXPECT_EQ(tableWindowClass(), "TBrv200_20Form");
    EXPECT_EQ(w.caption(), "Brevidor 200");
    EXPECT_EQ(w.owner(), main_.get());
    EXPECT_EQ(fixtureWindows().size(), 1u);
    EXPECT_EQ(serialReads(), 3);
    EXPECT_NE(dynamic_cast<TZemFixtureBrv200_20*>(CurrentFixture), nullptr);
    EXPECT_FALSE(DemoMode);
  }));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ZemMainTest, TheFixtureWindowShowsWhatItReadWhenItCameUp) {
  std::vector<uint8_t> settings = sim_->group('P', 'p');
  ASSERT_GE(settings.size(), 2u);
  settings[0] = 42;  // DMX address, low byte first
  settings[1] = 0;
  sim_->setGroup('P', 'p', settings);
  ASSERT_TRUE(serveFirstWindow([](TFixtureFormTemplate& w) {
    EXPECT_EQ(w.lFixtureType->caption(), "Fixture: Brevidor 200");
    EXPECT_EQ(w.lFixtureId->caption(), std::string("FixtureID: ") + simfix::kDefaultSerial);
    EXPECT_EQ(w.seDMXAddress->caption(), "42");
    EXPECT_EQ(w.sbReconnect->caption(), "Reconnect");
    EXPECT_TRUE(w.sbRefresh->enabled());
  }));
}

TEST_F(ZemMainTest, WhileTheFixtureWindowIsUpTheMainWindowIsHiddenAndShowsTheConnection) {
  ASSERT_TRUE(serveFirstWindow([&](TFixtureFormTemplate&) {
    EXPECT_FALSE(main_->visible());
    EXPECT_EQ(main_->lHardware->caption(), "YOLB 1, ver 1.3");
    EXPECT_EQ(main_->ledHardware->brushColor(), LedColorsHardware[1]);
    EXPECT_EQ(main_->lFixtureConnect->caption(), "BV200");
    EXPECT_EQ(main_->shLedConnect->brushColor(), LedColorsConnect[1]);
    EXPECT_EQ(main_->pgGetData->position(), TZEMMainForm::kService);
  }));
}

TEST_F(ZemMainTest, RequestsThenAddressTheIdentifiedFixture) {
  ASSERT_TRUE(serveFirstWindow([](TFixtureFormTemplate&) {
    EXPECT_EQ(
        std::string(DuplexRequest.begin() + frame::kSerial, DuplexRequest.begin() + frame::kSerial + 15),
        simfix::kDefaultSerial);
  }));
}

TEST_F(ZemMainTest, ClosingTheFixtureWindowEndsTheProgram) {
  ASSERT_TRUE(serveFirstWindow([](TFixtureFormTemplate&) {}));
  EXPECT_TRUE(TerminateFlag);
  EXPECT_TRUE(WindowClosed);
  EXPECT_TRUE(ui::app().terminated());
  EXPECT_TRUE(fixtureWindows().empty());
  EXPECT_EQ(serialReads(), 3) << "no search after the window";
}

TEST_F(ZemMainTest, TheLoopLeavesFreeingTheMainWindowToTheProgramWhichThenReleasesTheLink) {
  ASSERT_TRUE(serveFirstWindow([](TFixtureFormTemplate&) {}));
  ui::app().processMessages();
  ASSERT_TRUE(main_);
  EXPECT_FALSE(main_->LoopRunning());
  main_->free();
  EXPECT_EQ(CurrentFixture, nullptr);
  EXPECT_EQ(Device, nullptr);
  EXPECT_EQ(InterfaceBox, nullptr);
  EXPECT_FALSE(sim_->isOpen());
}

// What a headless run waits for: a round of the search that found nothing to service, and what it met.
struct RoundEnd {
  const char* name;
  std::function<void(simfix::Control&)> setUp;
  std::string note;
  std::vector<std::string> errors;  // the boxes the round showed
};

// Parameterised tests print a row by its name.
void PrintTo(const RoundEnd& row, std::ostream* os) {
  *os << row.name;
}

class SearchRoundEndTest : public ZemMainTest, public ::testing::WithParamInterface<RoundEnd> {};

TEST_P(SearchRoundEndTest, TellsWhatTheRoundMet) {
  const RoundEnd& row = GetParam();
  row.setUp(*sim_);
  std::vector<std::string> notes;
  onCreated = [&notes](TZEMMainForm& main) {
    // As the headless program does: the first round that ends unserviced ends the run.
    main.OnSearchRoundEnded = [&notes](const std::string& what) {
      notes.push_back(what);
      TerminateFlag = true;
    };
  };
  runProgram(nullptr);
  EXPECT_EQ(notes, std::vector<std::string>{row.note});
  EXPECT_EQ(errors_, row.errors);
  EXPECT_TRUE(fixtureWindows().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SearchRoundEndTest,
    ::testing::Values(RoundEnd{"NoFixture",
                               [](simfix::Control& s) { s.setFixturePresent(false); },
                               "no fixture answered",
                               {}},
                      RoundEnd{"SilentBox",
                               [](simfix::Control& s) { s.setBoxSilent(true); },
                               "the interface box could not be opened, and no fixture answered",
                               {"Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application"}},
                      RoundEnd{"Unsupported",
                               [](simfix::Control& s) {
                                 (void)s.setEditUnit(0);
                                 s.setTypeCode("XYZ00", 0);
                               },
                               "unsupported fixture (type code XYZ00, subtype 0)",
                               {"Unsupported fixture connected - communication not possible"}}),
    [](const ::testing::TestParamInfo<RoundEnd>& i) { return std::string(i.param.name); });

// A fixture that fails or changes its answer within the three reads is searched for again, silently.
class InconsistentFixtureTest : public ZemMainTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InconsistentFixtureTest, KeepsSearchingWithTheConnectionLedRed) {
  const bool silentThirdRead = GetParam();
  int faultedPass = 0;
  runProgram([&] {
    ASSERT_EQ(serviceWindow(), nullptr);
    ASSERT_EQ(main_->shLedConnect->brushColor(), LedColorsConnect[0]);
    const int inPass = serialReadsInPass();
    const int pass = passes();
    if (silentThirdRead && inPass == 2 && faultedPass != pass) {
      faultedPass = pass;
      simfix::FaultSpec silent;
      silent.fault = simfix::Fault::Silent;
      silent.count = 3;  // every attempt of the third read
      sim_->setFault(silent);
    }
    if (!silentThirdRead && inPass == 1 && faultedPass != pass) {
      faultedPass = pass;
      sim_->setSerial("CHG00000000000" + std::to_string(pass % 10));
    }
    if (pass > 3) ui::input::click(*main_->sbClose);
  });
  EXPECT_TRUE(errors_.empty());
  EXPECT_EQ(main_->lFixtureConnect->caption(), kLooking);
  EXPECT_EQ(typeid(*CurrentFixture), typeid(TZemFixture));
  EXPECT_GE(serialReads(), 9);
}

INSTANTIATE_TEST_SUITE_P(TwoOfThreeOrDiffering, InconsistentFixtureTest, ::testing::Bool());

struct RefusedFixture {
  const char* name;
  std::function<void(simfix::Control&)> setUp;
  std::string error;
  uint32_t pauseMs;
};

void PrintTo(const RefusedFixture& row, std::ostream* os) {
  *os << row.name;
}

class RefusedFixtureTest : public ZemMainTest, public ::testing::WithParamInterface<RefusedFixture> {};

TEST_P(RefusedFixtureTest, ShowsItsBoxThenSearchesAgain) {
  const RefusedFixture& c = GetParam();
  c.setUp(*sim_);
  uint32_t searchedAgainAt = 0;
  runProgram([&] {
    ASSERT_EQ(serviceWindow(), nullptr);
    if (errors_.empty() || searchedAgainAt) return;
    const uint32_t t = lastSerialTick();
    if (t > errorTicks_[0]) {
      searchedAgainAt = t;
      EXPECT_EQ(main_->shLedConnect->brushColor(), LedColorsConnect[0]);
      ui::input::click(*main_->sbClose);
    }
  });
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], c.error);
  ASSERT_NE(searchedAgainAt, 0u);
  EXPECT_GE(searchedAgainAt - errorTicks_[0], c.pauseMs);
  EXPECT_LT(searchedAgainAt - errorTicks_[0], c.pauseMs + 500);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RefusedFixtureTest,
    ::testing::Values(
        RefusedFixture{"UnsupportedTypeCode", [](simfix::Control& s) { s.setTypeCode("GRB__", 2); },
                       "Unsupported fixture connected - communication not possible", 2000},
        RefusedFixture{"FirmwareTooOld", [](simfix::Control& s) { s.setFirmware(1, 9, 0); },
                       "Brevidor 200\rFixture firmeware (1.9) not compatible with ZEM application\r"
                       "Fixture firmware version 2.0 or higher required.",
                       1000},
        RefusedFixture{"NeedsNewerProgram", [](simfix::Control& s) { s.setRequiredZemVersion(1, 8, 1); },
                       "Fixture firmeware requires newer version of ZEM application\r"
                       "ZEM version 1.8 build 1 or higher required.",
                       1000}),
    [](const ::testing::TestParamInfo<RefusedFixture>& i) { return std::string(i.param.name); });

TEST_F(ZemMainTest, ReconnectLeadsBackToTheSearch) {
  std::vector<std::string> opened;
  ui::Ref<TFixtureFormTemplate> first;
  int passesAtReconnect = 0;
  runProgram([&] {
    TFixtureFormTemplate* w = serviceWindow();
    if (!w) return;
    opened.push_back(tableWindowClass() + " " + w->caption());
    if (opened.size() == 1) {
      first = w;
      passesAtReconnect = passes();
      TerminateFlag = true;  // Reconnect clears it
      ui::input::click(*w->sbReconnect);
      EXPECT_FALSE(TerminateFlag);
      return;
    }
    EXPECT_FALSE(first) << "the first window is freed before the search starts again";
    EXPECT_EQ(fixtureWindows().size(), 1u);
    EXPECT_GT(passes(), passesAtReconnect);
    EXPECT_EQ(serialReads(), 6);
    // Exit in the Files menu ends the program as Close does.
    EXPECT_TRUE(ui::input::chooseMenuItem(*w->mExit));
  });
  EXPECT_EQ(opened, (std::vector<std::string>{"TBrv200_20Form Brevidor 200", "TBrv200_20Form Brevidor 200"}));
  EXPECT_TRUE(TerminateFlag);
  EXPECT_TRUE(WindowClosed);
  EXPECT_TRUE(ui::app().terminated());
  EXPECT_TRUE(fixtureWindows().empty());
}

TEST_F(ZemMainTest, FailedOpenIsShownOnceAndTheSearchRunsAnyway) {
  sim_->setFailOpen(FT_DEVICE_NOT_FOUND);
  bool searching = false;
  runProgram([&] {
    if (errors_.empty()) return;
    searching = searching || (main_->LoopRunning() && main_->lFixtureConnect->caption() == kLooking);
    if (sys::elapsedMs(errorTicks_[0], sys::tickCount()) > 3000) ui::input::click(*main_->sbClose);
  });
  EXPECT_EQ(
      errors_,
      (std::vector<std::string>{"Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application"}));
  EXPECT_TRUE(searching);
  EXPECT_EQ(main_->lHardware->caption(), "No hardware");
  EXPECT_EQ(main_->ledHardware->brushColor(), LedColorsHardware[0]);
}

// Closing the main window or pressing its Close button ends the program before another pass starts.
class CloseDuringSearchTest : public ZemMainTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CloseDuringSearchTest, EndsTheProgramWithinOnePass) {
  const bool closeBox = GetParam();
  sim_->setFixturePresent(false);
  int passesAtClose = -1;
  runProgram([&] {
    if (passesAtClose >= 0 || serialReads() == 0) return;
    passesAtClose = passes();
    if (closeBox) {
      ASSERT_TRUE(ui::input::clickCloseBox(*main_));
    } else {
      ui::input::click(*main_->sbClose);
    }
    EXPECT_TRUE(TerminateFlag);
  });
  EXPECT_EQ(passes(), passesAtClose);
  EXPECT_TRUE(ui::app().terminated());
  ASSERT_TRUE(main_);
  EXPECT_FALSE(main_->LoopRunning());
}

INSTANTIATE_TEST_SUITE_P(CloseBoxOrButton, CloseDuringSearchTest, ::testing::Bool());

const std::vector<DemoChoice> kFourDemoChoices = {&TDemoMenuForm::sbGrobel200CI, &TDemoMenuForm::sbBrv200,
                                                  &TDemoMenuForm::sbBrv1200CMYIZ,
                                                  &TDemoMenuForm::sbBrv1200CIGZF};

TEST_F(ZemMainTest, DemoMenuOpensEachChosenModelsWindowWithoutAFixture) {
  std::vector<std::string> opened;
  std::vector<std::string> models;
  runDemoChoices(kFourDemoChoices, [&](TFixtureFormTemplate&) {
    opened.push_back(tableWindowClass());
    models.push_back(CurrentFixture->GetFixtureName());
  });
  EXPECT_EQ(opened,
            (std::vector<std::string>{"TZemFixtureGrobel200CI_01Form", "TBrv200_20Form",
                                      "TZemFixtureBrv1200CMYIZ_01Form", "TZemFixtureBrv1200CIGZF_01Form"}));
  EXPECT_EQ(models, (std::vector<std::string>{"Grobel 200 CI", "Brevidor 200", "Brevidor 1200 Wash",
                                              "Brevidor 1200 IP"}));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ZemMainTest, ADemoWindowSaysItIsOne) {
  int windows = 0;
  runDemoChoices(kFourDemoChoices, [&](TFixtureFormTemplate& w) {
    ++windows;
    EXPECT_TRUE(DemoMode);
    EXPECT_EQ(w.sbReconnect->caption(), "Demo");
    EXPECT_FALSE(w.sbRefresh->enabled());
    EXPECT_EQ(w.caption(), CurrentFixture->GetFixtureName() + ": DEMO");
    EXPECT_EQ(w.lFixtureType->caption(), "Fixture: " + CurrentFixture->GetFixtureName());
  });
  EXPECT_EQ(windows, 4);
}

TEST_F(ZemMainTest, EachDemoChoiceLeavesNothingOfThePreviousIdentity) {
  std::vector<std::array<uint8_t, 10>> identityRest;
  runDemoChoices(kFourDemoChoices, [&](TFixtureFormTemplate&) {
    std::array<uint8_t, 10> rest{};
    std::copy_n(FixtureData.begin() + 20, 10, rest.begin());
    identityRest.push_back(rest);
  });
  ASSERT_EQ(identityRest.size(), 4u);
  // Grobel: sub-type 1 and main-CPU firmware 1.0; the Brevidor 200 chosen next keeps none of it.
  EXPECT_EQ(identityRest[0], (std::array<uint8_t, 10>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(identityRest[1], (std::array<uint8_t, 10>{}));
  EXPECT_EQ(identityRest[3][0], 2);
}

TEST_F(ZemMainTest, DemoModeEndsAtTheMenuWithoutTouchingTheBox) {
  runDemoChoices(kFourDemoChoices, [](TFixtureFormTemplate&) {});
  EXPECT_EQ(menus_, 5);
  EXPECT_TRUE(TerminateFlag);
  EXPECT_EQ(main_->lHardware->caption(), "No hardware");
  EXPECT_EQ(main_->ledHardware->brushColor(), LedColorsHardware[0]);
  EXPECT_TRUE(sim_->receivedFrames().empty());
  EXPECT_EQ(sim_->openCount(), 0u);
}

// Cancelling the demonstration menu, by its Close button or its close box, ends the program at once.
class DemoCancelTest : public ZemMainTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DemoCancelTest, EndsTheProgram) {
  const bool closeBox = GetParam();
  sim_->setDeviceCount(0);
  onDemoMenu = [&](TDemoMenuForm& menu) {
    if (closeBox) {
      ASSERT_TRUE(ui::input::clickCloseBox(menu));
    } else {
      ui::input::click(*menu.sbClose);
    }
  };
  runProgram([&] { ASSERT_EQ(serviceWindow(), nullptr); });
  EXPECT_EQ(menus_, 1);
  EXPECT_TRUE(TerminateFlag);
  EXPECT_FALSE(DemoMode);
  EXPECT_TRUE(ui::app().terminated());
  ASSERT_EQ(ui::shownModalForms().size(), 1u);
  EXPECT_EQ(ui::shownModalForms()[0].result, ui::ModalResult::Cancel);
}

INSTANTIATE_TEST_SUITE_P(CloseBoxOrButton, DemoCancelTest, ::testing::Bool());

// The wait for the service window must not outlive the window or the application.
TEST_F(ZemMainTest, ServiceWaitEndsWhenTheWindowIsGone) {
  int windows = 0;
  runProgram([&] {
    TFixtureFormTemplate* w = serviceWindow();
    if (!w) return;
    if (++windows == 1) {
      w->free();  // gone without WindowClosed
      return;
    }
    ui::input::click(*w->sbClose);
  });
  EXPECT_EQ(windows, 2);
  EXPECT_EQ(serialReads(), 6);
}

TEST_F(ZemMainTest, ServiceWaitEndsWhenTheApplicationEnds) {
  bool terminated = false;
  runProgram([&] {
    if (!serviceWindow() || terminated) return;
    terminated = true;
    ui::app().terminate();
  });
  EXPECT_TRUE(terminated);
  EXPECT_TRUE(TerminateFlag);
  EXPECT_TRUE(fixtureWindows().empty());
  ASSERT_TRUE(main_);
  EXPECT_FALSE(main_->LoopRunning());
}

// ---- The windows on their own ----

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
  }
  void TearDown() override {
    ui::app().reset();
    InitZemData();
  }
  sys::ScopedVirtualClock clock_;
};

TEST_F(MainWindowTest, CreationSetsCaptionsAndColours) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  EXPECT_EQ(form->caption(), "Tavren ZEM - ver 1.8");
  EXPECT_EQ(form->color(), ui::rgb(189, 189, 189));
  EXPECT_EQ(form->Panel1->color(), form->color());
  EXPECT_EQ(form->Panel2->color(), form->color());
  EXPECT_EQ(form->lHardware->caption(), "No hardware");
  EXPECT_EQ(form->lFixtureConnect->caption(), kLooking);
  EXPECT_EQ(form->sbClose->caption(), "Close");
  EXPECT_EQ(form->sbClose->boundsRect(), (ui::Rect{0, 0, form->pClose->width(), form->pClose->height()}));
  EXPECT_EQ(form->pgGetData->max(), 3);
}

TEST_F(MainWindowTest, CreationSetsTheMenuAndTheHelpFile) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  EXPECT_EQ(form->ToolBar1->menu(), form->MainMenu);
  EXPECT_EQ(form->mMenuHelp->caption(), "&Help");
  EXPECT_EQ(form->mHelpContents->caption(), "Help contents");
  EXPECT_EQ(form->mAbout->caption(), "About");
  EXPECT_EQ(ui::app().helpFile(), ProgramFolder + "Zem.hlp");
}

TEST_F(MainWindowTest, HelpContentsAsksForTheHelpFilesContents) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  form->mHelpContents->click();
  ASSERT_EQ(ui::app().helpRequests().size(), 1u);
  EXPECT_EQ(ui::app().helpRequests()[0].command, ui::kHelpContents);
}

TEST_F(MainWindowTest, CloseOnlyRaisesTheFlagForTheLoop) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  form->sbClose->click();
  EXPECT_TRUE(TerminateFlag);
}

// The window's hint handler: whether it lets the hint show, and how.
bool askToShowHint(std::string text, ui::HintInfo& info) {
  bool canShow = true;
  ui::app().onShowHint(text, canShow, info);
  return canShow;
}

TEST_F(MainWindowTest, LongHintsStayLonger) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  ASSERT_TRUE(ui::app().onShowHint);
  ui::HintInfo info;
  EXPECT_TRUE(askToShowHint(std::string(40, 'x'), info));
  EXPECT_EQ(info.hintMaxWidth, 150);
  EXPECT_EQ(info.hideTimeout, 4000);
  EXPECT_EQ(ui::app().hintPause(), 1);
  (void)askToShowHint("Hi", info);
  EXPECT_EQ(info.hideTimeout, ui::app().hintHidePause()) << "a short hint stays the usual time";
}

TEST_F(MainWindowTest, TheSameHintIsNotShownTwice) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  ui::HintInfo info;
  EXPECT_TRUE(askToShowHint("Hi", info));
  EXPECT_FALSE(askToShowHint("Hi", info));
}

TEST_F(MainWindowTest, TheHintHandlerGoesWithTheWindow) {
  ui::Owned<TZEMMainForm> form(ui::createForm<TZEMMainForm>(nullptr));
  form.reset();
  EXPECT_FALSE(ui::app().onShowHint);
}

TEST_F(MainWindowTest, DemoMenuHasItsCaptionNoticeAndCloseBox) {
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(nullptr));
  EXPECT_EQ(menu->caption(), "ZEM Demo mode - please select fixture");
  EXPECT_EQ(menu->Re1->lines().lines(),
            std::vector<std::string>{"No interface hardware found. Demo mode enabled."});
  EXPECT_TRUE(menu->hasCloseBox());
}

TEST_F(MainWindowTest, DemoMenuWritesOnlyTheChosenIdentity) {
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(nullptr));
  std::fill(FixtureData.begin() + 20, FixtureData.begin() + 30, uint8_t{0xAA});
  FixtureData[30] = 0x55;
  menu->sbGrobel200CMYI->click();
  EXPECT_EQ(menu->modalResult(), ui::ModalResult::Ok);
  EXPECT_EQ(std::string(FixtureData.begin() + 15, FixtureData.begin() + 20), "GRB__");
  EXPECT_EQ(std::vector<uint8_t>(FixtureData.begin() + 20, FixtureData.begin() + 30),
            (std::vector<uint8_t>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FixtureData[30], 0x55);
  menu->sbRastel->click();
  EXPECT_EQ(std::string(FixtureData.begin() + 15, FixtureData.begin() + 20), "RASTE");
  EXPECT_EQ(FixtureData[21], 0);
}

TEST_F(MainWindowTest, EveryDemoMenuButtonNamesASupportedModel) {
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(nullptr));
  for (ui::SpeedButton* b : menu->FixtureButtons()) {
    b->click();
    std::string code(FixtureData.begin() + 15, FixtureData.begin() + 20);
    EXPECT_GE(FindFixtureType(code, FixtureData[20]), 0) << b->caption();
  }
}

TEST_F(MainWindowTest, DemoMenuHelpAsksForTheTopicsOnceThereIsAHelpFile) {
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(nullptr));
  menu->sbHelp->click();
  ASSERT_EQ(ui::app().helpRequests().size(), 0u);  // no help file set
  ui::app().setHelpFile("Zem.hlp");
  menu->sbHelp->click();
  ASSERT_EQ(ui::app().helpRequests().size(), 1u);
  EXPECT_EQ(ui::app().helpRequests()[0].command, ui::kHelpTopics);
}

// ---------------------------------------------------------------------------------------------------------
// The colour-mixing model windows, opened by the window table

// A colour-mixing model as the simulator plays it, printed as ZEM_SIM_MODEL names it.
struct ColourMixingRow {
  const char* code;
  int subtype;
};

void PrintTo(const ColourMixingRow& row, std::ostream* os) {
  *os << row.code << ":" << row.subtype;
}

class ZemMainColourMixingRowTest : public ZemMainTest,
                                   public ::testing::WithParamInterface<ColourMixingRow> {};

// The fixture plays each model; the search loop opens that model's window, which shows the scene the
// fixture is editing.
TEST_P(ZemMainColourMixingRowTest, SearchLoopOpensTheRowsWindowShowingTheFixturesScene) {
  const auto& [code, subtype] = GetParam();
  ServeProfile(code, subtype, [](TFixtureFormTemplate& w, const simfix::profiles::ModelProfile& profile) {
    auto* window = dynamic_cast<TColorMixingForm*>(&w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(w.caption(), profile.model);
    EXPECT_TRUE(
        std::equal(window->SceneValues.begin(), window->SceneValues.end(), profile.program.begin() + 2));
    EXPECT_EQ(w.lSceneCounter->caption(), "Scene 4 of 5");
  });
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZemMainColourMixingRowTest,
    ::testing::Values(ColourMixingRow{"BV600", 0}, ColourMixingRow{"BV200", 0}, ColourMixingRow{"LU150", 0},
                      ColourMixingRow{"BV60C", 0}, ColourMixingRow{"NMB02", 0}, ColourMixingRow{"GRB__", 0},
                      ColourMixingRow{"GRB__", 1}, ColourMixingRow{"GRB__", 4}, ColourMixingRow{"BVT12", 0},
                      ColourMixingRow{"BV6NS", 0}, ColourMixingRow{"BVT12", 2}, ColourMixingRow{"B12GM", 2},
                      ColourMixingRow{"RASTE", 0}, ColourMixingRow{"BV20L", 0}, ColourMixingRow{"BV40L", 0}),
    [](const ::testing::TestParamInfo<ColourMixingRow>& info) {
      std::string name = info.param.code;
      std::replace(name.begin(), name.end(), '_', 'x');
      return name + "_" + std::to_string(info.param.subtype);
    });

TEST_F(ZemMainTest, OldGrobelFirmwareOpensItsWindowWithoutAMonitorPage) {
  const simfix::profiles::ModelProfile* profile = simfix::profiles::findProfile("GRB__", 1);
  ASSERT_NE(profile, nullptr);
  simfix::profiles::apply(*sim_, *profile);
  simfix::profiles::applyFirmware(*sim_, profile->firmwareAt("no monitor"));
  bool seen = false;
  runProgram([&] {
    TFixtureFormTemplate* w = serviceWindow();
    if (!w || seen) return;
    seen = true;
    EXPECT_EQ(openedWindowClass(*w), "TZemFixtureGrobel200CI_01Form");
    EXPECT_FALSE(w->tsMonitor);
    ui::input::click(*w->sbClose);
  });
  EXPECT_TRUE(seen);
}

struct DemoRow {
  DemoChoice button;
  const char* windowClass;
};

void PrintTo(const DemoRow& row, std::ostream* os) {
  *os << row.windowClass;
}

class ZemMainDemoRowTest : public ZemMainTest, public ::testing::WithParamInterface<DemoRow> {};

TEST_P(ZemMainDemoRowTest, DemoMenuOpensTheModelsWindowWithoutAFixture) {
  std::vector<std::string> opened;
  runDemoChoices({GetParam().button},
                 [&](TFixtureFormTemplate& w) { opened.push_back(openedWindowClass(w)); });
  EXPECT_EQ(opened, std::vector<std::string>{GetParam().windowClass});
  EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZemMainDemoRowTest,
    ::testing::Values(DemoRow{&TDemoMenuForm::sbBrv200, "TBrv200_20Form"},
                      DemoRow{&TDemoMenuForm::sbBrv600, "TBrv600_20Form"},
                      DemoRow{&TDemoMenuForm::sbBrv600C, "TBrv600C_20Form"},
                      DemoRow{&TDemoMenuForm::sbBrv1200CMYIZ, "TZemFixtureBrv1200CMYIZ_01Form"},
                      DemoRow{&TDemoMenuForm::sbLunavCMY, "TLunavCMY150_20Form"},
                      DemoRow{&TDemoMenuForm::sbGrobel200CMYI, "TZemFixtureGrobel200CMYI_01Form"},
                      DemoRow{&TDemoMenuForm::sbGrobel200CI, "TZemFixtureGrobel200CI_01Form"},
                      DemoRow{&TDemoMenuForm::sbBrv1200CIGZF, "TZemFixtureBrv1200CIGZF_01Form"},
                      DemoRow{&TDemoMenuForm::sbNimboO2, "TNimboO2_21Form"},
                      DemoRow{&TDemoMenuForm::sbRastel, "TRastel_21Form"},
                      DemoRow{&TDemoMenuForm::sbBV20L, "TBV20LForm"},
                      DemoRow{&TDemoMenuForm::sbBralin, "TBralinForm"}),
    [](const ::testing::TestParamInfo<DemoRow>& info) { return std::string(info.param.windowClass); });

TEST_F(ZemMainTest, WithoutAFixtureTheTubeHasItsMainUnitOnly) {
  int tubes = 0;
  runDemoChoices({&TDemoMenuForm::sbBralin}, [&](TFixtureFormTemplate& w) {
    auto* chain = dynamic_cast<TSubDeviceForm*>(&w);
    ASSERT_NE(chain, nullptr);
    ++tubes;
    EXPECT_EQ(chain->lSegment->caption(), "Segment 1 (of 1 to 1)");
    EXPECT_FALSE(chain->sbSegmentNext->enabled());
  });
  EXPECT_EQ(tubes, 1);
}

// ---------------------------------------------------------------------------------------------------------
// The LED tube and LED strip windows, opened by the window table

struct SubDeviceRow {
  const char* code;
  const char* windowClass;
  const char* firstLabel;   // the selector on the main unit
  const char* secondLabel;  // after one step to the next sub-device
};

void PrintTo(const SubDeviceRow& row, std::ostream* os) {
  *os << row.code;
}

class ZemMainSubDeviceRowTest : public ZemMainTest, public ::testing::WithParamInterface<SubDeviceRow> {};

// The fixture plays the chain; the search loop opens its window, whose selector walks the sub-devices the
// read found.
TEST_P(ZemMainSubDeviceRowTest, SearchLoopOpensTheRowsWindowOverTheChain) {
  const SubDeviceRow& row = GetParam();
  ServeProfile(row.code, row.code[0] == 'K',
               [&](TFixtureFormTemplate& w, const simfix::profiles::ModelProfile&) {
                 EXPECT_EQ(openedWindowClass(w), row.windowClass);
                 auto* window = dynamic_cast<TSubDeviceForm*>(&w);
                 ASSERT_NE(window, nullptr);
                 EXPECT_EQ(window->lSegment->caption(), row.firstLabel);
                 ui::input::mouseDown(*window->sbSegmentNext, 2, 2);
                 ui::input::mouseUp(*window->sbSegmentNext, 2, 2);
                 EXPECT_EQ(window->lSegment->caption(), row.secondLabel);
                 EXPECT_EQ(sim_->selectedSubDevice(), 1);
               });
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZemMainSubDeviceRowTest,
    ::testing::Values(SubDeviceRow{"BRALB", "TBralinForm", "Segment 1 (of 1 to 4)", "Segment 2 (of 1 to 4)"},
                      SubDeviceRow{"KANDT", "TKandrelForm", "Quodra 1 (of 1 to 3)", "Quodra 2 (of 1 to 3)"}),
    [](const ::testing::TestParamInfo<SubDeviceRow>& info) { return std::string(info.param.code); });

}  // namespace
