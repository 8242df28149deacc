// The interface box: byte commands over the chip's FIFO, the duplex transfer
// that carries one request frame to the fixture and its reply back.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "zem/link/USB_ft245bm.h"

// Result codes besides 0 (success) and the chip statuses 1..17.
inline constexpr int kYolbTimeout = 100;
inline constexpr int kYolbFrameTooLong = 102;
inline constexpr int kYolbMaxFrame = 64;

class TUSByolb1 {
 public:
  TUSByolb1();
  ~TUSByolb1();
  TUSByolb1(const TUSByolb1&) = delete;
  TUSByolb1& operator=(const TUSByolb1&) = delete;

  int Open(int index);
  int Close();
  int GetVersion(uint8_t& major, uint8_t& minor);
  int SendCommand68(uint8_t a, uint8_t b);
  int SendCommandB4(uint8_t n);
  int AbortTransfer();
  // Sends a one-way frame (at most 64 bytes of data) and waits for the box's acknowledge.
  int SendFrame(std::span<const uint8_t> data, int length);
  // Sends requestLength bytes of request and fills reply[0] (the box's length byte) and
  // reply[1..replyLength] (the fixture's frame). The reply is written only when all of it came: a reply
  // that stops short answers 0 with the buffer untouched, and a reply that never starts answers the
  // status byte the box sends after the abort (0 included), or 100 when it sends none.
  int DuplexTransfer(std::span<const uint8_t> request, int requestLength, std::span<uint8_t> reply,
                     int replyLength, uint32_t firstByteTimeoutMs);
  // Polls the receive queue until count bytes are there or more than timeoutMs have passed.
  int WaitFor(uint32_t count, uint32_t timeoutMs);
  int WaitForAcknowledge();
  void ReportError(const std::string& name, int code);

  bool Opened = false;
  std::unique_ptr<TUSB_ft245bm> Chip;
  std::string LastErrorText;

 private:
  int writeBytes(std::span<const uint8_t> bytes);
  // Throws away whatever is queued from an earlier exchange, so it cannot be taken for this one's answer.
  void drainReceiveQueue();
  // After a failed exchange: drains until the line has been quiet for a moment, so the rest of a late
  // reply cannot spill into the next exchange.
  void flushLateBytes();
};
