// The IIC bus scan and the IIC board update against simulated chips and boards.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "orvane/orvane_test_support.h"

using orvanetest::BoardFirmware;
using orvanetest::OrvaneDlgTest;
using simusb::ChipKind;

namespace {

constexpr uint8_t kBoardAddress = 0x24;
const simusb::IicBoardIdentity kKeyboard{0xF080, 0x30, 0x05, 0x0102};  // 8-byte packets
const simusb::IicBoardIdentity kPbFaders{0xF090, 0xC0, 0x21, 0x0200};  // 32-byte packets

uint16_t value(const simusb::TransferRecord& t) {
  return static_cast<uint16_t>(t.setup[2] | (t.setup[3] << 8));
}
uint8_t addressOf(const simusb::TransferRecord& t) {
  return t.setup[5];
}

}  // namespace

class IicScan : public OrvaneDlgTest {
 protected:
  void SetUp() override {
    OrvaneDlgTest::SetUp();
    front = newFrontPanel();
  }
  std::shared_ptr<simusb::SimEzUsb> front;
};

TEST_F(IicScan, ListsEveryBoardWithItsTypeAndABootStateBoardWithItsIdBlock) {
  front->addBoard(kBoardAddress, kKeyboard);
  front->addBoard(0x30, {0xF080, 0x84, 0x05, 0x0101})->setBootState(true);
  front->addBoard(0x40, {0x1234, 0x10, 0x07, 0x0001});
  bus->plug(front);
  listDevices(1);
  bus->clearTransfers();
  const uint32_t start = time->tick();
  pickUsb(0);
  const ui::Strings& lines = dlg->lbIicDevices->items();
  ASSERT_EQ(lines.count(), 3);
  EXPECT_EQ(lines[0], " 24h  F080h  Main Keyboard 05h  0102h");
  EXPECT_EQ(lines[1], " 30h  F080h  VondarMK2 SoundPower 05h  0101h   *");
  EXPECT_EQ(lines[2], " 40h  1234h  Unknown PCB 07h  0001h");
  EXPECT_EQ(lines.data(1), 0x30u);
  EXPECT_EQ(dlg->BoardCount(), 3u);
  EXPECT_EQ(dlg->Board(0x30), (BoardEntry{0xF080, 0x84, 0x05, 0x0101}));
  EXPECT_TRUE(logHas("Please wait. Scanning for IIC PCB\xC2\xB4s."));
  EXPECT_TRUE(logHas("IIC PCB scan success."));
  // Every even address from 2 to 252, the IO delay after each; the boot-state board is held (55), run
  // from its ID block (CE) after a second; the bus is released (AA) at the end.
  const auto idents = a2(0xC1);
  ASSERT_EQ(idents.size(), 126u);
  EXPECT_EQ(addressOf(idents.front()), 2);
  EXPECT_EQ(addressOf(idents.back()), 252);
  EXPECT_EQ(a2(0x55).size(), 1u);
  ASSERT_EQ(a2(0xCE).size(), 1u);
  EXPECT_EQ(addressOf(a2(0xCE)[0]), 0x30);
  EXPECT_EQ(bus->transfers().back().setup[4], 0xAA);
  EXPECT_EQ(time->tick() - start, 126u * 25 + 100 + 1000 + 100 + 100);
  EXPECT_FALSE(dlg->btnUpdateIic->enabled());
  pickBoard(0);
  EXPECT_TRUE(dlg->btnUpdateIic->enabled());
}

TEST_F(IicScan, BlankChipIsNotScanned) {
  plugChip(simusb::blankEzUsb(ChipKind::AN21xx));
  listDevices(1);
  bus->clearTransfers();
  pickUsb(0);
  EXPECT_TRUE(logHas("IIC search not possible on unprogrammed uC"));
  EXPECT_TRUE(a2(0xC1).empty());
}

TEST_F(IicScan, FailingIdentEndsTheScanKeepsTheBoardsFoundAndReleasesTheBus) {
  front->addBoard(kBoardAddress, kKeyboard);
  front->addBoard(0x40, kKeyboard)->setIdentFails(true);
  bus->plug(front);
  listDevices(1);
  pickUsb(0);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 1);
  const auto lines = logLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "ERROR: transfer failed.");
  EXPECT_EQ(lines[lines.size() - 2], "IIC PCB scan failed.");
  EXPECT_EQ(bus->transfers().back().setup[4], 0xAA);
  EXPECT_FALSE(front->iicHeld());
}

