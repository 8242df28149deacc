#include "orvane/CHexFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {
constexpr size_t kLineEnd = 2;  // CR LF
}

bool CHexFile::Open(const std::string& path) {
  Close();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFileSize) return false;
  in.seekg(0, std::ios::beg);
  std::string text(static_cast<size_t>(size), '\0');
  if (!in.read(text.data(), size)) return false;
  text_ = std::move(text);
  return true;
}

void CHexFile::Close() {
  text_.clear();
  position_ = 0;
}

int CHexFile::ReadRecord() {
  if (position_ >= text_.size()) return intelhex::kNoRecord;
  const std::string_view rest = std::string_view(text_).substr(position_);
  const int type = intelhex::ParseHexRecord(rest, record_, intelhex::Digits::UpperCaseOnly);
  if (type < 0) return type;
  const size_t next = position_ + intelhex::recordChars(record_.count) + kLineEnd;
  position_ = static_cast<uint32_t>(std::min(next, text_.size()));
  return type;
}

// Offsets are taken at full width: a record after a gap lands at its own offset (the gap stays 0), and a
// record that would land before the buffer is refused rather than wrapped onto it.
int CHexFile::ReadRange(uint32_t start, std::span<uint8_t> buffer) {
  std::fill(buffer.begin(), buffer.end(), uint8_t{0});
  Rewind();
  const uint64_t length = buffer.size();
  bool found = false;
  uint64_t end = 0;
  for (;;) {
    const int type = ReadRecord();
    // The end of the file, or its end-of-file record, ends the data; a record the reader refuses is an
    // error wherever it lies, so that a damaged line never shortens the program unnoticed.
    if (type == intelhex::kNoRecord || type == intelhex::kEndOfFileRecord) break;
    if (type < 0) return type;
    if (type != intelhex::kDataRecord || record_.count == 0) continue;
    const uint64_t address = record_.address();
    const uint64_t count = record_.count;
    const uint8_t* data = record_.data.data();
    if (!found) {
      if (address + count <= start) continue;
      if (address > start) return kStartNotFound;  // the start lies in a gap before this record
      const uint64_t offset = start - address;
      const uint64_t n = std::min(count - offset, length);
      std::copy_n(data + offset, n, buffer.begin());
      found = true;
      end = n;
      if (n < count - offset) break;
      continue;
    }
    if (address < start) return kRecordBelowStart;
    const uint64_t at = address - start;
    if (at >= length) break;
    const uint64_t n = std::min(count, length - at);
    std::copy_n(data, n, buffer.begin() + static_cast<ptrdiff_t>(at));
    end = std::max(end, at + n);
    if (n < count) break;
  }
  if (!found) return kStartNotFound;
  return static_cast<int>(end);
}
