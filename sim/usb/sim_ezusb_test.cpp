#include "sim/usb/sim_ezusb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

using simusb::ChipKind;
using simusb::SimEzUsb;
using simusb::SimIicBoard;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// A request's outcome: stalled, or the bytes answered (IN).
struct Answer {
  bool stalled = false;
  std::vector<uint8_t> data;
};

Answer request(SimEzUsb& chip, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
               std::vector<uint8_t> data) {
  simusb::Setup setup{type, request, value, index, static_cast<uint16_t>(data.size())};
  simusb::Reply reply = chip.control(setup, data.data());
  if (reply.status != wdu::kSuccess) return {true, {}};
  if (setup.in()) data.resize(reply.bytes);
  return {false, std::move(data)};
}
Answer out(SimEzUsb& chip, uint8_t req, uint16_t value, uint16_t index, std::vector<uint8_t> data = {}) {
  return request(chip, 0x40, req, value, index, std::move(data));
}
Answer in(SimEzUsb& chip, uint8_t type, uint8_t req, uint16_t value, uint16_t index, uint16_t length) {
  return request(chip, type, req, value, index, std::vector<uint8_t>(length, 0xEE));
}

// Our loaders as the chip receives them: runs of bytes at their RAM addresses.
struct LoaderRun {
  uint16_t address;
  uint16_t length;
};
#include "loader_an21xx_bytes.inc"
#include "loader_an21xx_runs.inc"
#include "loader_fx2_bytes.inc"
#include "loader_fx2_runs.inc"

struct RamRun {
  uint16_t address;
  std::vector<uint8_t> bytes;
};

template <size_t N, size_t M>
std::vector<RamRun> runsOf(const LoaderRun (&runs)[N], const uint8_t (&bytes)[M]) {
  std::vector<RamRun> out;
  size_t at = 0;
  for (const LoaderRun& run : runs) {
    out.push_back({run.address, {bytes + at, bytes + at + run.length}});
    at += run.length;
  }
  return out;
}

std::vector<RamRun> loaderImage(ChipKind kind) {
  return kind == ChipKind::FX2 ? runsOf(kLoaderRunsFx2, kLoaderBytesFx2)
                               : runsOf(kLoaderRunsAn21, kLoaderBytesAn21);
}

void writeRam(SimEzUsb& chip, const std::vector<RamRun>& image) {
  for (const RamRun& run : image) {
    for (size_t at = 0; at < run.bytes.size(); at += 64) {
      std::vector<uint8_t> packet(
          run.bytes.begin() + static_cast<ptrdiff_t>(at),
          run.bytes.begin() + static_cast<ptrdiff_t>(std::min(run.bytes.size(), at + 64)));
      ASSERT_FALSE(out(chip, 0xA0, static_cast<uint16_t>(run.address + at), 0, packet).stalled);
    }
  }
}

void setReset(SimEzUsb& chip, bool hold) {
  uint16_t cs = chip.config().kind == ChipKind::FX2 ? simusb::kCpuCsFx2 : simusb::kCpuCsAn21;
  ASSERT_FALSE(out(chip, 0xA0, cs, 0, {static_cast<uint8_t>(hold ? 1 : 0)}).stalled);
}

}  // namespace

TEST(SimEzUsb, DeviceDescriptorCarriesIdsAndStringIndexes) {
  auto chipPtr = simusb::makeEzUsb(simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0102, "Front"));
  SimEzUsb& chip = *chipPtr;
  auto d = in(chip, 0x80, 0x06, 0x0100, 0, 18);
  ASSERT_FALSE(d.stalled);
  ASSERT_EQ(d.data.size(), 18u);
  EXPECT_THAT(std::vector<uint8_t>(d.data.begin() + 8, d.data.end()),
              ElementsAre(0xBE, 0x11, 0x01, 0x10, 0x02, 0x01, 1, 2, 0, 1));
}

TEST(SimEzUsb, StringDescriptorsHonourWLength) {
  auto chipPtr = simusb::makeEzUsb(simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0102, "Front"));
  SimEzUsb& chip = *chipPtr;
  EXPECT_THAT(in(chip, 0x80, 0x06, 0x0300, 0, 255).data, ElementsAre(4, 3, 0x09, 0x04));
  EXPECT_THAT(in(chip, 0x80, 0x06, 0x0302, 0, 1).data, ElementsAre(12));
  EXPECT_THAT(in(chip, 0x80, 0x06, 0x0302, 0, 12).data,
              ElementsAre(12, 3, 'F', 0, 'r', 0, 'o', 0, 'n', 0, 't', 0));
  EXPECT_EQ(in(chip, 0x80, 0x06, 0x0302, 0, 5).data.size(), 5u);
  EXPECT_TRUE(in(chip, 0x80, 0x06, 0x0305, 0, 255).stalled);
  chip.setRawStringDescriptor(2, {0xFF, 3, 'A'});
  EXPECT_THAT(in(chip, 0x80, 0x06, 0x0302, 0, 255).data, ElementsAre(0xFF, 3, 'A'));
}

