// The LED fixtures' windows: five faders sent live on the 100 ms tick in channel order, scene displays
// that send nothing, the template's controls they free, the Monitor page's error texts, and the 400 LED
// Series' faders taken from the fixture's LED descriptions.
#include <gtest/gtest.h>

#include "platform/ui/input.h"
#include "zem/model/LedModels.h"
#include "zem/modelwindows/FixtureFormBV20L.h"
#include "zem/modelwindows/FixtureFormBV40L.h"
#include "zem/modelwindows/modelwindows_test_support.h"

namespace {

using mwtest::SetScene;
using Strings = std::vector<std::string>;

constexpr size_t kErrorStatus = fd::kErrorStatus;

template <class Model>
class LedWindowTest : public mwtest::ModelWindowTest<Model> {
 protected:
  // One period of the LED windows' write-back timer.
  void ledTick(int periods = 1) { this->tick(periods, TLedFixtureForm::kWriteBackIntervalMs); }
};

class BV20LWindowTest : public LedWindowTest<TZemFixtureBV20L> {
 protected:
  void SetUp() override {
    LedWindowTest::SetUp();
    w = open<TBV20LForm>();
  }
  TBV20LForm* w = nullptr;
};

TEST_F(BV20LWindowTest, FadersMovedInOneTickAreSentOnceEachInChannelOrderInsteadOfThePoll) {
  EXPECT_EQ(w->SAModifiedTimer->interval(), 100u);
  w->frWhite->SetPosition(30);
  w->frBlue->SetPosition(10);
  w->frRed->SetPosition(20);
  w->frRed->SetPosition(25);  // moved again: its last position goes
  ledTick();
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveRed(25)", "SetLiveBlue(10)", "SetLiveWhite(30)"}));
  ledTick();
  EXPECT_EQ(fixture_.calls.back(), "IdlePoll(0)");
  EXPECT_EQ(fixture_.calls.size(), 4u);
}

TEST_F(BV20LWindowTest, AShownSceneMovesTheFadersWithoutSendingThem) {
  SetScene(3, 1, {{134, 10}, {135, 20}, {136, 30}, {137, 40}, {138, 255}});
  w->UpdateScene();
  EXPECT_EQ(w->frRed->Position(), 10);
  EXPECT_EQ(w->frAmber->Position(), 40);
  EXPECT_EQ(w->frWhite->Position(), 255);
  ledTick(2);
  EXPECT_TRUE(fixture_.sends().empty());
}

TEST_F(BV20LWindowTest, TheIdlePollSaysWhetherTheMonitorPageShows) {
  showPageOf(w->lTemperature[0]);
  ledTick();
  showPageOf(w->frRed);
  ledTick();
  EXPECT_EQ(fixture_.calls, (Strings{"IdlePoll(1)", "IdlePoll(0)"}));
}

// Once the fixture clears an error flag, its value shows again (the error text used to stay for the
// window's life).
TEST_F(BV20LWindowTest, ATemperatureReadsErrorExactlyWhileItsSensorReportsOne) {
  EXPECT_EQ(w->lTemperature[0]->caption(), "Temp LED: 0.0 DegC");
  FixtureData[kErrorStatus + 9] = 0x40;  // LED temperature
  FixtureData[kErrorStatus + 1] = 0x18;  // board and ambient temperature
  FixtureData[kErrorStatus + 7] = 0x02;  // light sensor 1
  w->UpdateMonitorValues();
  EXPECT_EQ(w->lTemperature[0]->caption(), "Temp LED: Error");
  EXPECT_EQ(w->lTemperature[1]->caption(), "Temp Board: Error");
  EXPECT_EQ(w->lTemperature[2]->caption(), "Temp Ambient: Error");
  EXPECT_EQ(w->lLightSensor[0]->caption(), "Light1: Error");
  FixtureData[kErrorStatus + 9] = 0;
  FixtureData[kErrorStatus + 1] = 0x10;
  FixtureData[kErrorStatus + 7] = 0;
  w->UpdateMonitorValues();
  EXPECT_EQ(w->lTemperature[0]->caption(), "Temp LED: 0.0 DegC");
  EXPECT_EQ(w->lTemperature[1]->caption(), "Temp Board: Error");
  EXPECT_EQ(w->lTemperature[2]->caption(), "Temp Ambient: 0.0 DegC");
  EXPECT_EQ(w->lLightSensor[0]->caption(), "Light1: 0 Lux");
  EXPECT_EQ(w->lSupplyVoltage[0]->caption(), "Voltage (48V): 0.0 V");
  EXPECT_FALSE(w->lTemperature[3]->visible());
  EXPECT_FALSE(w->lFanSpeed[1]->visible());
}

TEST_F(BV20LWindowTest, TheFreedTemplateControlsAreSkippedByEveryUpdate) {
  for (const ui::Component* freed : std::initializer_list<const ui::Component*>{
           w->tsAdjustment, w->lLampStatus, w->lLampStrikes, w->pResetLampStrikes, w->lRLampStrikes,
           w->cbDMXLampOff, w->cbDMXReset, w->gbOtherSettings, w->reSystemLog, w->pClearLog, w->pSaveLog})
    EXPECT_EQ(freed, nullptr);
  w->UpdateAll();
  ASSERT_NO_FATAL_FAILURE(ui::input::click(*w->sbRefresh));
  EXPECT_EQ(errorBoxes(), 0u);
  EXPECT_EQ(w->PC1->activePage(), w->tsFixtureInfo.get());
  EXPECT_FALSE(w->mUploadCompleteMemoryFromFile->visible());
  EXPECT_TRUE(w->mSaveMemToFile->visible());
  EXPECT_EQ(w->cbDMXMode->items().lines(), (Strings{"RGBAW", "RGB", "HSI", "HSI-C"}));
  EXPECT_EQ(w->lLightLevelTrigger->caption(), "Sensor Trigger Level");
  EXPECT_EQ(w->Label4->caption(), "(0-1036)");
  EXPECT_EQ(w->seSensorLevelTrigger->maxValue(), 1036);
  EXPECT_FALSE(w->cbWaitTime->visible());
  EXPECT_TRUE(w->seWaitSecond->visible());
}

TEST_F(BV20LWindowTest, ADmxModeTheFixtureTakesIsShownAgainFromIt) {
  showPageOf(w->cbDMXMode);
  fixture_.protocolStored = 1;
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDMXMode, 3));
  EXPECT_EQ(fixture_.sends(), Strings{"SetDmxProtocol(3)"});
  EXPECT_EQ(w->cbDMXMode->itemIndex(), 1);
  fixture_.protocolAnswer = false;
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDMXMode, 2));
  EXPECT_EQ(w->cbDMXMode->itemIndex(), 2) << "a refused mode keeps the user's choice";
}

