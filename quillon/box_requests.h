// The USB-DMX box's vendor control requests on pipe 0, as the library sends them.
#pragma once

#include <cstdint>

#include "platform/wdu/wdu.h"

namespace quillon {

// Vendor requests of the box.
inline constexpr uint8_t kReqName = 0x00;         // IN/OUT 16: the box name
inline constexpr uint8_t kReqConfig = 0x01;       // IN/OUT 16: the configuration block
inline constexpr uint8_t kReqIdentify = 0x02;     // OUT: wIndex low byte on/off, high byte brightness
inline constexpr uint8_t kReqEndpoint = 0x11;     // IN 1, wIndex port: the port's endpoint (the input one)
inline constexpr uint8_t kReqEndpointAlt = 0x12;  // IN 1, wIndex port: the port's other endpoint
inline constexpr uint8_t kReqPortMode = 0x17;     // OUT: wIndex port | mode << 8, wValue the mode's value
inline constexpr uint8_t kReqPortStatus = 0x18;   // IN 4, wIndex port: bytes 2-3 the frame counter
inline constexpr uint8_t kReqPage = 0x1F;         // IN/OUT 64, wValue the page
inline constexpr uint8_t kReqMessage = 0x30;      // IN/OUT up to 15
inline constexpr uint8_t kReqStatus3 = 0x31;      // IN 3
inline constexpr uint8_t kReqE0 = 0xE0;
inline constexpr uint8_t kReqE1 = 0xE1;
inline constexpr uint8_t kReqE2 = 0xE2;

inline constexpr uint32_t kControlTimeoutMs = 1000;
inline constexpr uint16_t kNameSize = 16;  // 15 characters and a NUL
inline constexpr uint16_t kConfigBlockSize = 16;
inline constexpr uint16_t kPageSize = 64;

// A vendor OUT request with length bytes of data (data may be null when length is 0).
wdu::Status BoxControlOut(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                          const void* data, uint16_t length);
// A vendor IN request for length bytes into data; done (if given) gets the bytes that came.
wdu::Status BoxControlIn(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                         void* data, uint16_t length, uint32_t* done = nullptr);

// The largest answer BoxControlInExact takes (a page).
inline constexpr uint16_t kMaxExactAnswer = kPageSize;
// A vendor IN request whose answer has a fixed size (at most kMaxExactAnswer bytes). The answer is
// received into a buffer of its own and copied into data only when all length bytes came: a failed
// or short answer leaves data as it was, and a short one answers DMX_ST_SHORT_ANSWER.
wdu::Status BoxControlInExact(wdu::DeviceHandle device, uint8_t request, uint16_t value, uint16_t index,
                              void* data, uint16_t length);

}  // namespace quillon
