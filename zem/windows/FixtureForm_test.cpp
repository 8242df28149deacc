// The fixture window template: its life, pages, edits, help and drawing, over scripted fixture objects and
// end to end against the simulated box and fixture (real link, real model classes). The memory-file
// commands are in FixtureFormMemory_test.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/fixtureform_test_support.h"

namespace {

using namespace fixtureformtest;  // NOLINT(google-build-using-namespace): the test scaffolding

// ---- Life -------------------------------------------------------------------------------------------

TEST_F(FixtureFormTest, FirstActivationReadsOnceEvenWhenActivatedFromInsideTheRead) {
  fixture_.onRead = [this](int reads) {
    // An activation arriving while the read pumps messages must not start a second read.
    if (reads == 1 && window_ && window_->onActivate) window_->onActivate(window_.get());
  };
  openWindow();
  EXPECT_EQ(fixture_.reads, 1);
  EXPECT_TRUE(window_->Activated);
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
  EXPECT_EQ(ActiveWriteBackTimer, window_->SAModifiedTimer.get());
}

TEST_F(FixtureFormTest, LaterActivationsAndShowsNeitherReadNorStartTheTimer) {
  openWindow();
  EXPECT_TRUE(choose(window_->mAbout));  // activated again after the dialog
  window_->SAModifiedTimer->setEnabled(false);
  window_->hide();
  window_->show();
  EXPECT_EQ(fixture_.reads, 1);
  EXPECT_FALSE(timerOn());
}

TEST_F(FixtureFormTest, AFreedWindowLeavesNoWriteBackTimerBehind) {
  openWindow();
  closeWindow();
  EXPECT_EQ(ActiveWriteBackTimer, nullptr);
}

TEST_F(FixtureFormTest, AReadThatRaisesIsShownAndLeavesTheWindowUsable) {
  fixture_.throwOnRead = true;
  openWindow();
  // Shown as the application's default handler would show it.
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "Lamp state out of range: 7");
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
}

TEST_F(FixtureFormTest, AFullReadThatStopsEarlyIsToldNamingWhatIsMissing) {
  fixture_.missing = "lamp status and counters";
  openWindow();
  EXPECT_EQ(dialogs_.warnings,
            std::vector<std::string>{"Fixture data could not be read completely (missing: lamp status and "
                                     "counters). The window may show values the fixture does not hold; press "
                                     "Refresh to read again."});
}

TEST_F(FixtureFormTest, ACompleteReadTellsNothing) {
  openWindow();
  EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(FixtureFormTest, TheDemonstrationReadsNothingAndTellsNothing) {
  DemoMode = true;
  fixture_.missing = "fixture information";
  openWindow();
  EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(FixtureFormTest, ReconnectEndsOnlyTheWindow) {
  openWindow();
  ASSERT_TRUE(ui::input::click(*window_->sbReconnect));
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(FixtureFormTest, ClosingTheWindowEndsTheProgram) {
  openWindow();
  ASSERT_TRUE(ui::input::clickCloseBox(*window_));
  EXPECT_TRUE(WindowClosed);
  EXPECT_TRUE(TerminateFlag);
  EXPECT_FALSE(timerOn());
}

// ---- Help and drawing ---------------------------------------------------------------------------------

// A model window that removes a page and adds one of its own.
class PagesRemovedForm : public TFixtureFormTemplate {
 public:
  explicit PagesRemovedForm(ui::Component* owner) : TFixtureFormTemplate(owner) {}
  void FormCreate(ui::Component* sender) override {
    TFixtureFormTemplate::FormCreate(sender);
    tsStandAloneSettings->free();
    extra = new ui::TabSheet(this);
    extra->setPageControl(PC1);
  }
  ui::TabSheet* extra = nullptr;
};

class PagesRemovedTest : public FixtureFormTest {
 protected:
  PagesRemovedForm* openPagesRemoved() {
    owner_.reset(ui::createForm<ui::Form>(nullptr));
    auto* form = ui::createForm<PagesRemovedForm>(owner_.get());
    window_ = form;
    form->show();
    return form;
  }
};

TEST_F(PagesRemovedTest, HelpFollowsThePageNotItsPosition) {
  PagesRemovedForm* form = openPagesRemoved();
  form->PC1->setActivePage(form->tsMonitor);
  ASSERT_TRUE(choose(form->mHelp));
  form->PC1->setActivePage(form->extra);  // a page of the model window's own: no topic
  ASSERT_TRUE(choose(form->mHelp));
  form->PC1->setActivePage(form->tsAdjustment);
  ASSERT_TRUE(choose(form->mHelp));
  const auto& requests = ui::app().helpRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].topic, "Monitor");
  EXPECT_EQ(requests[1].topic, "Adjustment");
}

TEST_F(PagesRemovedTest, HelpContentsAndFileMenuHelpOpenTheirTopics) {
  PagesRemovedForm* form = openPagesRemoved();
  ASSERT_TRUE(choose(form->mHelpContents));
  ASSERT_TRUE(choose(form->mFileMenuHelp));
  const auto& requests = ui::app().helpRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].command, ui::kHelpTopics);
  EXPECT_EQ(requests[0].data, 0u);
  EXPECT_EQ(requests[1].topic, "FileMenu");
}