TEST_F(IicScan, ShortIdentReplyListsNoBoardAndTakesNothingFromTheBoardBefore) {
  front->addBoard(kBoardAddress, kKeyboard);
  auto hooked = std::make_shared<orvanetest::HookedChip>(front);
  // The address after the board answers with its first two bytes only.
  hooked->after = [](const simusb::Setup& s, uint8_t* data, simusb::Reply& reply) {
    if (orvanetest::isA2(s, 0xC1) && (s.index >> 8) == kBoardAddress + 2) {
      data[0] = 0xF0;
      data[1] = 0x80;
      reply = simusb::Reply::ok(2);
    }
  };
  bus->plug(hooked);
  listDevices(1);
  pickUsb(0);
  EXPECT_EQ(dlg->lbIicDevices->items().count(), 1);
  EXPECT_EQ(dlg->Board(kBoardAddress + 2), (BoardEntry{0xF080, 0, 0, 0}));
}

class IicUpdate : public OrvaneDlgTest {
 protected:
  // A programmed chip with the board at 0x24, listed, picked and its board picked.
  std::shared_ptr<simusb::SimIicBoard> plugAndPick(const simusb::IicBoardIdentity& identity) {
    auto front = newFrontPanel();
    auto board = front->addBoard(kBoardAddress, identity);
    bus->plug(front);
    listDevices(1);
    pickUsb(0);
    pickBoard(0);
    return board;
  }
  void update(const BoardFirmware& firmware) {
    chosenFile = writeFile("board.hex", firmware.hexText());
    bus->clearTransfers();
    ui::input::click(*dlg->btnUpdateIic);
  }
  // The update ended with the board run (CD) and the bus released (AA), whatever happened.
  void expectBoardRunAndBusReleased() {
    const auto t = bus->transfers();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2].setup[4], 0xCD);
    EXPECT_EQ(addressOf(t[t.size() - 2]), kBoardAddress);
    EXPECT_EQ(t.back().setup[4], 0xAA);
    EXPECT_FALSE(dlg->cbProgramUnknownPcb->checked());
  }
  std::vector<simusb::TransferRecord> programWrites() const {
    std::vector<simusb::TransferRecord> out;
    for (const auto& t : a2(0xC0))
      if (!t.in && value(t) >= 0x180 && value(t) != 0xFFAA) out.push_back(t);
    return out;
  }
};