TEST_F(BV20LWindowTest, EverySceneButtonStaysEnabledWhateverTheSequenceHolds) {
  for (auto [count, index] : {std::pair{20, 19}, std::pair{0, 0}}) {
    SetScene(count, index);
    w->UpdateScene();
    for (ui::SpeedButton* b : {w->sbPrevious.get(), w->sbNext.get(), w->sbAdd.get(), w->sbInsert.get(),
                               w->sbRun.get(), w->sbStore.get()})
      EXPECT_TRUE(b->enabled()) << b->name() << " with " << count << " scenes";
  }
}

// ---------------------------------------------------------------------------------------------------------
// Brevidor 400 LED Series

class BV40LWindowTest : public LedWindowTest<TZemFixtureBV40L> {
 protected:
  // The LED description of a channel: colour and name bytes, and whether it is shown.
  static void SetLed(size_t channel, uint8_t red, uint8_t green, uint8_t blue, std::vector<uint8_t> name,
                     bool shown) {
    const size_t d = fd::kLedDescription + fd::kLedDescriptionSize * channel;
    FixtureData[d + 3] = red;
    FixtureData[d + 4] = green;
    FixtureData[d + 5] = blue;
    name.resize(9, 0);
    std::copy(name.begin(), name.end(), FixtureData.begin() + static_cast<std::ptrdiff_t>(d + 6));
    FixtureData[fd::kLedDescriptionData + fd::kLedDescriptionDataSize * channel + 6] = shown ? 1 : 0;
  }
};

TEST_F(BV40LWindowTest, FadersAreNamedColouredAndShownFromTheFixturesLeds) {
  auto* w = open<TBV40LForm>();
  SetLed(0, 255, 0, 0, {'N', 'i', 'n', 'e', 'C', 'h', 'a', 'r', 's'}, true);  // no zero byte
  SetLed(1, 0, 255, 0, {'G', 'r', 0xB5, 'n'}, true);                          // 8-bit text
  SetLed(2, 0, 0, 255, {'B'}, false);
  SetLed(3, 255, 128, 0, {'A', 'm', 'b', 'e', 'r'}, true);
  FixtureData[fd::kLedDescription + fd::kLedDescriptionSize * 1] = 'X';  // the next record's first byte
  w->UpdateOtherSettings();
  EXPECT_EQ(w->fader0->Caption(), "NineChars");
  EXPECT_EQ(w->fader1->Caption(), "Gr\xC2\xB5n");
  EXPECT_FALSE(w->fader2->visible());
  EXPECT_TRUE(w->fader3->visible());
  EXPECT_EQ(w->fader3->FaderPanel->color(), 33023u);
  EXPECT_EQ(w->fader3->Picture().pixelColor(0, 0), 33023u) << "the picture shows the channel's colour";

  w->fader4->SetPosition(77);
  ledTick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveWhite(77)"});
}

TEST_F(BV40LWindowTest, ColourGamutIsWrittenAndMemoryCommandsAreHidden) {
  auto* w = open<TBV40LForm>();
  for (ui::MenuItem* item :
       {w->mSaveMemToFile.get(), w->mUploadFixturesettingsFromFile.get(), w->mUploadSAProgramFromFile.get(),
        w->mUploadCompleteMemoryFromFile.get(), w->mFileMenuHelp.get()})
    EXPECT_FALSE(item->visible()) << item->name();
  EXPECT_EQ(w->cbColorGamut->items().lines(), (Strings{"Brevidor 400 range", "Fixture-dependent"}));
  EXPECT_EQ(w->cbColorGamut->left(), w->cbDMXMode->left() + w->cbDMXMode->width() + 16);
  showPageOf(w->cbColorGamut);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbColorGamut, 1));
  EXPECT_EQ(device_.count("SetPersonalities"), 1);
  EXPECT_EQ(device_.remote[fd::kPersonality + fdarea::pers::kColorGamut], 1);
  EXPECT_EQ(w->cbColorGamut->itemIndex(), 1);
}

TEST_F(BV40LWindowTest, WithoutAFixtureTheFadersKeepWhatTheyShow) {
  SetLed(0, 1, 2, 3, {'Y'}, true);
  auto* w = open<TBV40LForm>();
  EXPECT_EQ(w->fader0->Caption(), "Y");
  SetLed(0, 1, 2, 3, {'Z'}, false);
  CurrentFixture = nullptr;
  w->UpdateOtherSettings();
  ledTick();
  EXPECT_EQ(w->fader0->Caption(), "Y");
  EXPECT_TRUE(w->fader0->visible());
  CurrentFixture = &fixture_;
}

}  // namespace