TEST_F(PagesRemovedTest, UpdatesSkipWhatTheWindowRemoved) {
  PagesRemovedForm* form = openPagesRemoved();
  EXPECT_FALSE(form->tsStandAloneSettings);
  EXPECT_NO_THROW(form->UpdateAll());
}

TEST_F(FixtureFormTest, TabsAreDrawnByTheWindow) {
  openWindow();
  ui::Canvas& tabs = window_->PC1->canvas();
  tabs.clearOps();
  window_->PC1->drawTabs();
  std::vector<ui::CanvasOp> fills, texts;
  for (const ui::CanvasOp& op : tabs.ops())
    (op.kind == ui::CanvasOp::Kind::FillRect ? fills : texts).push_back(op);
  ASSERT_EQ(fills.size(), 6u);
  ui::Rect active = window_->PC1->tabRect(0);
  active.bottom -= 2;
  EXPECT_EQ(fills[0].rect, active);
  EXPECT_EQ(fills[0].brushColor, 0xFFFFFFu);
  EXPECT_EQ(fills[1].brushColor, 0xC0C0C0u);
  EXPECT_EQ(texts[0].text, "Fixture info");
  EXPECT_EQ(texts[0].font.color, ui::clBlack);
  EXPECT_EQ(texts[1].font.color, ui::clWhite);
  EXPECT_EQ(texts[1].point, (ui::Point{window_->PC1->tabRect(1).left + 2, window_->PC1->tabRect(1).top + 2}));
}

// A name with a serial number is too long for the row beside the fixture's picture: it wraps left of the
// picture, and the rows below it move down, the group growing with them.
TEST_F(FixtureFormTest, ALongFixtureNameWrapsLeftOfThePictureAndTheRowsBelowFollow) {
  fixture_.name = "Brevidor 400 LED Series (PCB40L-0000042)";
  openWindow();
  window_->UpdateFixtureInfo();
  const ui::Label& name = *window_->lFixtureType;
  const ui::Label& version = *window_->lMainCPUInfo;
  const ui::Label& id = *window_->lFixtureId;
  EXPECT_LE(name.left() + name.width(), window_->iFixture->left());
  EXPECT_GT(name.height(), version.font().pixelHeight() + 1) << "two rows";
  EXPECT_GT(version.top(), name.top() + name.height());
  EXPECT_GE(id.top(), version.top() + version.height());
  EXPECT_LE(id.top() + id.height(), window_->gbFixtureInformation->height() - 2);

  fixture_.name = "Brevidor 200";  // one row: the rows keep their places
  window_->UpdateFixtureInfo();
  EXPECT_EQ(version.top(), 34);
  EXPECT_EQ(id.top(), 64);
}

