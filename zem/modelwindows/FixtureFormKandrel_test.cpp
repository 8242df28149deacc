// The LED strip window over a scripted chain of Quodra units.
#include "zem/modelwindows/FixtureFormKandrel.h"

#include <gtest/gtest.h>

#include "zem/modelwindows/subdevice_test_support.h"
#include "zem/windows/monitor_test_support.h"

namespace {

using SA = std::array<uint8_t, 6>;  // mode, master/slave, auto program, sequence, wait index, fade index

class KandrelWindowTest : public subdevtest::WindowTest {
 protected:
  // A strip of `quodras` sub-devices besides the main unit; each unit's stand-alone settings from `settings`
  // (unit 0 first; missing units keep the first).
  TKandrelForm* openStrip(int quodras, std::vector<SA> settings = {{1, 0, 0, 5, 9, 4}}, uint8_t subType = 1) {
    chain<TZemFixtureKandrel>(quodras, "KANDT", subType);
    for (int u = 0; u < device_->unitCount(); ++u) {
      const SA& sa = settings[std::min<size_t>(static_cast<size_t>(u), settings.size() - 1)];
      std::copy(sa.begin(), sa.end(), device_->unit(u).begin() + fd::kStandAloneSettings);
      device_->unit(u)[fd::kPersonality + fdarea::pers::kMode] = 2;
    }
    TKandrelForm* w = open<TKandrelForm>();
    ui::app().processMessages();  // the posted relayout
    return w;
  }
  TKandrelForm* strip() { return dynamic_cast<TKandrelForm*>(window_.get()); }
  void click(ui::Control& c) {
    press(c);
    release(c);
  }
  void selectQuodra(int index) {
    while (CurrentFixture->GetCurrentSegment() < index) click(*strip()->sbSegmentNext);
  }
  // The stand-alone settings written, unit by unit.
  std::vector<std::pair<int, SA>> written() const { return device_->standAloneWrites; }
};

TEST_F(KandrelWindowTest, GroupsForAllOnlyWithSubDevicesAndAddressActionsOnlyOnTheMainUnit) {
  TKandrelForm* w = openStrip(0);
  EXPECT_EQ(w->lSegment->caption(), "Quodra 1 (of 1 to 1)");
  EXPECT_FALSE(w->gbSettingsAll->visible());
  EXPECT_FALSE(w->gbStandAloneAll->visible());

  openStrip(3);
  w = strip();
  EXPECT_TRUE(w->gbSettingsAll->visible());
  EXPECT_TRUE(w->pAutoAddressAll->visible());
  EXPECT_TRUE(w->pSetPixelModeAll->visible()) << "a Quodra 1200";
  selectQuodra(1);
  EXPECT_EQ(w->lSegment->caption(), "Quodra 2 (of 1 to 4)");
  EXPECT_TRUE(w->gbStandAloneAll->visible());
  EXPECT_FALSE(w->pAutoAddressAll->visible());
  EXPECT_FALSE(w->pResetAddressAll->visible());
  EXPECT_EQ(w->lFixtureType->caption(), "Fixture: Quodra 1200");
}

TEST_F(KandrelWindowTest, Quodra300HasNoPixelMode) {
  TKandrelForm* w = openStrip(1, {{1, 0, 0, 5, 9, 4}}, 0);
  EXPECT_FALSE(w->cbPixelMode->visible());
  EXPECT_FALSE(w->lPixelMode->visible());
  EXPECT_FALSE(w->pSetPixelModeAll->visible());
  EXPECT_EQ(w->lFixtureType->caption(), "Fixture: Quodra 300");
}

TEST_F(KandrelWindowTest, ModeByteThatIsNoGroupCountShowsNoPixelMode) {
  TKandrelForm* w = openStrip(0);
  EXPECT_EQ(w->cbPixelMode->itemIndex(), 1);
  device_->unit(0)[fd::kPersonality + fdarea::pers::kMode] = 3;
  ASSERT_TRUE(CurrentFixture->ReadPersonality());
  w->UpdateDMXSettings();
  EXPECT_EQ(w->cbPixelMode->itemIndex(), -1);
  EXPECT_EQ(PixelModeToIndex(4), 2);
  EXPECT_EQ(PixelModeToIndex(0), -1);
}

TEST_F(KandrelWindowTest, SynchronizedQuodraShowsNoOwnSequenceAndDisabledStandAloneNoMasterSlave) {
  TKandrelForm* w = openStrip(0, {{1, 2, 0, 5, 9, 4}});
  for (ui::ComboBox* box : {w->cbSequence.get(), w->cbDynamicWaitTime.get(), w->cbDynamicFadeTime.get()}) {
    EXPECT_FALSE(box->enabled()) << box->name();
    EXPECT_EQ(box->itemIndex(), -1) << box->name();
    EXPECT_EQ(box->color(), 0xC0C0C0u) << box->name();
    EXPECT_EQ(box->font().color, 0x808080u) << box->name();
  }
  EXPECT_TRUE(w->cbMasterSlaveSetting->enabled());
  EXPECT_EQ(w->cbMasterSlaveSetting->itemIndex(), 2);

  openStrip(0, {{0, 0, 0, 5, 9, 4}});
  w = strip();
  EXPECT_FALSE(w->cbMasterSlaveSetting->enabled());
  EXPECT_FALSE(w->cbSequence->enabled());

  openStrip(0, {{1, 1, 0, 5, 9, 4}});
  w = strip();
  EXPECT_TRUE(w->cbSequence->enabled());
  EXPECT_EQ(w->cbSequence->color(), 0x808080u);
  EXPECT_EQ(w->cbSequence->itemIndex(), 5);
  EXPECT_EQ(w->cbDynamicWaitTime->caption(), "9 Seconds");
  EXPECT_EQ(w->cbDynamicFadeTime->caption(), "4 Seconds");
}

TEST_F(KandrelWindowTest, WaitAndFadeListsHoldEveryStep) {
  const std::vector<std::string> wait = DynamicWaitTimeTexts();
  ASSERT_EQ(wait.size(), 46u);
  EXPECT_EQ(wait[0], "0 Seconds");
  EXPECT_EQ(wait[1], "1 Second");
  EXPECT_EQ(wait[27], "55 Seconds");
  EXPECT_EQ(wait[29], "1 Minute 30 Seconds");
  EXPECT_EQ(wait[40], "1 Hour 30 Minutes");
  EXPECT_EQ(wait[45], "12 Hours");
  const std::vector<std::string> fade = DynamicFadeTimeTexts();
  ASSERT_EQ(fade.size(), 33u);
  EXPECT_EQ(fade[0], "Snap");
  EXPECT_EQ(fade[19], "55 Seconds");
  EXPECT_EQ(fade[21], "1 Minute 5 Seconds");
  EXPECT_EQ(fade[32], "2 Minutes");
}

TEST_F(KandrelWindowTest, StandAloneColumnsStandClearOfEachOther) {
  TKandrelForm* w = openStrip(0);
  const int right = w->cbMasterSlaveSetting->left() + w->cbMasterSlaveSetting->width();
  EXPECT_EQ(w->lDynamicFadeTime->left() + w->lDynamicFadeTime->width(), right);
  EXPECT_EQ(w->cbDynamicFadeTime->left(), w->lDynamicFadeTime->left());
  EXPECT_EQ(w->cbDynamicWaitTime->left(), w->lStandAloneMode->left());
  // "Stand-alone operation" ends before "Stand-alone sequence" starts, and that list before the next one.
  EXPECT_LT(w->lStandAloneMode->left() + w->lStandAloneMode->width(), w->lSequence->left());
  EXPECT_LT(w->cbStandAloneMode->left() + w->cbStandAloneMode->width(), w->cbSequence->left());
  EXPECT_EQ(w->cbSequence->left(), w->lSequence->left());
  EXPECT_LT(w->cbSequence->left() + w->cbSequence->width(), w->cbMasterSlaveSetting->left());
}

TEST_F(KandrelWindowTest, ChoicesAreWrittenAndShownAsTheFixtureHoldsThem) {
  TKandrelForm* w = openStrip(0, {{1, 1, 0, 5, 9, 4}});
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDynamicWaitTime, 45));
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbSequence, 63));
  EXPECT_EQ(written(),
            (std::vector<std::pair<int, SA>>{{0, {1, 1, 0, 5, 45, 4}}, {0, {1, 1, 0, 63, 45, 4}}}));
  EXPECT_EQ(w->cbSequence->caption(), "Nature, Daytime");
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbPixelMode, 2));
  EXPECT_EQ(device_->unit(0)[fd::kPersonality + fdarea::pers::kMode], 4);
  EXPECT_EQ(w->cbPixelMode->itemIndex(), 2);
}

