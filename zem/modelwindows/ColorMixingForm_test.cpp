// The colour-mixing pattern: live controls marked by the user and sent once per write-back tick, the
// scene display, the scene-button rule, colour and frost panels, held panels and failing sends. Over
// recording model objects and a scripted device, headless, on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/input.h"
#include "platform/ui/screen.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBrv1200CMYIZ_01.h"
#include "zem/modelwindows/FixtureFormBrv200_20.h"
#include "zem/modelwindows/FixtureFormBrv600C_20.h"
#include "zem/modelwindows/FixtureFormBrv600_20.h"
#include "zem/modelwindows/FixtureFormGrobel200CI_01.h"
#include "zem/modelwindows/modelwindows_test_support.h"
#include "zem/windows/PanelUtils.h"

namespace {

using mwtest::SetScene;
using Strings = std::vector<std::string>;

// Drags a fader's picture from one level to another, through the levels between.
void Drag(TFader& fader, std::initializer_list<int> levels) {
  auto y = [&fader](int level) {
    return static_cast<int>(std::lround((fader.Max() - level) * fader.Scale()));
  };
  const int first = *levels.begin();
  ASSERT_NE(ui::input::mouseDown(*fader.FaderPanel, 5, y(first)), nullptr);
  for (int level : levels) ui::input::mouseMove(*fader.FaderPanel, 5, y(level));
  ui::input::mouseUp(*fader.FaderPanel, 5, y(*(levels.end() - 1)));
}

class Brv600PatternTest : public mwtest::WindowTest<TZemFixtureBrv600_20> {
 protected:
  TBrv600_20Form* w = nullptr;
  void SetUp() override {
    WindowTest::SetUp();
    SetScene(3, 0, {{134, 0}, {135, 3}, {136, 10}, {139, 1}, {140, 55}});
    w = open<TBrv600_20Form>();
    showPageOf(w->Panel4);
    // The scene shown on opening goes out at the first tick.
    tick();
    fixture_.calls.clear();
  }
};

TEST_F(Brv600PatternTest, ADragWithinOneTickSendsOnlyTheLastLevelAndNoIdlePoll) {
  ASSERT_EQ(w->frCyan->Position(), 10);
  Drag(*w->frCyan, {10, 60, 120, 200});
  // The level lands on the pixel nearest 200.
  const int level = w->frCyan->Position();
  EXPECT_NEAR(level, 200, 1);
  EXPECT_TRUE(fixture_.calls.empty()) << "nothing goes out before the tick";
  tick();
  const std::string sent = "SetLiveCyan(" + std::to_string(level) + ")";
  EXPECT_EQ(fixture_.calls, Strings{sent});
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{sent, "IdlePoll(0)"}));
}

TEST_F(Brv600PatternTest, IntensityAndZoomAreInvertedBothWays) {
  // Scene byte 0 shows 255; byte 55 of the zoom shows 200.
  EXPECT_EQ(w->frIntensity->Position(), 255);
  EXPECT_EQ(w->frZoom->Position(), 200);
  w->frZoom->SetPosition(0);
  w->frIntensity->SetPosition(255);
  tick();
  // Lowest bit first, whatever order the user moved them in.
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveIntensity(0)", "SetLiveZoom(255)"}));
}

// The fixture previews the scene the technician is editing: its levels go out live at the next tick (not
// while the window is still showing values), its colour and frost, which the fixture shows by itself, not.
TEST_F(Brv600PatternTest, AShownSceneGoesOutLiveAtTheNextTick) {
  SetScene(3, 1, {{134, 100}, {135, 2}, {136, 7}, {137, 8}, {138, 9}, {139, 0}, {140, 1}});
  w->Updating = true;
  w->UpdateScene();
  EXPECT_EQ(w->frIntensity->Position(), 155);
  EXPECT_EQ(w->frMagenta->Position(), 8);
  EXPECT_EQ(w->ChangedBits, 0x1Fu);
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"IdlePoll(0)"}) << "nothing goes out while the window updates";
  w->Updating = false;
  tick(2);
  EXPECT_EQ(fixture_.calls,
            (Strings{"IdlePoll(0)", "SetLiveIntensity(100)", "SetLiveCyan(7)", "SetLiveMagenta(8)",
                     "SetLiveYellow(9)", "SetLiveZoom(1)", "IdlePoll(0)"}));
}

