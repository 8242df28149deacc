#include "sim/usb/sim_ezusb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>

using simusb::ChipKind;
using simusb::ControlReply;
using simusb::SimEzUsb;
using simusb::SimIicBoard;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

std::array<uint8_t, 8> setup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length) {
  return {type,
          request,
          static_cast<uint8_t>(value),
          static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(index),
          static_cast<uint8_t>(index >> 8),
          static_cast<uint8_t>(length),
          static_cast<uint8_t>(length >> 8)};
}

ControlReply out(SimEzUsb& chip, uint8_t request, uint16_t value, uint16_t index,
                 std::vector<uint8_t> data = {}) {
  return chip.control(setup(0x40, request, value, index, static_cast<uint16_t>(data.size())), data);
}
ControlReply in(SimEzUsb& chip, uint8_t type, uint8_t request, uint16_t value, uint16_t index,
                uint16_t length) {
  return chip.control(setup(type, request, value, index, length), {});
}

// A RAM image our loader's signature check accepts: signature block, body, hash over the body.
std::vector<uint8_t> loaderImage(uint8_t kind, size_t bodyLength = 64) {
  std::vector<uint8_t> image(SimEzUsb::kLoaderBodyAddress + bodyLength);
  for (size_t i = 0; i < bodyLength; ++i)
    image[SimEzUsb::kLoaderBodyAddress + i] = static_cast<uint8_t>(i * 7 + 1);
  uint32_t h = 0x811C9DC5u;
  for (size_t i = 0; i < bodyLength; ++i) {
    h ^= image[SimEzUsb::kLoaderBodyAddress + i];
    h *= 0x01000193u;
  }
  uint8_t* sig = &image[SimEzUsb::kLoaderSignatureAddress];
  std::memcpy(sig, "RAMLOAD1", 8);
  sig[8] = kind;
  sig[9] = 1;
  sig[10] = static_cast<uint8_t>(bodyLength);
  sig[11] = static_cast<uint8_t>(bodyLength >> 8);
  for (int i = 0; i < 4; ++i) sig[12 + i] = static_cast<uint8_t>(h >> (8 * i));
  return image;
}

void writeRam(SimEzUsb& chip, const std::vector<uint8_t>& image) {
  for (size_t at = 0; at < image.size(); at += 64) {
    std::vector<uint8_t> packet(image.begin() + at, image.begin() + std::min(image.size(), at + 64));
    ASSERT_FALSE(out(chip, 0xA0, static_cast<uint16_t>(at), 0, packet).stalled);
  }
}

void setReset(SimEzUsb& chip, bool hold) {
  uint16_t cs = chip.config().kind == ChipKind::FX2 ? SimEzUsb::kCpuCsFx2 : SimEzUsb::kCpuCsAn21;
  ASSERT_FALSE(out(chip, 0xA0, cs, 0, {static_cast<uint8_t>(hold ? 1 : 0)}).stalled);
}

}  // namespace

TEST(SimEzUsb, DeviceDescriptorCarriesIdsAndStringIndexes) {
  SimEzUsb chip(SimEzUsb::Programmed(ChipKind::FX2, 0x1001, 0x0102, "Front"));
  auto d = in(chip, 0x80, 0x06, 0x0100, 0, 18);
  ASSERT_FALSE(d.stalled);
  ASSERT_EQ(d.data.size(), 18u);
  EXPECT_THAT(std::vector<uint8_t>(d.data.begin() + 8, d.data.end()),
              ElementsAre(0xBE, 0x11, 0x01, 0x10, 0x02, 0x01, 1, 2, 0, 1));
}

TEST(SimEzUsb, StringDescriptorsHonourWLength) {
  SimEzUsb chip(SimEzUsb::Programmed(ChipKind::FX2, 0x1001, 0x0102, "Front"));
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
  SimEzUsb chip(SimEzUsb::Blank(ChipKind::FX2));
  EXPECT_EQ(chip.iProduct(), 0);
  EXPECT_TRUE(in(chip, 0x80, 0x06, 0x0302, 0, 255).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0, 64).stalled);
  EXPECT_TRUE(out(chip, 0xA2, 0, 0x0055).stalled);
}

TEST(SimEzUsb, ProgrammedChipAnswersTheDipByte) {
  auto config = SimEzUsb::Programmed(ChipKind::AN21xx, 0x1002, 0x0100, "Keys");
  config.dipSwitches = 0x05;
  SimEzUsb chip(config);
  EXPECT_THAT(in(chip, 0xC0, 0x00, 0, 0, 1).data, ElementsAre(0x05));
}