TEST_F(FixtureFormTest, MenuItemsAreMeasuredAndDrawnByTheWindow) {
  openWindow();
  ui::Canvas menu;
  menu.font = window_->font();
  EXPECT_EQ(window_->N1->measure(menu).height, 6);
  EXPECT_EQ(window_->mMenuFiles->measure(menu).width, menu.textWidth("Files") + 8);
  window_->mMenuFiles->draw(menu, {0, 0, 60, 20}, true);
  ASSERT_EQ(menu.ops().size(), 3u);
  EXPECT_EQ(menu.ops()[0].rect, (ui::Rect{0, -1, 60, 21}));
  EXPECT_EQ(menu.ops()[0].brushColor, 0xBDBDBDu);
  EXPECT_EQ(menu.ops()[1].rect, (ui::Rect{0, 0, 60, 22}));
  EXPECT_EQ(menu.ops()[1].brushColor, 0x808080u);
  EXPECT_EQ(menu.ops()[2].text, "Files");
  EXPECT_EQ(menu.ops()[2].point, (ui::Point{8, 2}));
}

// ---- Scene times ----------------------------------------------------------------------------------------

// A model object that records the scene times written back.
class SceneTimesFixture : public TZemFixture {
 public:
  int wait = 90;
  int fade = 65000;  // more than 18 hours: the hour edit cannot show it
  std::vector<int> waitWrites, fadeWrites;
  std::string GetFixtureName() override { return "Scenes"; }
  bool ReadAllFixtureData(const TProgressCallback&) override { return true; }
  int GetWaitTimeSeconds() override { return wait; }
  int GetFadeTimeSeconds() override { return fade; }
  bool SetWaitTimeSeconds(int s) override {
    waitWrites.push_back(s);
    wait = s;
    return true;
  }
  bool SetFadeTimeSeconds(int s) override {
    fadeWrites.push_back(s);
    fade = s;
    return true;
  }
};

class SceneTimesTest : public FixtureFormTest {
 protected:
  void SetUp() override {
    FixtureFormTest::SetUp();
    CurrentFixture = &scenes_;
    openWindow();
  }
  void TearDown() override {
    closeWindow();
    FixtureFormTest::TearDown();
  }
  SceneTimesFixture scenes_;
};

TEST_F(SceneTimesTest, ListsHoldEveryTimeInTheirWords) {
  EXPECT_EQ(window_->cbWaitTime->items()[29], "1 Minute 30 Seconds");
  EXPECT_EQ(window_->cbWaitTime->items()[1], "1 Second");
  EXPECT_EQ(window_->cbFadeTime->items()[1], "1 Seconds");
  EXPECT_EQ(window_->cbFadeTime->items().count(), 33);
  EXPECT_EQ(window_->cbWaitTime->items().count(), 46);
}

TEST_F(SceneTimesTest, TheSceneIsShownInListsAndEdits) {
  EXPECT_EQ(window_->cbWaitTime->itemIndex(), 29);
  EXPECT_EQ(window_->seWaitHour->caption(), "0");
  EXPECT_EQ(window_->seWaitMinute->caption(), "1");
  EXPECT_EQ(window_->seWaitSecond->caption(), "30");
  EXPECT_EQ(window_->cbFadeTime->itemIndex(), -1);
  EXPECT_EQ(window_->lSceneCounter->caption(), "Scene 1 of 0");
}

TEST_F(SceneTimesTest, ShownTimesAreNotWritten) {
  tick(3);
  EXPECT_TRUE(scenes_.waitWrites.empty());
  EXPECT_TRUE(scenes_.fadeWrites.empty());
}

TEST_F(SceneTimesTest, EditsWithinOnePeriodAreWrittenOnceAsTheTotal) {
  window_->seWaitMinute->setText("2");
  window_->seWaitSecond->setText("5");
  tick();
  EXPECT_EQ(scenes_.waitWrites, (std::vector<int>{125}));
  tick(2);
  EXPECT_EQ(scenes_.waitWrites.size(), 1u);
  EXPECT_TRUE(scenes_.fadeWrites.empty());
}

// ---- End to end: what the window shows ------------------------------------------------------------------

class ShownFixtureTest : public OpenWindowSimTest {
 protected:
  void scriptFixture() override {
    std::vector<uint8_t> program = sim_->group('A', 'a');
    program[0] = 5;  // scenes
    program[1] = 3;  // the scene being edited, from 0
    sim_->setGroup('A', 'a', program);
  }
};

