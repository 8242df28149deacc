#include "mendaro/CMendaroDlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mendaro/BoxPicture.h"
#include "mendaro/MendaroTexts.h"
#include "mendaro/mendaro_test_support.h"

namespace mendaro {
namespace {

using testing::configuredBlock;
using ::testing::ElementsAre;
using testing::rawBlock;

class DialogTest : public testing::MendaroDialogTest {};

TEST_F(DialogTest, ListsEachBoxWithItsVersionAndUniverses) {
  EXPECT_FALSE(dlg->bUpdate->enabled());
  EXPECT_FALSE(dlg->bClearConfig->enabled());
  EXPECT_EQ(universes(), "1/2 OUT/OUT");
  attach({{.bcdDevice = 0x0102, .configBlock = rawBlock({0, 0, 0xA4, 0x5B, 3, 4})},
          {.productId = 0xF028, .bcdDevice = 0x0104}});
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.02  A:3  B:4",
                                   "Tavren omnex USB DMX v01.04 unconfigured"));
  EXPECT_EQ(dlg->lbDevices->items().data(1), 1u);
  EXPECT_TRUE(dlg->bUpdate->enabled());
  EXPECT_TRUE(dlg->bClearConfig->enabled());
  EXPECT_EQ(dlg->Selection(), -1);
}

TEST_F(DialogTest, AnotherProductIsNotListed) {
  attach({{.productId = 0xF0AA}});
  plug({.productId = 0xF0AB});
  pass(CMendaroDlg::kWatchMs);
  EXPECT_EQ(lines().size(), 1u);
}

// The pick rule's examples.
TEST_F(DialogTest, TwoUnconfiguredBoxesShowOneAndTwoOnEveryPick) {
  attach({{}, {}});
  ASSERT_TRUE(pick(0));
  EXPECT_EQ(universes(), "1/2 OUT/OUT");
  type(dlg->reUniverseA, "9");
  ASSERT_TRUE(pick(1));
  EXPECT_EQ(universes(), "1/2 OUT/OUT");
  ASSERT_TRUE(pick(0));
  EXPECT_EQ(universes(), "1/2 OUT/OUT");
}

TEST_F(DialogTest, AfterAConfiguredBoxTheNextUnconfiguredOneFollowsOn) {
  attach({{.configBlock = configuredBlock(5, 6, 1, 0)}, {}});
  ASSERT_TRUE(pick(0));
  EXPECT_EQ(universes(), "5/6 IN/OUT");
  EXPECT_TRUE(dlg->cbInputA->checked());
  ASSERT_TRUE(pick(1));
  EXPECT_EQ(universes(), "7/8 OUT/OUT");
  EXPECT_FALSE(dlg->cbInputA->checked());
}

TEST_F(DialogTest, TheRaiseStopsAtTheLastUniverse) {
  attach({{.configBlock = configuredBlock(30, 31)}, {}});
  ASSERT_TRUE(pick(0));
  ASSERT_TRUE(pick(1));
  EXPECT_EQ(universes(), "32/31 OUT/OUT");
}

TEST_F(DialogTest, PickingTheSameBoxAgainChangesNothing) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  type(dlg->reUniverseA, "12");
  bus->clearTransfers();
  ASSERT_TRUE(pick(0));
  EXPECT_EQ(universes(), "12/6 OUT/OUT");
  EXPECT_TRUE(bus->transfers().empty());
}

