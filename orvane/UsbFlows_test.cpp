// The USB microcontroller update against simulated chips: the loader for blank chips, the EEPROM write and
// its read-back, and the power message at Close.
#include <gtest/gtest.h>

#include "orvane/orvane_test_support.h"
#include "platform/ui/screen.h"
#include "usbdevice/loader_images.h"

using orvanetest::bootImage;
using orvanetest::OrvaneDlgTest;
using simusb::ChipKind;

namespace {

uint16_t value(const simusb::TransferRecord& t) {
  return static_cast<uint16_t>(t.setup[2] | (t.setup[3] << 8));
}
bool isEepromWrite(const simusb::TransferRecord& t) {
  return t.setup[0] == 0x40 && t.setup[1] == 0xA2 && t.setup[4] == 0 && t.setup[5] == 0;
}
bool isEepromRead(const simusb::TransferRecord& t) {
  return t.setup[0] == 0xC0 && t.setup[1] == 0xA2 && t.setup[4] == 0 && t.setup[5] == 0;
}

}  // namespace

class UsbUpdate : public OrvaneDlgTest {
 protected:
  // Lists the chip, picks it and runs the update with this image.
  void update(const std::vector<uint8_t>& image, const std::string& name = "console.c2") {
    chosenFile = writeFile(name, image);
    bus->clearTransfers();
    ui::input::click(*dlg->btnUpdateUsb);
  }
  void plugAndPick(std::shared_ptr<simusb::Device> chip) {
    bus->plug(std::move(chip));
    listDevices(1);
    pickUsb(0);
  }
  std::vector<simusb::TransferRecord> eepromWrites() const {
    std::vector<simusb::TransferRecord> out;
    for (const auto& t : bus->transfers())
      if (isEepromWrite(t)) out.push_back(t);
    return out;
  }
  std::vector<std::string> lastLines(size_t n) const {
    auto lines = logLines();
    lines.pop_back();  // the empty line after the last break
    return {lines.end() - static_cast<ptrdiff_t>(std::min(n, lines.size())), lines.end()};
  }
};

TEST_F(UsbUpdate, BlankFx2GetsTheLoaderThenTheImageAndItsEepromEqualsTheImage) {
  auto chip = bus->newEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  plugAndPick(chip);
  dlg->cbProgramUnknownPcb->setChecked(true);
  const auto image = bootImage(0xC2, 0x1001, 0x0103, 4000);
  update(image);
  EXPECT_TRUE(chip->loaderRunning());
  const auto eeprom = chip->eeprom();
  ASSERT_GE(eeprom.size(), image.size());
  EXPECT_EQ(std::vector<uint8_t>(eeprom.begin(), eeprom.begin() + static_cast<ptrdiff_t>(image.size())),
            image);
  EXPECT_TRUE(dlg->FirmwareWritten());
  EXPECT_FALSE(dlg->cbProgramUnknownPcb->checked());
  EXPECT_EQ(lastLines(2), (std::vector<std::string>{"Verify OK", "Orvane success"}));
  // The order on the wire: E600 <- 1, the loader's records into RAM, E600 <- 0, then the A2 requests.
  const auto t = bus->transfers();
  size_t i = 0;
  auto isCpuCs = [](const simusb::TransferRecord& r, uint8_t v) {
    return r.setup[1] == 0xA0 && value(r) == 0xE600 && r.data == std::vector<uint8_t>{v};
  };
  while (i < t.size() && t[i].setup[1] != 0xA0) ++i;
  ASSERT_LT(i, t.size());
  EXPECT_TRUE(isCpuCs(t[i], 1));
  size_t records = 0;
  for (++i; i < t.size() && !isCpuCs(t[i], 0); ++i) {
    ASSERT_EQ(t[i].setup[1], 0xA0);
    ++records;
  }
  ASSERT_LT(i, t.size());
  EXPECT_GT(records, 0u);
  for (++i; i < t.size(); ++i) EXPECT_EQ(t[i].setup[1], 0xA2);
  EXPECT_EQ(eepromWrites().size(), (image.size() + 63) / 64);
  EXPECT_EQ(boxes.size(), 1u);  // the warning only: blank chips are checked by their image's kind
}

TEST_F(UsbUpdate, BlankAn21GetsItsOwnLoaderThroughItsOwnResetRegister) {
  auto chip = bus->newEzUsb(simusb::blankEzUsb(ChipKind::AN21xx));
  plugAndPick(chip);
  dlg->cbProgramUnknownPcb->setChecked(true);
  const auto image = bootImage(0xB6, 0x1002, 0x0100, 300);
  update(image, "keys.b6");
  EXPECT_TRUE(chip->loaderRunning());
  const auto eeprom = chip->eeprom();
  EXPECT_EQ(std::vector<uint8_t>(eeprom.begin(), eeprom.begin() + 300 + 24), image);
  bool held = false;
  for (const auto& t : bus->transfers()) held = held || (t.setup[1] == 0xA0 && value(t) == 0x7F92);
  EXPECT_TRUE(held);
}

