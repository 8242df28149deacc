// The dialog: its start, the USB list and its timer, the IO delay, the log and Close.
#include "orvane/COrvaneDlg.h"

#include <gtest/gtest.h>

#include "orvane/orvane_test_support.h"

using orvanetest::OrvaneDlgTest;
using simusb::ChipKind;

class OrvaneDialog : public OrvaneDlgTest {};

TEST_F(OrvaneDialog, StartsWithItsVersionTheDefaultDelayAndNoDevice) {
  EXPECT_EQ(dlg->caption(), "PCB orvane (V1.0.0.0)");
  EXPECT_EQ(dlg->edIoDelay->caption(), "25");
  EXPECT_EQ(dlg->IoDelay(), 25);
  EXPECT_EQ(dlg->cbProgramUnknownPcb->caption(), "Program\n\rUnknown PCB");
  EXPECT_TRUE(dlg->tmUsbList->enabled());
  EXPECT_EQ(dlg->tmUsbList->interval(), 1500u);
  timerTick();
  EXPECT_EQ(dlg->lbUsbDevices->items().count(), 0);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 0);
  EXPECT_FALSE(dlg->btnUpdateUsb->enabled());
  EXPECT_FALSE(dlg->btnUpdateIic->enabled());
}

// Without a backend nothing can ever be listed: the log says why and what to change, once.
TEST_F(OrvaneDialog, WithoutAUsbBackendTheLogSaysWhy) {
  EXPECT_TRUE(dlg->LogText().empty()) << "a backend in use: nothing to tell";
  dlg.reset();
  ASSERT_EQ(wdu::SelectBackendLibrary("/nonexistent/libnothing.so"), wdu::kNoBackend);
  dlg.reset(ui::createForm<COrvaneDlg>());
  dlg->show();
  timerTick();
  const std::string note = dlg->Device()->NoBackendNote();
  ASSERT_FALSE(note.empty());
  EXPECT_EQ(logLines(), std::vector<std::string>({note, ""}));
  EXPECT_FALSE(dlg->btnUpdateUsb->enabled());
}

TEST_F(OrvaneDialog, ListsABlankChipAndAProgrammedOneWithTheirHandles) {
  plugChip(simusb::blankEzUsb(ChipKind::FX2));
  bus->plug(newFrontPanel());
  ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetDeviceCount() == 2; }));
  // Nothing changes before the timer's turn.
  ui::app().processMessages();
  EXPECT_EQ(dlg->lbUsbDevices->items().count(), 0);
  timerTick();
  const ui::Strings& lines = dlg->lbUsbDevices->items();
  ASSERT_EQ(lines.count(), 2);
  EXPECT_EQ(lines[0], "8613  Unprogrammed USB uC  v00.00  DIPS:0");
  EXPECT_EQ(lines[1], "1001  Front panel  v01.02  DIPS:5");
  EXPECT_EQ(lines.data(0), dlg->Device()->GetDeviceHandle(0));
  EXPECT_EQ(lines.data(1), dlg->Device()->GetDeviceHandle(1));
  EXPECT_TRUE(dlg->btnUpdateUsb->enabled());
  EXPECT_FALSE(dlg->btnUpdateIic->enabled());
}

TEST_F(OrvaneDialog, ChipSwappedWithinOneTickIsListedAnew) {
  uint32_t first = 0;
  plugChip(simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0100, "Keys"), &first);
  listDevices(1);
  const uint64_t oldHandle = dlg->lbUsbDevices->items().data(0);
  bus->unplug(first);
  plugChip(simusb::programmedEzUsb(ChipKind::AN21xx, 0x1002, 0x0200, "Faders"));
  ASSERT_TRUE(waitUntil([&] { return dlg->Device()->GetListGeneration() == 3; }));
  timerTick();
  ASSERT_EQ(dlg->lbUsbDevices->items().count(), 1);
  EXPECT_EQ(dlg->lbUsbDevices->items()[0], "1002  Faders  v02.00  DIPS:0");
  EXPECT_NE(dlg->lbUsbDevices->items().data(0), oldHandle);
  EXPECT_EQ(dlg->lbUsbDevices->items().data(0), dlg->Device()->GetDeviceHandle(0));
}

TEST_F(OrvaneDialog, UnreadableProductStringIsShownSoNotAsTheDevicesBefore) {
  bus->plug(newFrontPanel());
  auto hooked = std::make_shared<orvanetest::HookedChip>(
      bus->newEzUsb(simusb::programmedEzUsb(ChipKind::FX2, 0x1003, 0x0101, "Playback")));
  hooked->before = [](const simusb::Setup& s, uint8_t*) -> std::optional<simusb::Reply> {
    if (s.request == simusb::kRequestGetDescriptor && (s.value >> 8) == simusb::kDescriptorString)
      return simusb::Reply::stall();
    return std::nullopt;
  };
  bus->plug(hooked);
  listDevices(2);
  EXPECT_EQ(dlg->lbUsbDevices->items()[1], "1003  (name unreadable)  v01.01  DIPS:0");
}