TEST_F(DialogTest, TheIdentifySignalMovesWithThePickAndTheLampBlinks) {
  auto boxes = attach({{}, {}});
  ui::PictureCanvas& lamp = dlg->imBox->canvas();
  const ui::Color dark = lamp.pixel(kLampBody.left, kLampBody.top);
  pass(CMendaroDlg::kLampMs);
  EXPECT_EQ(lamp.pixel(kLampBody.left, kLampBody.top), dark) << "no blinking before the first pick";
  ASSERT_TRUE(pick(0));
  EXPECT_TRUE(boxes[0].box->identify().on);
  EXPECT_EQ(boxes[0].box->identify().brightness, 0xFF);
  ASSERT_TRUE(pick(1));
  EXPECT_FALSE(boxes[0].box->identify().on);
  EXPECT_TRUE(boxes[1].box->identify().on);
  EXPECT_TRUE(dlg->Blinking());
  pass(CMendaroDlg::kLampMs);
  EXPECT_EQ(lamp.pixel(164, 95), CMendaroDlg::kLampGreen);
  EXPECT_EQ(lamp.pixel(170, 99), CMendaroDlg::kLampGreen);
  EXPECT_EQ(lamp.pixel(165, 94), CMendaroDlg::kLampGreen);
  EXPECT_EQ(lamp.pixel(169, 100), CMendaroDlg::kLampGreen);
  EXPECT_NE(lamp.pixel(164, 94), CMendaroDlg::kLampGreen) << "the corners stay: the lamp looks round";
  EXPECT_NE(lamp.pixel(171, 97), CMendaroDlg::kLampGreen);
  pass(CMendaroDlg::kLampMs);
  EXPECT_EQ(lamp.pixel(164, 95), CMendaroDlg::kLampOrange);
  EXPECT_EQ(ui::redOf(CMendaroDlg::kLampOrange), 0xE9);
}

TEST_F(DialogTest, UpdateWritesUniversesAndDirectionsAndKeepsTheFirmwareBytes) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  type(dlg->reUniverseA, "12");
  type(dlg->reUniverseB, "13");
  ASSERT_TRUE(ui::input::click(*dlg->cbInputA));
  EXPECT_EQ(universes(), "12/13 IN/OUT");
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  EXPECT_THAT(boxes[0].box->configBlock(), ElementsAre(0xE0, 0xE1, 0xA4, 0x5B, 12, 13, 1, 0, 0xE8, 0xE9, 0xEA,
                                                       0xEB, 0xEC, 0xED, 0xEE, 0xEF));
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.04  A:12  B:13"));
  EXPECT_EQ(dlg->lbDevices->itemIndex(), 0);
  EXPECT_TRUE(log().empty());
}

TEST_F(DialogTest, ClearConfigClearsTheBlockButNotTheFields) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6, 1, 1)}});
  ASSERT_TRUE(pick(0));
  ASSERT_TRUE(ui::input::click(*dlg->bClearConfig));
  EXPECT_THAT(boxes[0].box->configBlock(),
              ElementsAre(0xE0, 0xE1, 0, 0, 1, 2, 0, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF));
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.04 unconfigured"));
  EXPECT_EQ(universes(), "5/6 IN/IN");
}

TEST_F(DialogTest, UpdateAndClearNeedAPick) {
  attach({{}});
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  ASSERT_TRUE(ui::input::click(*dlg->bClearConfig));
  EXPECT_THAT(log(), ElementsAre(text::kSelectDevice, text::kSelectDevice, ""));
  EXPECT_EQ(blockWrites(), 0u);
}

