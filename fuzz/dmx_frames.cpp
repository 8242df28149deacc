// The DMX library's input side: what one bulk read of a box brings (the 576-byte input frame, a short read
// or a resync packet) and the port status answer. Only a whole frame starting at slot 0 counts as a frame;
// its slots are the bytes at their places in the nine packets, and packing the same slots for output puts
// them at the same places.
#include <algorithm>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "quillon/dmx_frames.h"

namespace {

using namespace quillon;

// Where slot s travels in either frame: packet s / 62, two bytes of index before the slots.
size_t slotPlace(size_t slot) {
  return (slot / kSlotsPerPacket) * kPacketSize + 2 + slot % kSlotsPerPacket;
}

void checkRead(std::span<const uint8_t> received) {
  const InputRead kind = ClassifyInputRead(received);
  const int index = received.size() >= 2 ? received[0] | (received[1] << 8) : -1;
  switch (kind) {
    case InputRead::CompleteFrame:
      FUZZ_CHECK(index == 0 && received.size() == kInputFrameSize, "a frame is 576 bytes from slot 0");
      break;
    case InputRead::ShortFrameStart:
      FUZZ_CHECK(index == 0 && received.size() != kInputFrameSize, "a short frame start is no frame");
      break;
    case InputRead::LastPacket:
      FUZZ_CHECK(index == kLastPacketIndex, "the last packet carries slot 496 first");
      break;
    case InputRead::Other:
      FUZZ_CHECK(index != 0 && index != kLastPacketIndex, "other reads start elsewhere");
      break;
  }

  DmxSlots slots;
  slots.fill(0xAB);
  const bool unpacked = UnpackInputFrame(received, slots);
  FUZZ_CHECK(unpacked == (received.size() >= kInputFrameSize), "only a whole frame unpacks");
  if (!unpacked) {
    FUZZ_CHECK(std::all_of(slots.begin(), slots.end(), [](uint8_t b) { return b == 0xAB; }),
               "a refused frame writes no slot");
    return;
  }
  for (size_t s = 0; s < kDmxSlots; ++s) FUZZ_CHECK(slots[s] == received[slotPlace(s)], "slot at its place");

  DmxOutputFrame out{};
  PackOutputFrame(slots, out);
  for (size_t s = 0; s < kDmxSlots; ++s)
    FUZZ_CHECK(out[slotPlace(s)] == slots[s], "output slot at its place");
  for (size_t k = 0; k < kFramePackets; ++k)
    FUZZ_CHECK(
        (out[k * kPacketSize] | (out[k * kPacketSize + 1] << 8)) == static_cast<int>(k * kSlotsPerPacket),
        "each output packet names its first slot");
  FUZZ_CHECK(
      (out[kOutputTrailerOffset] | (out[kOutputTrailerOffset + 1] << 8)) == static_cast<int>(kDmxSlots),
      "the output frame ends with 512");
}

void checkStatus(std::span<const uint8_t> answer) {
  const auto counter = PortStatusCounter(answer);
  if (answer.size() < kPortStatusSize) {
    FUZZ_CHECK(!counter, "a short status answer has no counter");
  } else {
    FUZZ_CHECK(counter && *counter == (answer[2] | (answer[3] << 8)), "the counter is bytes 2-3");
  }
}

}  // namespace

// Input: reads one after another, each a 16-bit length and its bytes (as a reader thread meets them), then
// port status answers, each a length byte and its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const uint8_t reads = in.byte() % 8;
  for (uint8_t k = 0; k < reads && !in.empty(); ++k) checkRead(in.longChunk());
  while (!in.empty()) checkStatus(in.chunk());
  return 0;
}