TEST_F(KandrelWindowTest, MasterKeepsItsOwnSequenceAndTheRestFollow) {
  TKandrelForm* w =
      openStrip(3, {{1, 0, 0, 10, 1, 2}, {1, 0, 0, 11, 3, 4}, {1, 0, 0, 12, 5, 6}, {1, 0, 0, 13, 7, 8}});
  selectQuodra(1);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  click(*w->pThisMaster);
  EXPECT_EQ(written(), (std::vector<std::pair<int, SA>>{{0, {1, 2, 0, 10, 1, 2}},
                                                        {2, {1, 2, 0, 12, 5, 6}},
                                                        {3, {1, 2, 0, 13, 7, 8}},
                                                        {1, {1, 1, 0, 11, 3, 4}}}));
  EXPECT_EQ(CurrentFixture->GetCurrentSegment(), 1);
  EXPECT_EQ(w->lSegment->caption(), "Quodra 2 (of 1 to 4)");
  EXPECT_EQ(w->cbMasterSlaveSetting->itemIndex(), 1);
  EXPECT_EQ(w->pThisMaster->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(ui::screen().cursor(), ui::crDefault);
}

TEST_F(KandrelWindowTest, QuodraWhoseSettingsCannotBeReadIsNotWritten) {
  TKandrelForm* w =
      openStrip(3, {{1, 0, 0, 10, 1, 2}, {1, 0, 0, 11, 3, 4}, {1, 0, 0, 12, 5, 6}, {1, 0, 0, 13, 7, 8}});
  device_->failingOn = {{2, "GetStandAloneSettings"}};
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  click(*w->pAllSingle);
  EXPECT_EQ(written(), (std::vector<std::pair<int, SA>>{
                           {0, {1, 0, 0, 10, 1, 2}}, {1, {1, 0, 0, 11, 3, 4}}, {3, {1, 0, 0, 13, 7, 8}}}));

  // The master itself unreadable: the others follow, the master is left as it is.
  device_->standAloneWrites.clear();
  device_->failingOn = {{0, "GetStandAloneSettings"}};
  click(*w->pThisMaster);
  EXPECT_EQ(written(), (std::vector<std::pair<int, SA>>{
                           {1, {1, 2, 0, 11, 3, 4}}, {2, {1, 2, 0, 12, 5, 6}}, {3, {1, 2, 0, 13, 7, 8}}}));
}

TEST_F(KandrelWindowTest, SynchronizeCopiesTheShownChoicesAndKeepsOwnBytesWhereNoneIsShown) {
  TKandrelForm* w = openStrip(1, {{1, 0, 0, 20, 21, 22}, {0, 2, 0, 30, 31, 32}});
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  click(*w->pAllSingleSynchronized);
  EXPECT_EQ(written(),
            (std::vector<std::pair<int, SA>>{{0, {1, 0, 0, 20, 21, 22}}, {1, {1, 0, 0, 20, 21, 22}}}));

  // Shown from a synchronized Quodra, the three lists are empty: each Quodra keeps its own.
  openStrip(1, {{1, 2, 0, 20, 21, 22}, {0, 2, 0, 30, 31, 32}});
  w = strip();
  ASSERT_EQ(w->cbSequence->itemIndex(), -1);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  click(*w->pAllSingleSynchronized);
  EXPECT_EQ(written(),
            (std::vector<std::pair<int, SA>>{{0, {1, 0, 0, 20, 21, 22}}, {1, {1, 0, 0, 30, 31, 32}}}));

  // Stand-alone shown disabled: the three bytes become 0.
  openStrip(1, {{0, 0, 0, 20, 21, 22}, {0, 2, 0, 30, 31, 32}});
  w = strip();
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  click(*w->pAllSingleSynchronized);
  EXPECT_EQ(written(), (std::vector<std::pair<int, SA>>{{0, {1, 0, 0, 0, 0, 0}}, {1, {1, 0, 0, 0, 0, 0}}}));
}

TEST_F(KandrelWindowTest, PixelModeForAllWithNoModeShownSendsNothing) {
  TKandrelForm* w = openStrip(2);
  w->cbPixelMode->setItemIndex(-1);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  click(*w->pSetPixelModeAll);
  EXPECT_EQ(calls("SetPersonalities"), 0);
  EXPECT_EQ(calls("SetSubdevice"), 0);

  w->cbPixelMode->setItemIndex(2);
  click(*w->pSetPixelModeAll);
  EXPECT_EQ(calls("SetPersonalities"), 3);
  for (int u = 0; u < 3; ++u) EXPECT_EQ(device_->unit(u)[fd::kPersonality + fdarea::pers::kMode], 4) << u;
}

TEST_F(KandrelWindowTest, ActionPressedWhileAnotherRunsIsIgnoredAndTheTimerComesBack) {
  TKandrelForm* w = openStrip(2);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsStandAloneSettings));
  bool timerDuring = true;
  ui::Cursor cursorDuring = ui::crDefault;
  ui::app().post([&] {
    timerDuring = w->SAModifiedTimer->enabled();
    cursorDuring = ui::screen().cursor();
    click(*w->pDisableAll);
  });
  click(*w->pAllSingle);
  EXPECT_FALSE(timerDuring);
  EXPECT_EQ(cursorDuring, ui::crHourGlass);
  EXPECT_EQ(written().size(), 3u) << "one action, three Quodra";
  EXPECT_TRUE(w->SAModifiedTimer->enabled());
  EXPECT_EQ(w->pDisableAll->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(w->pAllSingle->bevelOuter(), ui::BevelCut::Raised);
}

