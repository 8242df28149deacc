// Our USB layer: device matching with attach/detach callbacks, interface selection, device
// information, control and bulk transfers, and status texts.
//
// How to use it:
//   wdu::DriverHandle driver = 0;
//   wdu::MatchRow rows[] = {{0x11BE, 0}};               // vendor 0x11BE, any product
//   wdu::Events events;
//   events.attach = [](wdu::DeviceHandle h, const wdu::DeviceInfo& info) { return true; };  // take it
//   events.detach = [](wdu::DeviceHandle h) {};
//   wdu::Status st = wdu::Init(driver, rows, events, wdu::kAcknowledge);
//   ... transfers with the handles the attach callback received ...
//   wdu::Uninit(driver);
//
// Promises:
//  - Callbacks of one registration come one at a time from that registration's own thread, never
//    from inside Init. Uninit waits for a callback in progress; after it returns no callback comes.
//  - With kAcknowledge, a device the attach callback refuses is offered to the next registration
//    whose rows match (in the order of their Init), and offered again when its holder calls Uninit.
//    Without it, the registration takes every device offered to it whatever the callback answers.
//  - Each offer gets a fresh device handle. Handles are never reused in a process; a handle is
//    valid from its attach callback until its detach callback returns (or its refusal, or Uninit).
//    A call with any other handle answers kInvalidHandle and touches no device.
//  - On unplug, transfers in flight end at once with kDeviceRemoved, and later calls answer it
//    too; the detach callback comes after every transfer on that device has returned.
//  - Every call is thread-safe. Time-outs are milliseconds; 0 waits without limit. A time-out
//    answers kTimeout with the bytes moved so far. Uninit does not wait for transfers: stop them
//    first.
//
// The layer runs over a backend chosen at run time: the library named by the environment variable
// ZEM_USB_LIBRARY (the simulated bus, libsim_usb.so, in tests and demos), else, when it is unset or
// empty, the libusb backend for real devices (libusb_backend.h). The WDU-style names are in wdu_names.h.
// The layer is a shared library that stays loaded once loaded: one layer per process, whichever
// programs and libraries use it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace wdu {

using Status = uint32_t;

// Statuses. Every value is below 0xD0000000, the start of the DMX library's own codes.
inline constexpr Status kSuccess = 0;
inline constexpr Status kTimeout = 0x20000015;           // the transfer's time-out passed
inline constexpr Status kInvalidHandle = 0x20000101;     // no such driver or device handle (or stale)
inline constexpr Status kInvalidParameter = 0x20000102;  // bad pipe, buffer, length or direction
inline constexpr Status kDeviceRemoved = 0x20000103;     // the device was unplugged
inline constexpr Status kStall = 0x20000104;             // the device stalled the request
inline constexpr Status kNoBackend = 0x20000105;         // no USB backend could be loaded
inline constexpr Status kWrongContext = 0x20000106;      // e.g. Uninit from its own callback
inline constexpr Status kOverflow = 0x20000107;          // the device sent more than the buffer holds
inline constexpr Status kDeviceError = 0x20000108;       // the device or the backend failed otherwise
inline constexpr Status kNoResources = 0x20000109;       // a thread or buffer could not be had
inline constexpr Status kBusy = 0x2000010A;  // in use: the backend, or an interface another program holds
inline constexpr Status kAccessDenied = 0x2000010B;  // the user may not open the device (see udev/)

// Text for a status; never null, unknown codes get a generic text.
const char* StatusText(Status status);

using DriverHandle = uint32_t;  // one registration (Init); 0 = none
using DeviceHandle = uint32_t;  // one offer of one device; 0 = none; never reused

// Init options.
inline constexpr uint32_t kAcknowledge = 1;  // the attach callback's answer decides who takes the device

// One row of a match table; 0 in any field means "any".
struct MatchRow {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint8_t deviceClass = 0;
  uint8_t deviceSubClass = 0;
  uint8_t interfaceClass = 0;  // class fields of an interface match against any of its settings
  uint8_t interfaceSubClass = 0;
  uint8_t interfaceProtocol = 0;
};

struct EndpointInfo {
  uint8_t address = 0;     // bit 7 set = IN
  uint8_t attributes = 2;  // transfer type in bits 0-1: 2 = bulk, 3 = interrupt
  uint16_t maxPacketSize = 64;
  uint8_t interval = 0;
};

struct AltSettingInfo {
  uint8_t alternateSetting = 0;
  uint8_t interfaceClass = 0xFF;
  uint8_t interfaceSubClass = 0;
  uint8_t interfaceProtocol = 0;
  std::vector<EndpointInfo> endpoints;
};

