// The loader's request handling and I2C sequencing, run on the host against a model of its chip (built once
// for each chip kind) with a boot EEPROM on the modelled bus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "usbdevice/loaders/loader_model.h"

using loadermodel::Answer;
using loadermodel::ChipModel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr uint8_t kOut = 0x40, kIn = 0xC0, kEeprom = 0xA2;

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + 7 * i);
  return v;
}

class Loader : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_THAT(chip.violations(), IsEmpty()); }
  std::vector<uint8_t> eepromBytes(size_t at, size_t n) const {
    return {chip.eeprom.memory.begin() + static_cast<ptrdiff_t>(at),
            chip.eeprom.memory.begin() + static_cast<ptrdiff_t>(at + n)};
  }
  Answer write(uint16_t at, const std::vector<uint8_t>& bytes) {
    return chip.request(kOut, kEeprom, at, 0, static_cast<uint16_t>(bytes.size()), bytes);
  }
  Answer read(uint16_t at, uint16_t n) { return chip.request(kIn, kEeprom, at, 0, n); }

  ChipModel chip;
};

}  // namespace

// A packet is split at the EEPROM's page boundaries, and the loader waits out each write cycle (the EEPROM
// refuses to be addressed meanwhile) before the next page and before it answers.
TEST_F(Loader, WritesAcrossPageBoundariesPageByPageAfterEachWriteCycle) {
  for (size_t pageSize : {32u, 64u}) {
    SCOPED_TRACE(pageSize);
    chip.eeprom.memory.assign(0x4000, 0xFF);
    chip.eeprom.cycles.clear();
    chip.eeprom.pageSize = pageSize;
    chip.eeprom.busyAttempts = 40;
    const auto data = pattern(64, 1);
    const Answer a = write(0x0130, data);
    EXPECT_FALSE(a.stalled);
    EXPECT_TRUE(a.acknowledged);
    EXPECT_EQ(eepromBytes(0x0130, 64), data);
    EXPECT_EQ(eepromBytes(0x012F, 1), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(eepromBytes(0x0170, 1), std::vector<uint8_t>{0xFF});
    // Aligned 32-byte pieces: inside a page of either size.
    ASSERT_EQ(chip.eeprom.cycles.size(), 3u);
    EXPECT_EQ(chip.eeprom.cycles[0].address, 0x0130u);
    EXPECT_EQ(chip.eeprom.cycles[0].length, 16u);
    EXPECT_EQ(chip.eeprom.cycles[1].address, 0x0140u);
    EXPECT_EQ(chip.eeprom.cycles[1].length, 32u);
    EXPECT_EQ(chip.eeprom.cycles[2].address, 0x0160u);
    EXPECT_EQ(chip.eeprom.cycles[2].length, 16u);
  }
}

// The firmware tool's flow: an image in 64-byte packets (the last one the rest), then read back packet by
// packet; reads of one byte and across a page end the same way.
TEST_F(Loader, ReadsBackWhatTheToolWrote) {
  const auto image = pattern(130, 9);
  for (size_t at = 0; at < image.size(); at += 64) {
    const std::vector<uint8_t> packet(
        image.begin() + static_cast<ptrdiff_t>(at),
        image.begin() + static_cast<ptrdiff_t>(std::min(at + 64, image.size())));
    const Answer a = write(static_cast<uint16_t>(at), packet);
    ASSERT_TRUE(a.acknowledged) << at;
  }
  std::vector<uint8_t> back;
  for (size_t at = 0; at < image.size(); at += 64) {
    const Answer a =
        read(static_cast<uint16_t>(at), static_cast<uint16_t>(std::min<size_t>(64, image.size() - at)));
    ASSERT_TRUE(a.acknowledged) << at;
    back.insert(back.end(), a.in.begin(), a.in.end());
  }
  EXPECT_EQ(back, image);
  EXPECT_THAT(read(129, 1).in, ElementsAre(image[129]));
  EXPECT_EQ(read(30, 4).in, std::vector<uint8_t>(image.begin() + 30, image.begin() + 34));
  // Nothing to move: answered without the bus.
  const size_t transactions = chip.busTransactions();
  EXPECT_TRUE(read(0, 0).acknowledged);
  EXPECT_TRUE(write(0, {}).acknowledged);
  EXPECT_EQ(chip.busTransactions(), transactions);
}

// An EEPROM that does not answer, one that stays busy and one that refuses a byte: the request stalls, its
// status stage is never acknowledged, and nothing is reported as written or read. The next request works
// once the EEPROM answers again.
TEST_F(Loader, EepromThatDoesNotAcknowledgeStallsTheRequest) {
  chip.eeprom.present = false;
  Answer a = write(0, pattern(64, 3));
  EXPECT_TRUE(a.stalled);
  EXPECT_FALSE(a.acknowledged);
  a = read(0, 64);
  EXPECT_TRUE(a.stalled);
  EXPECT_FALSE(a.acknowledged);
  EXPECT_THAT(a.in, IsEmpty());
  EXPECT_EQ(eepromBytes(0, 64), std::vector<uint8_t>(64, 0xFF));

  chip.eeprom.present = true;
  chip.eeprom.busyAttempts = 1000000;  // a write cycle that never ends
  a = write(0, pattern(16, 4));
  EXPECT_TRUE(a.stalled);
  EXPECT_FALSE(a.acknowledged);

  chip.eeprom.busyAttempts = 0;
  chip.eeprom.busy = 0;  // the cycle ends at last
  chip.eeprom.cycles.clear();
  chip.eeprom.memory.assign(0x4000, 0xFF);
  chip.eeprom.nackDataByte = 5;
  a = write(64, pattern(16, 5));
  EXPECT_TRUE(a.stalled);
  EXPECT_FALSE(a.acknowledged);

  chip.eeprom.nackDataByte = -1;
  const auto data = pattern(16, 6);
  EXPECT_TRUE(write(64, data).acknowledged);
  EXPECT_EQ(read(64, 16).in, data);
}

// Only 40/A2 and C0/A2 with wIndex 0, at most 64 bytes, inside the 64 KiB the EEPROM's address reaches and
// (writes) with the data stage the setup packet announced are served; every other vendor request stalls.
// Standard requests and the RAM request stay with the core: the loader leaves endpoint 0 alone for them.
TEST_F(Loader, OtherRequestsStallOrStayWithTheCore) {
  struct Case {
    uint8_t type, request;
    uint16_t value, index, length;
  };
  for (const Case& c :
       {Case{kOut, 0xA3, 0, 0, 4}, Case{kIn, 0x00, 0, 0, 1}, Case{kOut, kEeprom, 0, 0x0055, 0},
        Case{kIn, kEeprom, 0, 0x24C1, 6}, Case{kOut, kEeprom, 0, 0, 65}, Case{kIn, kEeprom, 0xFFF0, 0, 32},
        Case{0x41, kEeprom, 0, 0, 4}}) {
    SCOPED_TRACE(testing::Message() << std::hex << int{c.type} << "/" << int{c.request} << " " << c.index);
    const Answer a =
        chip.request(c.type, c.request, c.value, c.index, c.length, std::vector<uint8_t>(c.length));
    EXPECT_TRUE(a.stalled);
    EXPECT_THAT(a.in, IsEmpty());
  }
  for (const Case& c : {Case{0x80, 0x06, 0x0100, 0, 18}, Case{0x00, 0x09, 1, 0, 0},
                        Case{kOut, 0xA0, 0xE600, 0, 1}, Case{0x21, 0x0A, 0, 0, 0}}) {
    const Answer a = chip.request(c.type, c.request, c.value, c.index, c.length, std::vector<uint8_t>(1));
    EXPECT_FALSE(a.touched);
  }
  // A data stage shorter than its setup packet announced: the bytes that came are not written either.
  const Answer shortData = chip.request(kOut, kEeprom, 0, 0, 16, pattern(8, 2));
  EXPECT_TRUE(shortData.stalled);
  EXPECT_FALSE(shortData.acknowledged);
  EXPECT_EQ(chip.busTransactions(), 0u);
  EXPECT_EQ(eepromBytes(0, 0x4000), std::vector<uint8_t>(0x4000, 0xFF));
  EXPECT_TRUE(read(0xFFC0, 64).acknowledged);  // the last packet of the 64 KiB
}

// A host that gives an OUT request up before its data: the loader answers nothing for it, and the setup
// packet that came instead is answered next.
TEST_F(Loader, RequestGivenUpBeforeItsDataGivesWayToTheNext) {
  chip.eeprom.memory[0x200] = 0x5A;
  chip.sendSetup(kOut, kEeprom, 0x200, 0, 64);
  chip.giveUpDataStage(kIn, kEeprom, 0x200, 0, 1);
  Answer a = chip.poll();
  EXPECT_FALSE(a.stalled);
  EXPECT_FALSE(a.acknowledged);
  a = chip.poll();
  EXPECT_TRUE(a.acknowledged);
  EXPECT_THAT(a.in, ElementsAre(0x5A));
  EXPECT_THAT(chip.eeprom.cycles, IsEmpty());
}
