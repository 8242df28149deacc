// The auto-test window over a scripted chain: the order of segments and colours, its timing and speed
// buttons, and how it ends.
#include "zem/modelwindows/LedAutoTest.h"

#include <gtest/gtest.h>

#include "zem/model/BralinModel.h"
#include "zem/model/KandrelModel.h"
#include "zem/modelwindows/subdevice_test_support.h"

namespace {

using Values = std::array<uint8_t, 5>;
const Values kRed = {255, 0, 0, 0, 0};
const Values kGreen = {0, 255, 0, 0, 0};
const Values kBlue = {0, 0, 255, 0, 0};
const Values kOff = {0, 0, 0, 0, 0};

class LedAutoTestTest : public subdevtest::WindowTest {
 protected:
  // Runs the strip's test modally until `sends` LED sends have gone out, then presses Cancel.
  template <class Test>
  ui::ModalResult runUntil(size_t sends) {
    if (!owner_) owner_.reset(ui::createForm<ui::Form>(nullptr));
    owner_->show();
    onAutoTest = [this, sends](TLedAutoTestForm& test) {
      if (device_->ledSends.size() >= sends) ui::input::click(*test.sbCancel);
    };
    ui::Owned<Test> test(ui::createForm<Test>(owner_.get()));
    return test->showModal();
  }
  // The lit sends (every other send switches the segment off again): unit and values.
  std::vector<std::pair<int, Values>> lit() const {
    std::vector<std::pair<int, Values>> out;
    for (size_t i = 0; i < device_->ledSends.size(); i += 2)
      out.emplace_back(device_->ledSends[i].unit, device_->ledSends[i].values);
    return out;
  }
};

TEST_F(LedAutoTestTest, StripLightsEverySegmentInRedThenGreenThenBlue) {
  chain<TZemFixtureKandrel>(2, "KANDT", 1);
  FixtureData[fd::kSubdeviceCount] = 2;
  EXPECT_EQ(runUntil<TKandrelAutoTest>(20), ui::ModalResult::Cancel);
  const std::vector<std::pair<int, Values>> expected = {{0, kRed},   {1, kRed},   {2, kRed},  {0, kGreen},
                                                        {1, kGreen}, {2, kGreen}, {0, kBlue}, {1, kBlue},
                                                        {2, kBlue},  {0, kRed}};
  EXPECT_EQ(lit(), expected);
  for (size_t i = 1; i < device_->ledSends.size(); i += 2) EXPECT_EQ(device_->ledSends[i].values, kOff);
}

TEST_F(LedAutoTestTest, SingleSegmentTubeShowsEveryColourInTurn) {
  chain<TZemFixtureBralin>(0, "BRALB");
  device_->setAll(fd::kPersonality + fdarea::pers::kDmxAddress, 9);
  std::vector<std::string> labels;
  ui::Owned<ui::Form> owner(ui::createForm<ui::Form>(nullptr));
  owner->show();
  ui::Owned<TBralinAutotestForm> test(ui::createForm<TBralinAutotestForm>(owner.get()));
  EXPECT_EQ(test->caption(), "Auto test in progress...");
  EXPECT_EQ(test->lSubDevice->caption(), "");
  EXPECT_EQ(test->lColorIndex->caption(), "");
  onAutoTest = [&](TLedAutoTestForm& t) {
    const std::string shown = t.lSubDevice->caption() + " / " + t.lColorIndex->caption();
    if (labels.empty() || labels.back() != shown) labels.push_back(shown);
    if (labels.size() > 5) ui::input::click(*t.sbCancel);
  };
  test->showModal();
  EXPECT_EQ(labels,
            (std::vector<std::string>{" / ", "DMXAdr:  9 / ColorIndex: Red", "DMXAdr:  9 / ColorIndex: Green",
                                      "DMXAdr:  9 / ColorIndex: Blue", "DMXAdr:  9 / ColorIndex: White",
                                      "DMXAdr:  9 / ColorIndex: Red"}));
  // Each colour goes out as extended frames to the tube's DMX address; white on function 104.
  ASSERT_GE(device_->frames.size(), 16u);
  const auto& whiteFrame = device_->frames[8 * 3 + 3];
  EXPECT_EQ(whiteFrame[svc::kFunction], 104);
  EXPECT_EQ(whiteFrame[svc::kValue + 1], 255);
  EXPECT_EQ(whiteFrame[svc::kExtra + 1], 8);
}

TEST_F(LedAutoTestTest, StripLabelsReadQuodraAndLedUntilTheFirstTick) {
  chain<TZemFixtureKandrel>(0, "KANDT", 1);
  ui::Owned<ui::Form> owner(ui::createForm<ui::Form>(nullptr));
  ui::Owned<TKandrelAutoTest> test(ui::createForm<TKandrelAutoTest>(owner.get()));
  EXPECT_EQ(test->caption(), "Auto test");
  EXPECT_EQ(test->lSubDevice->caption(), "Quodra");
  EXPECT_EQ(test->lColorIndex->caption(), "LED");
  EXPECT_EQ(test->Timer1->interval(), 500u);
  EXPECT_TRUE(test->Timer1->enabled());
}

TEST_F(LedAutoTestTest, FasterAndSlowerStepBy200WithinTheirLimits) {
  chain<TZemFixtureKandrel>(0, "KANDT", 1);
  ui::Owned<ui::Form> owner(ui::createForm<ui::Form>(nullptr));
  ui::Owned<TKandrelAutoTest> test(ui::createForm<TKandrelAutoTest>(owner.get()));
  CurrentFixture = nullptr;  // no ticks meanwhile
  test->show();
  std::vector<uint32_t> intervals;
  for (int i = 0; i < 3; ++i) {
    ui::input::click(*test->sbFaster);
    intervals.push_back(test->Timer1->interval());
  }
  EXPECT_EQ(intervals, (std::vector<uint32_t>{300, 100, 100}));
  EXPECT_FALSE(test->sbFaster->enabled());
  EXPECT_TRUE(test->sbSlower->enabled());
  intervals.clear();
  for (int i = 0; i < 6; ++i) {
    ui::input::click(*test->sbSlower);
    intervals.push_back(test->Timer1->interval());
  }
  EXPECT_EQ(intervals, (std::vector<uint32_t>{300, 500, 700, 900, 1100, 1100}));
  EXPECT_FALSE(test->sbSlower->enabled());
  EXPECT_TRUE(test->sbFaster->enabled());
}

TEST_F(LedAutoTestTest, EachSegmentIsLitFiftyMillisecondsShortOfTheInterval) {
  chain<TZemFixtureKandrel>(1, "KANDT", 1);
  FixtureData[fd::kSubdeviceCount] = 1;
  owner_.reset(ui::createForm<ui::Form>(nullptr));
  owner_->show();
  ui::Owned<TKandrelAutoTest> test(ui::createForm<TKandrelAutoTest>(owner_.get()));
  bool faster = false;
  onAutoTest = [&](TLedAutoTestForm& t) {
    if (!faster) {
      ui::input::click(*t.sbFaster);
      ui::input::click(*t.sbFaster);
      faster = true;
    }
    if (device_->ledSends.size() >= 8) ui::input::click(*t.sbCancel);
  };
  test->showModal();
  ASSERT_GE(device_->ledSends.size(), 8u);
  for (size_t i = 0; i + 1 < 8; i += 2) {
    EXPECT_EQ(device_->ledSends[i + 1].tick - device_->ledSends[i].tick, 50u) << i;
    if (i >= 2) {
      EXPECT_EQ(device_->ledSends[i].tick - device_->ledSends[i - 2].tick, 100u) << "one step per interval";
    }
  }
}

// While a segment is lit the window keeps taking its buttons: Slower at once (the lit step keeps its own
// time, the next steps take the new one), and Cancel, which darkens the segment as the window goes.
TEST_F(LedAutoTestTest, ButtonsAreTakenWhileASegmentIsLitAndCancelDarkensIt) {
  chain<TZemFixtureKandrel>(1, "KANDT", 1);
  FixtureData[fd::kSubdeviceCount] = 1;
  owner_.reset(ui::createForm<ui::Form>(nullptr));
  owner_->show();
  ui::Owned<TKandrelAutoTest> test(ui::createForm<TKandrelAutoTest>(owner_.get()));
  uint32_t last = sys::tickCount();
  uint32_t longest = 0;
  uint32_t cancelledAt = 0;
  bool slower = false;
  onAutoTest = [&](TLedAutoTestForm& t) {
    const uint32_t now = sys::tickCount();
    longest = std::max(longest, now - last);
    last = now;
    if (t.Lit() && !slower) {
      for (int i = 0; i < 3; ++i) ui::input::click(*t.sbSlower);
      EXPECT_EQ(t.Timer1->interval(), 1100u);
      EXPECT_FALSE(t.sbSlower->enabled());
      slower = true;
    }
    if (t.Lit() && device_->ledSends.size() >= 7 && cancelledAt == 0) {
      cancelledAt = now;
      ui::input::click(*t.sbCancel);
    }
  };
  EXPECT_EQ(test->showModal(), ui::ModalResult::Cancel);
  EXPECT_LE(longest, 100u) << "the longest time the window did not look at its buttons";
  const auto& sends = device_->ledSends;
  ASSERT_EQ(sends.size(), 8u);
  EXPECT_EQ(sends[1].tick - sends[0].tick, 450u);
  EXPECT_EQ(sends[3].tick - sends[2].tick, 1050u);
  EXPECT_EQ(sends[4].tick - sends[2].tick, 1100u);
  EXPECT_EQ(sends[5].tick - sends[4].tick, 1050u);
  EXPECT_EQ(sends[7].values, kOff);
  EXPECT_EQ(sends[7].tick, cancelledAt) << "dark as the window goes";
  EXPECT_FALSE(test->Lit());
}

// A link that takes its time: each lit send takes the next of litSendMs_ in turn, each dark send 10 ms.
// Every segment goes dark the interval less 50 ms after its step began (or, when the link took longer than
// that, as soon as its lit send is through), before the next step lights another, and the dark goes to the
// segment lit.
class TimedLinkAutoTestTest : public LedAutoTestTest {
 protected:
  void SetUp() override {
    LedAutoTestTest::SetUp();
    chain<TZemFixtureKandrel>(2, "KANDT", 1);
    FixtureData[fd::kSubdeviceCount] = 2;
    device_->onSendLed = [this] {
      if (device_->ledSends.back().values == kOff) {
        clock_->advance(kDarkSendMs);
      } else {
        clock_->advance(litSendMs(litSends_++));
      }
    };
  }
  uint32_t litSendMs(size_t step) const { return litSendMs_[step % litSendMs_.size()]; }
  // Runs the test at `faster` clicks of Faster from 500 ms for six steps, then cancels; checks that each dark
  // follows its own step's light and notes the longest time the window did not look at its buttons.
  void runSixStepsAt(int faster) {
    owner_.reset(ui::createForm<ui::Form>(nullptr));
    owner_->show();
    ui::Owned<TKandrelAutoTest> test(ui::createForm<TKandrelAutoTest>(owner_.get()));
    uint32_t last = sys::tickCount();
    bool clicked = false;
    onAutoTest = [&, faster](TLedAutoTestForm& t) {
      if (!clicked) {
        for (int i = 0; i < faster; ++i) ui::input::click(*t.sbFaster);
        clicked = true;
      }
      const uint32_t now = sys::tickCount();
      longest_ = std::max(longest_, now - last);
      last = now;
      if (device_->ledSends.size() >= 2 * kSteps) ui::input::click(*t.sbCancel);
    };
    EXPECT_EQ(test->showModal(), ui::ModalResult::Cancel);
    const auto& s = device_->ledSends;
    ASSERT_GE(s.size(), 2 * kSteps);
    ASSERT_EQ(s.size() % 2, 0u) << "a segment was left lit";
    for (size_t i = 0; i < s.size(); i += 2) {
      EXPECT_NE(s[i].values, kOff) << i;
      EXPECT_EQ(s[i + 1].values, kOff) << i;
      EXPECT_EQ(s[i + 1].unit, s[i].unit) << "the dark went to another segment, at " << i;
    }
    for (size_t i = 0; i < 2 * kSteps; i += 2) units_.push_back(s[i].unit);
  }
  // How long after its step began (its lit send) each of the six steps went dark, and how long after the
  // step before it began.
  std::vector<uint32_t> litFor() const {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < 2 * kSteps; i += 2)
      out.push_back(device_->ledSends[i + 1].tick - device_->ledSends[i].tick);
    return out;
  }
  std::vector<uint32_t> stepsApart() const {
    std::vector<uint32_t> out;
    for (size_t i = 2; i < 2 * kSteps; i += 2)
      out.push_back(device_->ledSends[i].tick - device_->ledSends[i - 2].tick);
    return out;
  }
  static constexpr size_t kSteps = 6;
  static constexpr uint32_t kDarkSendMs = 10;
  std::vector<uint32_t> litSendMs_ = {60, 70, 80};
  size_t litSends_ = 0;
  uint32_t longest_ = 0;
  std::vector<int> units_;
};

