// The LED tube window over a scripted chain of segments.
#include "zem/modelwindows/FixtureFormBralin.h"

#include <gtest/gtest.h>

#include "zem/model/BralinModel.h"
#include "zem/modelwindows/subdevice_test_support.h"

namespace {

using subdevtest::ChainDevice;

constexpr uint8_t kAutoConfigureBit = 0x10;  // personality byte 9

struct Frame {
  int code, function, value, argument, extra;
  friend bool operator==(const Frame&, const Frame&) = default;
};
std::ostream& operator<<(std::ostream& os, const Frame& f) {
  return os << "{" << f.code << "," << f.function << "," << f.value << "," << f.argument << "," << f.extra
            << "}";
}

class BralinWindowTest : public subdevtest::WindowTest {
 protected:
  // A tube of `segments` segments besides the main unit; segments in autoSegments configure themselves.
  TBralinForm* openTube(int segments, std::initializer_list<int> autoSegments = {}) {
    chain<TZemFixtureBralin>(segments, "BRALB");
    for (int s : autoSegments) device_->unit(s)[fd::kPersonality + fdarea::pers::kFlags9] = kAutoConfigureBit;
    return open<TBralinForm>();
  }
  std::vector<Frame> frames() const {
    std::vector<Frame> out;
    for (const auto& f : device_->frames)
      out.push_back({f[svc::kCode], f[svc::kFunction], f[svc::kValue] << 8 | f[svc::kValue + 1],
                     f[svc::kArgument], f[svc::kExtra] << 8 | f[svc::kExtra + 1]});
    return out;
  }
  void click(ui::Control& c) {
    press(c);
    release(c);
  }
  void typeInto(ui::SpinEdit& edit, const std::string& text) {
    ASSERT_TRUE(edit.setFocus());
    edit.selectAll();
    ui::input::typeText(text);
  }
  std::string segmentLabel() { return tube()->lSegment->caption(); }
  TBralinForm* tube() { return dynamic_cast<TBralinForm*>(window_.get()); }
};

TEST_F(BralinWindowTest, OneSegmentLeavesBothSelectorButtonsDisabled) {
  TBralinForm* w = openTube(0);
  EXPECT_EQ(segmentLabel(), "Segment 1 (of 1 to 1)");
  EXPECT_TRUE(w->lSegment->visible());
  EXPECT_FALSE(w->sbSegmentPrev->enabled());
  EXPECT_FALSE(w->sbSegmentNext->enabled());
}

TEST_F(BralinWindowTest, HeldNextRepeatsFasterAndSelectsOnceOnRelease) {
  TBralinForm* w = openTube(9);
  click(*w->sbSegmentNext);
  click(*w->sbSegmentNext);
  ASSERT_EQ(segmentLabel(), "Segment 3 (of 1 to 10)");
  device_->calls.clear();

  press(*w->sbSegmentNext);
  EXPECT_EQ(segmentLabel(), "Segment 4 (of 1 to 10)");
  EXPECT_EQ(w->lSegment->font().color, 0xFF0000u) << "pending in blue";
  const std::pair<uint32_t, const char*> steps[] = {
      {999, "Segment 4 (of 1 to 10)"}, {1, "Segment 5 (of 1 to 10)"},    {499, "Segment 5 (of 1 to 10)"},
      {1, "Segment 6 (of 1 to 10)"},   {400, "Segment 7 (of 1 to 10)"},  {300, "Segment 8 (of 1 to 10)"},
      {200, "Segment 9 (of 1 to 10)"}, {100, "Segment 10 (of 1 to 10)"}, {50, "Segment 10 (of 1 to 10)"}};
  for (const auto& [ms, label] : steps) {
    at(ms);
    EXPECT_EQ(segmentLabel(), label) << "after " << ms << " ms more";
  }
  EXPECT_EQ(calls("SetSubdevice"), 0) << "nothing is selected while the button is held";

  release(*w->sbSegmentNext);
  EXPECT_EQ(calls("SetSubdevice"), 1);
  EXPECT_EQ(calls("SetSubdevice(9,1)"), 1);
  EXPECT_EQ(segmentLabel(), "Segment 10 (of 1 to 10)");
  EXPECT_EQ(w->lSegment->font().color, w->font().color);
  EXPECT_FALSE(w->sbSegmentNext->enabled());
  EXPECT_TRUE(w->sbSegmentPrev->enabled());
  EXPECT_FALSE(w->RepeatTimer->enabled());
}

TEST_F(BralinWindowTest, ReleaseLostToAModalWindowEndsTheRepeatWithoutSelecting) {
  TBralinForm* w = openTube(9);
  device_->calls.clear();
  press(*w->sbSegmentNext);
  at(1000);
  ASSERT_EQ(segmentLabel(), "Segment 3 (of 1 to 10)");
  ui::app().post([] {
    ui::Owned<ui::Form> box(ui::createForm<ui::Form>(nullptr));
    box->showModal();
  });
  at(1);
  EXPECT_FALSE(w->RepeatTimer->enabled());
  EXPECT_EQ(segmentLabel(), "Segment 1 (of 1 to 10)");
  run(3000);
  release(*w->sbSegmentNext);
  EXPECT_EQ(segmentLabel(), "Segment 1 (of 1 to 10)");
  EXPECT_EQ(calls("SetSubdevice"), 0);
}

TEST_F(BralinWindowTest, SegmentsPerPixelIsClampedOnTheTickAndAShownZeroIsNotWritten) {
  TBralinForm* w = openTube(0);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  EXPECT_EQ(w->seSegmentsPerPixel->caption(), "1") << "a stored 0 shows as the least value";
  run(3000);
  EXPECT_EQ(calls("SetPersonalities"), 0) << "showing it wrote it";

  const std::pair<const char*, int> entries[] = {{"300", 255}, {"0", 1}, {"7", 7}};
  for (const auto& [typed, written] : entries) {
    device_->calls.clear();
    typeInto(*w->seSegmentsPerPixel, typed);
    run(1000);
    EXPECT_EQ(calls("SetPersonalities"), 1) << typed;
    EXPECT_EQ(device_->unit(0)[fd::kPersonality + fdarea::pers::kDmxPixels], written) << typed;
    EXPECT_EQ(w->seSegmentsPerPixel->caption(), std::to_string(written));
  }
  device_->calls.clear();
  run(3000);
  EXPECT_EQ(calls("SetPersonalities"), 0) << "each entry is written once";
}

TEST_F(BralinWindowTest, SelfConfiguredSegmentsShowAutoBoxesAndTheMainUnitShowsTheGroup) {
  TBralinForm* w = openTube(3, {1, 3});
  device_->setAll(fd::kPersonality + fdarea::pers::kDmxAddress, 33);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  EXPECT_TRUE(w->gbSegmentAutoConfig->visible());
  EXPECT_TRUE(w->seDMXAddress->visible());
  EXPECT_FALSE(w->eDMXAddressAuto->visible());

  click(*w->sbSegmentNext);  // segment 2: configures itself
  EXPECT_FALSE(w->gbSegmentAutoConfig->visible());
  EXPECT_FALSE(w->seDMXAddress->visible());
  EXPECT_FALSE(w->cbDMXMode->visible());
  EXPECT_TRUE(w->eDMXAddressAuto->visible());
  EXPECT_FALSE(w->eDMXAddressAuto->enabled());
  EXPECT_EQ(w->eDMXAddressAuto->caption(), "33 (Auto)");
  EXPECT_EQ(w->eDMXModeAuto->caption(), "RGBW (Auto)");

  click(*w->sbSegmentNext);  // segment 3: set by hand
  EXPECT_FALSE(w->gbSegmentAutoConfig->visible());
  EXPECT_TRUE(w->seDMXAddress->visible());
  EXPECT_TRUE(w->cbDMXMode->visible());
  EXPECT_FALSE(w->eDMXModeAuto->visible());
  EXPECT_EQ(calls("SetPersonalities"), 0);
}

TEST_F(BralinWindowTest, ChosenDmxModeIsWrittenAndShowingOneWritesNothing) {
  TBralinForm* w = openTube(0);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  w->UpdateAll();
  EXPECT_EQ(calls("SetPersonalities"), 0);
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbDMXMode, 2));
  EXPECT_EQ(calls("SetPersonalities"), 1);
  EXPECT_EQ(device_->unit(0)[fd::kPersonality + fdarea::pers::kDmxProtocol], 2);
  EXPECT_EQ(w->eDMXModeAuto->caption(), "HSI (Auto)");
}

