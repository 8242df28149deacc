// The loader's request handling and I2C sequencing, run on the host against a model of its chip (built once
// for each chip kind) with a boot EEPROM on the modelled bus: every test both with the C sources built for
// the host and with the machine code the program embeds, on the model's 8051 core.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "usbdevice/loaders/loader_model.h"

using loadermodel::Answer;
using loadermodel::ChipModel;
using loadermodel::Runs;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr uint8_t kOut = 0x40, kIn = 0xC0, kEeprom = 0xA2;

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + 7 * i);
  return v;
}

class Loader : public ::testing::TestWithParam<Runs> {
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

  ChipModel chip{GetParam()};
};

}  // namespace

namespace loadermodel {
// Parameterised tests print how the loader runs by its name.
void PrintTo(Runs runs, std::ostream* os) {
  *os << (runs == Runs::Source ? "Source" : "MachineCode");
}
}  // namespace loadermodel

INSTANTIATE_TEST_SUITE_P(, Loader, ::testing::Values(Runs::Source, Runs::MachineCode),
                         ::testing::PrintToStringParamName());

// A packet is split at the EEPROM's page boundaries, and the loader waits out each write cycle (the EEPROM
// refuses to be addressed meanwhile) before the next page and before it answers.
TEST_P(Loader, WritesAcrossPageBoundariesPageByPageAfterEachWriteCycle) {
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
TEST_P(Loader, ReadsBackWhatTheToolWrote) {
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
TEST_P(Loader, EepromThatDoesNotAcknowledgeStallsTheRequest) {
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
TEST_P(Loader, OtherRequestsStallOrStayWithTheCore) {
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
TEST_P(Loader, RequestGivenUpBeforeItsDataGivesWayToTheNext) {
  chip.eeprom.memory[0x200] = 0x5A;
  chip.sendSetup(kOut, kEeprom, 0x200, 0, 64);
  chip.arriveInsteadOfData(kIn, kEeprom, 0x200, 0, 1);
  chip.run();
  ASSERT_EQ(chip.answers().size(), 2u);
  EXPECT_FALSE(chip.answers()[0].stalled);
  EXPECT_FALSE(chip.answers()[0].acknowledged);
  EXPECT_TRUE(chip.answers()[1].acknowledged);
  EXPECT_THAT(chip.answers()[1].in, ElementsAre(0x5A));
  EXPECT_THAT(chip.eeprom.cycles, IsEmpty());
}

// A setup packet that arrives while the loader is on the bus for a write (the host's transfer timed out, or
// it sent the next request): the write's bytes go into the EEPROM whole, but nothing on endpoint 0 answers
// it, since the chip would take that as the answer to the new request; the new request is served next,
// after the old one's bytes are in. Each kind of new request, with the bus at a data byte and at the
// addressing that waits out a write cycle.
TEST_P(Loader, SetupPacketDuringAWriteLeavesEndpointZeroToIt) {
  chip.eeprom.busyAttempts = 5;
  const auto old = pattern(64, 11), next = pattern(16, 12);
  for (size_t busBytes : {10u, 38u}) {
    SCOPED_TRACE(busBytes);
    chip.eeprom.memory.assign(0x4000, 0xFF);
    const size_t before = chip.answers().size();
    chip.sendSetup(kOut, kEeprom, 0x0100, 0, 64, old);
    chip.arriveOnBus(busBytes, kOut, kEeprom, 0x0300, 0, 16, next);
    chip.run();
    chip.sendSetup(kOut, kEeprom, 0x0180, 0, 64, old);
    chip.arriveOnBus(busBytes, kIn, kEeprom, 0x0180, 0, 64);
    chip.run();
    ASSERT_EQ(chip.answers().size(), before + 4);
    for (size_t given : {before, before + 2}) {
      EXPECT_FALSE(chip.answers()[given].acknowledged);
      EXPECT_FALSE(chip.answers()[given].stalled);
    }
    EXPECT_TRUE(chip.answers()[before + 1].acknowledged);
    EXPECT_EQ(eepromBytes(0x0300, 16), next);
    EXPECT_EQ(eepromBytes(0x0100, 64), old);
    EXPECT_TRUE(chip.answers()[before + 3].acknowledged);
    EXPECT_EQ(chip.answers()[before + 3].in, old);
  }
}

// A write the bus does not carry through, given up meanwhile: its stall would stall the new request.
TEST_P(Loader, SetupPacketDuringAFailingWriteIsNotStalled) {
  chip.eeprom.nackDataByte = 5;
  chip.eeprom.memory[0x0300] = 0x3C;
  chip.sendSetup(kOut, kEeprom, 0x0100, 0, 16, pattern(16, 16));
  chip.arriveOnBus(4, kIn, kEeprom, 0x0300, 0, 1);
  chip.run();
  ASSERT_EQ(chip.answers().size(), 2u);
  EXPECT_FALSE(chip.answers()[0].stalled);
  EXPECT_FALSE(chip.answers()[1].stalled);
  EXPECT_TRUE(chip.answers()[1].acknowledged);
  EXPECT_THAT(chip.answers()[1].in, ElementsAre(0x3C));
}

// The same while the loader reads: the bytes read for the old request are never sent, and the new request
// gets its own; the bus at the addressing and at a data byte.
TEST_P(Loader, SetupPacketDuringAReadLeavesEndpointZeroToIt) {
  const auto image = pattern(128, 13), next = pattern(16, 14);
  std::copy(image.begin(), image.end(), chip.eeprom.memory.begin() + 0x0100);
  for (size_t busBytes : {3u, 40u}) {
    SCOPED_TRACE(busBytes);
    const size_t before = chip.answers().size();
    chip.sendSetup(kIn, kEeprom, 0x0100, 0, 64);
    chip.arriveOnBus(busBytes, kIn, kEeprom, 0x0140, 0, 4);
    chip.run();
    chip.sendSetup(kIn, kEeprom, 0x0100, 0, 64);
    chip.arriveOnBus(busBytes, kOut, kEeprom, 0x0340, 0, 16, next);
    chip.run();
    ASSERT_EQ(chip.answers().size(), before + 4);
    for (size_t given : {before, before + 2}) {
      EXPECT_THAT(chip.answers()[given].in, IsEmpty());
      EXPECT_FALSE(chip.answers()[given].acknowledged);
      EXPECT_FALSE(chip.answers()[given].stalled);
    }
    EXPECT_TRUE(chip.answers()[before + 1].acknowledged);
    EXPECT_EQ(chip.answers()[before + 1].in,
              std::vector<uint8_t>(image.begin() + 0x40, image.begin() + 0x44));
    EXPECT_TRUE(chip.answers()[before + 3].acknowledged);
    EXPECT_EQ(eepromBytes(0x0340, 16), next);
  }
}

// The machine code takes the last byte of every read from I2DAT straight after setting STOP, as the chips'
// procedure asks (the model times it in instructions; the C built for the host has no such clock): reads
// of one byte, of two and of a whole packet.
TEST(LoaderMachineCode, TakesTheLastByteOfAReadStraightAfterStop) {
  ChipModel chip(Runs::MachineCode);
  const auto image = pattern(64, 15);
  std::copy(image.begin(), image.end(), chip.eeprom.memory.begin() + 0x0200);
  for (uint16_t n : {1, 2, 64}) {
    SCOPED_TRACE(n);
    const Answer a = chip.request(kIn, kEeprom, 0x0200, 0, n);
    EXPECT_TRUE(a.acknowledged);
    EXPECT_EQ(a.in, std::vector<uint8_t>(image.begin(), image.begin() + n));
  }
  EXPECT_THAT(chip.violations(), IsEmpty());
}
