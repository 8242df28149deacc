// The simulated USB-DMX box: two DMX512 ports behind vendor requests and bulk endpoints.
//
// How to use it:
//   auto box = SimUsbControl()->newDmxBox({.productId = 0xF0A9, .name = "Stage left"});
//   SimUsbControl()->plug(box);
//   box->receiveFrame(0, slots);      // a DMX frame arrives at port 0 (read on its IN endpoint)
//   box->lastOutput(1);               // the last frame the host sent on port 1
//
// The box (vendor 0x11BE) has one interface (0) with alternate settings 0-3: bit 1 of the setting
// makes port 0 an input, bit 0 makes port 1 an input. Each port's endpoint in a setting is its IN
// endpoint (kPortInEndpoint) when it is an input, else its OUT endpoint (kPortOutEndpoint).
// Vendor requests (OUT = 0x40, IN = 0xC0; wrong direction, port or unknown request: stall):
//   0x00 IN/OUT 16  name (15 characters and a NUL)
//   0x01 IN/OUT 16  configuration block
//   0x02 OUT        identify: wIndex low byte on (non-zero) / off, high byte brightness
//   0x11 IN 1       wIndex port: the port's IN endpoint;  0x12 IN 1: its OUT endpoint
//   0x17 OUT        port mode: wIndex low byte port, high byte mode; wValue the mode's value
//   0x18 IN 4       port status of port wIndex: bytes 2-3 its frame counter (little-endian)
//   0x1F IN/OUT 64  page wValue of the page memory
//   0x30 IN/OUT     message, at most 15 bytes (IN answers the last message written)
//   0x31 IN 3       three status bytes
//   0xE0-0xE2       IN/OUT data kept per request and wValue (IN answers what was written, zeros after)
// Standard GET_DESCRIPTOR: the device descriptor and strings 0-3 (3 is the name), cut to wLength.
//
// Output port: its OUT endpoint takes 532-byte frames (nine packets each led by the little-endian
// index of its first slot, a trailing 512) and checks every index; a frame of another length or with
// a wrong index counts as bad and is dropped. Input port: each arriving frame increments the port's
// frame counter and is queued on its IN endpoint as a 576-byte frame in nine 64-byte packets (the
// box keeps at most kMaxQueuedFrames; the oldest untouched one goes first).
// Pacing (off by default): the OUT endpoint takes at most one frame per kFrameIntervalUs, and an input
// stream delivers one frame per interval, both on the bus's time source.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/usb/sim_device.h"

namespace simusb {

inline constexpr uint16_t kDmxVendorId = 0x11BE;
inline constexpr uint16_t kDmxProductIds[] = {0xF028, 0xF0A8, 0xF0A9, 0xF0AA};
inline constexpr uint8_t kDmxInterface = 0;
inline constexpr uint8_t kPortInEndpoint[2] = {0x81, 0x82};
inline constexpr uint8_t kPortOutEndpoint[2] = {0x01, 0x02};
inline constexpr uint32_t kDmxPacketSize = 64;
inline constexpr uint32_t kDmxSlots = 512;
inline constexpr uint32_t kOutputFrameSize = 532;
inline constexpr uint32_t kInputFrameSize = 576;
inline constexpr uint32_t kInputFramePackets = kInputFrameSize / kDmxPacketSize;
inline constexpr uint32_t kSlotsPerPacket = 62;
inline constexpr uint32_t kFrameIntervalUs = 22700;  // a full DMX512 universe on the wire
inline constexpr uint32_t kMaxQueuedFrames = 4;
inline constexpr uint32_t kConfigBlockSize = 16;
inline constexpr uint32_t kNameSize = 16;
inline constexpr uint32_t kPageSize = 64;

using DmxSlots = std::array<uint8_t, kDmxSlots>;
using ConfigBlock = std::array<uint8_t, kConfigBlockSize>;

struct DmxBoxConfig {
  uint16_t productId = 0xF0A9;
  uint16_t bcdDevice = 0x0104;
  std::string name = "DMX BOX";  // at most 15 characters are kept
  ConfigBlock configBlock{};
  uint8_t alternateSetting = 0;  // the setting at power-on
  bool pacing = false;
};

struct IdentifyState {
  bool on = false;
  uint8_t brightness = 0;
  uint32_t requests = 0;  // identify requests taken
};

struct PortModeState {
  uint8_t mode = 0;
  uint16_t value = 0;
  uint32_t requests = 0;  // port-mode requests taken for this port
};

class SimDmxBox : public Device {
 public:
  // Identity and stored blocks.
  virtual std::string name() const = 0;
  virtual void setName(const std::string& name) = 0;
  virtual ConfigBlock configBlock() const = 0;
  virtual void setConfigBlock(const ConfigBlock& block) = 0;
  virtual uint8_t alternateSetting() const = 0;
  virtual IdentifyState identify() const = 0;
  virtual PortModeState portMode(int port) const = 0;
  virtual std::array<uint8_t, kPageSize> page(uint16_t page) const = 0;
  virtual std::vector<uint8_t> message() const = 0;  // the last message written (request 0x30)
  virtual void setStatus3(const std::array<uint8_t, 3>& bytes) = 0;
  virtual std::vector<uint8_t> eData(uint8_t request, uint16_t value) const = 0;  // 0xE0-0xE2

  // Timing.
  virtual void setPacing(bool on) = 0;

  // Output ports: frames the host sent.
  virtual uint32_t outputFrames(int port) const = 0;     // good frames taken
  virtual uint32_t badOutputFrames(int port) const = 0;  // wrong length or index, dropped
  virtual DmxSlots lastOutput(int port) const = 0;

  // Input ports: frames arriving from the DMX line.
  virtual void receiveFrame(int port, const DmxSlots& slots) = 0;
  // With pacing on, a frame of these slots arrives every kFrameIntervalUs from now on (slot 0 is
  // replaced by the frame's sequence number, low byte). Off: the stream stops.
  virtual void setInputStream(int port, bool on, const DmxSlots& slots = {}) = 0;
  virtual uint16_t frameCounter(int port) const = 0;
  virtual uint32_t queuedInputPackets(int port) const = 0;

  // Faults of the input side.
  // The next arriving frame lacks its first `packets` packets (the host meets a frame mid-way).
  virtual void injectMisalignedStart(int port, uint32_t packets) = 0;
  // The next arriving frame stops after `packets` packets; a zero-length packet ends it.
  virtual void injectShortFrame(int port, uint32_t packets) = 0;
  // The next `count` bulk IN transfers on the port get nothing before their time-out.
  virtual void injectInputTimeouts(int port, uint32_t count) = 0;

  // Output side: while held, the port's OUT endpoint takes nothing (a transfer waits, at most until its
  // time-out); releasing it lets a waiting transfer through at once.
  virtual void holdOutput(int port, bool hold) = 0;
};

}  // namespace simusb
