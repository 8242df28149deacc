// The firmware tool's reader of IIC board HEX files: records one after another and the byte ranges the
// board update takes from them (the ID block, the header block, the program). A range read answers a size
// inside its buffer or an error, leaves nothing past what it reports, holds only bytes the file's data
// records give for those addresses, and reads the same twice.
#include <algorithm>
#include <cstdint>
#include <map>
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

void checkRange(CHexFile& file, const std::map<uint32_t, std::set<uint8_t>>& given, uint32_t start,
                size_t length) {
  std::vector<uint8_t> buffer(length, 0xEE);
  const int result = file.ReadRange(start, buffer);
  if (result < 0) {
    FUZZ_CHECK(result == CHexFile::kStartNotFound || result == CHexFile::kRecordBelowStart ||
                   result == intelhex::kNoColon || result == intelhex::kMalformed ||
                   result == intelhex::kBadChecksum,
               "a refusal is one of the reader's codes");
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

}  // namespace

// Input: a start address and a length for one more range (16 bits each), then the file's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const uint32_t start = in.word();
  const size_t length = in.word() % 8193;
  const auto text = in.rest();
  CHexFile file(std::string(text.begin(), text.end()));
  const auto given = recordBytes(file);
  checkRange(file, given, 0x2F0, 12);    // ID block
  checkRange(file, given, 0x2E0, 32);    // header block
  checkRange(file, given, 0x300, 8192);  // program
  checkRange(file, given, start, length);
  return 0;
}