TEST(SimEzUsb, BlankChipHasNoStringsNoDipByteAndStallsA2) {
  auto chipPtr = simusb::makeEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  SimEzUsb& chip = *chipPtr;
  EXPECT_EQ(chip.info().iProduct, 0);
  EXPECT_TRUE(in(chip, 0x80, 0x06, 0x0302, 0, 255).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0, 64).stalled);
  EXPECT_TRUE(out(chip, 0xA2, 0, 0x0055).stalled);
}

TEST(SimEzUsb, ProgrammedChipAnswersTheDipByte) {
  auto config = simusb::programmedEzUsb(ChipKind::AN21xx, 0x1002, 0x0100, "Keys");
  config.dipSwitches = 0x05;
  auto chipPtr = simusb::makeEzUsb(config);
  SimEzUsb& chip = *chipPtr;
  EXPECT_THAT(in(chip, 0xC0, 0x00, 0, 0, 1).data, ElementsAre(0x05));
}

TEST(SimEzUsb, RamWritesAndReadsAndRefusesToWrapPast64KiB) {
  auto chipPtr = simusb::makeEzUsb(simusb::blankEzUsb(ChipKind::FX2));
  SimEzUsb& chip = *chipPtr;
  ASSERT_FALSE(out(chip, 0xA0, 0x1000, 0, {1, 2, 3}).stalled);
  EXPECT_THAT(in(chip, 0xC0, 0xA0, 0x1000, 0, 3).data, ElementsAre(1, 2, 3));
  EXPECT_THAT(chip.ram(0x1000, 3), ElementsAre(1, 2, 3));
  EXPECT_TRUE(out(chip, 0xA0, 0xFFFE, 0, {1, 2, 3}).stalled);
  EXPECT_FALSE(out(chip, 0xA0, 0xFFFD, 0, {1, 2, 3}).stalled);
}

class SimEzUsbKinds : public ::testing::TestWithParam<ChipKind> {
 protected:
  ChipKind ownKind() const { return GetParam(); }
  ChipKind otherKind() const { return GetParam() == ChipKind::FX2 ? ChipKind::AN21xx : ChipKind::FX2; }
};

TEST_P(SimEzUsbKinds, ResetRegisterHoldsAndReleasesTheCpu) {
  auto chipPtr = simusb::makeEzUsb(simusb::programmedEzUsb(GetParam(), 0x1001, 0x0100, "X"));
  SimEzUsb& chip = *chipPtr;
  setReset(chip, true);
  EXPECT_TRUE(chip.cpuHeldInReset());
  EXPECT_TRUE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);  // the firmware is not running
  setReset(chip, false);
  EXPECT_FALSE(chip.cpuHeldInReset());
  EXPECT_FALSE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);
  EXPECT_FALSE(chip.loaderRunning());
}

TEST_P(SimEzUsbKinds, OurLoaderRunsAfterReleaseAndServesTheEepromOnly) {
  auto chipPtr = simusb::makeEzUsb(simusb::blankEzUsb(GetParam()));
  SimEzUsb& chip = *chipPtr;
  setReset(chip, true);
  writeRam(chip, loaderImage(ownKind()));
  EXPECT_FALSE(chip.loaderRunning());
  setReset(chip, false);
  ASSERT_TRUE(chip.loaderRunning());
  std::vector<uint8_t> data(64);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  EXPECT_FALSE(out(chip, 0xA2, 64, 0, data).stalled);
  EXPECT_EQ(in(chip, 0xC0, 0xA2, 64, 0, 64).data, data);
  auto eeprom = chip.eeprom();
  EXPECT_THAT(std::vector<uint8_t>(eeprom.begin() + 64, eeprom.begin() + 128), ElementsAreArray(data));
  EXPECT_TRUE(out(chip, 0xA2, 0, 0x0055).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0x02C1, 6).stalled);
  // Holding the CPU again stops the loader.
  setReset(chip, true);
  EXPECT_FALSE(chip.loaderRunning());
}

TEST_P(SimEzUsbKinds, LoaderOfTheOtherKindOrWithAChangedByteDoesNotRun) {
  auto changedFirst = loaderImage(ownKind());
  changedFirst.front().bytes.front() ^= 0x40;
  auto changedLast = loaderImage(ownKind());
  changedLast.back().bytes.back() ^= 0x01;
  for (const auto& image : {loaderImage(otherKind()), changedFirst, changedLast}) {
    auto chipPtr = simusb::makeEzUsb(simusb::blankEzUsb(GetParam()));
    SimEzUsb& chip = *chipPtr;
    setReset(chip, true);
    writeRam(chip, image);
    setReset(chip, false);
    EXPECT_FALSE(chip.loaderRunning());
    EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0, 64).stalled);
  }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, SimEzUsbKinds, ::testing::Values(ChipKind::AN21xx, ChipKind::FX2));

