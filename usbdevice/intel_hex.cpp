#include "usbdevice/intel_hex.h"

#include <optional>

namespace intelhex {

namespace {

std::optional<uint8_t> digitValue(char c, Digits digits) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (digits == Digits::AnyCase && c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

// The byte written as two digits at text[pos]; the caller has checked the length.
std::optional<uint8_t> byteAt(std::string_view text, size_t pos, Digits digits) {
  auto high = digitValue(text[pos], digits);
  auto low = digitValue(text[pos + 1], digits);
  if (!high || !low) return std::nullopt;
  return static_cast<uint8_t>((*high << 4) | *low);
}

}  // namespace

bool IsHexDigit(char c, Digits digits) {
  return digitValue(c, digits).has_value();
}

int ParseHexRecord(std::string_view text, HexRecord& record, Digits digits) {
  if (text.empty() || text[0] != ':') return kNoColon;
  if (text.size() < recordChars(0)) return kMalformed;
  auto count = byteAt(text, 1, digits);
  if (!count) return kMalformed;
  if (text.size() < recordChars(*count)) return kMalformed;

  HexRecord parsed;
  parsed.count = *count;
  uint8_t sum = parsed.count;
  size_t pos = 3;
  auto next = [&]() -> std::optional<uint8_t> {
    auto b = byteAt(text, pos, digits);
    pos += 2;
    if (b) sum = static_cast<uint8_t>(sum + *b);
    return b;
  };
  auto high = next();
  auto low = next();
  auto type = next();
  if (!high || !low || !type) return kMalformed;
  parsed.addressHigh = *high;
  parsed.addressLow = *low;
  parsed.type = *type;
  for (size_t i = 0; i < parsed.count; ++i) {
    auto b = next();
    if (!b) return kMalformed;
    parsed.data[i] = *b;
  }
  auto checksum = next();
  if (!checksum) return kMalformed;
  parsed.checksum = *checksum;
  if (sum != 0) return kBadChecksum;
  record = parsed;
  return parsed.type;
}

}  // namespace intelhex