TEST_F(BralinWindowTest, AutoConfigureChoiceIsSentAndNotedForTheSegment) {
  TBralinForm* w = openTube(2);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*w->cbSegmentAutoConfigure, 1));
  EXPECT_EQ(frames(), (std::vector<Frame>{{svc::kCodeService, 48, 0, 44, 0}}));
  EXPECT_EQ(device_->unit(0)[fd::kPersonality + fdarea::pers::kFlags9] & kAutoConfigureBit,
            kAutoConfigureBit);
  EXPECT_EQ(w->cbSegmentAutoConfigure->itemIndex(), 1);
  EXPECT_EQ(CurrentFixture->WorkBuffer()[0], 1);
}

TEST_F(BralinWindowTest, AutoConfigureNowRunsOnceEvenWhenPressedAgainWhileItWaits) {
  TBralinForm* w = openTube(0);
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsFixtureSettings));
  ui::Cursor during = ui::crDefault;
  ui::app().post([&] {
    during = ui::screen().cursor();
    EXPECT_EQ(w->pAutoConfigureNow->bevelOuter(), ui::BevelCut::Lowered);
    click(*w->pAutoConfigureNow);
  });
  const uint32_t start = sys::tickCount();
  click(*w->pAutoConfigureNow);
  EXPECT_GE(sys::tickCount() - start, 1500u);
  EXPECT_EQ(during, ui::crHourGlass);
  EXPECT_EQ(ui::screen().cursor(), ui::crDefault);
  EXPECT_EQ(frames(),
            (std::vector<Frame>{{svc::kCodeService, 48, 0, 44, 0}, {svc::kCodeService, 5, 1, 44, 0}}));
  EXPECT_EQ(w->pAutoConfigureNow->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(calls("GetPersonalities"), 1);
}

