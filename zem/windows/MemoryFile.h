// Memory files (*.ZEF): a fixed header, the notes text and a copy of the fixture's EEPROM.
//
// Layout: header of kHeaderSize bytes, then notes-size bytes of notes (text lines in the Windows-1252 code
// page, CR LF after each),
// then image-size bytes of memory image (the word of address A at image offset 2 x A, its two bytes as
// the fixture's EEPROM read carries them). Integers in the header are unsigned 32-bit little-endian.
// The checksum is the 32-bit sum of every byte from offset 4 to the end of the file.
//
// This unit knows the bytes only; what the fixture window does with a file is in FixtureForm.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sys/result.h"

// An unreadable or damaged memory file: what the fixture window's file check raises. Carries only its
// message.
class EZEMFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace zef {

// Header fields: offset and size.
inline constexpr size_t kChecksum = 0;  // 4
inline constexpr size_t kMagic = 4;     // 3: "ZEM"
inline constexpr size_t kMagicSize = 3;
inline constexpr size_t kConstant = 7;  // 4: 0x00 0x01 0x01 0x00, written, never examined
inline constexpr size_t kConstantSize = 4;
inline constexpr size_t kTypeCode = 11;  // 5: family code (4) and variant (1)
inline constexpr size_t kTypeCodeSize = 5;
inline constexpr size_t kFirmwareMajor = 16;
inline constexpr size_t kFirmwareMinor = 17;
inline constexpr size_t kFirmwareBuild = 18;
inline constexpr size_t kMemoryMapVersion = 19;  // 4: major, minor, build, fourth byte
inline constexpr size_t kMemoryMapVersionSize = 4;
inline constexpr size_t kImageSize = 23;  // 4
inline constexpr size_t kNotesSize = 27;  // 4
inline constexpr size_t kReserved = 31;   // all zero
inline constexpr size_t kReservedSize = 1024;
inline constexpr size_t kHeaderSize = 1055;
static_assert(kReserved + kReservedSize == kHeaderSize, "header fields must fill the header exactly");
static_assert(kNotesSize + 4 == kReserved && kImageSize + 4 == kNotesSize);
static_assert(kHeaderSize == 1055, "stored files have a 1055-byte header");

inline constexpr std::array<uint8_t, kMagicSize> kMagicBytes = {'Z', 'E', 'M'};
inline constexpr std::array<uint8_t, kConstantSize> kConstantBytes = {0x00, 0x01, 0x01, 0x00};

}  // namespace zef

// Who the image belongs to, as written into the header.
struct TMemoryFileIdentity {
  std::array<uint8_t, zef::kTypeCodeSize> typeCode{};
  uint8_t firmwareMajor = 0;
  uint8_t firmwareMinor = 0;
  uint8_t firmwareBuild = 0;
  std::array<uint8_t, zef::kMemoryMapVersionSize> memoryMapVersion{};
};

// The identity of the fixture FixtureData describes (type code, main-CPU firmware, memory-map version).
TMemoryFileIdentity IdentityFromFixtureData();

// The 32-bit byte sum of data from offset 4 on (0 for shorter data).
uint32_t MemoryFileChecksum(std::span<const uint8_t> file);

// A whole file: header (checksum filled in), notes, image.
std::vector<uint8_t> BuildMemoryFile(const TMemoryFileIdentity& identity, std::span<const uint8_t> notes,
                                     std::span<const uint8_t> image);

// What a checked file holds. The spans point into the buffer that was parsed.
struct TMemoryFileView {
  TMemoryFileIdentity identity;
  uint32_t memoryMapVersion = 0;  // the four version bytes as one little-endian value
  std::span<const uint8_t> notes;
  std::span<const uint8_t> image;
};

// Checks a loaded file and splits it. Fails with the user's message when the file is shorter than a
// header, lacks the magic, fails its checksum, or declares notes and image sizes that the file does not
// hold.
sys::Result<TMemoryFileView> ParseMemoryFile(std::span<const uint8_t> file);

// Notes as stored: each line in the Windows-1252 code page followed by CR LF. A character the code page
// cannot hold becomes '?'; replaced counts them.
std::vector<uint8_t> NotesToBytes(const std::vector<std::string>& lines, size_t& replaced);
std::vector<uint8_t> NotesToBytes(const std::vector<std::string>& lines);
// Stored notes back to UTF-8 lines (split at CR LF, CR or LF; a final line break adds no empty line).
std::vector<std::string> NotesFromBytes(std::span<const uint8_t> notes);

// Whole file into memory; fails with a message naming the file when it cannot be read.
sys::Result<std::vector<uint8_t>> LoadFileBytes(const std::string& path);
// Writes the bytes to the path through a temporary file beside it, so that a failed write leaves any
// earlier file untouched and no partial file behind.
sys::Result<void> SaveFileBytes(const std::string& path, std::span<const uint8_t> data);
