// Firmware files made for a test or a benchmark: Intel HEX text of a board's firmware and boot images.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "orvane/COrvaneDlg.h"

namespace orvanetest {

// Intel HEX text of data records (16 bytes each, upper-case digits, CR LF) and the end-of-file record.
inline std::string hexRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
  char buf[16];
  std::string line = ":";
  uint8_t sum = static_cast<uint8_t>(data.size() + (address >> 8) + (address & 0xFF) + type);
  std::snprintf(buf, sizeof buf, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
  line += buf;
  for (uint8_t b : data) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    line += buf;
    sum = static_cast<uint8_t>(sum + b);
  }
  std::snprintf(buf, sizeof buf, "%02X", static_cast<uint8_t>(-sum));
  return line + buf + "\r\n";
}

inline std::string hexData(uint16_t address, const std::vector<uint8_t>& bytes) {
  std::string text;
  for (size_t at = 0; at < bytes.size(); at += 16) {
    std::vector<uint8_t> chunk(bytes.begin() + static_cast<ptrdiff_t>(at),
                               bytes.begin() + static_cast<ptrdiff_t>(std::min(bytes.size(), at + 16)));
    text += hexRecord(static_cast<uint16_t>(address + at), 0, chunk);
  }
  return text;
}

inline const std::string kEndOfFile = ":00000001FF\r\n";

// A board's firmware file: the header block (with the ID block and the validity marks) and the program.
struct BoardFirmware {
  BoardEntry identity;
  std::vector<uint8_t> program;

  std::array<uint8_t, 32> header() const {
    std::array<uint8_t, 32> h{};
    for (size_t i = 0; i < 16; ++i) h[i] = static_cast<uint8_t>(0x40 + i);
    uint8_t* id = h.data() + 16;
    id[0] = static_cast<uint8_t>(identity.id >> 8);
    id[2] = static_cast<uint8_t>(identity.id);
    id[4] = identity.code;
    id[6] = identity.extra;
    id[8] = static_cast<uint8_t>(identity.version >> 8);
    id[10] = static_cast<uint8_t>(identity.version);
    id[12] = 0xA5;
    id[14] = 0x5A;
    return h;
  }
  std::string hexText() const {
    auto h = header();
    return hexData(0x2E0, {h.begin(), h.end()}) + hexData(0x300, program) + kEndOfFile;
  }
};

// Bytes that differ from their neighbours and from their offset's low byte.
inline std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& b : v) {
    x = x * 1103515245u + 12345;
    b = static_cast<uint8_t>(x >> 16);
  }
  return v;
}

// A boot image: kind byte, 8 header bytes, one load record with the body, then the trailer words
// (trailer word, product id, version) and five closing bytes.
inline std::vector<uint8_t> bootImage(uint8_t kind, uint16_t productId, uint16_t version, size_t bodySize) {
  std::vector<uint8_t> image = {kind, 0xB4, 0x04, 0x13, 0x86, 0x00, 0x00, 0x00, 0x00};
  image.push_back(static_cast<uint8_t>(bodySize >> 8));
  image.push_back(static_cast<uint8_t>(bodySize));
  image.push_back(0x00);
  image.push_back(0x00);
  auto body = pattern(bodySize, 7);
  image.insert(image.end(), body.begin(), body.end());
  const uint8_t trailer[] = {0x12,
                             0x34,
                             static_cast<uint8_t>(productId >> 8),
                             static_cast<uint8_t>(productId),
                             static_cast<uint8_t>(version >> 8),
                             static_cast<uint8_t>(version),
                             0x80,
                             0x01,
                             0xE6,
                             0x00,
                             0x00};
  image.insert(image.end(), std::begin(trailer), std::end(trailer));
  return image;
}

}  // namespace orvanetest