TEST_F(ShownFixtureTest, TheWindowShowsTheIdentifiedFixture) {
  EXPECT_EQ(window_->caption(), "Brevidor 200");
  EXPECT_EQ(frames('P', 'v'), 1);
  EXPECT_EQ(window_->lFixtureType->caption(), "Fixture: Brevidor 200");
  EXPECT_EQ(window_->lFixtureId->caption(), "FixtureID: SIM-BV200-0-000");
  EXPECT_EQ(window_->seDMXAddress->caption(), "17");
  EXPECT_EQ(window_->seHour->caption(), "9");
  EXPECT_EQ(window_->lSceneCounter->caption(), "Scene 4 of 5");
  EXPECT_EQ(window_->lPowerOnHours->caption(), "Total Power-on hours 4321");
  EXPECT_EQ(window_->sbReconnect->caption(), "Reconnect");
  EXPECT_FALSE(window_->cbDisplayEnable->visible());
}

TEST_F(ShownFixtureTest, PagesComeInTheirOrder) {
  std::vector<std::string> captions;
  for (int i = 0; i < window_->PC1->pageCount(); ++i) captions.push_back(window_->PC1->page(i)->caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"Fixture info", "Fixture settings", "Stand-alone settings",
                                                "Stand-alone program", "Adjustment", "Monitor"}));
}

TEST_F(ShownFixtureTest, NothingTheWindowShowedGoesBackToTheFixture) {
  tick(5);
  EXPECT_EQ(frames('P', 'P') + frames('P', 'S') + frames('P', 'B') + frames('P', 'D'), 0);
}

TEST_F(FixtureFormSimTest, AByteSettingReadAsAWordIsNamedAsMissing) {
  connect("BV600", 0, [this] { sim_->setEEPromWord(78, 300); });  // the stand-alone mode, a byte
  openWindow();
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_THAT(dialogs_.warnings[0],
              ::testing::HasSubstr("(missing: setting at EEPROM address 78 (300 is no byte value))"));
}

TEST_F(FixtureFormSimTest, DemoWindowsSayDemoAndCannotRefresh) {
  openDemoWindow();
  EXPECT_EQ(window_->caption(), "Brevidor 200: DEMO");
  EXPECT_EQ(window_->sbReconnect->caption(), "Demo");
  EXPECT_FALSE(window_->sbRefresh->enabled());
}

// ---- End to end: edits --------------------------------------------------------------------------------

class EditTest : public OpenWindowSimTest {
 protected:
  int personalityWord() { return sim_->group('P', 'p')[0] | (sim_->group('P', 'p')[1] << 8); }
};

TEST_F(EditTest, ATypedAddressIsWrittenOnce) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  typeInto(*window_->seDMXAddress, "120");
  tick();
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(personalityWord(), 120);
  tick(3);
  EXPECT_EQ(frames('P', 'P'), 1);
}

TEST_F(EditTest, SettingsListsWriteAtOnce) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  // The fixture holds "DMX Reset" off (1); "On" is the value 0.
  EXPECT_EQ(window_->cbDMXReset->itemIndex(), 1);
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbDMXReset, 0));
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[6] & 0x02, 0);
  EXPECT_EQ(window_->cbDMXReset->itemIndex(), 0);
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  EXPECT_EQ(frames('P', 'P'), 2);
  EXPECT_EQ(sim_->group('P', 'p')[6] & 0x10, 0x10);
}

TEST_F(EditTest, ChoosingWhatTheFixtureHoldsReadsButWritesNothing) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  ASSERT_EQ(frames('P', 'P'), 1);
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  EXPECT_EQ(frames('P', 'P'), 1);
}

TEST_F(EditTest, ClockEditsAreWrittenOnceEach) {
  typeInto(*window_->seHour, "7");
  tick();
  typeInto(*window_->seDate, "28");
  tick();
  EXPECT_EQ(frames('P', 'S'), 2);
  EXPECT_EQ(sim_->group('P', 's')[5], 7);
  EXPECT_EQ(sim_->group('P', 's')[3], 28);
  tick(2);
  EXPECT_EQ(frames('P', 'S'), 2);
}

