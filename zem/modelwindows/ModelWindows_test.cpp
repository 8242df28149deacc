// What each colour-mixing window adds to the pattern: settings written at once and re-read on success,
// offsets written on the tick, the test sequence, the adjustment buttons, the lamp settings, the scene
// times in seconds. Over recording model objects and a scripted device, headless, on the virtual clock.
#include <gtest/gtest.h>

#include "platform/ui/input.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBrv1200CMYIZ_01.h"
#include "zem/modelwindows/FixtureFormBrv600C_20.h"
#include "zem/modelwindows/FixtureFormBrv600_20.h"
#include "zem/modelwindows/FixtureFormGrobel200CMYI_01.h"
#include "zem/modelwindows/FixtureFormNimboO2_21.h"
#include "zem/modelwindows/FixtureFormQuintelCMYI_01.h"
#include "zem/modelwindows/modelwindows_test_support.h"
#include "zem/windows/TestSequenceForm.h"

namespace {

using mwtest::ServiceCalls;
using mwtest::SetRecord;
using mwtest::SetScene;
using Strings = std::vector<std::string>;
using Frames = std::vector<std::pair<int, int>>;

using mwtest::ModelWindowTest;

// ---------------------------------------------------------------------------------------------------------
// Brevidor 600 and 600 Compact

class Brv600WindowTest : public ModelWindowTest<TZemFixtureBrv600_20> {
 protected:
  TBrv600_20Form* w = nullptr;
  void SetUp() override {
    ModelWindowTest::SetUp();
    SetRecord(device_, fd::kEffectCalibration, {0, 10, 20, 30, 40});
    w = open<TBrv600_20Form>();
  }
};

TEST_F(Brv600WindowTest, Mode2SendsProtocol1AndTheGroupShowsWhatTheFixtureKept) {
  showPageOf(w->cbDMXMode);
  EXPECT_EQ(w->cbDMXMode->caption(), "Mode 1");
  fixture_.protocolStored = 0;  // the fixture takes the command but keeps mode 1
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDMXMode, 1));
  EXPECT_EQ(fixture_.sends(), Strings{"SetDmxProtocol(1)"});
  EXPECT_EQ(w->cbDMXMode->itemIndex(), 0) << "re-read after the fixture took it";

  fixture_.protocolAnswer = false;
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDMXMode, 1));
  EXPECT_EQ(w->cbDMXMode->itemIndex(), 1) << "a refused change keeps the user's choice";
  EXPECT_EQ(fixture_.sends(), (Strings{"SetDmxProtocol(1)", "SetDmxProtocol(1)"}));
}

TEST_F(Brv600WindowTest, ACalibrationEditIsWrittenOnceThenAllAreReloaded) {
  EXPECT_EQ(w->seDimmer->caption(), "40");
  EXPECT_EQ(w->seMagenta->caption(), "30");
  tick(2);
  EXPECT_EQ(device_.count("SetEffectCalibration"), 0) << "shown values are not written";

  type(*w->seDimmer, "41");
  device_.remote[fd::kEffectCalibration + fdarea::cal::kCyan] = 11;  // the fixture's cyan changed meanwhile
  tick(3);
  EXPECT_EQ(device_.count("SetEffectCalibration"), 1);
  EXPECT_EQ(device_.remote[fd::kEffectCalibration + fdarea::cal::kDimmer], 41);
  EXPECT_EQ(w->seCyan->caption(), "11") << "all four reloaded after the write";

  type(*w->seDimmer, "4");
  type(*w->seDimmer, "41");  // back to the fixture's value
  tick(2);
  EXPECT_EQ(device_.count("SetEffectCalibration"), 1);
}