// An unplug shifts the boxes after it up the list: the highlight follows the box, never the line.
TEST_F(DialogTest, AnUnplugNeverMovesTheHighlightOntoAnotherBox) {
  auto boxes = attach({{.configBlock = configuredBlock(1, 2)},
                       {.configBlock = configuredBlock(3, 4)},
                       {.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  unplug(boxes[0], 2);
  EXPECT_EQ(dlg->lbDevices->itemIndex(), -1) << "the picked box is gone: no highlight";
  EXPECT_EQ(dlg->Selection(), -1);
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  ASSERT_TRUE(ui::input::click(*dlg->bClearConfig));
  EXPECT_THAT(log(), ElementsAre(text::kSelectDevice, text::kSelectDevice, ""));
  EXPECT_EQ(blockWrites(), 0u);
  EXPECT_EQ(boxes[1].box->configBlock(), configuredBlock(3, 4));
}

TEST_F(DialogTest, AfterAnUnplugThePickedBoxKeepsItsHighlightButStopsItsIdentify) {
  auto boxes = attach({{}, {}, {}});
  ASSERT_TRUE(pick(2));
  ASSERT_TRUE(boxes[2].box->identify().on);
  unplug(boxes[0], 2);
  EXPECT_EQ(dlg->lbDevices->itemIndex(), 1) << "the same box, one line up";
  EXPECT_EQ(dlg->Selection(), -1) << "a change in the number of boxes forgets the pick";
  EXPECT_FALSE(boxes[2].box->identify().on);
  // Picking the highlighted line again picks the box again.
  ASSERT_TRUE(pick(1));
  EXPECT_TRUE(boxes[2].box->identify().on);
  EXPECT_EQ(dlg->Selection(), 1);
}

// The number of boxes stays, the box does not: the new one is listed and written under its own handle.
TEST_F(DialogTest, ABoxSwappedWithinOneWatchIsReadAnew) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  const uint32_t seen = dlg->Device()->GetListGeneration();
  bus->unplug(boxes[0].address);
  Plugged other = plug({.bcdDevice = 0x0105, .configBlock = configuredBlock(7, 8)});
  ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetListGeneration() == seen + 2; }));
  pass(CMendaroDlg::kWatchMs);
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.05  A:7  B:8"));
  EXPECT_EQ(dlg->Selection(), -1) << "the picked box is gone";
  ASSERT_TRUE(pick(0));
  EXPECT_TRUE(other.box->identify().on);
  type(dlg->reUniverseA, "9");
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  EXPECT_TRUE(log().empty()) << ::testing::PrintToString(log());
  EXPECT_EQ(other.box->configBlock(), configuredBlock(9, 8));
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.05  A:9  B:8"));
}

class FailedReadTest : public DialogTest, public ::testing::WithParamInterface<simusb::FaultKind> {};

// A block that could not be read holds nothing of the box's: writing it would overwrite the firmware's bytes.
TEST_P(FailedReadTest, ABoxWhoseBlockCouldNotBeReadIsNotWritten) {
  auto p = plug({.configBlock = configuredBlock(5, 6)});
  ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetDeviceCount() == 1; }));
  bus->injectFault(p.address, {.kind = GetParam(), .pipe = simusb::kControlPipe, .shortBytes = 15});
  pass(CMendaroDlg::kWatchMs);
  EXPECT_THAT(log(), ElementsAre(text::kReadFailed, ""));
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.04 unconfigured"));
  ASSERT_TRUE(pick(0));
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  ASSERT_TRUE(ui::input::click(*dlg->bClearConfig));
  EXPECT_THAT(log(), ElementsAre(text::kReadFailed, text::kNotReadNotWritten, text::kNotReadNotWritten, ""));
  EXPECT_EQ(blockWrites(), 0u);
  EXPECT_EQ(p.box->configBlock(), configuredBlock(5, 6));
}
INSTANTIATE_TEST_SUITE_P(StatusOrShortRead, FailedReadTest,
                         ::testing::Values(simusb::FaultKind::Status, simusb::FaultKind::ShortRead));

TEST_F(DialogTest, ARefusedUniverseIsNeverWritten) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  type(dlg->reUniverseA, "40");
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  type(dlg->reUniverseA, "\b");  // Backspace empties it
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  type(dlg->reUniverseA, "0");
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  ASSERT_EQ(ui::shownMessageBoxes().size(), 3u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "Please enter an integer between 1 and 32.");
  EXPECT_EQ(ui::shownMessageBoxes()[1].text, "Please enter an integer.");
  EXPECT_EQ(ui::shownMessageBoxes()[2].text, "Please enter an integer between 1 and 32.");
  EXPECT_EQ(blockWrites(), 0u);
  EXPECT_EQ(boxes[0].box->configBlock(), configuredBlock(5, 6));
  EXPECT_EQ(dlg->UniverseA(), 5) << "the stored universe stays";
}