TEST_F(EditTest, TimerAndSensorSettingsAreWritten) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsStandAloneSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbTimerMode, 3));
  typeInto(*window_->seT2MStop, "59");
  typeInto(*window_->seSensorLevelTrigger, "200");
  tick(3);
  EXPECT_EQ(frames('P', 'B'), 2);
  EXPECT_EQ(sim_->group('P', 'b')[1], 3);
  EXPECT_EQ(sim_->group('P', 'b')[9], 59);
  EXPECT_EQ(frames('P', 'D'), 1);
  EXPECT_EQ(sim_->group('P', 'd')[1], 200);
  EXPECT_EQ(frames('P', 'P'), 0);
}

TEST_F(FixtureFormSimTest, AValueIsWrittenOnceWhenItsTypingIsComplete) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ui::SpinEdit& address = *window_->seDMXAddress;
  ASSERT_TRUE(address.setFocus());
  address.selectAll();
  // A slow typist: ticks pass between the digits, and no partial value ("5", "51") is written.
  for (char digit : std::string("510")) {
    ui::input::keyPress(digit);
    tick(3);
  }
  EXPECT_TRUE(address.editing());
  EXPECT_EQ(frames('P', 'P'), 0);
  // Complete (Enter): beyond the range, so the edit shows its maximum, and that is what is written.
  ui::input::pressKey(ui::vk::Return);
  EXPECT_FALSE(address.editing());
  EXPECT_EQ(address.caption(), std::to_string(address.maxValue()));
  tick(3);
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0] | (sim_->group('P', 'p')[1] << 8), address.maxValue());

  // Leaving the edit completes a value too.
  address.selectAll();
  ui::input::typeText("42");
  tick(2);
  EXPECT_EQ(frames('P', 'P'), 1);
  ASSERT_TRUE(window_->seDMXAddress->parent() != nullptr);
  ASSERT_TRUE(window_->cbDMXReset->setFocus());
  tick();
  EXPECT_EQ(frames('P', 'P'), 2);
  EXPECT_EQ(sim_->group('P', 'p')[0], 42);
}

TEST_F(EditTest, AListWhoseSendFailedShowsWhatTheFixtureHolds) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ASSERT_EQ(window_->cbAutoLampOn->itemIndex(), 0);
  const std::vector<uint8_t> held = sim_->group('P', 'p');
  // The send is not confirmed and the fixture keeps its setting; the read-back after the error box says so.
  sim_->setFault({simfix::Fault::NoAcknowledge, 1});
  ui::setMessageBoxResponder([&](const ui::MessageBoxRequest&) {
    sim_->setGroup('P', 'p', held);
    return ui::ModalResult::Ok;
  });
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(window_->cbAutoLampOn->itemIndex(), 0);
  EXPECT_EQ(CurrentFixture->GetAutoLampOn(), 0);
}

TEST_F(EditTest, TextThatIsNoNumberWritesNothing) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ASSERT_TRUE(window_->seDMXAddress->setFocus());
  window_->seDMXAddress->setText("");
  tick(2);
  window_->seDMXAddress->setText("5.");
  tick(2);
  window_->seDMXAddress->setText("600");  // beyond the range while still being typed
  tick(2);
  EXPECT_EQ(frames('P', 'P'), 0);
  window_->seDMXAddress->setText("42");
  tick();
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0], 42);
}

TEST_F(EditTest, TheKeyFilterLetsDigitsAndEditingKeysThroughOnly) {
  char key = 'a';
  window_->seKeyPress(window_->seDMXAddress, key);
  EXPECT_EQ(key, 0);
  for (char allowed : {'7', '.', '\b', '#', '('}) {
    key = allowed;
    window_->seKeyPress(window_->seDMXAddress, key);
    EXPECT_EQ(key, allowed);
  }
}

TEST_F(FixtureFormSimTest, TheDmxAddressLoweredToFitTheFootprintIsWrittenOnce) {
  connect("BV200", 0, [this] {
    std::vector<uint8_t> personality = sim_->group('P', 'p');
    personality[0] = 510 & 0xFF;  // beyond what a 7-channel footprint allows
    personality[1] = 510 >> 8;
    sim_->setGroup('P', 'p', personality);
  });
  openWindow();
  tick();
  EXPECT_EQ(window_->seDMXAddress->maxValue(), 506);
  EXPECT_EQ(window_->seDMXAddress->caption(), "506");
  tick(5);
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0], 506 & 0xFF);
  EXPECT_EQ(sim_->group('P', 'p')[1], 506 >> 8);
  EXPECT_EQ(CurrentFixture->GetDmxAddress(), 506);
}

