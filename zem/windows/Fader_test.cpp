#include "zem/windows/Fader.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/sys/clock.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/screen.h"

namespace {

class FaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    form_.reset(ui::createForm<ui::Form>(nullptr));
    form_->setBounds(0, 0, 300, 300);
    fader_ = new TFader(form_.get());
    fader_->setParent(form_.get());
    fader_->setBounds(10, 10, 52, 250);
    fader_->OnChange = [this](ui::Component* s) {
      EXPECT_EQ(s, fader_);
      ++changes_;
      byTime_[clock_->tick()] = fader_->Position();
    };
    form_->show();
  }
  void TearDown() override {
    form_.reset();
    ui::app().reset();
  }
  // Runs the message loop one millisecond at a time.
  void runFor(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
      clock_->advance(1);
      ui::app().processMessages();
    }
  }
  int maskHeight() const { return fader_->FaderMask->height(); }
  // The fader has the focus and its Up key has been held down for ms.
  void holdUpKeyFor(uint32_t ms) {
    ASSERT_TRUE(fader_->setFocus());
    ui::input::keyDown(ui::vk::Up);
    runFor(ms);
  }

  sys::ScopedVirtualClock clock_;
  ui::Owned<ui::Form> form_;
  TFader* fader_ = nullptr;
  int changes_ = 0;
  std::map<uint32_t, int> byTime_;
};

TEST_F(FaderTest, StartsAsA0To255FaderAtMin) {
  TFader f(nullptr);
  EXPECT_EQ(f.width(), 52);
  EXPECT_EQ(f.height(), 250);
  EXPECT_EQ(f.Max(), 255);
  EXPECT_EQ(f.Min(), 0);
  EXPECT_EQ(f.Position(), 0);
  EXPECT_EQ(f.PositionLabel->caption(), "0");
  EXPECT_TRUE(f.tabStop());
  EXPECT_FALSE(f.HeaderLabel->enabled());
  EXPECT_FALSE(f.RepeatTimer->enabled());
}

TEST_F(FaderTest, PartsAreStackedFromHeaderToPosition) {
  TFader f(nullptr);
  EXPECT_EQ(f.HeaderLabel->boundsRect(), (ui::Rect{0, 0, 52, 16}));
  EXPECT_EQ(f.UpButton->boundsRect(), (ui::Rect{0, 16, 52, 32}));
  EXPECT_EQ(f.FaderPanel->boundsRect(), (ui::Rect{0, 32, 52, 218}));
  EXPECT_EQ(f.DownButton->boundsRect(), (ui::Rect{0, 218, 52, 234}));
  EXPECT_EQ(f.PositionLabel->boundsRect(), (ui::Rect{0, 234, 52, 250}));
  EXPECT_EQ(f.FaderMask->boundsRect(), (ui::Rect{0, 0, 52, 186})) << "at Min the mask covers the picture";
}

TEST_F(FaderTest, StartsWithItsColoursAndFont) {
  TFader f(nullptr);
  EXPECT_EQ(f.Color(), 0xFF0000u);
  EXPECT_EQ(f.Font().name, "Arial");
  EXPECT_TRUE(f.Font().bold);
  EXPECT_EQ(f.CaptionColor(), ui::clWhite);
  EXPECT_EQ(f.MaskColor(), 0x808080u);
  EXPECT_EQ(f.ButtonColor(), ui::clBtnFace);
}

TEST_F(FaderTest, PositionIsClampedAndEverySetCallsOnChange) {
  fader_->SetPosition(300);
  EXPECT_EQ(fader_->Position(), 255);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(maskHeight(), 0) << "nothing covered at Max";
  fader_->SetPosition(255);
  EXPECT_EQ(changes_, 2) << "an unchanged level still calls OnChange";
  fader_->SetPosition(-7);
  EXPECT_EQ(fader_->Position(), 0);
  EXPECT_EQ(fader_->PositionLabel->caption(), "0");
}

TEST_F(FaderTest, RangeChangesKeepMinBelowMaxWithoutOnChange) {
  fader_->SetPosition(200);
  changes_ = 0;
  fader_->SetMax(100);
  EXPECT_EQ(fader_->Position(), 100);
  EXPECT_EQ(fader_->PositionLabel->caption(), "100");
  EXPECT_EQ(changes_, 0);
  fader_->SetMax(0);
  EXPECT_EQ(fader_->Max(), 100) << "not above Min: ignored";
  fader_->SetMin(100);
  EXPECT_EQ(fader_->Min(), 0) << "not below Max: ignored";
  fader_->SetMin(-100);
  EXPECT_EQ(fader_->Min(), -100);
  EXPECT_EQ(changes_, 0);
}

