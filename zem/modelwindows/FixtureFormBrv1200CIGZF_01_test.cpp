// The Brevidor 1200 IP window: the animation code both ways, the animation and gobo modes, the 16-bit
// zoom, focus and gobo values, the gobo pictures of the adjustment page and the scene's owner-drawn tabs.
#include <gtest/gtest.h>

#include "platform/ui/input.h"
#include "platform/ui/screen.h"
#include "zem/model/Brv1200Models.h"
#include "zem/modelwindows/FixtureFormBrv1200CIGZF_01.h"
#include "zem/modelwindows/modelwindows_test_support.h"
#include "zem/windows/monitor_test_support.h"

namespace {

using mwtest::SetScene;
using Strings = std::vector<std::string>;
using Frames = std::vector<std::pair<int, int>>;
using Form = TZemFixtureBrv1200CIGZF_01Form;
using IP = TZemFixtureBrv1200CIGZF;

TEST(Brv1200IPAnimationCode, EveryCodeComesBackAsItWasOrAsOff) {
  const std::pair<int, Form::Animation> cases[] = {
      {0, {Form::kOff, false, 0}},     {1, {Form::kHorizontal, false, 0}}, {4, {Form::kVertical, true, 0}},
      {100, {Form::kUser, false, 50}}, {229, {Form::kUser, true, 89}},     {5, {Form::kOff, false, 0}},
      {230, {Form::kOff, false, 0}},   {49, {Form::kOff, false, 0}},       {140, {Form::kUser, true, 0}},
      {139, {Form::kUser, false, 89}},
  };
  for (const auto& [code, animation] : cases) EXPECT_EQ(Form::DecodeAnimation(code), animation) << code;
  int listed = 0;
  for (int code = 0; code <= 255; ++code) {
    const int back = Form::EncodeAnimation(Form::DecodeAnimation(code));
    if (back != 0) ++listed;
    EXPECT_TRUE(back == code || back == 0) << code;
  }
  EXPECT_EQ(listed, 4 + 2 * 90);
}

class IPWindowTest : public mwtest::ModelWindowTest<IP> {
 protected:
  void SetUp() override {
    ModelWindowTest::SetUp();
    w = open<Form>();
    showPageOf(w->pcSAProgram);
  }
  // Shows a scene page of the window's own page control.
  void showScenePage(ui::TabSheet* page) { ASSERT_TRUE(ui::input::selectTab(*w->pcSAProgram, *page)); }
  Form* w = nullptr;
};

TEST_F(IPWindowTest, TheInsertionCyclesThroughItsFourStatesEachSentAtTheNextTick) {
  SetScene(2, 0, {{151, 0}, {152, 7}});
  w->UpdateScene();
  showScenePage(w->tsGoboAnimation);
  Strings captions;
  for (int press = 0; press < 4; ++press) {
    ui::input::click(*w->pAnimOnOff);
    captions.push_back(w->pAnimOnOff->caption());
    tick();
  }
  EXPECT_EQ(captions, (Strings{"Horiz", "Vert", "User", "Off"}));
  EXPECT_EQ(fixture_.sends(), (Strings{"SetControlValue80(1,7)", "SetControlValue80(2,7)",
                                       "SetControlValue80(50,7)", "SetControlValue80(0,7)"}));
}

TEST_F(IPWindowTest, TheAnimationSceneIsShownAndItsRotatingValueSentSigned) {
  SetScene(2, 0, {{151, 229}, {152, 255}});
  w->UpdateScene();
  EXPECT_EQ(w->pAnimOnOff->caption(), "User");
  EXPECT_EQ(w->pAnimRotIndex->caption(), "Rotate");
  EXPECT_EQ(w->frAnimPos->Position(), 89);
  EXPECT_EQ(w->frAnimIndex->Position(), -1);
  SetScene(2, 0, {{151, 100}, {152, 255}});
  w->UpdateScene();
  EXPECT_EQ(w->pAnimRotIndex->caption(), "Index");
  EXPECT_EQ(w->frAnimPos->Position(), 50);
  EXPECT_EQ(w->frAnimIndex->Position(), 255);
  tick();
  EXPECT_TRUE(fixture_.sends().empty()) << "a shown scene is not sent back";

  showScenePage(w->tsGoboAnimation);
  ui::input::click(*w->pAnimRotIndex);  // rotate: 255 becomes 127
  w->frAnimIndex->SetPosition(-1);
  w->frAnimPos->SetPosition(10);
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetControlValue80(150,-1)"});
}

TEST_F(IPWindowTest, ZoomIsSentCountedDownFrom65535AndFocusAsItStands) {
  SetScene(2, 0, {{138, 0x00}, {139, 0x40}, {140, 0x34}, {141, 0x12}, {144, 0x12}, {145, 200}});
  w->UpdateScene();
  EXPECT_EQ(w->frZoom->Position(), 65535 - 0x4000);
  EXPECT_EQ(w->frFocus->Position(), 0x1234);
  EXPECT_EQ(w->frIntensity->Position(), 200) << "the intensity word's high byte";
  w->frZoom->SetPosition(0);
  w->frFocus->SetPosition(65535);
  tick();
  w->frZoom->SetPosition(65535);
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetLiveZoom(65535)", "SetLiveFocus(65535)", "SetLiveZoom(0)"}));
}

TEST_F(IPWindowTest, GoboIndexAndRotateModesShareTheSixteenBitValue) {
  SetScene(2, 0, {{142, 0}, {143, 0}, {150, 2}});  // gobo 3 indexed at word 0
  w->UpdateScene();
  EXPECT_EQ(w->frGoboIndex->Position(), 65535);
  EXPECT_EQ(w->pGobo3->bevelInner(), ui::BevelCut::Lowered);
  showScenePage(w->tsGoboAnimation);
  ui::input::click(*w->pGoboRotIndex);
  EXPECT_EQ(w->pGoboRotIndex->caption(), "Rotate");
  EXPECT_EQ(w->frGoboIndex->Position(), 32767);
  tick();
  ui::input::click(*w->pGobo1);
  w->frGoboIndex->SetPosition(-2);
  tick();
  EXPECT_EQ(fixture_.sends(), (Strings{"SetControlValue79(2,32767)", "SetControlValue79(0,65534)"}));
  // A rotating scene keeps its speed as a signed word.
  SetScene(2, 0, {{142, 0xFE}, {143, 0xFF}, {150, 5}});
  w->UpdateScene();
  EXPECT_EQ(w->frGoboIndex->Position(), -2);
  EXPECT_EQ(w->GoboIndex, 1);
}

// Rotate mode's negative speeds reach the model as their 16-bit two's complement: the model takes 16-bit
// values only, and a negative one raised a range error at every tick.
TEST_F(IPWindowTest, ANegativeSpeedReachesTheFixtureAsItsSixteenBits) {
  IP model;
  CurrentFixture = &model;
  showScenePage(w->tsGoboAnimation);
  ui::input::click(*w->pGoboRotIndex);
  for (int speed : {-1, -32768}) {
    w->frGoboIndex->SetPosition(speed);
    device_.frames.clear();
    tick();
    const Frames frames = mwtest::ServiceCalls(device_);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (std::pair{129, speed & 0xFFFF}));
  }
  tick(3);
  EXPECT_EQ(errorBoxes(), 0u);
  CurrentFixture = &fixture_;
}