TEST_F(Brv600WindowTest, TheTestSequenceRunsWhileItsWindowIsUp) {
  Frames whileUp;
  ui::setModalResponder([&](ui::Form& f) {
    if (auto* d = dynamic_cast<TTestSequenceDialog*>(&f)) {
      whileUp = ServiceCalls(device_);
      ui::input::click(*d->sbCancel);
    }
  });
  const Frames frames = press(*w->sbRunTestSequence);
  const Frames on = framesOf([](TZemFixtureBrv600_20& f) { f.SetTestSequenceMode(true); });
  const Frames off = framesOf([](TZemFixtureBrv600_20& f) { f.SetTestSequenceMode(false); });
  EXPECT_EQ(whileUp, on);
  Frames both = on;
  both.insert(both.end(), off.begin(), off.end());
  EXPECT_EQ(frames, both);
}

TEST_F(Brv600WindowTest, EachAdjustmentButtonRunsItsOperation) {
  using M = TZemFixtureBrv600_20;
  const std::pair<const char*, void (*)(M&)> buttons[] = {
      {"sbAllOpen", [](M& f) { f.AdjustAllOpen(); }},
      {"sbAllSensor", [](M& f) { f.AdjustAllSensor(); }},
      {"sbAllAdjust", [](M& f) { f.AdjustAllAdjust(); }},
      {"sbDimmerSensor", [](M& f) { f.AdjustDimmerSensor(); }},
      {"sbCyanAdjust", [](M& f) { f.AdjustCyanAdjust(); }},
      {"sbMagentaOpen", [](M& f) { f.AdjustMagentaOpen(); }},
      {"sbYellowSensor", [](M& f) { f.AdjustYellowSensor(); }},
      {"sbColorAdjust", [](M& f) { f.AdjustColorAdjust(); }},
      {"sbBeamOpen", [](M& f) { f.AdjustBeamOpen(); }},
      {"sbShutterOpen", [](M& f) { f.AdjustShutterOpen(); }},
      {"sbShutterClosed", [](M& f) { f.AdjustShutterClosed(); }},
      {"sbShutterAdjust", [](M& f) { f.AdjustShutterAdjust(); }},
  };
  for (const auto& [name, op] : buttons) {
    auto* button = w->Find<ui::SpeedButton>(name);
    ASSERT_NE(button, nullptr) << name;
    const Frames expected = framesOf(op);
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(press(*button), expected) << name;
  }
  // The zoom's sensor button asks the fixture object's own zoom-to-sensor operation.
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbZoomSensor")), framesOf([](M& f) { f.AdjustZoomSensor(); }));
}

TEST_F(Brv600WindowTest, PagesAndTextsOfTheModel) {
  EXPECT_FALSE(w->tsMonitor);
  EXPECT_EQ(w->cbAutoProgramOn->items().lines(), (Strings{"On", "Off"}));
  EXPECT_EQ(w->lLightLevelTrigger->caption(), "Trigger Level (1-255)");
  EXPECT_EQ(w->seSensorLevelTrigger->maxValue(), 255);
  EXPECT_EQ(w->frIntensity->Caption(), "Intensity");
  EXPECT_EQ(w->frZoom->hint(), "Set zoom level for this scene");
  EXPECT_EQ(w->frCyan->CaptionColor(), 0xFFFF00u);
  EXPECT_EQ(w->frYellow->ImageIndex(), 2);
}

class Brv600CWindowTest : public ModelWindowTest<TZemFixtureBrv600C_20> {};

TEST_F(Brv600CWindowTest, AChangedSettingReReadsBothGroups) {
  auto* w = open<TBrv600C_20Form>();
  showPageOf(w->cbEffectSpeed);
  EXPECT_FALSE(w->Find<ui::Control>("cbAutoShutter"));
  EXPECT_FALSE(w->Find<ui::Control>("seDimmer"));
  // Values the fixture does not hold: both groups must come back to the fixture's.
  w->cbDMXMode->setItemIndex(1);
  w->cbDMXLampOff->setItemIndex(1);
  w->cbAutoLampOn->setItemIndex(1);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbEffectSpeed, 1));
  EXPECT_EQ(fixture_.GetEffectSpeed(), 1);
  EXPECT_EQ(w->cbEffectSpeed->itemIndex(), 1);
  EXPECT_EQ(w->cbDMXMode->itemIndex(), 0);
  EXPECT_EQ(w->cbDMXLampOff->itemIndex(), 0);
  EXPECT_EQ(w->cbAutoLampOn->itemIndex(), 0);
  EXPECT_EQ(w->lLightLevelTrigger->caption(), "Trigger Level (1-255)");
}

