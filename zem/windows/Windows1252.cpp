#include "zem/windows/Windows1252.h"

#include <array>

namespace {

// Code points of bytes 0x80..0x9F; the rest of the code page is the same number as a code point.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePointOf(uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at text[i] and its length in bytes; length 0 for a byte that starts no valid sequence.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
  } else {
    return {0, 0};
  }
  if (i + length > text.size()) return {0, 0};
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not characters.
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, length};
}

// The code page's byte for a code point, or -1 when it has none.
int ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == c) return static_cast<int>(0x80 + k);
  }
  return -1;
}

}  // namespace

std::string Windows1252ToUtf8(std::span<const uint8_t> text) {
  std::string out;
  out.reserve(text.size());
  for (const uint8_t byte : text) AppendUtf8(out, CodePointOf(byte));
  return out;
}

std::vector<uint8_t> Utf8ToWindows1252(std::string_view text, size_t& replaced) {
  std::vector<uint8_t> out;
  out.reserve(text.size());
  replaced = 0;
  size_t i = 0;
  while (i < text.size()) {
    const auto [c, length] = DecodeUtf8(text, i);
    const int byte = length == 0 ? -1 : ByteOf(c);
    if (byte < 0) {
      out.push_back('?');
      ++replaced;
    } else {
      out.push_back(static_cast<uint8_t>(byte));
    }
    i += length == 0 ? 1 : length;
  }
  return out;
}