TEST_F(TimedLinkAutoTestTest, ASlowLinkLeavesEachSegmentLitTheIntervalLess50) {
  runSixStepsAt(0);
  EXPECT_EQ(litFor(), std::vector<uint32_t>(kSteps, 450));
  EXPECT_EQ(stepsApart(), std::vector<uint32_t>(kSteps - 1, 500));
  EXPECT_EQ(units_, (std::vector<int>{0, 1, 2, 0, 1, 2}));
  EXPECT_LE(longest_, 100u) << "the longest time the window did not look at its buttons";
}

TEST_F(TimedLinkAutoTestTest, AFasterLinkAt100MsLeavesEachSegmentLit50Ms) {
  litSendMs_ = {30};
  runSixStepsAt(2);
  EXPECT_EQ(litFor(), std::vector<uint32_t>(kSteps, 50));
  EXPECT_EQ(stepsApart(), std::vector<uint32_t>(kSteps - 1, 100));
}

TEST_F(TimedLinkAutoTestTest, ALinkSlowerThanTheLitTimeDarkensEachSegmentBeforeTheNextStep) {
  runSixStepsAt(2);  // 100 ms: 50 ms lit, less than the link takes
  // Dark as soon as the lit send is through.
  std::vector<uint32_t> throughAt;
  for (size_t k = 0; k < kSteps; ++k) throughAt.push_back(litSendMs(k));
  EXPECT_EQ(litFor(), throughAt);
  EXPECT_EQ(stepsApart(), std::vector<uint32_t>(kSteps - 1, 100));
  EXPECT_LE(longest_, 100u) << "the longest time the window did not look at its buttons";
}