// ---------------------------------------------------------------------------------------------------------
// Nimbo O2

class NimboWindowTest : public ModelWindowTest<TZemFixtureNimboO2_21> {};

TEST_F(NimboWindowTest, RandomColourBandsAreShownWithoutSending) {
  auto* w = open<TNimboO2_21Form>();
  const std::pair<uint8_t, std::string> cases[] = {{14, "Off"}, {15, "CMY slow"}, {255, "Cyan/Yellow fast"}};
  for (const auto& [byte, item] : cases) {
    SetScene(1, 0, {{138, byte}});
    w->UpdateScene();
    EXPECT_EQ(w->cbRandomColor->caption(), item) << int{byte};
  }
  tick();
  EXPECT_TRUE(fixture_.sends().empty());
}

TEST_F(NimboWindowTest, AWarningLevelTheEditCannotShowIsNotWritten) {
  auto* w = open<TNimboO2_21Form>();
  expectOnlyTheUsersWarningLevelIsWritten(*w->seWarningLevel, [w] { w->UpdateDMXSettings(); });
}

TEST_F(NimboWindowTest, LampSettingsAndTemperatures) {
  SetRecord(device_, fd::kPersonality + fdarea::pers::kFlags9, {0x80});  // lamp warning on
  auto* w = open<TNimboO2_21Form>();
  EXPECT_EQ(w->cbLampWarningOn->caption(), "On");
  EXPECT_EQ(
      w->cbStandAloneMode->hint(),
      "With \"Stand-alone operation\" enabled, the fixture start it's onboard scenes, whenever there is no "
      "DMX applied");
  showPageOf(w->cbLampFanReg);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbLampFanReg, 1));
  EXPECT_EQ(device_.count("SetPersonalities"), 1);
  EXPECT_EQ(fixture_.GetLampFanReg(), 1);
  EXPECT_EQ(w->cbLampFanReg->itemIndex(), 1);
  EXPECT_EQ(w->lHeadTemp->caption(), "Temp head: 0 DegC");
  FixtureData[fd::kTempValues + fdarea::temps::kHead] = 61;
  FixtureData[fd::kTempValues + fdarea::temps::kBase] = 38;
  CurrentFixture = nullptr;  // shown from the record even without a fixture
  tick();
  EXPECT_EQ(w->lHeadTemp->caption(), "Temp head: 61 DegC");
  EXPECT_EQ(w->lBaseTemp->caption(), "Temp base: 38 DegC");
  CurrentFixture = &fixture_;
}

// The fixture sends its temperatures only when the idle poll asks: it asks while the settings page shows
// them, at once when the user opens that page, and not elsewhere.
TEST_F(NimboWindowTest, TemperaturesAreReadWhileTheSettingsPageShowsThem) {
  fixture_.idlePollReads = true;
  device_.remote[fd::kTempValues + fdarea::temps::kHead] = 61;
  device_.remote[fd::kTempValues + fdarea::temps::kBase] = 38;
  auto* w = open<TNimboO2_21Form>();
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"IdlePoll(0)"});
  EXPECT_EQ(device_.count("GetDuplexTempValues"), 0);
  showPageOf(w->lHeadTemp);
  EXPECT_EQ(w->lHeadTemp->caption(), "Temp head: 61 DegC") << "read before the page is drawn";
  EXPECT_EQ(w->lBaseTemp->caption(), "Temp base: 38 DegC");
  device_.remote[fd::kTempValues + fdarea::temps::kHead] = 62;
  tick();
  EXPECT_EQ(w->lHeadTemp->caption(), "Temp head: 62 DegC");
  EXPECT_EQ(fixture_.calls, (Strings{"IdlePoll(0)", "IdlePoll(1)", "IdlePoll(1)"}));
  showPageOf(w->Panel4);
  tick();
  EXPECT_EQ(fixture_.calls.back(), "IdlePoll(0)");
  EXPECT_EQ(device_.count("GetDuplexTempValues"), 2);
}

