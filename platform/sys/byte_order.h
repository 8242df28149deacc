// Little- and big-endian 16- and 32-bit values in byte buffers. Every access is bounds-checked: a value
// that would reach past the end of the buffer raises std::out_of_range instead of reading or writing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace sys {

namespace detail {
inline void requireBytes(size_t size, size_t offset, size_t count) {
  if (offset > size || size - offset < count) throw std::out_of_range("byte field beyond the buffer");
}
}  // namespace detail

inline uint16_t getLE16(std::span<const uint8_t> data, size_t offset) {
  detail::requireBytes(data.size(), offset, 2);
  return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline uint16_t getBE16(std::span<const uint8_t> data, size_t offset) {
  detail::requireBytes(data.size(), offset, 2);
  return static_cast<uint16_t>((data[offset] << 8) | data[offset + 1]);
}

inline uint32_t getLE32(std::span<const uint8_t> data, size_t offset) {
  detail::requireBytes(data.size(), offset, 4);
  return static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
         (static_cast<uint32_t>(data[offset + 2]) << 16) | (static_cast<uint32_t>(data[offset + 3]) << 24);
}

inline uint32_t getBE32(std::span<const uint8_t> data, size_t offset) {
  detail::requireBytes(data.size(), offset, 4);
  return (static_cast<uint32_t>(data[offset]) << 24) | (static_cast<uint32_t>(data[offset + 1]) << 16) |
         (static_cast<uint32_t>(data[offset + 2]) << 8) | static_cast<uint32_t>(data[offset + 3]);
}

inline void putLE16(std::span<uint8_t> data, size_t offset, uint16_t value) {
  detail::requireBytes(data.size(), offset, 2);
  data[offset] = static_cast<uint8_t>(value);
  data[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void putBE16(std::span<uint8_t> data, size_t offset, uint16_t value) {
  detail::requireBytes(data.size(), offset, 2);
  data[offset] = static_cast<uint8_t>(value >> 8);
  data[offset + 1] = static_cast<uint8_t>(value);
}

inline void putLE32(std::span<uint8_t> data, size_t offset, uint32_t value) {
  detail::requireBytes(data.size(), offset, 4);
  for (size_t i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void putBE32(std::span<uint8_t> data, size_t offset, uint32_t value) {
  detail::requireBytes(data.size(), offset, 4);
  for (size_t i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>(value >> (8 * (3 - i)));
}

}  // namespace sys