TEST_F(UsbUpdate, B6ImageOnAnFx2IsRefusedAfterTheLoader) {
  auto chip = bus->newEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  plugAndPick(chip);
  dlg->cbProgramUnknownPcb->setChecked(true);
  update(bootImage(0xB6, 0x1001, 0x0103, 100), "keys.b6");
  EXPECT_TRUE(chip->loaderRunning());
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"ERROR: File not suited for selected device."}));
  EXPECT_TRUE(eepromWrites().empty());
  EXPECT_FALSE(dlg->FirmwareWritten());
}

TEST_F(UsbUpdate, BlankChipWithoutTheCheckBoxNeedsAnImageForItsBlankId) {
  auto chip = bus->newEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  plugAndPick(chip);
  update(bootImage(0xC2, 0x1001, 0x0103, 100));
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"ERROR: File not suited for selected device."}));
  EXPECT_TRUE(eepromWrites().empty());
  update(bootImage(0xC2, 0x8613, 0x0001, 100));
  EXPECT_TRUE(logHas("Current version older than file version"));
  EXPECT_EQ(lastLines(2), (std::vector<std::string>{"Verify OK", "Orvane success"}));
}

TEST_F(UsbUpdate, ImagesTooSmallOrTooLargeAreRefusedBeforeAnythingIsWritten) {
  auto chip = newFrontPanel();
  plugAndPick(chip);
  const auto before = chip->eeprom();
  for (size_t size : {size_t{0}, size_t{1}, size_t{8}, size_t{0x10001}}) {
    dlg->cbProgramUnknownPcb->setChecked(true);  // a programmed chip gets no other test then
    update(std::vector<uint8_t>(size, 0xC2));
    EXPECT_EQ(lastLines(1), (std::vector<std::string>{"ERROR: File not suited for selected device."}))
        << size;
    EXPECT_TRUE(eepromWrites().empty()) << size;
  }
  EXPECT_EQ(chip->eeprom(), before);
  EXPECT_FALSE(dlg->FirmwareWritten());
}

TEST_F(UsbUpdate, ImageOf130BytesIsThreePacketsWrittenWithPausesAndReadBackWithout) {
  plugAndPick(newFrontPanel());
  const auto image = bootImage(0xC2, 0x1001, 0x0103, 130 - 24);
  ASSERT_EQ(image.size(), 130u);
  const uint32_t start = time->tick();
  update(image);
  const auto writes = eepromWrites();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(value(writes[0]), 0);
  EXPECT_EQ(value(writes[1]), 64);
  EXPECT_EQ(value(writes[2]), 128);
  EXPECT_EQ(writes[2].data.size(), 2u);
  EXPECT_EQ(writes[1].tick - writes[0].tick, 30u);
  std::vector<uint32_t> readTicks;
  for (const auto& t : bus->transfers())
    if (isEepromRead(t)) readTicks.push_back(t.tick);
  ASSERT_EQ(readTicks.size(), 3u);
  EXPECT_EQ(readTicks[2], readTicks[0]);
  // 55 (100 ms), three writes of 30 ms, AA (100 ms).
  EXPECT_EQ(time->tick() - start, 100u + 3 * 30 + 100);
  EXPECT_EQ(boxes[0].text,
            "Current version older than file version.\nWe recommend to update.\nDo you want to update?");
  ASSERT_EQ(fileRequests.size(), 1u);
  EXPECT_EQ(fileRequests[0].filter, "binary file (*.b6;*.c2;*.iic)|*.b6;*.c2;*.iic||");
  EXPECT_TRUE(logHas("Update firmware of 1001  Front panel  v01.02  DIPS:5 with " + *chosenFile));
}

TEST_F(UsbUpdate, ContentThatReadsBackDifferentGivesCodeThree) {
  auto hooked = std::make_shared<orvanetest::HookedChip>(newFrontPanel());
  hooked->after = [](const simusb::Setup& s, uint8_t* data, simusb::Reply&) {
    if (s.in() && s.request == 0xA2 && s.index == 0 && s.value == 64) data[5] ^= 0x10;
  };
  plugAndPick(hooked);
  update(bootImage(0xC2, 0x1001, 0x0102, 200));
  EXPECT_EQ(lastLines(3),
            (std::vector<std::string>{"ERROR: device content different from file.",
                                      "Upload failed. place program jumper and re-attach device.",
                                      "Erase device before reprogramming."}));
  EXPECT_FALSE(dlg->FirmwareWritten());
  EXPECT_EQ(boxes[0].text, "Current version same as file version.\nDo you still want to update?");
}