TEST_F(Brv600PatternTest, ColourPanelsShowTheSceneByteAndSendTheClickedNumber) {
  auto lowered = [this] {
    Strings out;
    for (ui::Panel* p : {w->pWhite.get(), w->pCTC.get(), w->pRed.get(), w->pGreen.get(), w->pBlue.get()}) {
      if (p->bevelInner() == ui::BevelCut::Lowered && p->bevelOuter() == ui::BevelCut::Lowered)
        out.push_back(p->name());
    }
    return out;
  };
  EXPECT_EQ(lowered(), Strings{"pGreen"});
  SetScene(3, 0, {{135, 7}});
  w->UpdateScene();
  EXPECT_TRUE(lowered().empty());
  tick();
  fixture_.calls.clear();  // the scene's levels
  ASSERT_TRUE(ui::input::click(*w->pRed));
  EXPECT_EQ(lowered(), Strings{"pRed"});
  ASSERT_TRUE(ui::input::click(*w->pBlue));
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveColor(4)"});
}

TEST_F(Brv600PatternTest, FrostPanelsAndTheirPicturesChooseTheFrostNotTheColour) {
  EXPECT_EQ(w->pFrostOn->bevelInner(), ui::BevelCut::Lowered);
  EXPECT_EQ(w->pFrostOff->bevelInner(), ui::BevelCut::Raised);
  // The panel's margin, outside its picture.
  ASSERT_NE(ui::input::mouseDown(*w->pFrostOff, 2, 2), nullptr);
  ASSERT_EQ(ui::input::mouseUp(*w->pFrostOff, 2, 2), w->pFrostOff.get());
  EXPECT_EQ(w->pFrostOff->bevelInner(), ui::BevelCut::Lowered);
  EXPECT_EQ(w->pGreen->bevelInner(), ui::BevelCut::Lowered) << "the colour stays";
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveFrost(0)"});
  ASSERT_TRUE(ui::input::click(*w->iFrostOn));
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetLiveFrost(0)", "SetLiveFrost(1)"}));
}

TEST_F(Brv600PatternTest, SceneButtonsFollowTheCountAndTheIndex) {
  auto enabled = [this] {
    Strings out;
    for (ui::SpeedButton* b : {w->sbPrevious.get(), w->sbNext.get(), w->sbStore.get(), w->sbAdd.get(),
                               w->sbDelete.get(), w->sbDeleteAll.get(), w->sbInsert.get(), w->sbRun.get()}) {
      if (b->enabled()) out.push_back(b->name().substr(2));
    }
    return out;
  };
  SetScene(0, 0);
  w->UpdateScene();
  EXPECT_EQ(enabled(), (Strings{"Store", "Add", "Delete", "DeleteAll", "Insert"}));
  SetScene(1, 0);
  w->UpdateScene();
  EXPECT_EQ(enabled(), (Strings{"Store", "Add", "Delete", "DeleteAll", "Insert", "Run"}));
  SetScene(20, 19);
  w->UpdateScene();
  EXPECT_EQ(enabled(), (Strings{"Previous", "Store", "Delete", "DeleteAll", "Run"}));
  SetScene(20, 5);
  w->UpdateScene();
  EXPECT_EQ(enabled(), (Strings{"Previous", "Next", "Store", "Delete", "DeleteAll", "Run"}));
}

TEST_F(Brv600PatternTest, ARaisingSendShowsOneBoxAndStopsTheTicksOtherSends) {
  fixture_.throwing = {"SetLiveCyan"};
  w->frMagenta->SetPosition(3);
  w->frCyan->SetPosition(2);
  w->frIntensity->SetPosition(1);
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveIntensity(254)", "SetLiveCyan(2)"}));
  EXPECT_EQ(errorBoxes(), 1u);
  EXPECT_EQ(w->ChangedBits, 0u);
  // The marks went with the failed tick: no box piles up on the next ones.
  tick(3);
  EXPECT_EQ(errorBoxes(), 1u);
  EXPECT_EQ(fixture_.sends(), (Strings{"SetLiveIntensity(254)", "SetLiveCyan(2)"}));
}