TEST_F(DialogTest, AFailedWriteKeepsTheEntryAsTheBoxHasIt) {
  auto boxes = attach({{.configBlock = configuredBlock(5, 6)}});
  ASSERT_TRUE(pick(0));
  type(dlg->reUniverseA, "9");
  bus->injectFault(boxes[0].address, {.kind = simusb::FaultKind::Stall, .pipe = simusb::kControlPipe});
  ASSERT_TRUE(ui::input::click(*dlg->bUpdate));
  EXPECT_THAT(log(), ElementsAre(text::kWriteFailed, ""));
  EXPECT_THAT(lines(), ElementsAre("Tavren omnex USB DMX v01.04  A:5  B:6"));
  EXPECT_TRUE(dlg->Box(0).configured);
}

TEST_F(DialogTest, UpDownArrowsStepTheUniverseWithinItsRange) {
  attach({{.configBlock = configuredBlock(31, 2)}});
  ASSERT_TRUE(pick(0));
  ui::UpDown* a = dlg->udUniverseA;
  const int right = a->width() - 2;
  ui::input::mouseDown(*a, right, 5);  // raises
  ui::input::mouseUp(*a, right, 5);
  ui::input::mouseDown(*a, right, 5);  // stays at 32
  ui::input::mouseUp(*a, right, 5);
  ui::input::mouseDown(*dlg->udUniverseB, 2, 5);  // lowers B to 1
  ui::input::mouseUp(*dlg->udUniverseB, 2, 5);
  ui::input::mouseDown(*dlg->udUniverseB, 2, 5);  // stays at 1
  ui::input::mouseUp(*dlg->udUniverseB, 2, 5);
  EXPECT_EQ(universes(), "32/1 OUT/OUT");
}

TEST_F(DialogTest, MoreThanSixteenBoxesKeepTheListAsItWas) {
  std::vector<simusb::DmxBoxConfig> sixteen(16);
  attach(sixteen);
  EXPECT_EQ(lines().size(), 16u);
  plug({});
  watch(17);
  pass(CMendaroDlg::kWatchMs);
  EXPECT_THAT(log(), ElementsAre(text::kTooManyDevices, text::kTooManyDevices, ""));
  EXPECT_EQ(lines().size(), 16u);
  EXPECT_EQ(dlg->BoxCount(), 16);
}

TEST_F(DialogTest, NoBoxesLeftDisablesTheButtons) {
  auto boxes = attach({{}});
  unplug(boxes[0], 0);
  EXPECT_TRUE(lines().empty());
  EXPECT_FALSE(dlg->bUpdate->enabled());
  EXPECT_FALSE(dlg->bClearConfig->enabled());
}

TEST_F(DialogTest, CloseEndsTheIdentifySignal) {
  auto boxes = attach({{}});
  ASSERT_TRUE(pick(0));
  ASSERT_TRUE(ui::input::click(*dlg->bClose));
  EXPECT_FALSE(boxes[0].box->identify().on);
  EXPECT_FALSE(dlg->visible());
}

TEST_F(DialogTest, TheCloseBoxEndsTheIdentifySignalToo) {
  auto boxes = attach({{}});
  ASSERT_TRUE(pick(0));
  ASSERT_TRUE(ui::input::clickCloseBox(*dlg));
  EXPECT_FALSE(boxes[0].box->identify().on);
}

// The program told to end (a signal) takes the dialog down without Close.
TEST_F(DialogTest, ADialogThatGoesWithoutCloseEndsTheIdentifySignalToo) {
  auto boxes = attach({{}});
  ASSERT_TRUE(pick(0));
  dlg.reset();
  EXPECT_FALSE(boxes[0].box->identify().on);
}

TEST_F(DialogTest, UniverseEditsAreTwoDigitBoxesInYellowOnGrey) {
  ui::RichEdit* a = dlg->reUniverseA;
  EXPECT_EQ(a->font().color, CMendaroDlg::kUniverseTextColor);
  EXPECT_EQ(a->color(), CMendaroDlg::kUniverseBackground);
  EXPECT_EQ(a->font().size, 23);
  type(a, "a1x23");
  EXPECT_EQ(a->content(), "12");
}

}  // namespace
}  // namespace mendaro
