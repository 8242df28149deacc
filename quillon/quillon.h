// The DMX library's one entry point with its command codes, status codes and notifications: what a host
// program needs to load libquillon.so and drive USB-DMX boxes through it.
//
// How to use it:
//   void* lib = dlopen("libquillon.so", RTLD_NOW);
//   auto Quillon = reinterpret_cast<quillon::EntryFn>(dlsym(lib, quillon::kEntrySymbol));
//   Quillon(quillon::DMX_CMD_INIT, 255, 0x11BE, reinterpret_cast<void*>(uintptr_t{0xF0A9}));
//   unsigned char id = 0;
//   if (Quillon(quillon::DMX_CMD_OPEN_NEXT, 0, 0, &id) == 0) {
//     Quillon(quillon::DMX_CMD_SET_NOTIFY, id, WM_DMX, reinterpret_cast<void*>(uintptr_t{window}));
//     Quillon(quillon::DMX_CMD_WRITE_FRAME, id, 0, slots);  // 512 slot values to port 0
//   }
//   Quillon(quillon::DMX_CMD_INIT, 0, 0, nullptr);  // shut down; the library then answers nothing more
//
// Every call answers a 32-bit status: 0, a USB layer status (below 0xD0000000) or one of DMX_ST_*.
// Initialise answers the layer's status when USB cannot be used at all (no backend: command 53 then
// names the cause); with no box plugged in it answers 0.
// Notifications are posted to the window handle of platform/ui's message queue that command 16 names,
// with the message number it names: wParam and lParam as listed under kNotify*.
#pragma once

#include <cstdint>

// The export, under its C++ (mangled) name kEntrySymbol.
unsigned Quillon(unsigned command, unsigned char device, int value, void* data);