TEST_F(LedAutoTestTest, NoTickRunsInsideAnotherWhileALinkBoxIsOpen) {
  chain<TZemFixtureKandrel>(1, "KANDT", 1);
  FixtureData[fd::kSubdeviceCount] = 1;
  bool inBox = false;
  int nested = 0;
  device_->onSendLed = [&] {
    if (inBox) {
      ++nested;
      return;
    }
    if (device_->ledSends.size() != 1) return;
    // The link reports a failure; while its box is up two more seconds pass in its message loop.
    inBox = true;
    clock_->advance(2000);
    ui::showErrorBox("link failure");
    inBox = false;
  };
  onErrorBox = [&] { clock_->advance(1000); };
  EXPECT_EQ(runUntil<TKandrelAutoTest>(6), ui::ModalResult::Cancel);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(errors, (std::vector<std::string>{"link failure"}));
  EXPECT_EQ(lit()[1].first, 1) << "the test went on with the next segment";
}

TEST_F(LedAutoTestTest, SendThatRaisesEndsTheTestWithOneMessage) {
  chain<TZemFixtureBralin>(1, "BRALB");
  device_->setAll(fd::kPersonality + fdarea::pers::kDmxAddress, 0);  // no DMX channel to name
  owner_.reset(ui::createForm<ui::Form>(nullptr));
  owner_->show();
  ui::Owned<TBralinAutotestForm> test(ui::createForm<TBralinAutotestForm>(owner_.get()));
  int passes = 0;
  onAutoTest = [&](TLedAutoTestForm&) {
    if (++passes > 5000) ADD_FAILURE() << "the test did not end";
  };
  EXPECT_EQ(test->showModal(), ui::ModalResult::Cancel);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("DMX address"), std::string::npos) << errors[0];
  EXPECT_FALSE(test->Timer1->enabled());
  EXPECT_TRUE(device_->frames.empty());
}

}  // namespace
