#include "quillon/dmx_frames.h"

#include <algorithm>

#include "platform/sys/byte_order.h"

namespace quillon {

namespace {

// Where packet k's slots start in either frame.
constexpr size_t slotsOffset(size_t packet) {
  return packet * kPacketSize + 2;
}
constexpr size_t slotsInPacket(size_t packet) {
  return packet + 1 < kFramePackets ? kSlotsPerPacket : kLastPacketSlots;
}

}  // namespace

void PackOutputFrame(std::span<const uint8_t, kDmxSlots> slots, std::span<uint8_t, kOutputFrameSize> frame) {
  for (size_t k = 0; k < kFramePackets; ++k) {
    sys::putLE16(frame, k * kPacketSize, static_cast<uint16_t>(k * kSlotsPerPacket));
    std::copy_n(slots.begin() + static_cast<ptrdiff_t>(k * kSlotsPerPacket), slotsInPacket(k),
                frame.begin() + static_cast<ptrdiff_t>(slotsOffset(k)));
  }
  sys::putLE16(frame, kOutputTrailerOffset, static_cast<uint16_t>(kDmxSlots));
}

bool UnpackInputFrame(std::span<const uint8_t> frame, std::span<uint8_t, kDmxSlots> slots) {
  if (frame.size() < kInputFrameSize) return false;
  for (size_t k = 0; k < kFramePackets; ++k) {
    std::copy_n(frame.begin() + static_cast<ptrdiff_t>(slotsOffset(k)), slotsInPacket(k),
                slots.begin() + static_cast<ptrdiff_t>(k * kSlotsPerPacket));
  }
  return true;
}

InputRead ClassifyInputRead(std::span<const uint8_t> received) {
  if (received.size() < 2) return InputRead::Other;
  const uint16_t index = sys::getLE16(received, 0);
  if (index == 0)
    return received.size() == kInputFrameSize ? InputRead::CompleteFrame : InputRead::ShortFrameStart;
  if (index == kLastPacketIndex) return InputRead::LastPacket;
  return InputRead::Other;
}

std::optional<uint16_t> PortStatusCounter(std::span<const uint8_t> answer) {
  if (answer.size() < kPortStatusSize) return std::nullopt;
  return sys::getLE16(answer, kPortStatusCounterOffset);
}

}  // namespace quillon
