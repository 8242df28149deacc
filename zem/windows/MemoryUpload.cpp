#include "zem/windows/MemoryUpload.h"

#include <algorithm>
#include <cstdint>

#include "zem/link/ZEMData.h"

namespace {

constexpr int kAreaWords = static_cast<int>(fd::kEEPromWordCount);

// Image word of an address into word k of the EEPROM-words area, its two bytes as they were read.
void imageWordToArea(std::span<const uint8_t> image, int address, int k) {
  const size_t from = 2 * static_cast<size_t>(address);
  const size_t to = fd::kEEPromWords + 2 * static_cast<size_t>(k);
  FixtureData[to] = image[from];
  FixtureData[to + 1] = image[from + 1];
}

}  // namespace

bool ImageHoldsAddresses(std::span<const uint8_t> image, const TAddressList& list) {
  return std::all_of(list.begin(), list.end(), [&](int address) {
    return address >= 0 && 2 * static_cast<uint64_t>(address) + 2 <= image.size();
  });
}

bool UploadImageWords(std::span<const uint8_t> image, const TAddressList& list,
                      const std::function<int(int address, int count)>& writeBlock,
                      const std::function<void(size_t index, int written)>& afterBlock) {
  if (!ImageHoldsAddresses(image, list)) return false;
  size_t index = 0;
  while (index < list.size()) {
    const int address = list[index];
    imageWordToArea(image, address, 0);
    int k = 1;
    while (k < kAreaWords && index + static_cast<size_t>(k) < list.size() &&
           list[index + static_cast<size_t>(k)] == address + k) {
      imageWordToArea(image, address + k, k);
      ++k;
    }
    const int written = writeBlock(address, k);
    if (afterBlock) afterBlock(index, written);
    if (written <= 0) return false;
    index += static_cast<size_t>(std::min(written, k));
  }
  return true;
}
