// A simulated IIC board behind a console's USB microcontroller: its identity, its word-organised program
// memory, the boot state and the faults tests inject.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace simusb {

// Memory is kept as the bytes of the board's HEX files: byte address = 2 x word address.
//   words 0x170-0x17F  header block (bytes 0x2E0-0x2FF)
//   words 0x178-0x17D  ID block: even bytes id high, id low, code, extra, version high, version low
//   words 0x17E-0x17F  validity marks A5 and 5A (even bytes 0x2FC, 0x2FE)
//   words from 0x180   program (bytes from 0x300)
// A board runs its application after command CD only while the validity marks are set; otherwise it stays
// in its boot code, whose ident reports id 0xFF3F. Program and header writes need the board selected
// (command CC, then a two-byte write to word 0xFFAA); a write to an unselected board is not acknowledged.
class SimIicBoard {
 public:
  static constexpr size_t kMemoryBytes = 0x4000;
  static constexpr uint16_t kHeaderWord = 0x170;
  static constexpr uint16_t kIdBlockWord = 0x178;
  static constexpr uint16_t kVersionWord = 0x17C;
  static constexpr uint16_t kProgramWord = 0x180;
  static constexpr uint16_t kSelectWord = 0xFFAA;
  static constexpr uint16_t kBootId = 0xFF3F;
  static constexpr size_t kIdBlockByte = 2 * kIdBlockWord;
  static constexpr size_t kValidMarkByte = 2 * 0x17E;  // A5 here, 5A two bytes on
  static constexpr size_t kProgramByte = 2 * kProgramWord;
  static constexpr uint8_t kValidMark0 = 0xA5;
  static constexpr uint8_t kValidMark1 = 0x5A;

  struct Identity {
    uint16_t id = 0;
    uint8_t code = 0;
    uint8_t extra = 0;
    uint16_t version = 0;
    bool operator==(const Identity&) const = default;
  };

  // A board running its application, with this identity in its ID block and valid marks.
  explicit SimIicBoard(Identity identity);

  // --- the IIC commands the USB microcontroller's firmware passes on ---
  // C1: 6 bytes id high, id low, code, extra, version high, version low; nullopt when the ident fails.
  std::optional<std::array<uint8_t, 6>> ident() const;
  // C0 OUT at a word address; false when not acknowledged (unselected board, outside the memory).
  bool write(uint16_t word, std::span<const uint8_t> data);
  // C0 IN at a word address; false outside the memory.
  bool read(uint16_t word, std::span<uint8_t> out) const;
  void armSelect();     // CC
  void run();           // CD: leave the boot code if the marks allow, drop the selection
  void refreshIdent();  // CE: take the identity from the ID block

  // --- tests ---
  std::vector<uint8_t> memory() const;
  std::vector<uint8_t> program(size_t bytes) const;  // memory from the program's start
  void setMemory(size_t byteAddress, std::span<const uint8_t> bytes);
  Identity identity() const;  // what the board reports as itself (ident registers)
  bool inBootState() const;
  bool selected() const;
  void setBootState(bool boot);
  // Faults: the program byte at this offset is stored with these bits flipped; the version bytes of the
  // ID block never change; the ident fails.
  void setCorruptedByte(std::optional<size_t> programOffset, uint8_t flipMask = 0x01);
  void setVersionNeverTakes(bool on);
  void setIdentFails(bool on);

 private:
  Identity identityFromMemory() const;

  mutable std::mutex mutex_;
  std::vector<uint8_t> memory_;
  Identity identity_;
  bool boot_ = false;
  bool armed_ = false;
  bool selected_ = false;
  std::optional<size_t> corruptOffset_;
  uint8_t corruptMask_ = 0x01;
  bool versionNeverTakes_ = false;
  bool identFails_ = false;
};

}  // namespace simusb