namespace quillon {

inline constexpr const char* kEntrySymbol = "_Z7QuillonjhiPv";
using EntryFn = unsigned (*)(unsigned command, unsigned char device, int value, void* data);

// The library's interface version (command 18).
inline constexpr uint32_t kInterfaceVersion = 0x103;

// ---- Commands the library answers itself ----
inline constexpr unsigned DMX_CMD_CLOSE = 1;
inline constexpr unsigned DMX_CMD_OPEN = 3;
inline constexpr unsigned DMX_CMD_GET_VERSION = 18;
inline constexpr unsigned DMX_CMD_INIT =
    51;  // device: maximum count, 0 = shut down; value: vendor; data: product
inline constexpr unsigned DMX_CMD_DEVICE_EXISTS = 52;
inline constexpr unsigned DMX_CMD_STATUS_TEXT = 53;  // the result is the text's address (below 4 GiB)
inline constexpr unsigned DMX_CMD_LIST_FREE = 54;
inline constexpr unsigned DMX_CMD_OPEN_NEXT = 55;
inline constexpr unsigned DMX_CMD_SET_PRIORITY = 56;
inline constexpr unsigned DMX_CMD_SET_SERIAL_FILTER = 61;

// ---- Frame commands of an open device (value: port in bit 0) ----
inline constexpr unsigned DMX_CMD_STOP_IO = 2;
inline constexpr unsigned DMX_CMD_POLL = 4;
inline constexpr unsigned DMX_CMD_WRITE_FRAME = 5;
inline constexpr unsigned DMX_CMD_READ_FRAME = 6;
inline constexpr unsigned DMX_CMD_GET_FRAME_TIME = 44;

// ---- Device commands of an open device ----
inline constexpr unsigned DMX_CMD_SET_MODE4_PERIOD = 7;
inline constexpr unsigned DMX_CMD_SET_MODE0_VALUE = 8;
inline constexpr unsigned DMX_CMD_SET_MODE1_PERIOD = 9;
inline constexpr unsigned DMX_CMD_SET_MODE2_PERIOD = 10;
inline constexpr unsigned DMX_CMD_SET_MODE3_PERIOD = 11;
inline constexpr unsigned DMX_CMD_SET_MODE16 = 12;
inline constexpr unsigned DMX_CMD_SET_MODE17 = 13;
inline constexpr unsigned DMX_CMD_SET_MODE32 = 14;
inline constexpr unsigned DMX_CMD_SET_MODE33 = 15;
inline constexpr unsigned DMX_CMD_SET_NOTIFY = 16;
inline constexpr unsigned DMX_CMD_SET_NAME = 17;
inline constexpr unsigned DMX_CMD_SET_AUX_FLAG = 19;
inline constexpr unsigned DMX_CMD_RAW_BULK = 25;
inline constexpr unsigned DMX_CMD_SET_DIRECTIONS = 26;
inline constexpr unsigned DMX_CMD_GET_DIRECTIONS = 27;
inline constexpr unsigned DMX_CMD_WRITE_PAGE = 28;
inline constexpr unsigned DMX_CMD_READ_PAGE = 29;
inline constexpr unsigned DMX_CMD_WRITE_BLOCK = 30;
inline constexpr unsigned DMX_CMD_READ_BLOCK = 31;
inline constexpr unsigned DMX_CMD_READ_MESSAGE = 32;
inline constexpr unsigned DMX_CMD_WRITE_MESSAGE = 33;
inline constexpr unsigned DMX_CMD_READ_STATUS3 = 34;
inline constexpr unsigned DMX_CMD_WRITE_E0 = 35;
inline constexpr unsigned DMX_CMD_READ_E0 = 36;
inline constexpr unsigned DMX_CMD_WRITE_E1 = 37;
inline constexpr unsigned DMX_CMD_READ_E1 = 38;
inline constexpr unsigned DMX_CMD_WRITE_E2 = 39;
inline constexpr unsigned DMX_CMD_READ_E2 = 40;
inline constexpr unsigned DMX_CMD_SET_PORT_PARAM = 42;
inline constexpr unsigned DMX_CMD_GET_NAME = 46;
inline constexpr unsigned DMX_CMD_GET_NOTIFY = 48;
inline constexpr unsigned DMX_CMD_IDENTIFY = 57;
inline constexpr unsigned DMX_CMD_GET_FIRMWARE_VERSION = 58;
inline constexpr unsigned DMX_CMD_WRITE_CONFIG = 59;
inline constexpr unsigned DMX_CMD_READ_CONFIG = 60;

// ---- The library's own status codes ----
inline constexpr unsigned DMX_ST_NO_DEVICE = 0xD0000000;
inline constexpr unsigned DMX_ST_OUT_OF_DEVICES = 0xD0000001;
inline constexpr unsigned DMX_ST_FORCED_EXIT = 0xD0000003;
inline constexpr unsigned DMX_ST_UNKNOWN_COMMAND = 0xD0000004;
inline constexpr unsigned DMX_ST_ALREADY_OPEN = 0xD0000005;
inline constexpr unsigned DMX_ST_ALREADY_CLOSED = 0xD0000006;
inline constexpr unsigned DMX_ST_MAX_DEVCNT_REACHED = 0xD0000007;
inline constexpr unsigned DMX_ST_NOT_IN_FILTER = 0xD0000008;
inline constexpr unsigned DMX_ST_FILTER_LOCKED = 0xD0000009;
inline constexpr unsigned DMX_ST_DMX_DATA_READY = 0xD000000A;
inline constexpr unsigned DMX_ST_NULL_POINTER = 0xD000000B;  // a command that needs data got none
// The box answered fewer bytes than a read of fixed size asks for (configuration block, page, block,
// the three status bytes, an endpoint that command 26 asks); the host's buffer is left as it was.
// Reads whose length the host gives (32, 36, 38, 40) answer 0 with what came; the rest of the buffer
// is left as it was.
inline constexpr unsigned DMX_ST_SHORT_ANSWER = 0xD000000C;

// ---- Notifications (lParam: the kind; wParam as noted) ----
inline constexpr intptr_t kNotifyInputFrame = 1;    // wParam port: a complete input frame has arrived
inline constexpr intptr_t kNotifyOutputTaken = 2;   // wParam port: the writer took the frame last written
inline constexpr intptr_t kNotifyRemoved = 4;       // wParam 0: the device is gone (detached, shut down)
inline constexpr intptr_t kNotifyWriterFailed = 5;  // wParam the USB status: input and output stopped

}  // namespace quillon