TEST_F(KandrelWindowTest, AddressRequestsGoOutOnceAndTheSettingsAreReadAgainASecondLater) {
  TKandrelForm* w = openStrip(2);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  const uint32_t start = sys::tickCount();
  click(*w->pResetAddressAll);
  EXPECT_GE(sys::tickCount() - start, TKandrelForm::kAddressSettleMs);
  EXPECT_EQ(calls("SetPersonalities"), 1);
  EXPECT_EQ(calls("SetSubdevice"), 0);
  EXPECT_EQ(device_->unit(0)[fd::kPersonality + 5], 1) << "the reset request went out";
  EXPECT_EQ(FixtureData[fd::kPersonality + 5], 0) << "and is not kept for the next write";
}

}  // namespace

namespace {

TEST_F(KandrelWindowTest, MonitorColumnsHoldTheirLongestValuesSideBySide) {
  TKandrelForm* w = openStrip(0);
  EXPECT_EQ(w->lSupplyVoltage[0]->caption(), "Voltage (48V): 0.0 V");
  EXPECT_EQ(w->lTemperature[1]->caption(), "Temp Board: 0.0 DegC");
  monitortest::FillMonitorAtItsWidest();
  w->UpdateMonitorValues();
  monitortest::ExpectMonitorColumnsSideBySide(*w);
  EXPECT_LE(w->lFanSpeed[0]->left() + w->lFanSpeed[0]->width(), w->gbHardwareMonitorValues->clientWidth());
}

}  // namespace
