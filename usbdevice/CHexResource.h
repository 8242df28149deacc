// Reader of the Intel HEX loader programs that the firmware tool carries inside itself.
#pragma once

#include <cstdint>
#include <string>

#include "usbdevice/intel_hex.h"

class CHexResource {
 public:
  // The embedded HEX text with this resource id (loader_images.h); an unknown id gives a reader with no
  // lines.
  explicit CHexResource(int resourceId);
  // A reader over the given text (tests, and HEX text from elsewhere).
  static CHexResource FromText(std::string text);

  uint64_t GetTotalSize() const { return text_.size(); }
  uint64_t GetBytesRead() const { return bytesRead_; }

  // Parses the current line: its type (0 data, 1 end of file), or intelhex::kNoRecord when no line is left,
  // kNoColon, kMalformed or kBadChecksum. A failing line stays current.
  [[nodiscard]] int ReadRecord();
  // The last record accepted.
  const intelhex::HexRecord& Record() const { return record_; }

 private:
  CHexResource() = default;
  void skipEmptyLines();

  std::string text_;
  size_t current_ = 0;  // start of the current line; text_.size() when none is left
  uint64_t bytesRead_ = 0;
  intelhex::HexRecord record_;
};