TEST_F(Brv600PatternTest, ARefusedSendEndsTheTickAndIsNotRepeated) {
  fixture_.failing = {"SetLiveIntensity"};
  w->frCyan->SetPosition(2);
  w->frIntensity->SetPosition(1);
  tick(2);
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveIntensity(254)", "IdlePoll(0)"}));
  // The next change sends the new value.
  fixture_.failing.clear();
  w->frCyan->SetPosition(9);
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetLiveIntensity(254)", "SetLiveCyan(9)"}));
}

TEST_F(Brv600PatternTest, WithoutAFixtureNothingIsSentAndTheMarksWait) {
  CurrentFixture = nullptr;
  w->frCyan->SetPosition(5);
  tick(2);
  EXPECT_TRUE(fixture_.calls.empty());
  CurrentFixture = &fixture_;
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"SetLiveCyan(5)"});
}

TEST_F(Brv600PatternTest, AFaderHeldWhenAModalWindowOpensStopsRepeating) {
  ASSERT_NE(ui::input::mouseDown(*w->frYellow->UpButton, 4, 4), nullptr);
  EXPECT_TRUE(w->frYellow->RepeatTimer->enabled());
  ui::screen().cancelCapture();
  EXPECT_FALSE(w->frYellow->RepeatTimer->enabled());
  EXPECT_EQ(w->frYellow->UpButton->bevelOuter(), ui::BevelCut::Raised);
}

class GrobelCIPatternTest : public mwtest::WindowTest<TZemFixtureGrobel200CI> {
 protected:
  TZemFixtureGrobel200CI_01Form* w = nullptr;
  void SetUp() override {
    WindowTest::SetUp();
    FixtureData[fd::kFixtureInfo + fdarea::info::kMainMajor] = 1;  // firmware 1.0
    SetScene(2, 0, {{138, 40}, {139, 5}});
    w = open<TZemFixtureGrobel200CI_01Form>();
    showPageOf(w->Panel4);
  }
};

TEST_F(GrobelCIPatternTest, TwoColourClicksInOneTickSendOneColour) {
  EXPECT_EQ(w->pColor5->bevelInner(), ui::BevelCut::Lowered);
  EXPECT_EQ(w->SelectedColor(), 5);
  tick();
  EXPECT_TRUE(fixture_.sends().empty()) << "showing the scene sends nothing";
  ASSERT_TRUE(ui::input::click(*w->pColor3));
  ASSERT_TRUE(ui::input::click(*w->pWhite));
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveColor(0)"});
  // The monitor page stays with this firmware: the idle poll says whether it shows.
  ASSERT_TRUE(w->tsMonitor);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsMonitor));
  tick();
  EXPECT_EQ(fixture_.calls.back(), "IdlePoll(1)");
}

TEST_F(GrobelCIPatternTest, ReadBackPrefersWhiteThenTheLastPreset) {
  w->pColorClicked(nullptr);
  EXPECT_EQ(w->SelectedColor(), 0) << "none lowered";
  LowerPanel(w->pColor2);
  LowerPanel(w->pColor4);
  EXPECT_EQ(w->SelectedColor(), 4);
  LowerPanel(w->pWhite);
  EXPECT_EQ(w->SelectedColor(), 0);
}

