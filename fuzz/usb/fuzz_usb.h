// A USB backend whose one device answers what the fuzz input says: the USB layer loads it as it loads the
// simulated bus, so the device classes and the programs' flows meet any answer a device could give.
//
// Replay: every control and bulk transfer takes the next answer of the stream (selecting an interface
// always works): a status byte (bits 0-2: 0-3 success, 4 time-out, 5 stall, 6 device error, 7 device
// removed), and for a successful IN transfer a length byte (taken at most to the length asked) and that many
// bytes. Past the stream's end every transfer answers device removed. Each answer is kept with its transfer.
//
// Record: the backend passes everything on to another backend library (the simulated bus) and writes what
// it answered into the same stream, so a recorded exchange replays as it happened.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/wdu/wdu.h"

namespace fuzzusb {

// What one transfer carried: its setup packet (endpoint in byte 0 and zeros for bulk), the direction, the
// status, and the bytes that went (OUT) or came (IN).
struct Transfer {
  std::array<uint8_t, 8> setup{};
  bool bulk = false;
  bool in = false;
  wdu::Status status = wdu::kSuccess;
  std::vector<uint8_t> data;
};

class Control {
 public:
  // Starts a replay of this stream (copied), with the device's information as given.
  virtual void replay(const uint8_t* data, size_t size, const wdu::DeviceInfo& info) = 0;
  // The device is unplugged and a new one plugged in with this information, answering from this stream
  // (copied); every later operation on the old one answers device removed.
  virtual void replug(const uint8_t* data, size_t size, const wdu::DeviceInfo& info) = 0;
  // Passes everything to the backend library at path from now on, recording its answers; false when it
  // cannot be loaded. Call before the layer loads this backend.
  virtual bool record(const char* libraryPath) = 0;
  // The stream recorded since the last call (or since recording began), which starts a new one.
  virtual std::vector<uint8_t> takeRecorded() = 0;
  // The transfers since the last replay (or record).
  virtual std::vector<Transfer> transfers() = 0;

 protected:
  ~Control() = default;
};

// The status an answer's status byte stands for, and the byte that stands for a status.
wdu::Status StatusOf(uint8_t code);
uint8_t CodeOf(wdu::Status status);

}  // namespace fuzzusb

extern "C" fuzzusb::Control* FuzzUsbControl();
