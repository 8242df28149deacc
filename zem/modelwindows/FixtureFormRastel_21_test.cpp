// The Rastel window: the pan/tilt pad (held buttons that speed up, the grid with its hidden cursor, both
// ending when the mouse is taken away), the gobo's index and rotate values, what a tick sends and in
// which order, the warning level, the temperatures and the adjustment lists.
#include <gtest/gtest.h>

#include "platform/ui/input.h"
#include "platform/ui/screen.h"
#include "zem/model/NimboRastelModels.h"
#include "zem/modelwindows/FixtureFormRastel_21.h"
#include "zem/modelwindows/modelwindows_test_support.h"

namespace {

using mwtest::SetScene;
using Strings = std::vector<std::string>;
using Frames = std::vector<std::pair<int, int>>;
using R = TZemFixtureRastel_21;

class RastelWindowTest : public mwtest::ModelWindowTest<R> {
 protected:
  void SetUp() override {
    ModelWindowTest::SetUp();
    w = open<TRastel_21Form>();
    showPageOf(w->iXYgrid);
  }
  void TearDown() override {
    ui::screen().setCursor(ui::crDefault);
    ModelWindowTest::TearDown();
  }
  // Holds a direction button for ms milliseconds; returns each move of the pan.
  std::vector<int> holdPan(ui::Panel& button, uint32_t ms) {
    std::vector<int> moves;
    int last = w->Pan;
    auto note = [&] {
      if (w->Pan != last) moves.push_back(w->Pan - last);
      last = w->Pan;
    };
    ui::input::mouseDown(button, 5, 50);
    note();
    runFor(ms, note);
    return moves;
  }
  TRastel_21Form* w = nullptr;
};

TEST_F(RastelWindowTest, AHeldPanButtonMovesFasterAndFasterUpTo255AndStopsAtTheRelease) {
  const std::vector<int> moves = holdPan(*w->pPanRight, 1950);
  EXPECT_EQ(moves, (std::vector<int>{1, 1, 1, 1, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(w->Pan, 25);
  EXPECT_EQ(w->pPanRight->bevelOuter(), ui::BevelCut::Lowered);
  runFor(5000);
  EXPECT_EQ(w->Pan, 255);
  EXPECT_EQ(w->lPanTiltPosition->caption(), "255,0");
  ui::input::mouseUp(*w->pPanRight, 5, 50);
  EXPECT_FALSE(w->pPanTiltTimer->enabled());
  EXPECT_EQ(w->pPanRight->bevelOuter(), ui::BevelCut::Raised);
  w->Pan = 100;
  runFor(1000);
  EXPECT_EQ(w->Pan, 100);
}

// The release can be lost (a modal window takes the mouse): the repeat ends all the same.
TEST_F(RastelWindowTest, ALostReleaseStopsTheRepeat) {
  w->Tilt = 10;
  holdPan(*w->pTiltUp, 10);
  EXPECT_EQ(w->Tilt, 9);
  ui::screen().cancelCapture();
  EXPECT_FALSE(w->pPanTiltTimer->enabled());
  EXPECT_EQ(w->pTiltUp->bevelOuter(), ui::BevelCut::Raised);
  runFor(2000);
  EXPECT_EQ(w->Tilt, 9);
}

TEST_F(RastelWindowTest, TheGridFollowsTheMouseWithTheScreenCursorHidden) {
  ui::input::mouseDown(*w->iXYgrid, 0, 0);
  EXPECT_EQ(w->lPanTiltPosition->caption(), "0,0");
  EXPECT_EQ(ui::screen().cursor(), ui::crNone);
  // The circle's centre sits on the point.
  EXPECT_EQ(w->sXYcursor->left() + w->sXYcursor->width() / 2, w->iXYgrid->left());
  ui::input::mouseMove(*w->iXYgrid, 80, 40);
  EXPECT_EQ(w->lPanTiltPosition->caption(), "126,63");
  ui::input::mouseMove(*w->iXYgrid, 300, 400);  // past the lower-right edge
  EXPECT_EQ(w->lPanTiltPosition->caption(), "255,255");
  ui::input::mouseUp(*w->iXYgrid, 300, 400);
  EXPECT_EQ(ui::screen().cursor(), ui::crDefault);
  EXPECT_FALSE(w->Dragging);
  ui::input::mouseMove(*w->iXYgrid, 10, 10);
  EXPECT_EQ(w->lPanTiltPosition->caption(), "255,255") << "moves without a held button change nothing";

  // A press on the circle is a press on the grid under it; the largest press value is 254.
  ui::input::mouseDown(*w->sXYcursor, 8, 8);
  EXPECT_TRUE(w->Dragging);
  ui::input::mouseUp(*w->iXYgrid, 0, 0);
  ui::input::mouseDown(*w->iXYgrid, 160, 160);
  EXPECT_EQ(w->lPanTiltPosition->caption(), "254,254");
  ui::input::mouseUp(*w->iXYgrid, 160, 160);
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLivePanTilt(254,254)"}) << "one send per tick, the last position";
}

TEST_F(RastelWindowTest, ALostReleaseEndsTheDragAndGivesTheCursorBack) {
  ui::input::mouseDown(*w->iXYgrid, 20, 20);
  ASSERT_EQ(ui::screen().cursor(), ui::crNone);
  ui::screen().cancelCapture();
  EXPECT_EQ(ui::screen().cursor(), ui::crDefault);
  EXPECT_FALSE(w->Dragging);
}

TEST_F(RastelWindowTest, GoboIndexAndRotateValuesConvertBothWays) {
  SetScene(2, 0, {{137, 0}, {138, 0}, {139, 0}});  // gobo 1, index mode, word 0
  w->UpdateScene();
  EXPECT_EQ(w->frGobo->Position(), 32767);
  EXPECT_EQ(w->pRotIndex->caption(), "Index");
  ui::input::mouseDown(*w->pRotIndex, 3, 3);
  EXPECT_EQ(w->pRotIndex->bevelOuter(), ui::BevelCut::Lowered);
  ui::input::mouseUp(*w->pRotIndex, 3, 3);
  EXPECT_EQ(w->pRotIndex->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(w->pRotIndex->caption(), "Rotate");
  EXPECT_EQ(w->frGobo->Position(), 127);
  EXPECT_EQ(w->frGobo->Min(), -128);
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetControlValue79(0,127)"});
  ui::input::click(*w->pRotIndex);
  EXPECT_EQ(w->frGobo->Position(), 32512);
  tick();
  EXPECT_EQ(fixture_.sends().back(), "SetControlValue78(0,255)");
}

TEST_F(RastelWindowTest, ARotatingSceneShowsItsSignedByteAndSendsIt) {
  SetScene(2, 0, {{137, 0x05}, {139, 246}});  // gobo 2, rotating at -10
  w->UpdateScene();
  EXPECT_TRUE(w->RotateMode);
  EXPECT_EQ(w->frGobo->Position(), -10);
  EXPECT_EQ(w->pGobo2->bevelInner(), ui::BevelCut::Lowered);
  EXPECT_EQ(w->pGobo1->bevelInner(), ui::BevelCut::Raised);
  tick();
  EXPECT_TRUE(fixture_.sends().empty()) << "a shown scene is not sent back";
  ui::input::click(*w->pGobo3);
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetControlValue79(2,-10)"});
  // The model sends the low byte.
  R model;
  device_.frames.clear();
  ASSERT_TRUE(model.SetControlValue79(2, -10));
  const Frames frames = mwtest::ServiceCalls(device_);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front(), (std::pair{44, 6}));
  EXPECT_EQ(frames.back(), (std::pair{147, 246}));
}

TEST_F(RastelWindowTest, IndexModeSendsThePositionCountedDownFrom32767) {
  w->frGobo->SetPosition(-32768);
  tick();
  w->frGobo->SetPosition(32767);
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetControlValue78(0,65535)", "SetControlValue78(0,0)"}));
}

TEST_F(RastelWindowTest, ATickSendsEachChangeOnceWithPanAndTiltBeforeTheGobo) {
  ui::input::click(*w->pGobo2);
  w->frGobo->SetPosition(100);
  ui::input::mouseDown(*w->iXYgrid, 16, 32);
  ui::input::mouseUp(*w->iXYgrid, 16, 32);
  w->frFocus->SetPosition(7);
  w->frIntensity->SetPosition(200);
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{"SetLiveIntensity(200)", "SetLiveFocus(7)", "SetLivePanTilt(25,51)",
                                     "SetControlValue78(1,32667)"}));
  tick();
  EXPECT_EQ(fixture_.calls.back(), "IdlePoll(0)");
}

// A level the edit cannot show is shown limited, and the limited value is not written.
TEST_F(RastelWindowTest, TheWarningLevelIsWrittenOnlyWhenTheUserChangesIt) {
  EXPECT_EQ(w->seWarningLevel->parent(), w->gbOtherSettings.get());
  expectOnlyTheUsersWarningLevelIsWritten(*w->seWarningLevel, [this] { w->UpdateDMXSettings(); });
}

TEST_F(RastelWindowTest, SettingsAreWrittenWhenPickedAndTemperaturesShownEveryTick) {
  showPageOf(w->cbPanInvert);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbPanInvert, 1));
  EXPECT_EQ(device_.count("SetPersonalities"), 1);
  EXPECT_EQ(fixture_.GetPanInvert(), 1);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbGoboFanReg, 1));
  EXPECT_EQ(fixture_.GetGoboFanReg(), 1);
  EXPECT_EQ(w->cbGoboFanReg->itemIndex(), 1);
  EXPECT_EQ(w->cbDMXMode->items().lines(), (Strings{"Mode 1", "Mode 2"}));

  FixtureData[fd::kTempValues + fdarea::temps::kLamp] = 55;
  FixtureData[fd::kTempValues + fdarea::temps::kHead] = 40;
  CurrentFixture = nullptr;  // shown from the record even without a fixture
  tick();
  EXPECT_EQ(w->lLampTemp->caption(), "Temp lamp: 55 DegC");
  EXPECT_EQ(w->lGoboTemp->caption(), "Temp gobo: 40 DegC");
  CurrentFixture = &fixture_;
}