TEST_F(GrobelCIPatternTest, AdjustColourPanelsActOnReleaseAndComeUpWhenTheMouseIsTaken) {
  showPageOf(w->pAdjColor2);
  ASSERT_NE(ui::input::mouseDown(*w->pAdjColor2, 3, 3), nullptr);
  EXPECT_EQ(w->pAdjColor2->bevelOuter(), ui::BevelCut::Lowered);
  EXPECT_TRUE(device_.frames.empty());
  ui::input::mouseUp(*w->pAdjColor2, 3, 3);
  EXPECT_EQ(w->pAdjColor2->bevelOuter(), ui::BevelCut::Raised);
  const auto pressed = mwtest::ServiceCalls(device_);
  ASSERT_FALSE(pressed.empty());
  // The same frames as the fixture's own colour adjustment to position 2.
  device_.frames.clear();
  fixture_.AdjustColor(2);
  EXPECT_EQ(pressed, mwtest::ServiceCalls(device_));

  // Held when a modal window takes the mouse: the panel comes up and nothing is adjusted.
  device_.frames.clear();
  ASSERT_NE(ui::input::mouseDown(*w->pAdjColor4, 3, 3), nullptr);
  ui::screen().cancelCapture();
  EXPECT_EQ(w->pAdjColor4->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(ui::input::mouseUp(*w->pAdjColor4, 3, 3), nullptr);
  EXPECT_TRUE(device_.frames.empty());
}

class GrobelFirmwareTest : public mwtest::WindowTest<TZemFixtureGrobel200CMYI> {};

TEST_F(GrobelFirmwareTest, FirmwareBelowBuild9HasNoMonitorPage) {
  FixtureData[fd::kFixtureInfo + fdarea::info::kMainBuild] = 8;  // 0.0 build 8
  auto* w = open<TZemFixtureGrobel200CI_01Form>();
  EXPECT_FALSE(w->tsMonitor);
  EXPECT_EQ(w->PC1->pageCount(), 5);
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"IdlePoll(0)"});
  w->free();
  FixtureData[fd::kFixtureInfo + fdarea::info::kMainBuild] = 9;
  EXPECT_TRUE(open<TZemFixtureGrobel200CI_01Form>()->tsMonitor);
}

class WashPatternTest : public mwtest::WindowTest<TZemFixtureBrv1200CMYIZ> {
 protected:
  TZemFixtureBrv1200CMYIZ_01Form* w = nullptr;
  void SetUp() override {
    WindowTest::SetUp();
    SetScene(4, 1, {{138, 77}, {139, 200}, {143, 1}});
    w = open<TZemFixtureBrv1200CMYIZ_01Form>();
    showPageOf(w->Panel4);
  }
};

TEST_F(WashPatternTest, WheelPanelsAndAPlainZoom) {
  EXPECT_EQ(w->pCTC->bevelInner(), ui::BevelCut::Lowered);
  EXPECT_EQ(w->frZoom->Position(), 77);
  EXPECT_EQ(w->frIntensity->Position(), 200);
  ASSERT_TRUE(ui::input::click(*w->pBlue));
  w->frZoom->SetPosition(200);
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetLiveZoom(200)", "SetLiveColor(4)"}));
  SetScene(4, 1, {{143, 5}});
  w->UpdateScene();
  for (ui::Panel* p : {w->pWhite.get(), w->pCTC.get(), w->pRed.get(), w->pGreen.get(), w->pBlue.get()})
    EXPECT_EQ(p->bevelInner(), ui::BevelCut::Raised) << p->name();
}

class Brv600CompactPatternTest : public mwtest::WindowTest<TZemFixtureBrv600C_20> {};

TEST_F(Brv600CompactPatternTest, TheSceneShownOnOpeningAndEveryOneAfterGoesOutLive) {
  SetScene(2, 0, {{136, 11}, {137, 12}, {138, 13}});
  auto* w = open<TBrv600C_20Form>();
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveCyan(11)", "SetLiveMagenta(12)", "SetLiveYellow(13)"}));
  fixture_.calls.clear();
  SetScene(2, 1, {{136, 21}, {137, 22}, {138, 23}});
  w->UpdateScene();
  EXPECT_TRUE(fixture_.calls.empty());
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveCyan(21)", "SetLiveMagenta(22)", "SetLiveYellow(23)"}));
}

class Brv200PatternTest : public mwtest::WindowTest<TZemFixtureBrv200_20> {};

TEST_F(Brv200PatternTest, RandomColourIsSentOnTheTickAndShownThroughItsBands) {
  SetScene(2, 0, {{138, 200}});
  auto* w = open<TBrv200_20Form>();
  showPageOf(w->cbRandomColor);
  EXPECT_EQ(w->cbRandomColor->itemIndex(), 10);
  EXPECT_EQ(w->cbRandomColor->caption(), "Cyan/Yellow slow");
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbRandomColor, 8));
  EXPECT_TRUE(fixture_.calls.empty());
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"SetLiveRandomColor(8)"});
  SetScene(2, 0, {{138, 10}});
  w->UpdateScene();
  EXPECT_EQ(w->cbRandomColor->caption(), "Off");
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveRandomColor(8)"});
}

}  // namespace
