// Intel HEX records and the reader of the HEX text the firmware tool carries for its RAM loaders. An accepted
// record is exactly what its characters say (written back it gives the same text), sums to zero and fits
// the text; a refused one leaves the last record as it was; the reader never counts more than the text.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "usbdevice/CHexResource.h"
#include "usbdevice/intel_hex.h"

namespace {

using intelhex::HexRecord;

std::string recordText(const HexRecord& r) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = ":";
  auto put = [&](uint8_t b) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  };
  put(r.count);
  put(r.addressHigh);
  put(r.addressLow);
  put(r.type);
  for (uint8_t b : r.bytes()) put(b);
  put(r.checksum);
  return text;
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool sameRecord(const HexRecord& a, const HexRecord& b) {
  return a.count == b.count && a.addressHigh == b.addressHigh && a.addressLow == b.addressLow &&
         a.type == b.type && a.checksum == b.checksum && a.data == b.data;
}

HexRecord sentinel() {
  HexRecord r;
  r.count = 0xA5;
  r.type = 0x5A;
  r.data.fill(0xEE);
  return r;
}

void checkRecord(std::string_view text, intelhex::Digits digits) {
  HexRecord record = sentinel();
  const int result = intelhex::ParseHexRecord(text, record, digits);
  if (result < 0) {
    FUZZ_CHECK(
        result == intelhex::kNoColon || result == intelhex::kMalformed || result == intelhex::kBadChecksum,
        "a refusal is one of the reader's codes");
    FUZZ_CHECK(sameRecord(record, sentinel()), "a refused record leaves the last one as it was");
    return;
  }
  FUZZ_CHECK(result == record.type, "an accepted record answers its type");
  const std::string written = recordText(record);
  FUZZ_CHECK(text.size() >= written.size(), "an accepted record fits its text");
  FUZZ_CHECK(upper(text.substr(0, written.size())) == written,
             "an accepted record is what its characters say");
  if (digits == intelhex::Digits::UpperCaseOnly)
    FUZZ_CHECK(text.substr(0, written.size()) == written, "upper-case reading takes upper-case digits only");
  uint8_t sum = static_cast<uint8_t>(record.count + record.addressHigh + record.addressLow + record.type +
                                     record.checksum);
  for (uint8_t b : record.bytes()) sum = static_cast<uint8_t>(sum + b);
  FUZZ_CHECK(sum == 0, "an accepted record sums to zero");
}

void checkReader(const std::string& text) {
  CHexResource reader = CHexResource::FromText(text);
  FUZZ_CHECK(reader.GetTotalSize() == text.size(), "the total size is the text's");
  uint64_t before = 0;
  for (;;) {
    const int result = reader.ReadRecord();
    FUZZ_CHECK(reader.GetBytesRead() <= reader.GetTotalSize(), "the bytes read stay within the text");
    if (result < 0) {
      // A failing line stays current: asking again gives the same answer and reads nothing.
      FUZZ_CHECK(reader.ReadRecord() == result, "a failing line fails again");
      FUZZ_CHECK(reader.GetBytesRead() == before, "a failing line reads nothing");
      return;
    }
    FUZZ_CHECK(reader.GetBytesRead() > before, "an accepted line moves on");
    FUZZ_CHECK(result == reader.Record().type, "the reader answers the record's type");
    before = reader.GetBytesRead();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  checkRecord(text, intelhex::Digits::AnyCase);
  checkRecord(text, intelhex::Digits::UpperCaseOnly);
  checkReader(text);
  return 0;
}
