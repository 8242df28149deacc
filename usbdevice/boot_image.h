// EEPROM boot images of the EZ-USB chips (files *.b6, *.c2, *.iic): the words of the image's trailer and the
// chain of load records inside it. Every read is checked against the image's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace bootimage {

inline constexpr uint8_t kKindAn21 = 0xB6;  // byte 0 of an image for the AN21xx family
inline constexpr uint8_t kKindFx2 = 0xC2;   // byte 0 of an image for the FX2
inline constexpr size_t kFirstLoadRecord = 9;
inline constexpr size_t kLoadRecordHeaderSize = 4;      // length, then target address, both big-endian
inline constexpr uint16_t kResetRegisterAn21 = 0x7F92;  // a load record aimed here ends the chain

// Distances of the trailer words from the image's end.
inline constexpr size_t kTrailerWordFromEnd = 11;
inline constexpr size_t kProductIdFromEnd = 9;
inline constexpr size_t kVersionFromEnd = 7;

// ReadLoadRecordHeader results.
inline constexpr int kRecordRead = 0;
inline constexpr int kEndOfImage = -1;
inline constexpr int kResetRecord = -2;
inline constexpr int kTruncatedRecord = -3;  // fewer than 4 bytes left for the header

}  // namespace bootimage

// Trailer words; nullopt when the image is too small to hold them.
[[nodiscard]] std::optional<uint16_t> GetImageProductId(std::span<const uint8_t> image);
[[nodiscard]] std::optional<uint16_t> GetImageVersion(std::span<const uint8_t> image);  // high byte major
[[nodiscard]] std::optional<uint16_t> GetImageTrailerWord(std::span<const uint8_t> image);

// Reads the load record header at position and advances position past it (not past the data). Returns
// kRecordRead, kResetRecord for the record aimed at the reset register, kEndOfImage at or past the end, or
// kTruncatedRecord (position unchanged) when the header does not fit.
[[nodiscard]] int ReadLoadRecordHeader(std::span<const uint8_t> image, size_t& position, uint16_t& address,
                                       uint16_t& length);

// The position just past the header of the record aimed at the reset register, or a position at or past the
// image's size when the chain has none.
[[nodiscard]] size_t FindResetLoadRecord(std::span<const uint8_t> image);
