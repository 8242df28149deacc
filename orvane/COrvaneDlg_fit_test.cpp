// The dialog on a real display with its real fonts: every caption, list line and label fits the room its
// control gives it, with the longest board names listed and after an update filled the log (the screenshot
// test runs this binary under Xvfb; without a display it skips).
#include <gtest/gtest.h>

#include "orvane/orvane_test_support.h"
#include "platform/ui/fltk/display_test_support.h"
#include "platform/ui/text_fit.h"

using orvanetest::OrvaneDlgTest;

using OrvaneFitTest = ui::fltk::testing::OnDisplay<OrvaneDlgTest>;

TEST_F(OrvaneFitTest, DialogWithTheLongestBoardLinesAndAFilledLogFits) {
  auto front = newFrontPanel();
  // The longest board type name, a board in its boot code (its line ends in "   *"), the highest address.
  front->addBoard(0x24, {0xF08A, 0x20, 0x05, 0x0102})->setBootState(true);
  front->addBoard(0xFC, {0xF080, 0x84, 0x05, 0x0101});
  bus->plug(front);
  plugChip(simusb::blankEzUsb(simusb::ChipKind::AN21xx));
  listDevices(2);
  pickUsb(0);
  ASSERT_EQ(dlg->lbIicDevices->items().count(), 2);
  EXPECT_EQ(dlg->lbIicDevices->items()[0], " 24h  F08Ah  Playback 10 PlaybackBut 05h  0102h   *");
  pickBoard(0);
  ui::app().processMessages();
  EXPECT_EQ(ui::clippedTextReport(*dlg), "");

  chosenFile =
      writeFile("board.hex",
                orvanetest::BoardFirmware{{0xF08A, 0x20, 0x05, 0x0103}, orvanetest::pattern(64)}.hexText());
  ui::input::click(*dlg->btnUpdateIic);
  ASSERT_TRUE(logHas("Verify OK. Orvane successful.")) << dlg->LogText();
  ui::app().processMessages();
  EXPECT_EQ(ui::clippedTextReport(*dlg), "");
}