TEST_F(FaderTest, MaskLineRoundsHalvesToEven) {
  fader_->SetMax(4);  // 186 pixels over 4 units: 46.5 per unit
  fader_->SetPosition(1);
  EXPECT_EQ(maskHeight(), 186 - 46);
  fader_->SetPosition(3);
  EXPECT_EQ(maskHeight(), 186 - 140);
  fader_->SetMaskSize(10);
  EXPECT_EQ(fader_->FaderMask->top(), 186 - 140 - 5);
  EXPECT_EQ(maskHeight(), 10);
}

TEST_F(FaderTest, HeldUpArrowRepeatsFasterAndFaster) {
  // A press on the arrow picture counts as a press on the arrow.
  ASSERT_EQ(ui::input::mouseDown(*fader_->UpButtonImage, 5, 5), fader_->UpButton);
  EXPECT_EQ(fader_->UpButton->bevelOuter(), ui::BevelCut::Lowered);
  EXPECT_TRUE(fader_->focused());
  runFor(2400);
  std::map<uint32_t, int> expected = {{0, 1},    {500, 2},   {900, 3},   {1200, 4},  {1450, 5}, {1650, 6},
                                      {1800, 8}, {1950, 12}, {2100, 19}, {2250, 29}, {2400, 39}};
  EXPECT_EQ(byTime_, expected);
  ui::input::mouseUp(*fader_->UpButton, 5, 5);
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
  EXPECT_EQ(fader_->UpButton->bevelOuter(), ui::BevelCut::Raised);
  runFor(500);
  EXPECT_EQ(fader_->Position(), 39);
}

TEST_F(FaderTest, HeldDownArrowStopsAtMin) {
  fader_->SetPosition(10);
  ui::input::mouseDown(*fader_->DownButton, 5, 5);
  runFor(3000);
  EXPECT_EQ(fader_->Position(), 0);
  EXPECT_TRUE(fader_->RepeatTimer->enabled()) << "the repeat runs until the release";
  ui::input::mouseUp(*fader_->DownButton, 5, 5);
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
}

TEST_F(FaderTest, SmallRangeRepeatKeepsMovingByOne) {
  fader_->SetMax(20);  // 20 div 25 is 0: the step is kept at 1
  ui::input::mouseDown(*fader_->UpButton, 5, 5);
  runFor(2100);
  // 1 at the press, 5 more up to 1650 ms, then one per 150 ms tick.
  EXPECT_EQ(fader_->Position(), 9);
}

TEST_F(FaderTest, AnArrowKeyStepsAtOnceThenRepeatsWhileHeld) {
  ASSERT_TRUE(fader_->setFocus());
  ui::input::keyDown(ui::vk::Up);
  EXPECT_EQ(fader_->Position(), 1);
  EXPECT_EQ(fader_->UpButton->bevelOuter(), ui::BevelCut::Lowered);
  ui::input::keyDown(ui::vk::Up);  // the keyboard's own repeat adds nothing
  EXPECT_EQ(fader_->Position(), 1);
  runFor(500);
  EXPECT_EQ(fader_->Position(), 2);
}