TEST(SimEzUsb, EepromPacketsAreAtMost64BytesAndInsideTheEeprom) {
  auto config = simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0100, "X");
  config.eepromSize = 256;
  auto chipPtr = simusb::makeEzUsb(config);
  SimEzUsb& chip = *chipPtr;
  EXPECT_TRUE(out(chip, 0xA2, 0, 0, std::vector<uint8_t>(65, 1)).stalled);
  EXPECT_TRUE(out(chip, 0xA2, 250, 0, std::vector<uint8_t>(7, 1)).stalled);
  EXPECT_FALSE(out(chip, 0xA2, 250, 0, std::vector<uint8_t>(6, 1)).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 256, 0, 1).stalled);
  EXPECT_EQ(chip.eeprom().size(), 256u);
}

class SimIicBridge : public ::testing::Test {
 protected:
  SimIicBridge()
      : chipPtr(simusb::makeEzUsb(simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0100, "X"))),
        chip(*chipPtr),
        board(chip.addBoard(0x24, {0xF080, 0x30, 0x05, 0x0102})) {}
  void select() {
    ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CC).stalled);
    ASSERT_FALSE(out(chip, 0xA2, 0xFFAA, 0x24C0, {0, 0}).stalled);
  }
  std::shared_ptr<SimEzUsb> chipPtr;
  SimEzUsb& chip;
  std::shared_ptr<SimIicBoard> board;
};

TEST_F(SimIicBridge, IdentReportsTheBoardOrNobody) {
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0, 0x24C1, 6).data, ElementsAre(0xF0, 0x80, 0x30, 0x05, 0x01, 0x02));
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0, 0x26C1, 6).data, ElementsAre(0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(out(chip, 0xA2, 0, 0x26CD).stalled);  // nobody acknowledges
  board->setIdentFails(true);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0x24C1, 6).stalled);
}

TEST_F(SimIicBridge, HoldAndReleaseCommands) {
  EXPECT_FALSE(out(chip, 0xA2, 0, 0x0055).stalled);
  EXPECT_TRUE(chip.iicHeld());
  EXPECT_FALSE(out(chip, 0xA2, 0, 0x00AA).stalled);
  EXPECT_FALSE(chip.iicHeld());
}

TEST_F(SimIicBridge, WritesNeedTheTwoStepSelect) {
  EXPECT_TRUE(out(chip, 0xA2, 0x0180, 0x24C0, {1, 2}).stalled);
  EXPECT_TRUE(out(chip, 0xA2, 0xFFAA, 0x24C0, {0, 0}).stalled);  // second step without the first
  select();
  EXPECT_TRUE(board->selected());
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0, 0x24C1, 6).data, ElementsAre(0xFF, 0x3F, 0x30, 0x05, 0x01, 0x02));
  EXPECT_FALSE(out(chip, 0xA2, 0x0180, 0x24C0, {1, 2, 3, 4}).stalled);
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0x0180, 0x24C0, 4).data, ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(board->program(4), ElementsAre(1, 2, 3, 4));
  EXPECT_TRUE(out(chip, 0xA2, 0x2000, 0x24C0, {1, 2}).stalled);  // past the board's memory
}

TEST_F(SimIicBridge, VersionWriteRefreshAndRun) {
  select();
  ASSERT_FALSE(out(chip, 0xA2, 0x017C, 0x24C0, {0, 0, 0, 0, 0, 0, 0, 0}).stalled);  // cleared marks
  ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CD).stalled);
  EXPECT_TRUE(board->inBootState());  // no valid marks: stays in its boot code
  select();
  ASSERT_FALSE(out(chip, 0xA2, 0x017C, 0x24C0, {0x01, 0, 0x03, 0, 0xA5, 0, 0x5A, 0}).stalled);
  ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CE).stalled);
  EXPECT_EQ(board->identity().version, 0x0103);
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0x0178, 0x24C0, 12).data,
              ElementsAre(0xF0, 0, 0x80, 0, 0x30, 0, 0x05, 0, 0x01, 0, 0x03, 0));
  ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CD).stalled);
  EXPECT_FALSE(board->inBootState());
  EXPECT_THAT(in(chip, 0xC0, 0xA2, 0, 0x24C1, 6).data, ElementsAre(0xF0, 0x80, 0x30, 0x05, 0x01, 0x03));
}

TEST_F(SimIicBridge, InjectedFaults) {
  board->setCorruptedByte(2, 0x10);
  board->setVersionNeverTakes(true);
  select();
  ASSERT_FALSE(out(chip, 0xA2, 0x0180, 0x24C0, {1, 2, 3, 4}).stalled);
  EXPECT_THAT(board->program(4), ElementsAre(1, 2, 0x13, 4));
  ASSERT_FALSE(out(chip, 0xA2, 0x017C, 0x24C0, {0x09, 0, 0x09, 0, 0xA5, 0, 0x5A, 0}).stalled);
  ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CE).stalled);
  EXPECT_EQ(board->identity().version, 0x0102);
}
