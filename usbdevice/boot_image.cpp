#include "usbdevice/boot_image.h"

#include "platform/sys/byte_order.h"

namespace {

std::optional<uint16_t> wordFromEnd(std::span<const uint8_t> image, size_t distance) {
  if (image.size() < distance) return std::nullopt;
  return sys::getBE16(image, image.size() - distance);
}

}  // namespace

std::optional<uint16_t> GetImageProductId(std::span<const uint8_t> image) {
  return wordFromEnd(image, bootimage::kProductIdFromEnd);
}

std::optional<uint16_t> GetImageVersion(std::span<const uint8_t> image) {
  return wordFromEnd(image, bootimage::kVersionFromEnd);
}

std::optional<uint16_t> GetImageTrailerWord(std::span<const uint8_t> image) {
  return wordFromEnd(image, bootimage::kTrailerWordFromEnd);
}

int ReadLoadRecordHeader(std::span<const uint8_t> image, size_t& position, uint16_t& address,
                         uint16_t& length) {
  if (position >= image.size()) return bootimage::kEndOfImage;
  if (image.size() - position < bootimage::kLoadRecordHeaderSize) return bootimage::kTruncatedRecord;
  length = sys::getBE16(image, position);
  address = sys::getBE16(image, position + 2);
  position += bootimage::kLoadRecordHeaderSize;
  return address == bootimage::kResetRegisterAn21 ? bootimage::kResetRecord : bootimage::kRecordRead;
}

size_t FindResetLoadRecord(std::span<const uint8_t> image) {
  size_t position = bootimage::kFirstLoadRecord;
  for (;;) {
    uint16_t address = 0;
    uint16_t length = 0;
    switch (ReadLoadRecordHeader(image, position, address, length)) {
      case bootimage::kRecordRead:
        position += length;
        break;
      case bootimage::kResetRecord:
        return position;
      default:  // the end, or a header cut short by it
        return position < image.size() ? image.size() : position;
    }
  }
}