struct InterfaceInfo {
  uint8_t number = 0;     // bInterfaceNumber
  uint8_t activeAlt = 0;  // the alternate setting selected now
  std::vector<AltSettingInfo> alts;

  // The active setting, or nullptr when activeAlt names none of alts.
  const AltSettingInfo* active() const {
    for (const auto& alt : alts) {
      if (alt.alternateSetting == activeAlt) return &alt;
    }
    return nullptr;
  }
};

// Device information, by value: nothing to release.
struct DeviceInfo {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t bcdDevice = 0;
  uint16_t bcdUsb = 0x0200;
  uint8_t deviceClass = 0;
  uint8_t deviceSubClass = 0;
  uint8_t deviceProtocol = 0;
  uint8_t maxPacketSize0 = 64;
  uint8_t iManufacturer = 0;
  uint8_t iProduct = 0;
  uint8_t iSerialNumber = 0;
  std::vector<InterfaceInfo> interfaces;  // the active configuration's interfaces

  // Whether the interface of this number has this alternate setting.
  bool hasSetting(uint8_t interfaceNumber, uint8_t alternateSetting) const {
    for (const auto& iface : interfaces) {
      if (iface.number != interfaceNumber) continue;
      for (const auto& alt : iface.alts) {
        if (alt.alternateSetting == alternateSetting) return true;
      }
    }
    return false;
  }

  // The endpoint with this address in an interface's active setting, or nullptr.
  const EndpointInfo* findEndpoint(uint8_t address) const {
    for (const auto& iface : interfaces) {
      const AltSettingInfo* alt = iface.active();
      if (alt == nullptr) continue;
      for (const auto& ep : alt->endpoints) {
        if (ep.address == address) return &ep;
      }
    }
    return nullptr;
  }
};

struct Events {
  // Called for each device offered; true takes it (under kAcknowledge).
  std::function<bool(DeviceHandle, const DeviceInfo&)> attach;
  // Called once a taken device has gone; may be empty.
  std::function<void(DeviceHandle)> detach;
};

// Registers for the devices that match any row. Offers arrive on the registration's own thread.
Status Init(DriverHandle& driver, std::span<const MatchRow> rows, Events events, uint32_t options);
// Ends the registration: waits for a callback in progress, drops the queued ones and releases
// every device it holds (they are offered to the other registrations; one that none takes goes back
// to the system, once no transfer runs on it, for another program to claim). Not from its own callbacks.
Status Uninit(DriverHandle driver);

// Selects an alternate setting of an interface (USB SET_INTERFACE).
Status SetInterface(DeviceHandle device, uint32_t interfaceNumber, uint32_t alternateSetting);
// The device's information as it is now (active settings included).
Status GetDeviceInfo(DeviceHandle device, DeviceInfo& info);

// A transfer on a pipe. Pipe 0 is the control pipe: setup holds the 8-byte setup packet, its
// direction bit must agree with read when it has a data stage, and len must hold its wLength
// bytes (wLength are moved). Another pipe is the endpoint of that address (TransferBulk).
// options: none defined yet, pass 0. bytesTransferred may be null.
Status Transfer(DeviceHandle device, uint32_t pipe, bool read, uint32_t options, void* buffer, uint32_t len,
                uint32_t* bytesTransferred, const uint8_t* setup, uint32_t timeoutMs);
// A bulk (or interrupt) transfer of len bytes on an endpoint of the active setting; bit 7 of the
// endpoint address must agree with read. An IN transfer ends when len bytes came or the device sent
// a short packet.
Status TransferBulk(DeviceHandle device, uint32_t endpoint, bool read, uint32_t options, void* buffer,
                    uint32_t len, uint32_t* bytesTransferred, uint32_t timeoutMs);

// Backend choice. The environment variable that names the backend library.
inline constexpr const char* kLibraryEnvVar = "ZEM_USB_LIBRARY";
// Uses this backend library from now on instead of the one the environment names (tests do this
// with the build's simulator); an empty path selects the libusb backend. Fails with kBusy while a
// registration is alive, kNoBackend if the library cannot be loaded or lacks the backend entry point
// (or libusb cannot start).
Status SelectBackendLibrary(const std::string& path);
// Why no backend could be loaded (empty while one is in use).
std::string BackendError();
// The backend library in use or last tried (named by SelectBackendLibrary or the environment); empty for
// the libusb backend.
std::string BackendLibrary();

}  // namespace wdu