TEST_F(FaderTest, OnlyReleasingTheStartingKeyEndsAKeyRepeat) {
  holdUpKeyFor(500);
  ui::input::keyUp(ui::vk::Down);
  EXPECT_TRUE(fader_->RepeatTimer->enabled()) << "releasing the other arrow key does nothing";
  // A mouse press and release on an arrow during a key repeat does not end it.
  ui::input::mouseDown(*fader_->DownButton, 5, 5);
  ui::input::mouseUp(*fader_->DownButton, 5, 5);
  EXPECT_TRUE(fader_->RepeatTimer->enabled());
  ui::input::keyUp(ui::vk::Up);
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
  EXPECT_EQ(fader_->UpButton->bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(fader_->Position(), 2);
}

TEST_F(FaderTest, AMouseStartedRepeatIgnoresKeyReleases) {
  ASSERT_TRUE(fader_->setFocus());
  ui::input::mouseDown(*fader_->UpButton, 5, 5);
  ui::input::keyUp(ui::vk::Up);
  EXPECT_TRUE(fader_->RepeatTimer->enabled());
  ui::input::mouseUp(*fader_->UpButton, 5, 5);
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
}

TEST_F(FaderTest, AModalBoxTakingTheMouseStopsTheRepeat) {
  ui::input::mouseDown(*fader_->UpButton, 5, 5);
  // The box comes before the button is released.
  ui::Owned<ui::Form> box(ui::createForm<ui::Form>(form_.get()));
  box->showModal();
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
  EXPECT_EQ(fader_->UpButton->bevelOuter(), ui::BevelCut::Raised);
  int level = fader_->Position();
  runFor(1000);
  EXPECT_EQ(fader_->Position(), level);
}

TEST_F(FaderTest, TheDisplayTakingTheCaptureStopsTheRepeatButLeavesTheFocus) {
  ui::input::mouseDown(*fader_->DownButton, 5, 5);
  ASSERT_TRUE(fader_->RepeatTimer->enabled());
  ui::screen().cancelCapture();
  EXPECT_TRUE(fader_->focused());
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
  EXPECT_EQ(fader_->DownButton->bevelOuter(), ui::BevelCut::Raised);
}

TEST_F(FaderTest, LosingTheFocusStopsAKeyRepeat) {
  auto* edit = new ui::Edit(form_.get());
  edit->setParent(form_.get());
  ASSERT_TRUE(fader_->setFocus());
  ui::input::keyDown(ui::vk::Down);
  ASSERT_TRUE(fader_->RepeatTimer->enabled());
  ASSERT_TRUE(edit->setFocus());
  EXPECT_FALSE(fader_->RepeatTimer->enabled());
  EXPECT_EQ(fader_->DownButton->bevelOuter(), ui::BevelCut::Raised);
}

TEST_F(FaderTest, DraggingFollowsTheMouseAndClampsOutsideTheArea) {
  ui::input::mouseDown(*fader_->FaderMask, 10, -5);  // the mask passes presses to the fader area
  EXPECT_TRUE(fader_->Dragging());
  EXPECT_EQ(fader_->Position(), 255);
  ui::input::mouseMove(*fader_->FaderPanel, 10, 50);
  EXPECT_EQ(fader_->Position(), 255 - 69);  // 50 pixels are 68.5... units
  int before = changes_;
  ui::input::mouseMove(*fader_->FaderPanel, 30, 50);
  EXPECT_EQ(changes_, before) << "no vertical movement, no change";
  ui::input::mouseMove(*form_, 20, 290);  // far below the fader
  EXPECT_EQ(fader_->Position(), 0);
  ui::input::mouseUp(*form_, 20, 290);
  EXPECT_FALSE(fader_->Dragging());
  ui::input::mouseMove(*fader_->FaderPanel, 10, 0);
  EXPECT_EQ(fader_->Position(), 0);
}

TEST_F(FaderTest, ASignedSixteenBitRangeShowsAndDragsItsLevels) {
  fader_->SetMin(-32768);
  fader_->SetMax(32767);
  fader_->SetPosition(-10);
  EXPECT_EQ(fader_->PositionLabel->caption(), "-10");
  EXPECT_EQ(maskHeight(), 186 - 93);  // 32758 of 65535 units over 186 pixels: 92.97...
  ui::input::mouseDown(*fader_->FaderPanel, 10, 0);
  EXPECT_EQ(fader_->Position(), 32767);
  ui::input::mouseMove(*fader_->FaderPanel, 10, 186);
  EXPECT_EQ(fader_->Position(), -32768);
  EXPECT_EQ(maskHeight(), 186);
  ui::input::mouseUp(*fader_->FaderPanel, 10, 186);
}

TEST_F(FaderTest, NarrowedToASignedByteTheLevelIsKeptInsideWithoutAChange) {
  fader_->SetMin(-32768);
  fader_->SetMax(32767);
  fader_->SetPosition(32767);
  changes_ = 0;
  fader_->SetMin(-128);
  fader_->SetMax(127);
  EXPECT_EQ(fader_->Position(), 127);
  EXPECT_EQ(changes_, 0);
}

TEST_F(FaderTest, ASixteenBitRangesHeldArrowStepsPastAByteRangesCap) {
  fader_->SetMax(65535);
  ui::input::mouseDown(*fader_->UpButton, 5, 5);
  runFor(6000);
  ui::input::mouseUp(*fader_->UpButton, 5, 5);
  // A byte range's step stops growing at 10; this range's cap is 2621.
  auto last = byTime_.rbegin();
  EXPECT_EQ(last->second - std::next(last)->second, 246);
}

TEST_F(FaderTest, TheUpArrowGlyphIsDrawnInShadesOfTheButtonColour) {
  fader_->SetButtonColor(ui::rgb(100, 10, 250));
  EXPECT_EQ(fader_->UpButton->color(), ui::rgb(100, 10, 250));
  const ui::Bitmap& up = fader_->UpButtonImage->picture();
  ASSERT_EQ(up.width(), 32);
  ASSERT_EQ(up.height(), 10);
  EXPECT_EQ(up.pixelFormat(), ui::PixelFormat::Bit4);
  ASSERT_EQ(up.palette().size(), 16u);
  EXPECT_EQ(up.palette()[0], ui::clBlack);
  EXPECT_EQ(up.palette()[1], ui::rgb(60, 0, 210));
  EXPECT_EQ(up.palette()[3], ui::rgb(100, 10, 250));
  EXPECT_EQ(up.palette()[5], ui::rgb(140, 50, 255));
  EXPECT_EQ(up.pixelValue(15, 0), 5u);
  EXPECT_EQ(up.pixelValue(0, 8), 5u);
  EXPECT_EQ(up.pixelValue(1, 9), 1u);
  EXPECT_TRUE(up.transparent());
  EXPECT_EQ(up.transparentColor(), ui::clBlack);
}

TEST_F(FaderTest, TheDownArrowGlyphSharesTheUpArrowsShades) {
  fader_->SetButtonColor(ui::rgb(100, 10, 250));
  const ui::Bitmap& down = fader_->DownButtonImage->picture();
  EXPECT_EQ(down.pixelValue(0, 1), 2u);
  EXPECT_EQ(down.pixelValue(15, 9), 1u);
  EXPECT_EQ(down.palette(), fader_->UpButtonImage->picture().palette());
}

TEST_F(FaderTest, TheCaptionIsTheNameUntilOneIsSet) {
  fader_->setName("frCyan");
  EXPECT_EQ(fader_->Caption(), "frCyan");
  fader_->SetCaption("Cyan");
  fader_->setName("frOther");
  EXPECT_EQ(fader_->HeaderLabel->caption(), "Cyan");
}

TEST_F(FaderTest, ArrowsOnlyHidesBothLabelsAndGivesThePanelTheirRoom) {
  fader_->SetStyle(apArrows);
  EXPECT_FALSE(fader_->HeaderLabel->visible());
  EXPECT_FALSE(fader_->PositionLabel->visible());
  EXPECT_EQ(fader_->FaderPanel->boundsRect(), (ui::Rect{0, 16, 52, 234}));
}

TEST_F(FaderTest, ThePictureIsTheImageListsEntryAtTheIndex) {
  ui::ImageList list(nullptr);
  list.add(ui::Bitmap(40, 100));
  fader_->SetImageIndex(5);
  fader_->SetImageList(&list);
  EXPECT_TRUE(fader_->Picture().empty()) << "no image 5 in the list";
  fader_->SetImageIndex(0);
  EXPECT_EQ(fader_->Picture().width(), 40);
}

TEST_F(FaderTest, AutoSizeFitsThePictureAndEveryPart) {
  ui::ImageList list(nullptr);
  list.add(ui::Bitmap(40, 100));
  fader_->SetImageList(&list);
  fader_->SetImageIndex(0);
  fader_->SetStyle(kAllAppearenceStyles);
  fader_->SetAutoSize(true);
  EXPECT_EQ(fader_->width(), 40);
  EXPECT_EQ(fader_->height(), 100 + 16 + 16 + 32);
}

TEST_F(FaderTest, FreedImageListIsForgotten) {
  auto* list = new ui::ImageList(nullptr);
  fader_->SetImageList(list);
  list->free();
  EXPECT_EQ(fader_->ImageList(), nullptr);
  fader_->SetImageIndex(0);  // must not touch the freed list
}

}  // namespace
