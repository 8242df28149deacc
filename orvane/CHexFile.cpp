#include "orvane/CHexFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr size_t kLineEnd = 2;  // CR LF

// A record the parser calls malformed: cut short by its line's end (or the text's), or holding a
// character that is no digit, whichever comes first.
CHexFile::Fault malformedFault(std::string_view record) {
  const size_t limit = std::min(record.size(), intelhex::recordChars(255));
  for (size_t i = 1; i < limit; ++i) {
    if (record[i] == '\r' || record[i] == '\n') return CHexFile::Fault::CutShort;
    if (!intelhex::IsHexDigit(record[i], intelhex::Digits::UpperCaseOnly)) return CHexFile::Fault::BadDigit;
  }
  return CHexFile::Fault::CutShort;
}

}  // namespace

// Read without seeking, and only from a regular file: a pipe or a device would block the dialog or never
// end. O_NONBLOCK lets the open itself return for a FIFO without a writer.
bool CHexFile::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  std::string text;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char chunk[4096];
  while (ok) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (text.size() + static_cast<size_t>(n) > kMaxFileSize) {
      ok = false;
      break;
    }
    text.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) return false;
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

std::optional<CHexFile::FileFault> CHexFile::CheckWhole() const {
  const std::string_view text(text_);
  intelhex::HexRecord record;
  size_t at = 0;
  for (size_t line = 1;; ++line) {
    if (at >= text.size()) return FileFault{line, Fault::NoEndOfFile};
    const std::string_view rest = text.substr(at);
    const int type = intelhex::ParseHexRecord(rest, record, intelhex::Digits::UpperCaseOnly);
    if (type == intelhex::kNoColon) return FileFault{line, Fault::NotARecord};
    if (type == intelhex::kMalformed) return FileFault{line, malformedFault(rest)};
    if (type == intelhex::kBadChecksum) return FileFault{line, Fault::BadChecksum};
    if (type == intelhex::kEndOfFileRecord) return std::nullopt;
    // The parser took the record, so the text holds its characters; the line end may be missing.
    const size_t end = intelhex::recordChars(record.count);
    if (rest.substr(end, kLineEnd) != "\r\n") return FileFault{line, Fault::NoCrLf};
    at += end + kLineEnd;
  }
}

std::string CHexFile::Describe(const FileFault& fault) {
  const char* reason = "";
  switch (fault.fault) {
    case Fault::NoEndOfFile:
      reason = "no end-of-file record";
      break;
    case Fault::NotARecord:
      reason = "not a record (no ':' at its start)";
      break;
    case Fault::BadDigit:
      reason = "a digit other than 0-9 and A-F";
      break;
    case Fault::CutShort:
      reason = "record shorter than its count";
      break;
    case Fault::BadChecksum:
      reason = "checksum error";
      break;
    case Fault::NoCrLf:
      reason = "line does not end in CR LF";
      break;
  }
  return "line " + std::to_string(fault.line) + ": " + reason;
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
