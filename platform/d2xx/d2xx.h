// The C calling interface of the D2XX USB FIFO driver library, as far as the
// fixture link uses it. Written from the calls' documented behaviour; the
// library itself is loaded at run time, never linked.
#pragma once

#include <cstdint>

extern "C" {

using FT_HANDLE = void*;
using FT_STATUS = uint32_t;  // 32-bit status; 0 is success

// Status codes.
enum : FT_STATUS {
  FT_OK = 0,
  FT_INVALID_HANDLE = 1,
  FT_DEVICE_NOT_FOUND = 2,
  FT_DEVICE_NOT_OPENED = 3,
  FT_IO_ERROR = 4,
  FT_INSUFFICIENT_RESOURCES = 5,
  FT_INVALID_PARAMETER = 6,
  FT_INVALID_BAUD_RATE = 7,
  FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
  FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
  FT_FAILED_TO_WRITE_DEVICE = 10,
  FT_EEPROM_READ_FAILED = 11,
  FT_EEPROM_WRITE_FAILED = 12,
  FT_EEPROM_ERASE_FAILED = 13,
  FT_EEPROM_NOT_PRESENT = 14,
  FT_EEPROM_NOT_PROGRAMMED = 15,
  FT_INVALID_ARGS = 16,
  FT_OTHER_ERROR = 17,
};

// FT_ListDevices flag: only the number of devices is wanted (first argument points at a 32-bit count).
constexpr uint32_t FT_LIST_NUMBER_ONLY = 0x80000000u;

// FT_Purge masks.
constexpr uint32_t FT_PURGE_RX = 1;
constexpr uint32_t FT_PURGE_TX = 2;

// Entry points the link calls.
using PFN_FT_ListDevices = FT_STATUS (*)(void* arg1, void* arg2, uint32_t flags);
using PFN_FT_Open = FT_STATUS (*)(int deviceIndex, FT_HANDLE* handle);
using PFN_FT_Write = FT_STATUS (*)(FT_HANDLE handle, void* buffer, uint32_t bytesToWrite,
                                   uint32_t* bytesWritten);
using PFN_FT_Read = FT_STATUS (*)(FT_HANDLE handle, void* buffer, uint32_t bytesToRead,
                                  uint32_t* bytesReturned);
using PFN_FT_GetQueueStatus = FT_STATUS (*)(FT_HANDLE handle, uint32_t* rxBytes);
using PFN_FT_Purge = FT_STATUS (*)(FT_HANDLE handle, uint32_t mask);
using PFN_FT_Close = FT_STATUS (*)(FT_HANDLE handle);

}  // extern "C"

namespace d2xx {

// Every entry point the binding requires, in the order it looks them up. The
// link calls only the first seven distinct ones; the rest must merely exist.
inline constexpr const char* kRequiredEntryPoints[] = {
    "FT_ListDevices", "FT_ListDevices", "FT_Open",    "FT_Write",      "FT_GetQueueStatus",
    "FT_Read",        "FT_Purge",       "FT_Close",   "FT_GetBitMode", "FT_SetBitMode",
    "FT_ResetDevice", "FT_SetBaudRate", "FT_EE_Read", "FT_EE_Program", "FT_EraseEE",
};

// Library name the binding loads unless ZEM_D2XX_LIBRARY names another file.
inline constexpr const char* kDefaultLibraryName = "libftd2xx.so";
inline constexpr const char* kLibraryEnvVar = "ZEM_D2XX_LIBRARY";

}  // namespace d2xx