TEST_F(RastelWindowTest, TemperaturesAreReadWhileTheSettingsPageShowsThem) {
  fixture_.idlePollReads = true;
  device_.remote[fd::kTempValues + fdarea::temps::kLamp] = 95;
  device_.remote[fd::kTempValues + fdarea::temps::kHead] = 47;
  tick();
  EXPECT_EQ(fixture_.calls, Strings{"IdlePoll(0)"});
  EXPECT_EQ(w->lLampTemp->caption(), "Temp lamp: 0 DegC");
  showPageOf(w->lLampTemp);
  EXPECT_EQ(w->lLampTemp->caption(), "Temp lamp: 95 DegC");
  EXPECT_EQ(w->lGoboTemp->caption(), "Temp gobo: 47 DegC");
  tick();
  EXPECT_EQ(fixture_.calls, (Strings{"IdlePoll(0)", "IdlePoll(1)", "IdlePoll(1)"}));
}

TEST_F(RastelWindowTest, AdjustmentButtonsAndListsRunTheirOperations) {
  EXPECT_EQ(w->cbAdjustPanTilt->caption(), "Select action");
  EXPECT_EQ(w->cbAdjustGobo->items().count(), 12);
  const std::pair<ui::ComboBox*, int> picks[] = {{w->cbAdjustPanTilt, 3}, {w->cbAdjustGobo, 11}};
  for (const auto& [box, item] : picks) {
    device_.frames.clear();
    showPageOf(box);
    ASSERT_TRUE(ui::input::selectComboItem(*box, item));
    const Frames sent = mwtest::ServiceCalls(device_);
    const Frames expected = box == w->cbAdjustPanTilt.get() ? framesOf([](R& f) { f.AdjustPanTiltChoice(3); })
                                                            : framesOf([](R& f) { f.AdjustGoboChoice(11); });
    EXPECT_EQ(sent, expected) << box->name();
  }
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbDimmerClosed")),
            framesOf([](R& f) { f.AdjustDimmerClosed(); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbFocusFar")), framesOf([](R& f) { f.AdjustFocusFar(); }));
}

}  // namespace
