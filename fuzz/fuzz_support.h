// What every fuzz target shares: a reader over the input bytes, and the check that turns a broken promise
// into a finding (an abort the fuzzer reports, with the message that says which promise).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/sys/clock.h"

// A promise of the code under test that did not hold: print it and abort, so the fuzzer keeps the input.
#define FUZZ_CHECK(cond, what)                                \
  do {                                                        \
    if (!(cond)) fuzz::Fail(__FILE__, __LINE__, #cond, what); \
  } while (0)

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* cond, const std::string& what) {
  std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n  %s\n", file, line, cond, what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Reads the input front to back. Past its end every read gives zeros (or nothing), so a target never needs
// to test the length before it asks.
class ByteStream {
 public:
  ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteStream(std::span<const uint8_t> bytes) : ByteStream(bytes.data(), bytes.size()) {}

  bool empty() const { return pos_ >= size_; }
  size_t remaining() const { return size_ - pos_; }

  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  // Little-endian.
  uint16_t word() {
    const uint16_t low = byte();
    return static_cast<uint16_t>(low | (byte() << 8));
  }
  // Up to n bytes (fewer at the end).
  std::span<const uint8_t> take(size_t n) {
    const size_t k = n < remaining() ? n : remaining();
    std::span<const uint8_t> out(data_ + pos_, k);
    pos_ += k;
    return out;
  }
  // Exactly n bytes, zero-filled past the end.
  std::vector<uint8_t> takePadded(size_t n) {
    std::vector<uint8_t> out(n, 0);
    const auto got = take(n);
    std::copy(got.begin(), got.end(), out.begin());
    return out;
  }
  // A length byte, then that many bytes (fewer at the end).
  std::span<const uint8_t> chunk() { return take(byte()); }
  // A 16-bit little-endian length, then that many bytes.
  std::span<const uint8_t> longChunk() { return take(word()); }
  std::span<const uint8_t> rest() { return take(remaining()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Every wait of the code under test on one virtual clock for the rest of the process: long time-outs and
// pauses cost no real time, and a run does not depend on the machine's speed.
inline void UseVirtualClock(uint32_t start = 0, uint32_t pollStepMs = 1) {
  static sys::VirtualClock clock(start, pollStepMs);
  sys::setClock(&clock);
}

// Writers of the same layouts, for the seed generator.
inline void PutWord(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
inline void PutChunk(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.push_back(static_cast<uint8_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}
inline void PutLongChunk(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  PutWord(out, static_cast<uint16_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace fuzz