TEST(SimEzUsb, RamWritesAndReadsAndRefusesToWrapPast64KiB) {
  SimEzUsb chip(SimEzUsb::Blank(ChipKind::FX2));
  ASSERT_FALSE(out(chip, 0xA0, 0x1000, 0, {1, 2, 3}).stalled);
  EXPECT_THAT(in(chip, 0xC0, 0xA0, 0x1000, 0, 3).data, ElementsAre(1, 2, 3));
  EXPECT_THAT(chip.ram(0x1000, 3), ElementsAre(1, 2, 3));
  EXPECT_TRUE(out(chip, 0xA0, 0xFFFE, 0, {1, 2, 3}).stalled);
  EXPECT_FALSE(out(chip, 0xA0, 0xFFFD, 0, {1, 2, 3}).stalled);
}

class SimEzUsbKinds : public ::testing::TestWithParam<ChipKind> {
 protected:
  uint8_t ownKind() const {
    return GetParam() == ChipKind::FX2 ? SimEzUsb::kLoaderKindFx2 : SimEzUsb::kLoaderKindAn21;
  }
  uint8_t otherKind() const {
    return GetParam() == ChipKind::FX2 ? SimEzUsb::kLoaderKindAn21 : SimEzUsb::kLoaderKindFx2;
  }
};

TEST_P(SimEzUsbKinds, ResetRegisterHoldsAndReleasesTheCpu) {
  SimEzUsb chip(SimEzUsb::Programmed(GetParam(), 0x1001, 0x0100, "X"));
  setReset(chip, true);
  EXPECT_TRUE(chip.cpuHeldInReset());
  EXPECT_TRUE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);  // the firmware is not running
  setReset(chip, false);
  EXPECT_FALSE(chip.cpuHeldInReset());
  EXPECT_FALSE(in(chip, 0xC0, 0x00, 0, 0, 1).stalled);
  EXPECT_FALSE(chip.loaderRunning());
}

TEST_P(SimEzUsbKinds, OurLoaderRunsAfterReleaseAndServesTheEepromOnly) {
  SimEzUsb chip(SimEzUsb::Blank(GetParam()));
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

TEST_P(SimEzUsbKinds, LoaderOfTheOtherKindOrWithABadBodyDoesNotRun) {
  for (auto image : {loaderImage(otherKind()), loaderImage(ownKind())}) {
    SimEzUsb chip(SimEzUsb::Blank(GetParam()));
    if (image[SimEzUsb::kLoaderSignatureAddress + 8] == ownKind())
      image.back() ^= 0x40;  // one body byte lost
    setReset(chip, true);
    writeRam(chip, image);
    setReset(chip, false);
    EXPECT_FALSE(chip.loaderRunning());
    EXPECT_TRUE(in(chip, 0xC0, 0xA2, 0, 0, 64).stalled);
  }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, SimEzUsbKinds, ::testing::Values(ChipKind::AN21xx, ChipKind::FX2));

TEST(SimEzUsb, EepromPacketsAreAtMost64BytesAndInsideTheEeprom) {
  auto config = SimEzUsb::Programmed(ChipKind::FX2, 0x1001, 0x0100, "X");
  config.eepromSize = 256;
  SimEzUsb chip(config);
  EXPECT_TRUE(out(chip, 0xA2, 0, 0, std::vector<uint8_t>(65, 1)).stalled);
  EXPECT_TRUE(out(chip, 0xA2, 250, 0, std::vector<uint8_t>(7, 1)).stalled);
  EXPECT_FALSE(out(chip, 0xA2, 250, 0, std::vector<uint8_t>(6, 1)).stalled);
  EXPECT_TRUE(in(chip, 0xC0, 0xA2, 256, 0, 1).stalled);
  EXPECT_EQ(chip.eeprom().size(), 256u);
}

class SimIicBridge : public ::testing::Test {
 protected:
  SimIicBridge() : chip(SimEzUsb::Programmed(ChipKind::FX2, 0x1001, 0x0100, "X")) {
    board = std::make_shared<SimIicBoard>(SimIicBoard::Identity{0xF080, 0x30, 0x05, 0x0102});
    chip.attachBoard(0x24, board);
  }
  void select() {
    ASSERT_FALSE(out(chip, 0xA2, 0, 0x24CC).stalled);
    ASSERT_FALSE(out(chip, 0xA2, 0xFFAA, 0x24C0, {0, 0}).stalled);
  }
  SimEzUsb chip;
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