TEST_F(IicUpdate, EightKiBInEightBytePacketsLeavesTheBoardEqualToTheFile) {
  auto board = plugAndPick(kKeyboard);
  const BoardFirmware firmware{{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(8192)};
  const uint32_t start = time->tick();
  update(firmware);
  EXPECT_TRUE(logHas("Verify OK. Orvane successful.")) << dlg->LogText();
  EXPECT_EQ(board->program(8192), firmware.program);
  EXPECT_EQ(board->identity().version, 0x0103);
  EXPECT_FALSE(board->inBootState());
  EXPECT_EQ(dlg->Board(kBoardAddress).version, 0x0103);
  EXPECT_TRUE(dlg->FirmwareWritten());
  EXPECT_EQ(dlg->pbProgress->position(), 0);
  // The question for an older board, the file chosen among HEX files in the current directory.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Current version older than file version.\nWe recommend to update.\nDo you want to update?");
  ASSERT_EQ(fileRequests.size(), 1u);
  EXPECT_EQ(fileRequests[0].filter, "intel HEX file (*.hex)|*.hex||");
  EXPECT_EQ(fileRequests[0].initialDir, std::filesystem::current_path().string());
  const auto writes = programWrites();
  ASSERT_EQ(writes.size(), 1024u);
  EXPECT_EQ(value(writes[0]), 0x0180);
  EXPECT_EQ(value(writes[1]), 0x0184);
  EXPECT_EQ(writes[1].data.size(), 8u);
  // The progress line shows the last packet in place.
  EXPECT_TRUE(logHas("Writing address: 0x117c"));
  EXPECT_TRUE(logHas("Reading address: 0x117c"));
  // The pauses: hold 100 + 1000, select 200, clear 100, 1024 x 25 writing, CE 100, 1024 x 25 reading,
  // select 200 + version 100 + CE 100, then CD 100 and AA 100.
  EXPECT_EQ(time->tick() - start, 100u + 1000 + 200 + 100 + 1024 * 25 + 100 + 1024 * 25 + 400 + 200);
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, EightKiBInThirtyTwoBytePacketsWritesTheHeaderBeforeAndAfter) {
  auto board = plugAndPick(kPbFaders);
  const BoardFirmware firmware{{0xF090, 0xC0, 0x21, 0x0200}, orvanetest::pattern(8192, 3)};
  update(firmware);
  EXPECT_TRUE(logHas("Verify OK. Orvane successful.")) << dlg->LogText();
  EXPECT_EQ(board->program(8192), firmware.program);
  ASSERT_EQ(programWrites().size(), 256u);
  EXPECT_EQ(value(programWrites()[1]), 0x0190);
  // The header block goes to word 0x17C before the program and to word 0x170 after it.
  std::vector<uint16_t> headerWords;
  for (const auto& t : a2(0xC0))
    if (!t.in && t.data.size() == 32 && value(t) < 0x180) headerWords.push_back(value(t));
  EXPECT_EQ(headerWords, (std::vector<uint16_t>{0x017C, 0x0170}));
  const auto h = firmware.header();
  const auto memory = board->memory();
  EXPECT_EQ(std::vector<uint8_t>(memory.begin() + 0x2E0, memory.begin() + 0x300),
            std::vector<uint8_t>(h.begin(), h.end()));
  EXPECT_EQ(boxes[0].text, "Current version same as file version.\nDo you still want to update?");
}

TEST_F(IicUpdate, HundredByteProgramMakesThirteenPackets) {
  plugAndPick(kKeyboard);
  update({{0xF080, 0x30, 0x05, 0x0101}, orvanetest::pattern(100)});
  const auto writes = programWrites();
  ASSERT_EQ(writes.size(), 13u);
  EXPECT_EQ(value(writes.back()), 0x01B0);
  EXPECT_EQ(writes.back().data,
            (std::vector<uint8_t>{orvanetest::pattern(100)[96], orvanetest::pattern(100)[97],
                                  orvanetest::pattern(100)[98], orvanetest::pattern(100)[99], 0, 0, 0, 0}));
  EXPECT_EQ(boxes[0].text, "Current version newer than file version.\nDo you still want to update?");
}

TEST_F(IicUpdate, FileForAnotherBoardCodeIsRefusedBeforeAnythingIsWritten) {
  auto board = plugAndPick(kKeyboard);
  const auto before = board->memory();
  update({{0xF080, 0x31, 0x05, 0x0103}, orvanetest::pattern(64)});
  EXPECT_TRUE(logHas("ERROR: HEX-file not suited for selected IIC device"));
  EXPECT_EQ(board->memory(), before);
  EXPECT_TRUE(a2(0x55).empty());
  EXPECT_FALSE(dlg->FirmwareWritten());
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, ProgramUnknownPcbWritesAnotherBoardsFileAfterTheWarning) {
  auto board = plugAndPick(kKeyboard);
  dlg->cbProgramUnknownPcb->setChecked(true);
  const BoardFirmware firmware{{0xF080, 0x31, 0x05, 0x0103}, orvanetest::pattern(64)};
  update(firmware);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, ui::MessageKind::Warning);
  EXPECT_EQ(boxes[0].defaultButton, ui::ModalResult::No);
  EXPECT_EQ(boxes[0].text,
            "Warning!\nThe checkmark \"Program Unknown PCB\" is set.\n If you select the wrong file your "
            "system may "
            "become non responsive.\nDo you want to continue anyway ?");
  EXPECT_TRUE(logHas("Verify OK. Orvane successful."));
  EXPECT_EQ(board->program(64), firmware.program);
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, NoToAQuestionCancelsWithoutWriting) {
  auto board = plugAndPick(kKeyboard);
  answer = ui::ModalResult::No;
  update({{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(64)});
  EXPECT_TRUE(logHas("Action canceled by user"));
  EXPECT_TRUE(programWrites().empty());
  dlg->cbProgramUnknownPcb->setChecked(true);
  update({{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(64)});
  const auto lines = logLines();
  EXPECT_EQ(lines[lines.size() - 3], "Cancelled by user");
  EXPECT_EQ(lines[lines.size() - 2], "Action canceled by user");
  EXPECT_TRUE(programWrites().empty());
  expectBoardRunAndBusReleased();
  // A cancelled file dialog, and a file that is not there.
  chosenFile.reset();
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_EQ(logLines()[logLines().size() - 2], "Action canceled by user");
  chosenFile = (dir_ / "missing.hex").string();
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_EQ(logLines()[logLines().size() - 2], "ERROR: failed to open file");
}

TEST_F(IicUpdate, OneCorruptedByteGivesCodeThreeAfterTheFirmwareWasWritten) {
  auto board = plugAndPick(kKeyboard);
  board->setCorruptedByte(1000);
  update({{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(8192)});
  const auto lines = logLines();
  EXPECT_EQ(lines[lines.size() - 3], "ERROR: device content different from file.");
  EXPECT_EQ(lines[lines.size() - 2], "Upload failed. Try uploading again.");
  EXPECT_TRUE(dlg->FirmwareWritten());
  EXPECT_FALSE(logHas("Verify OK. Orvane successful."));
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, VersionThatNeverTakesGivesIicCommandFailedAfterThreeAttempts) {
  auto board = plugAndPick(kKeyboard);
  board->setVersionNeverTakes(true);
  update({{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(256)});
  const auto lines = logLines();
  EXPECT_EQ(lines[lines.size() - 3], "ERROR: IIC command failed.");
  EXPECT_EQ(lines[lines.size() - 2], "Upload failed. Try uploading again.");
  // Three final checks, each reading the ID block back.
  int idBlockReads = 0;
  for (const auto& t : a2(0xC0))
    if (t.in && value(t) == 0x0178) ++idBlockReads;
  EXPECT_EQ(idBlockReads, 3);
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, FailingPacketIsNamedOnALineOfItsOwn) {
  auto front = newFrontPanel();
  front->addBoard(kBoardAddress, kKeyboard);
  auto hooked = std::make_shared<orvanetest::HookedChip>(front);
  hooked->before = [](const simusb::Setup& s, uint8_t*) -> std::optional<simusb::Reply> {
    if (orvanetest::isA2(s, 0xC0) && !s.in() && s.value == 0x0188) return simusb::Reply::stall();
    return std::nullopt;
  };
  bus->plug(hooked);
  listDevices(1);
  pickUsb(0);
  pickBoard(0);
  update({{0xF080, 0x30, 0x05, 0x0103}, orvanetest::pattern(256)});
  const auto lines = logLines();
  EXPECT_EQ(lines[lines.size() - 4], "Writing address: 0x0188");
  EXPECT_EQ(lines[lines.size() - 3], "ERROR: transfer failed at packet 3.");
  EXPECT_EQ(lines[lines.size() - 2], "Upload failed. Try uploading again.");
  EXPECT_TRUE(dlg->FirmwareWritten() == false);
  expectBoardRunAndBusReleased();
}

TEST_F(IicUpdate, HexFileWithAGapNeverYieldsMisplacedData) {
  auto board = plugAndPick(kKeyboard);
  BoardFirmware firmware{{0xF080, 0x30, 0x05, 0x0103}, {}};
  const auto h = firmware.header();
  const auto first = orvanetest::pattern(32, 5);
  const auto second = orvanetest::pattern(32, 6);
  // The second stretch lies 0x120 bytes after the first: beyond what 8 bits reach.
  chosenFile = writeFile("gap.hex", orvanetest::hexData(0x2E0, {h.begin(), h.end()}) +
                                        orvanetest::hexData(0x300, first) +
                                        orvanetest::hexData(0x420, second) + orvanetest::kEndOfFile);
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_TRUE(logHas("Verify OK. Orvane successful."));
  std::vector<uint8_t> expected(0x140, 0);
  std::copy(first.begin(), first.end(), expected.begin());
  std::copy(second.begin(), second.end(), expected.begin() + 0x120);
  EXPECT_EQ(board->program(0x140), expected);

  // Records out of order: refused, nothing written.
  const auto before = board->memory();
  chosenFile = writeFile("unordered.hex", orvanetest::hexData(0x2E0, {h.begin(), h.end()}) +
                                              orvanetest::hexData(0x320, first) +
                                              orvanetest::hexData(0x300, second) + orvanetest::kEndOfFile);
  bus->clearTransfers();
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_EQ(logLines()[logLines().size() - 2], "ERROR: Cannot read from HEX-file");
  EXPECT_EQ(board->memory(), before);
  EXPECT_TRUE(programWrites().empty());
}

TEST_F(IicUpdate, NoBoardPickedAsksForOne) {
  bus->plug(newFrontPanel());
  listDevices(1);
  ui::input::click(*dlg->btnUpdateIic);  // disabled: nothing happens
  EXPECT_EQ(dlg->LogText(), "");
  dlg->UpdateIicFirmware();
  EXPECT_TRUE(logHas("You need to select a device from the list"));
  EXPECT_TRUE(fileRequests.empty());
}

// The sample files shipped with the tool suit the boards the README's simulated console has.
TEST_F(IicUpdate, SampleFilesUpdateTheSimulatedBoards) {
  auto front = newFrontPanel();
  auto keyboard = front->addBoard(0x24, kKeyboard);
  auto faders = front->addBoard(0x26, kPbFaders);
  bus->plug(front);
  listDevices(1);
  pickUsb(0);
  ASSERT_EQ(dlg->lbIicDevices->items().count(), 2);
  const std::string samples = ORVANE_SAMPLES_DIR;
  pickBoard(0);
  chosenFile = samples + "/keyboard_f080_30_v0103.hex";
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_EQ(keyboard->identity(), (simusb::IicBoardIdentity{0xF080, 0x30, 0x05, 0x0103}));
  pickBoard(1);
  chosenFile = samples + "/pbfaders_f090_c0_v0201.hex";
  ui::input::click(*dlg->btnUpdateIic);
  EXPECT_EQ(faders->identity(), (simusb::IicBoardIdentity{0xF090, 0xC0, 0x21, 0x0201}));
  int verified = 0;
  for (const auto& line : logLines()) verified += line == "Verify OK. Orvane successful.";
  EXPECT_EQ(verified, 2) << dlg->LogText();
  const auto program = faders->program(16);
  EXPECT_EQ(std::string(program.begin(), program.end()), "ORVANE SAMPLE BO");
}

namespace {

// The keyboard sample's lines, each with its CR LF.
std::vector<std::string> keyboardSampleLines() {
  std::ifstream in(std::string(ORVANE_SAMPLES_DIR) + "/keyboard_f080_30_v0103.hex", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t lf = text.find('\n', at);
    const size_t end = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines, size_t count) {
  std::string text;
  for (size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i];
  return text;
}

struct DamagedSample {
  const char* name;
  const char* file;
  std::string (*damage)(std::vector<std::string> lines);
  const char* reason;  // the log's line after the error
};

void PrintTo(const DamagedSample& row, std::ostream* os) {
  *os << row.name;
}

const DamagedSample kDamagedSamples[] = {
    {"CutAtALineBoundary", "keyboard_cut.hex",
     [](std::vector<std::string> lines) { return joined(lines, 60); },
     "keyboard_cut.hex: line 61: no end-of-file record"},
    {"ChecksumChangedInTheMiddle", "keyboard_sum.hex",
     [](std::vector<std::string> lines) {
       std::string& line = lines[65];
       char& digit = line[line.size() - 3];  // the checksum's low digit, before CR LF
       digit = digit == '0' ? '1' : '0';
       return joined(lines, lines.size());
     },
     "keyboard_sum.hex: line 66: checksum error"},
    {"LineFeedsAlone", "keyboard_lf.hex",
     [](std::vector<std::string> lines) {
       for (std::string& line : lines) line.erase(line.size() - 2, 1);
       return joined(lines, lines.size());
     },
     "keyboard_lf.hex: line 1: line does not end in CR LF"},
};

}  // namespace

class IicUpdateDamagedSample : public IicUpdate, public testing::WithParamInterface<DamagedSample> {};

TEST_P(IicUpdateDamagedSample, IsRefusedBeforeAnyQuestionAndNothingOfTheUpdateReachesTheBoard) {
  const std::vector<std::string> sample = keyboardSampleLines();
  ASSERT_EQ(sample.size(), 131u);
  auto board = plugAndPick(kKeyboard);
  const auto before = board->memory();
  chosenFile = writeFile(GetParam().file, GetParam().damage(sample));
  bus->clearTransfers();
  ui::input::click(*dlg->btnUpdateIic);

  const auto lines = logLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "ERROR: Cannot read from HEX-file");
  EXPECT_EQ(lines[lines.size() - 2], GetParam().reason);
  EXPECT_TRUE(boxes.empty());
  for (const auto& line : lines) {
    EXPECT_NE(line.rfind("Updating ", 0), 0u) << line;
    EXPECT_NE(line, "Please wait. Sending new firmware over IIC...");
  }
  // The bus carried only what ends every update: the board run (CD) and the bus released (AA).
  EXPECT_EQ(bus->transfers().size(), 2u);
  expectBoardRunAndBusReleased();
  EXPECT_EQ(board->memory(), before);
  EXPECT_EQ(dlg->Board(kBoardAddress), (BoardEntry{0xF080, 0x30, 0x05, 0x0102}));
  EXPECT_FALSE(dlg->FirmwareWritten());
}

INSTANTIATE_TEST_SUITE_P(Samples, IicUpdateDamagedSample, testing::ValuesIn(kDamagedSamples),
                         [](const testing::TestParamInfo<DamagedSample>& info) {
                           return std::string(info.param.name);
                         });
