// The ids of devices that are attached and not open, in the order they became free, kept
// NUL-terminated as the host receives them (command 54).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quillon {

class FreeList {
 public:
  static constexpr size_t kCapacity = 255;
  static constexpr size_t kBytes = kCapacity + 1;  // with the terminating NUL

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { ids_.fill(0), size_ = 0; }
  // The id freed last; 0 when empty.
  uint8_t last() const { return size_ ? ids_[size_ - 1] : 0; }

  void append(uint8_t id) {
    if (id != 0 && size_ < kCapacity) ids_[size_++] = id;
  }
  // Removes id where it stands; the others keep their order.
  void remove(uint8_t id) {
    auto* end = ids_.begin() + size_;
    auto* it = std::find(ids_.begin(), end, id);
    if (it == end) return;
    std::copy(it + 1, end, it);
    ids_[--size_] = 0;
  }
  // Copies the ids and the NUL into out (kBytes bytes room); answers the ids copied.
  size_t copyTo(uint8_t* out) const {
    std::memcpy(out, ids_.data(), size_ + 1);
    return size_;
  }

 private:
  std::array<uint8_t, kBytes> ids_{};
  size_t size_ = 0;
};

}  // namespace quillon
