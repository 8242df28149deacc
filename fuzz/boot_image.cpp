// EZ-USB boot images: the trailer words and the chain of load records. Every word comes from inside the
// image, the chain walk ends, and the reset record it finds is the first one the chain reaches.
#include <cstdint>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "usbdevice/boot_image.h"

namespace {

std::optional<uint16_t> bigEndianFromEnd(std::span<const uint8_t> image, size_t distance) {
  if (image.size() < distance) return std::nullopt;
  const size_t at = image.size() - distance;
  return static_cast<uint16_t>((image[at] << 8) | image[at + 1]);
}

// The chain as the format describes it, record by record from position 9.
size_t walkChain(std::span<const uint8_t> image) {
  size_t position = bootimage::kFirstLoadRecord;
  for (;;) {
    if (position >= image.size()) return position;
    if (image.size() - position < bootimage::kLoadRecordHeaderSize) return image.size();
    const size_t length = (image[position] << 8) | image[position + 1];
    const uint16_t address = static_cast<uint16_t>((image[position + 2] << 8) | image[position + 3]);
    position += bootimage::kLoadRecordHeaderSize;
    if (address == bootimage::kResetRegisterAn21) return position;
    position += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);
  FUZZ_CHECK(GetImageProductId(image) == bigEndianFromEnd(image, bootimage::kProductIdFromEnd), "product id");
  FUZZ_CHECK(GetImageVersion(image) == bigEndianFromEnd(image, bootimage::kVersionFromEnd), "version");
  FUZZ_CHECK(GetImageTrailerWord(image) == bigEndianFromEnd(image, bootimage::kTrailerWordFromEnd),
             "trailer");

  const size_t found = FindResetLoadRecord(image);
  const size_t expected = walkChain(image);
  FUZZ_CHECK(found == expected, "the reset record is the first the chain reaches");
  if (found < size) {
    FUZZ_CHECK(found >= bootimage::kFirstLoadRecord + bootimage::kLoadRecordHeaderSize &&
                   image[found - 2] == 0x7F && image[found - 1] == 0x92,
               "a found record is aimed at the reset register");
  }

  // Header by header: the position only moves forward, and a header that does not fit leaves it.
  size_t position = bootimage::kFirstLoadRecord;
  for (int guard = 0; guard <= static_cast<int>(size); ++guard) {
    uint16_t address = 0;
    uint16_t length = 0;
    const size_t before = position;
    const int result = ReadLoadRecordHeader(image, position, address, length);
    if (result == bootimage::kTruncatedRecord) {
      FUZZ_CHECK(position == before, "a header cut short leaves the position");
      break;
    }
    if (result == bootimage::kEndOfImage) {
      FUZZ_CHECK(before >= size, "the end is reported only at the end");
      break;
    }
    FUZZ_CHECK(position == before + bootimage::kLoadRecordHeaderSize && position <= size,
               "a header read lies inside the image");
    if (result == bootimage::kResetRecord) break;
    position += length;
  }
  return 0;
}
