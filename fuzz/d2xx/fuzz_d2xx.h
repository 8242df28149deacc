// A D2XX driver library whose box answers what the fuzz input says: the link loads it by name in place of
// the driver (or of the simulator), exactly as it loads them, and its operations then meet any bytes.
//
// Replay: every FT_Write by the link takes the next chunk of the stream and makes its bytes arrive:
//   chunk = timing byte, fault byte, length byte, that many bytes
//   timing bits 0-2: when the first byte arrives, bits 3-5: when the rest follow it (kDelaysMs)
//   fault bit 0: the next FT_GetQueueStatus fails; bit 1: the next FT_Read brings one byte less than it
//   could; bit 2: the next FT_Write fails; bit 3: the next FT_Read fails; bit 4: the next FT_Open fails
// Past the stream's end the box is silent.
//
// Record: every call goes on to another D2XX library (the simulator), and what its box answered after each
// write becomes one chunk of the same format, so a recorded exchange replays as it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzd2xx {

inline constexpr uint32_t kDelaysMs[8] = {0, 1, 150, 250, 900, 1100, 1500, 3000};
inline constexpr size_t kChunkHeader = 3;

class Control {
 public:
  // Starts a replay of this stream (copied): the box's queue is empty, no fault is pending.
  virtual void replay(const uint8_t* data, size_t size) = 0;
  // Forwards every call to the D2XX library at path from now on and records its answers; false when it
  // cannot be loaded.
  virtual bool record(const char* libraryPath) = 0;
  // The stream recorded since the last call (or since recording began), which starts a new one.
  virtual std::vector<uint8_t> takeRecorded() = 0;
  // Ticks for the arrival times (the program's clock); the default counts nothing.
  virtual void setTickSource(uint32_t (*tick)(void*), void* context) = 0;
  // Every write the link made since the last replay or record, in order.
  virtual const std::vector<std::vector<uint8_t>>& writes() = 0;

 protected:
  ~Control() = default;
};

}  // namespace fuzzd2xx

extern "C" fuzzd2xx::Control* FuzzD2xxControl();
