// Byte-order helpers for the USB programs: 16-bit fields in little- and big-endian order, bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace byteorder {

// Reads: nullopt when the two bytes do not lie inside the span (the bytes come from outside).
[[nodiscard]] inline std::optional<uint16_t> le16(std::span<const uint8_t> bytes, size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}
[[nodiscard]] inline std::optional<uint16_t> be16(std::span<const uint8_t> bytes, size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

// Writes into fixed layouts whose offsets the caller's static_asserts already keep inside the span.
inline void putLe16(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}
inline void putBe16(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value >> 8);
  bytes[offset + 1] = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace byteorder