TEST_F(UsbUpdate, FailingPacketIsNamed) {
  auto hooked = std::make_shared<orvanetest::HookedChip>(newFrontPanel());
  hooked->before = [](const simusb::Setup& s, uint8_t*) -> std::optional<simusb::Reply> {
    if (!s.in() && s.request == 0xA2 && s.index == 0 && s.value == 64) return simusb::Reply::stall();
    return std::nullopt;
  };
  plugAndPick(hooked);
  update(bootImage(0xC2, 0x1001, 0x0101, 200));
  EXPECT_EQ(lastLines(3),
            (std::vector<std::string>{"ERROR: transfer failed at packet 2",
                                      "Upload failed. place program jumper and re-attach device.",
                                      "Erase device before reprogramming."}));
  EXPECT_EQ(boxes[0].text, "Current version newer than file version.\nDo you still want to update?");
}

TEST_F(UsbUpdate, CancelledFileDialogLogsItAndClearsTheCheckBox) {
  plugAndPick(newFrontPanel());
  dlg->cbProgramUnknownPcb->setChecked(true);
  chosenFile.reset();
  ui::input::click(*dlg->btnUpdateUsb);
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"Action canceled by user."}));
  EXPECT_FALSE(dlg->cbProgramUnknownPcb->checked());
  // No to the warning: the flow ends before the file dialog.
  dlg->cbProgramUnknownPcb->setChecked(true);
  answer = ui::ModalResult::No;
  ui::input::click(*dlg->btnUpdateUsb);
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"Cancelled by user"}));
  EXPECT_EQ(fileRequests.size(), 1u);
  EXPECT_FALSE(dlg->cbProgramUnknownPcb->checked());
}

TEST_F(UsbUpdate, NoDevicePickedAsksForOne) {
  plugChip(simusb::blankEzUsb(ChipKind::FX2));
  listDevices(1);
  ui::input::click(*dlg->btnUpdateUsb);
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"You need to select a device from the list"}));
}

// A loader that does not arrive whole is never started, and no firmware follows it.
class LoaderFailure : public UsbUpdate, public ::testing::WithParamInterface<const char*> {};

TEST_P(LoaderFailure, EndsTheUpdateWithTheCpuHeldAndNothingWritten) {
  auto chip = bus->newEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  auto hooked = std::make_shared<orvanetest::HookedChip>(chip);
  const std::string which = GetParam();
  hooked->before = [which](const simusb::Setup& s, uint8_t* data) -> std::optional<simusb::Reply> {
    if (s.request != 0xA0) return std::nullopt;
    if (which == "hold" && s.value == 0xE600 && data[0] == 1) return simusb::Reply::stall();
    if (which == "record" && s.value == 0x0100) return simusb::Reply::stall();
    if (which == "release" && s.value == 0xE600 && data[0] == 0) return simusb::Reply::stall();
    return std::nullopt;
  };
  plugAndPick(hooked);
  dlg->cbProgramUnknownPcb->setChecked(true);
  update(bootImage(0xC2, 0x1001, 0x0103, 100));
  EXPECT_EQ(lastLines(1), (std::vector<std::string>{"ERROR: Ram Download failed."}));
  EXPECT_FALSE(chip->loaderRunning());
  EXPECT_TRUE(eepromWrites().empty());
  EXPECT_TRUE(fileRequests.empty());
  EXPECT_FALSE(dlg->FirmwareWritten());
  EXPECT_EQ(dlg->pbProgress->position(), dlg->pbProgress->min());  // empty again
  EXPECT_EQ(ui::screen().cursor(), ui::crDefault);
  if (which == "record") {
    EXPECT_TRUE(chip->cpuHeldInReset());
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, LoaderFailure, ::testing::Values("hold", "record", "release"));

TEST_F(UsbUpdate, CloseAfterAWriteTellsToPowerCycleTheConsole) {
  plugAndPick(newFrontPanel());
  update(bootImage(0xC2, 0x1001, 0x0103, 100));
  ASSERT_TRUE(dlg->FirmwareWritten());
  boxes.clear();
  // The close box too, not only the Close button.
  ASSERT_TRUE(ui::input::clickCloseBox(*dlg));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(boxes[0].text, "Turn off the power NOW and restart the console to activate the new firmware!");
}

TEST_F(UsbUpdate, SampleImageUpdatesTheSimulatedChip) {
  auto chip = newFrontPanel();
  plugAndPick(chip);
  chosenFile = std::string(ORVANE_SAMPLES_DIR) + "/front_panel_1001_v0103.c2";
  ui::input::click(*dlg->btnUpdateUsb);
  EXPECT_EQ(lastLines(2), (std::vector<std::string>{"Verify OK", "Orvane success"})) << dlg->LogText();
  EXPECT_EQ(chip->eeprom()[0], 0xC2);
}
