// Reader of the Intel HEX files that carry an IIC board's firmware: records read one after another from
// the file's position, byte ranges gathered from the data records, and the check that the file is whole.
// Works on text in memory too, so the parsing can be driven on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "usbdevice/intel_hex.h"

class CHexFile {
 public:
  // A file larger than this is no firmware file; it is refused when opened.
  static constexpr size_t kMaxFileSize = size_t{4} << 20;
  // ReadRange results below zero besides intelhex's reader results.
  static constexpr int kStartNotFound = -2;     // no data record reaches the start
  static constexpr int kRecordBelowStart = -4;  // a data record after the start lies below it

  CHexFile() = default;
  // A reader over text in memory.
  explicit CHexFile(std::string text) : text_(std::move(text)) {}

  // Why a file fails the whole-file check.
  enum class Fault {
    NoEndOfFile,  // the text ends before an end-of-file record
    NotARecord,   // the line does not begin with ':'
    BadDigit,     // a character other than 0-9 and A-F where a digit stands
    CutShort,     // the line ends before the digits its count says
    BadChecksum,  // the record's bytes do not sum to zero
    NoCrLf,       // the record is not followed by exactly CR LF
  };
  struct FileFault {
    size_t line = 0;  // counted from 1; for NoEndOfFile the line after the last
    Fault fault = Fault::NoEndOfFile;
  };

  // Reads the file whole; false when it is no regular file, cannot be read or is too large. The position
  // starts at 0.
  [[nodiscard]] bool Open(const std::string& path);
  void Close();

  // Walks every line from the start, as the record reader steps, to the end-of-file record: the first
  // line that is no whole record followed by CR LF, or the missing end-of-file record; nothing when the
  // file is whole. What follows the end-of-file record (its own line end too) is not looked at, and the
  // position is left as it was.
  [[nodiscard]] std::optional<FileFault> CheckWhole() const;
  // "line 61: no end-of-file record": the fault in words fit for the log.
  static std::string Describe(const FileFault& fault);

  // Parses the record at the position: its type, or intelhex::kNoRecord at the end of the file,
  // kNoColon, kMalformed or kBadChecksum. Digits are upper case only and every line must end in exactly
  // CR LF: the next record is looked for two characters after the checksum.
  [[nodiscard]] int ReadRecord();
  // The last record read.
  const intelhex::HexRecord& Record() const { return record_; }
  void Rewind() { position_ = 0; }
  uint32_t Position() const { return position_; }

  // Fills the buffer with the bytes of the data records that fall in [start, start + buffer size), each
  // at its own offset from the start; bytes no record gives stay 0. Returns the count of bytes from the
  // start to the end of the last data copied, kStartNotFound, kRecordBelowStart, or the error of a
  // record the reader refuses. Reading ends at the end of the file or its end-of-file record, and, as
  // records are expected in ascending address order, at a record that reaches past the buffer's end or
  // starts at or past it.
  [[nodiscard]] int ReadRange(uint32_t start, std::span<uint8_t> buffer);

 private:
  std::string text_;
  uint32_t position_ = 0;
  intelhex::HexRecord record_;
};