TEST_F(FixtureFormSimTest, AValueAnEditCannotShowIsNotWritten) {
  connect("BV200", 0, [this] {
    std::vector<uint8_t> clock = sim_->group('P', 's');
    clock[3] = 0;  // a date the date edit cannot show
    sim_->setGroup('P', 's', clock);
  });
  openWindow();
  EXPECT_EQ(window_->seDate->caption(), "1");
  tick(5);
  EXPECT_EQ(frames('P', 'S'), 0);
  EXPECT_EQ(frames('P', 'P'), 0);
}

TEST_F(EditTest, ValuesShownAfterAFailedReadAreNotWritten) {
  EXPECT_EQ(window_->seDate->caption(), "14");
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Ok; });
  // Refresh: the serial read clears the record, the fixture information comes, then the fixture falls
  // silent. The window then shows the empty record, limited by the edits' ranges.
  ui::app().post([this] { sim_->setFault({simfix::Fault::Silent, -1}); });
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_FALSE(WindowClosed);
  sim_->setFault({simfix::Fault::None});
  sim_->clearReceivedFrames();
  EXPECT_EQ(window_->seDate->caption(), "1");
  EXPECT_EQ(window_->seMonth->caption(), "1");
  EXPECT_EQ(window_->seDMXAddress->caption(), "1");
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
  tick(5);
  EXPECT_EQ(frames('P', 'S'), 0);
  EXPECT_EQ(frames('P', 'P'), 0);
  EXPECT_EQ(sim_->group('P', 's')[3], 14);
}

// ---- End to end: buttons ------------------------------------------------------------------------------

TEST_F(EditTest, RefreshReadsTheSameFixtureAgain) {
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_EQ(frames('P', 'v'), 2);
  EXPECT_FALSE(WindowClosed);
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
}

TEST_F(EditTest, RefreshFindingAnotherFixtureReconnects) {
  sim_->setSerial("SIM-BV200-0-001");
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_EQ(frames('P', 'v'), 1);  // no second read
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(EditTest, LampOffSendsItsPairAndShowsTheStatusRead) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsAdjustment));
  ASSERT_TRUE(ui::input::click(*window_->sbLampOff2));
  EXPECT_EQ(serviceFrames(83), 4);
  EXPECT_EQ(window_->lLampStatus->caption(), "Lamp is ON");
  EXPECT_FALSE(WindowClosed);
}

TEST_F(EditTest, ResetIsSentTwiceToldAndReconnects) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsAdjustment));
  ASSERT_TRUE(ui::input::click(*window_->sbReset2));
  EXPECT_EQ(serviceFrames(81), 8);
  EXPECT_EQ(dialogs_.infos, (std::vector<std::string>{"Fixture is resetting. This may take a minute or two. "
                                                      "Meanwhile the fixture is not able to comunicate."}));
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(EditTest, TheStandAloneRunPausesTheTimerAndRereadsTheProgram) {
  bool timerDuringRun = true;
  dialogs_.extra = [&](ui::Form& f) {
    if (dynamic_cast<TSARunForm*>(&f)) timerDuringRun = timerOn();
  };
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsStandAloneProgram));
  ASSERT_TRUE(ui::input::click(*window_->sbRun));
  EXPECT_FALSE(timerDuringRun);
  EXPECT_TRUE(timerOn());
  // Switched on, then off again once the box is closed.
  ASSERT_EQ(sim_->serviceFrames().size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(sim_->serviceFrames()[i].function, 37);
    EXPECT_EQ(sim_->serviceFrames()[i].value, i < 4 ? 1 : 0);
  }
  EXPECT_GE(frames('A', 'a'), 1);
  EXPECT_EQ(dialogs_.modalNames, (std::vector<std::string>{"SARunForm"}));
}

TEST_F(EditTest, SceneButtonsStepTheFixture) {
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsStandAloneProgram));
  ASSERT_TRUE(ui::input::click(*window_->sbNext));
  EXPECT_EQ(serviceFrames(112), 4);
}

}  // namespace
