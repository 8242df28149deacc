// The interface between the USB layer and a backend (the simulated bus, libusb).
//
// A backend library exports one C function, ZemUsbBackend, answering its one Backend instance,
// which lives as long as the process (the layer never unloads a backend library):
//   extern "C" wdu::Backend* ZemUsbBackend();
// The layer adds itself as a listener and from then on learns of every device present, arriving
// and leaving. It calls the transfer operations from any thread, several at once.
#pragma once

#include <cstdint>

#include "platform/wdu/wdu.h"

namespace wdu {

// The backend's own device id: one per plugged device, never reused by that backend.
using BackendDeviceId = uint64_t;

class BackendListener {
 public:
  // A device is present. Called for the devices present when the listener is added, then for each
  // arrival. Listener calls come one at a time, never while the backend holds a lock its own
  // operations take, and must not call into the backend themselves.
  virtual void deviceArrived(BackendDeviceId id, const DeviceInfo& info) = 0;
  // The device has gone. Its transfers in flight have been told to end with kDeviceRemoved,
  // and every later operation on the id answers kDeviceRemoved.
  virtual void deviceLeft(BackendDeviceId id) = 0;

 protected:
  ~BackendListener() = default;
};

class Backend {
 public:
  virtual void addListener(BackendListener* listener) = 0;
  // Returns after any listener call in progress; no call reaches the listener afterwards.
  virtual void removeListener(BackendListener* listener) = 0;

  virtual Status deviceInfo(BackendDeviceId id, DeviceInfo& info) = 0;
  virtual Status setInterface(BackendDeviceId id, uint8_t interfaceNumber, uint8_t alternateSetting) = 0;
  // A control transfer: data holds the setup's wLength bytes (sent, or room for the answer).
  virtual Status control(BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                         uint32_t timeoutMs) = 0;
  // A bulk or interrupt transfer; the direction is bit 7 of the endpoint address.
  virtual Status bulk(BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
                      uint32_t timeoutMs) = 0;
  // No registration holds the device any more: give it back to the system, so that another program
  // may claim it. Called while no operation on the device runs; a later operation takes it again.
  // The simulated bus has no other programs, so by default there is nothing to give back.
  virtual void release(BackendDeviceId /*id*/) {}

 protected:
  ~Backend() = default;
};

// The entry point a backend library exports, and its type.
inline constexpr const char* kBackendEntryPoint = "ZemUsbBackend";
using BackendEntryFn = Backend* (*)();

}  // namespace wdu
