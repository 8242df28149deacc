// The firmware tool's reader of IIC board HEX files: records one after another and the byte ranges the
// board update takes from them (the ID block, the header block, the program), and the whole-file check made
// when the file is opened. A range read answers a size inside its buffer or an error, leaves nothing past
// what it reports, holds only bytes the file's data records give for those addresses, and reads the same
// twice; the check agrees with the record reader about the first line that fails.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "orvane/CHexFile.h"

namespace {

// Every byte any data record of the file gives, by address (a record refused ends the list).
std::map<uint32_t, std::set<uint8_t>> recordBytes(CHexFile& file) {
  std::map<uint32_t, std::set<uint8_t>> bytes;
  file.Rewind();
  for (int guard = 0; guard < 1 << 20; ++guard) {
    const uint32_t before = file.Position();
    const int type = file.ReadRecord();
    if (type < 0 || type == intelhex::kEndOfFileRecord) break;
    FUZZ_CHECK(file.Position() > before, "an accepted record moves on");
    if (type != intelhex::kDataRecord) continue;
    const intelhex::HexRecord& r = file.Record();
    for (size_t i = 0; i < r.count; ++i) bytes[r.address() + static_cast<uint32_t>(i)].insert(r.data[i]);
  }
  return bytes;
}

void checkRange(CHexFile& file, const std::map<uint32_t, std::set<uint8_t>>& given, bool whole,
                uint32_t start, size_t length) {
  std::vector<uint8_t> buffer(length, 0xEE);
  const int result = file.ReadRange(start, buffer);
  if (result < 0) {
    // kNoColon and kStartNotFound are one value, so only the other refusals tell of a record.
    const bool recordRefused = result == intelhex::kMalformed || result == intelhex::kBadChecksum;
    FUZZ_CHECK(result == CHexFile::kStartNotFound || result == CHexFile::kRecordBelowStart ||
                   result == intelhex::kNoColon || recordRefused,
               "a refusal is one of the reader's codes");
    FUZZ_CHECK(!whole || !recordRefused, "a file the check took has no record the reader refuses");
    return;
  }
  FUZZ_CHECK(static_cast<size_t>(result) <= length, "a range read stays in its buffer");
  for (size_t i = 0; i < length; ++i) {
    if (i >= static_cast<size_t>(result)) {
      FUZZ_CHECK(buffer[i] == 0, "nothing lies past what the read reports");
      continue;
    }
    if (buffer[i] == 0) continue;  // a gap, or a zero byte of the file
    const auto it = given.find(start + static_cast<uint32_t>(i));
    FUZZ_CHECK(it != given.end() && it->second.count(buffer[i]) != 0, "every byte comes from a data record");
  }
  std::vector<uint8_t> again(length, 0x11);
  FUZZ_CHECK(file.ReadRange(start, again) == result && again == buffer, "a range reads the same twice");
}

// The whole-file check agrees with the record reader: a whole file reads record by record to its
// end-of-file record; a refused one reads without a fault up to the line named, and that line fails in
// the reader as the reason says (a missing line end alone is the reader's to miss).
void checkWhole(CHexFile& file, size_t size) {
  const std::optional<CHexFile::FileFault> fault = file.CheckWhole();
  const std::optional<CHexFile::FileFault> again = file.CheckWhole();
  FUZZ_CHECK(fault.has_value() == again.has_value() &&
                 (!fault || (fault->line == again->line && fault->fault == again->fault)),
             "the check answers the same twice");
  FUZZ_CHECK(!fault || (fault->line >= 1 && fault->line <= size + 1), "a fault names a line of the file");
  FUZZ_CHECK(!fault || CHexFile::Describe(*fault).rfind("line " + std::to_string(fault->line) + ": ", 0) == 0,
             "the description names the line");
  file.Rewind();
  const size_t lastGood = fault ? fault->line - 1 : size + 1;
  size_t line = 1;
  for (; line <= lastGood; ++line) {
    const int type = file.ReadRecord();
    if (!fault) {
      FUZZ_CHECK(type >= 0, "a whole file reads without a refused record");
      if (type == intelhex::kEndOfFileRecord) break;
      continue;
    }
    FUZZ_CHECK(type >= 0 && type != intelhex::kEndOfFileRecord, "the lines before the fault read as records");
  }
  if (!fault) {
    FUZZ_CHECK(line <= lastGood, "a whole file has its end-of-file record");
    return;
  }
  const int type = file.ReadRecord();
  switch (fault->fault) {
    case CHexFile::Fault::NoEndOfFile:
      FUZZ_CHECK(type == intelhex::kNoRecord, "no end-of-file record: the text ends there");
      break;
    case CHexFile::Fault::NotARecord:
      FUZZ_CHECK(type == intelhex::kNoColon, "not a record: no ':'");
      break;
    case CHexFile::Fault::BadDigit:
    case CHexFile::Fault::CutShort:
      FUZZ_CHECK(type == intelhex::kMalformed, "a bad digit or a short record is malformed");
      break;
    case CHexFile::Fault::BadChecksum:
      FUZZ_CHECK(type == intelhex::kBadChecksum, "a checksum error");
      break;
    case CHexFile::Fault::NoCrLf:
      FUZZ_CHECK(type >= 0 && type != intelhex::kEndOfFileRecord, "a line without CR LF holds a record");
      break;
  }
}

}  // namespace

// Input: a start address and a length for one more range (16 bits each), then the file's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const uint32_t start = in.word();
  const size_t length = in.word() % 8193;
  const auto text = in.rest();
  CHexFile file(std::string(text.begin(), text.end()));
  checkWhole(file, text.size());
  const bool whole = !file.CheckWhole();
  const auto given = recordBytes(file);
  checkRange(file, given, whole, 0x2F0, 12);    // ID block
  checkRange(file, given, whole, 0x2E0, 32);    // header block
  checkRange(file, given, whole, 0x300, 8192);  // program
  checkRange(file, given, whole, start, length);
  return 0;
}