TEST_F(OrvaneDialog, BoardsOfTheChipPickedBeforeGoWhenAnotherChipTakesItsLine) {
  uint32_t first = 0;
  auto front = newFrontPanel();
  front->addBoard(0x24, {0xF080, 0x30, 0x05, 0x0102});
  first = bus->plug(front);
  plugChip(simusb::programmedEzUsb(ChipKind::FX2, 0x1002, 0x0100, "Other"));
  listDevices(2);
  pickUsb(0);
  ASSERT_EQ(dlg->lbIicDevices->items().count(), 1);
  // The first chip goes: the other one moves up to the line that was picked.
  bus->unplug(first);
  listDevices(1);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 0);
  EXPECT_EQ(dlg->BoardCount(), 0u);
  EXPECT_EQ(dlg->lbUsbDevices->itemIndex(), -1);
  EXPECT_FALSE(dlg->btnUpdateIic->enabled());
  // Picking the line now scans the bus of the chip it names.
  pickUsb(0);
  EXPECT_TRUE(logHas("IIC PCB scan success."));
}

TEST_F(OrvaneDialog, BoardsStayWhenAnotherChipComesOrGoesBesideThePickedOne) {
  auto front = newFrontPanel();
  front->addBoard(0x24, {0xF080, 0x30, 0x05, 0x0102});
  bus->plug(front);
  listDevices(1);
  pickUsb(0);
  uint32_t other = 0;
  plugChip(simusb::programmedEzUsb(ChipKind::FX2, 0x1002, 0x0100, "Other"), &other);
  listDevices(2);
  EXPECT_EQ(dlg->lbUsbDevices->itemIndex(), 0);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 1);
  bus->unplug(other);
  listDevices(1);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 1);
}

TEST_F(OrvaneDialog, LosingEveryDeviceDisablesBothButtonsAndEmptiesTheBoards) {
  auto front = newFrontPanel();
  front->addBoard(0x24, {0xF080, 0x30, 0x05, 0x0102});
  const uint32_t address = bus->plug(front);
  listDevices(1);
  pickUsb(0);
  pickBoard(0);
  EXPECT_TRUE(dlg->btnUpdateIic->enabled());
  bus->unplug(address);
  listDevices(0);
  EXPECT_EQ(dlg->lbUsbDevices->items().count(), 0);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 0);
  EXPECT_FALSE(dlg->btnUpdateUsb->enabled());
  EXPECT_FALSE(dlg->btnUpdateIic->enabled());
}

TEST_F(OrvaneDialog, IoDelayOutsideItsRangeIsRefusedAndNoFlowStarts) {
  bus->plug(newFrontPanel());
  listDevices(1);
  pickUsb(0);
  for (const char* text : {"300", "24", ""}) {
    dlg->edIoDelay->setCaption(text);
    ui::input::click(*dlg->btnUpdateUsb);
  }
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Please enter an integer between 25 and 200.");
  EXPECT_EQ(boxes[2].text, "Please enter an integer.");
  EXPECT_TRUE(fileRequests.empty());
  EXPECT_EQ(dlg->IoDelay(), 25);
  // Typed: only digits reach it.
  dlg->edIoDelay->setFocus();
  ui::input::typeText("1x5a0");
  EXPECT_EQ(dlg->edIoDelay->caption(), "150");
  chosenFile.reset();
  ui::input::click(*dlg->btnUpdateUsb);
  EXPECT_EQ(dlg->IoDelay(), 150);
  EXPECT_EQ(fileRequests.size(), 1u);
}

TEST_F(OrvaneDialog, LogReplacesItsEndInPlaceAndClearLogEmptiesIt) {
  dlg->AddLog("first");
  dlg->AddLog("Writing address: 0x----", 0, false);
  dlg->AddLog("Writing address: 0x0180", 23, false);
  dlg->AddLog("Writing address: 0x0184", 23, false);
  dlg->AddLog("");
  dlg->AddLog("too much", 1000);  // more than the log holds: nothing is removed
  EXPECT_EQ(dlg->LogText(), "first\r\nWriting address: 0x0184\r\ntoo much\r\n");
  ui::input::click(*dlg->btnClearLog);
  EXPECT_EQ(dlg->LogText(), "");
}

TEST_F(OrvaneDialog, CloseWithoutAnUpdateSaysNothing) {
  ui::input::click(*dlg->btnClose);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(dlg->visible());
}
