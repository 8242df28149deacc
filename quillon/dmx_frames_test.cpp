#include "quillon/dmx_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon {
namespace {

DmxSlots numbered() {
  DmxSlots s{};
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i * 3 + 1);
  return s;
}

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

TEST(OutputFrame, PacketIndexesSlotsAndTrailerSitAtTheirOffsets) {
  const DmxSlots slots = numbered();
  DmxOutputFrame frame{};
  PackOutputFrame(slots, frame);
  for (size_t k = 0; k < 9; ++k) EXPECT_EQ(le16(&frame[64 * k]), 62 * k) << "packet " << k;
  const std::pair<size_t, size_t> slotAt[] = {{0, 2},     {61, 63},   {62, 66},   {123, 127},
                                              {434, 450}, {495, 511}, {496, 514}, {511, 529}};
  for (const auto& [slot, offset] : slotAt) EXPECT_EQ(frame[offset], slots[slot]) << "slot " << slot;
  EXPECT_EQ(le16(&frame[530]), 512);
}

TEST(InputFrame, SlotsAreTakenByPositionFromAWholeFrame) {
  std::vector<uint8_t> frame(kInputFrameSize, 0);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
  DmxSlots slots{};
  ASSERT_TRUE(UnpackInputFrame(frame, slots));
  EXPECT_EQ(slots[0], frame[2]);
  EXPECT_EQ(slots[61], frame[63]);
  EXPECT_EQ(slots[62], frame[66]);
  EXPECT_EQ(slots[496], frame[514]);
  EXPECT_EQ(slots[511], frame[529]);

  // The output layout and the input layout agree on every slot.
  DmxOutputFrame out{};
  PackOutputFrame(numbered(), out);
  std::vector<uint8_t> in(out.begin(), out.end());
  in.resize(kInputFrameSize, 0);
  ASSERT_TRUE(UnpackInputFrame(in, slots));
  EXPECT_EQ(slots, numbered());
}

TEST(InputFrame, AShortBufferIsRefusedAndNothingIsWritten) {
  std::vector<uint8_t> frame(kInputFrameSize - 1, 7);
  DmxSlots slots{};
  EXPECT_FALSE(UnpackInputFrame(frame, slots));
  EXPECT_EQ(slots, DmxSlots{});
  EXPECT_FALSE(UnpackInputFrame({}, slots));
}

TEST(InputRead, TheFirstIndexAndTheSizeTellWhatCame) {
  const auto read = [](uint16_t index, size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    if (size >= 1) bytes[0] = static_cast<uint8_t>(index);
    if (size >= 2) bytes[1] = static_cast<uint8_t>(index >> 8);
    return ClassifyInputRead(bytes);
  };
  EXPECT_EQ(read(0, 576), InputRead::CompleteFrame);
  EXPECT_EQ(read(0, 575), InputRead::ShortFrameStart);
  EXPECT_EQ(read(0, 64), InputRead::ShortFrameStart) << "a packet starting a frame is no frame";
  EXPECT_EQ(read(496, 64), InputRead::LastPacket);
  EXPECT_EQ(read(496, 576), InputRead::LastPacket);
  EXPECT_EQ(read(62, 576), InputRead::Other);
  EXPECT_EQ(read(0, 1), InputRead::Other) << "less than an index";
  EXPECT_EQ(read(0, 0), InputRead::Other);
}

TEST(PortStatus, TheCounterIsBytesTwoAndThree) {
  const std::vector<uint8_t> answer = {0xAA, 0xBB, 0x34, 0x12};
  EXPECT_EQ(PortStatusCounter(answer), 0x1234);
  EXPECT_EQ(PortStatusCounter(std::span<const uint8_t>(answer.data(), 3)), std::nullopt);
}

}  // namespace
}  // namespace quillon