TEST_F(BralinWindowTest, HeldColourPanelLightsTheTubeUntilReleased) {
  TBralinForm* w = openTube(0);
  device_->unit(0)[fd::kPersonality + fdarea::pers::kDmxAddress] = 5;
  ASSERT_TRUE(CurrentFixture->ReadPersonality());
  ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsLedTest));
  ui::Panel& red = *w->pLedTests[0];
  ASSERT_EQ(red.caption(), "Test Red");
  EXPECT_EQ(red.color(), ui::rgb(128, 0, 0));
  press(red);
  const std::vector<Frame> lit = {{svc::kCodeExtended, 100, 255, 44, 4},
                                  {svc::kCodeExtended, 101, 0, 44, 4},
                                  {svc::kCodeExtended, 102, 0, 44, 4},
                                  {svc::kCodeExtended, 104, 0, 44, 4}};
  EXPECT_EQ(frames(), lit);
  EXPECT_EQ(red.color(), ui::rgb(255, 0, 0));
  EXPECT_EQ(red.bevelOuter(), ui::BevelCut::Lowered);
  device_->frames.clear();
  release(red);
  const std::vector<Frame> dark = {{svc::kCodeExtended, 100, 0, 44, 4},
                                   {svc::kCodeExtended, 101, 0, 44, 4},
                                   {svc::kCodeExtended, 102, 0, 44, 4},
                                   {svc::kCodeExtended, 104, 0, 44, 4}};
  EXPECT_EQ(frames(), dark);
  EXPECT_EQ(red.color(), ui::rgb(128, 0, 0));
  EXPECT_EQ(red.bevelOuter(), ui::BevelCut::Raised);

  // White lights only the white channel; a release lost to a modal window darkens the tube all the same.
  press(*w->pLedTests[3]);
  EXPECT_EQ(device_->frames.back()[svc::kValue + 1], 255);
  device_->frames.clear();
  ui::screen().cancelCapture();
  EXPECT_EQ(frames(), dark);
  EXPECT_EQ(w->pLedTests[3]->color(), ui::rgb(128, 128, 128));
}

TEST_F(BralinWindowTest, AutoTestGivesBackTheSegmentAndTheTimerStateItFound) {
  TBralinForm* w = openTube(2);
  click(*w->sbSegmentNext);
  ASSERT_EQ(CurrentFixture->GetCurrentSegment(), 1);
  int runs = 0;
  onAutoTest = [&](TLedAutoTestForm& test) {
    EXPECT_FALSE(w->SAModifiedTimer->enabled()) << "no write-back while the test selects segments";
    ui::input::click(*test.sbCancel);
    ++runs;
  };
  for (bool timerOn : {true, false}) {
    w->SAModifiedTimer->setEnabled(timerOn);
    device_->calls.clear();
    ASSERT_TRUE(ui::input::selectTab(*w->PC1, *w->tsLedTest));
    click(*w->pAutoTestAll);
    EXPECT_EQ(w->SAModifiedTimer->enabled(), timerOn);
    ASSERT_FALSE(device_->calls.empty());
    EXPECT_EQ(calls("SetSubdevice(1,1)"), 1);
    EXPECT_EQ(CurrentFixture->GetCurrentSegment(), 1);
    EXPECT_EQ(w->pAutoTestAll->bevelOuter(), ui::BevelCut::Raised);
  }
  EXPECT_EQ(runs, 2);
}

}  // namespace