// ---------------------------------------------------------------------------------------------------------
// Grobel 200 CMYI, Quintel CMYI, Brevidor 1200 Wash

class GrobelWindowTest : public ModelWindowTest<TZemFixtureGrobel200CMYI> {};

TEST_F(GrobelWindowTest, SceneTimesAreEditedInSecondsAndShownTimesAreNotWritten) {
  // Wait 1:02:05; fade exactly 18 hours, which the hour edit shows as 0.
  SetScene(2, 0, {{136, 0x8D}, {137, 0x0E}, {134, 0x20}, {135, 0xFD}});
  auto* w = open<TZemFixtureGrobel200CMYI_01Form>();
  EXPECT_FALSE(w->cbWaitTime->visible());
  EXPECT_TRUE(w->seWaitMinute->visible());
  EXPECT_EQ(w->lWaitTimeFormat->caption(), "(HH/MM/SS)");
  EXPECT_TRUE(w->lFadeTimeFormat->visible());
  EXPECT_EQ(w->seFadeHour->caption(), "0");
  EXPECT_EQ(w->seWaitMinute->caption(), "2");
  tick(3);
  EXPECT_TRUE(device_.frames.empty()) << "showing 18 hours as 0 writes nothing";
  type(*w->seWaitMinute, "3");
  tick();
  const Frames sent = ServiceCalls(device_);
  const Frames expected =
      framesOf([](TZemFixtureGrobel200CMYI& f) { EXPECT_TRUE(f.SetWaitTimeSeconds(3785)); });
  EXPECT_EQ(sent, expected);
}

TEST_F(GrobelWindowTest, QuintelKeepsItsMonitorPageWithAnyFirmware) {
  FixtureData[fd::kFixtureInfo + fdarea::info::kMainBuild] = 1;  // 0.0 build 1
  auto* w = open<TZemFixtureQuintelCMYI_01Form>();
  EXPECT_TRUE(w->tsMonitor);
  EXPECT_EQ(w->lLightLevelTrigger->caption(), "Trigger Level (0-1036)");
  EXPECT_EQ(w->seSensorLevelTrigger->maxValue(), 1036);
  EXPECT_EQ(w->seSensorLevelTrigger->maxLength(), 4);
}

class WashWindowTest : public ModelWindowTest<TZemFixtureBrv1200CMYIZ> {};

TEST_F(WashWindowTest, AdjustmentRowsZoomLayoutAndMonitorTexts) {
  auto* w = open<TZemFixtureBrv1200CMYIZ_01Form>();
  EXPECT_FALSE(w->pZoomSwitch->visible());
  EXPECT_EQ(w->pZoomFar->left(), 190);
  EXPECT_EQ(w->pZoomFar->width(), 94);
  EXPECT_EQ(w->pZoomNear->width(), 94);
  EXPECT_EQ(w->lLightSensor[0]->caption(), "Ambient light sensor: 0 Lux");
  EXPECT_EQ(w->lSupplyVoltage[0]->caption(), "PCB voltage: 0.0 Volt");
  EXPECT_EQ(w->lFanSpeed[5]->caption(), "Internal fan2: 0 RPM");
  EXPECT_EQ(w->lFanSpeed[0]->caption(), "Fan1: 0 RPM");

  using G = TZemFixtureBrv1200CMYIZ;
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbDimmerSensor")), framesOf([](G& f) { f.GrobelAdjust73_2(); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbYellowSensor")), framesOf([](G& f) { f.GrobelAdjust76_2(); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbColorSensor")), framesOf([](G& f) { f.AdjustColor(5); }));
  EXPECT_EQ(press(*w->pAdjColor3), framesOf([](G& f) { f.AdjustColor(3); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbZoomFar")), framesOf([](G& f) { f.AdjustZoomFar(); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbAllClosed")), framesOf([](G& f) { f.AdjustAllClosed(); }));
}

}  // namespace
