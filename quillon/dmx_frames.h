// The DMX frame formats on the box's bulk endpoints and the port status answer: pure packing and
// unpacking over bounds-checked byte spans (no device, no state), so each parser can run on its own.
//
// DmxOutputFrame (532 bytes, one bulk OUT transfer): nine packets, each led by the little-endian index
// of its first slot; packets 0-7 carry 62 slots each, packet 8 the last 16; a little-endian 512 ends it.
// DmxInputFrame (576 bytes, one bulk IN transfer): nine 64-byte packets, each led by the index of its
// first slot (0, 62, ..., 496); slots at the same places as in the output frame; bytes 530-575 unused.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quillon {

inline constexpr size_t kDmxSlots = 512;
inline constexpr size_t kPacketSize = 64;
inline constexpr size_t kSlotsPerPacket = 62;
inline constexpr size_t kFramePackets = 9;
inline constexpr size_t kOutputFrameSize = 532;
inline constexpr size_t kInputFrameSize = kFramePackets * kPacketSize;               // 576
inline constexpr size_t kOutputTrailerOffset = kOutputFrameSize - 2;                 // the trailing 512
inline constexpr uint16_t kLastPacketIndex = (kFramePackets - 1) * kSlotsPerPacket;  // 496
inline constexpr size_t kLastPacketSlots = kDmxSlots - kLastPacketIndex;             // 16
static_assert(2 + (kFramePackets - 1) * kPacketSize + kLastPacketSlots == kOutputTrailerOffset);
static_assert(kInputFrameSize == 576);

// The port status answer (request 0x18): bytes 2-3 the port's frame counter, little-endian.
inline constexpr size_t kPortStatusSize = 4;
inline constexpr size_t kPortStatusCounterOffset = 2;

using DmxSlots = std::array<uint8_t, kDmxSlots>;
using DmxOutputFrame = std::array<uint8_t, kOutputFrameSize>;

// Packs 512 slot values into an output frame.
void PackOutputFrame(std::span<const uint8_t, kDmxSlots> slots, std::span<uint8_t, kOutputFrameSize> frame);

// Copies the slot bytes of an input frame by position (the indexes of packets 1-8 are not checked).
// False, and nothing written, when fewer than kInputFrameSize bytes are given.
bool UnpackInputFrame(std::span<const uint8_t> frame, std::span<uint8_t, kDmxSlots> slots);

// What one bulk IN read brought, judged by the index of its first packet.
enum class InputRead {
  CompleteFrame,    // index 0 and a whole 576-byte frame
  ShortFrameStart,  // index 0 but fewer bytes: not a frame
  LastPacket,       // index 496: the next read starts a frame
  Other,            // another index, or less than an index came
};
InputRead ClassifyInputRead(std::span<const uint8_t> received);

// The frame counter of a port status answer; nothing when the answer is too short.
std::optional<uint16_t> PortStatusCounter(std::span<const uint8_t> answer);

}  // namespace quillon