TEST_F(IPWindowTest, ColourWheelPositionsAndTheirRead) {
  SetScene(2, 0, {{149, 2}});
  w->UpdateScene();
  EXPECT_EQ(w->pGreen->bevelInner(), ui::BevelCut::Lowered);
  for (ui::Panel* p : {w->pCTC.get(), w->pRed.get(), w->pBlue.get()})
    EXPECT_EQ(p->bevelInner(), ui::BevelCut::Raised) << p->name();
  ui::input::click(*w->pCTC);
  tick();
  EXPECT_EQ(fixture_.sends(), Strings{"SetLiveColor(0)"});
}

TEST_F(IPWindowTest, AGoboPictureAdjustsItsGoboAndThePanelsMarginDoesNothing) {
  EXPECT_EQ(press(*w->iAdjGobo3), framesOf([](IP& f) { f.AdjustGobo(2); }));
  EXPECT_EQ(w->pAdjGobo3->bevelOuter(), ui::BevelCut::Raised);
  ui::input::mouseDown(*w->iAdjGobo1, 2, 2);
  EXPECT_EQ(w->pAdjGobo1->bevelOuter(), ui::BevelCut::Lowered) << "the picture presses its panel";
  ui::screen().cancelCapture();
  EXPECT_EQ(w->pAdjGobo1->bevelOuter(), ui::BevelCut::Raised) << "a lost release lets it up";
  device_.frames.clear();
  ui::input::mouseDown(*w->pAdjGobo1, 1, 1);
  EXPECT_EQ(w->pAdjGobo1->bevelOuter(), ui::BevelCut::Lowered);
  ui::input::mouseUp(*w->pAdjGobo1, 1, 1);
  EXPECT_EQ(w->pAdjGobo1->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_TRUE(device_.frames.empty());
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbGoboSensor")), framesOf([](IP& f) { f.AdjustGobo(4); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbAnimRotCont")),
            framesOf([](IP& f) { f.AdjustAnimRotation(1); }));
  EXPECT_EQ(press(*w->Find<ui::SpeedButton>("sbDimmerAdjust")),
            framesOf([](IP& f) { f.GrobelAdjust73_2(); }));
  EXPECT_EQ(press(*w->pAdjColor2), framesOf([](IP& f) { f.AdjustColor(2); }));
}

TEST_F(IPWindowTest, TheScenesTabsAreDrawnByTheWindow) {
  ui::Canvas& canvas = w->pcSAProgram->canvas();
  canvas.clearOps();
  w->pcSAProgram->drawTabs();
  const std::vector<ui::CanvasOp>& ops = canvas.ops();
  ASSERT_EQ(ops.size(), 4u);
  const ui::Rect first = w->pcSAProgram->tabRect(0);
  const ui::Rect second = w->pcSAProgram->tabRect(1);
  EXPECT_EQ(ops[0].kind, ui::CanvasOp::Kind::FillRect);
  EXPECT_EQ(ops[0].rect, first) << "the active tab is filled to its bottom";
  EXPECT_EQ(ops[0].brushColor, 0xFFFFFFu);
  EXPECT_EQ(ops[1].text, "Intensity/Color/Zoom/Focus");
  EXPECT_EQ(ops[1].point, (ui::Point{first.left + 2, first.top + 2}));
  EXPECT_EQ(ops[1].font.color, 0u);
  EXPECT_EQ(ops[2].rect, second);
  EXPECT_EQ(ops[2].brushColor, 12632256u);
  EXPECT_EQ(ops[3].text, "Gobo/Animation");
  EXPECT_EQ(ops[3].font.color, 0xFFFFFFu);
}

}  // namespace

namespace {

// The family's own Monitor texts are longer than the template's: each column starts after the longest
// value the one before it can show.
TEST_F(IPWindowTest, MonitorColumnsHoldTheirLongestValuesSideBySide) {
  EXPECT_EQ(w->lLightSensor[0]->caption(), "Ambient light sensor: 0 Lux");
  monitortest::FillMonitorAtItsWidest();
  w->UpdateMonitorValues();
  monitortest::ExpectMonitorColumnsSideBySide(*w);
}

}  // namespace
