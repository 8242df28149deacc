// Connection_watch: the library's one global object behind the export. It keeps the table of attached
// boxes (ids 1-255), the free list, the name filter and the registration with the USB layer, answers
// the library commands and hands every other command to the open device.
//
// Locks: the api mutex (initialise, shutdown, filter) before the devices mutex (the table, the count,
// the free list, the open flags); the handlers' gate (attach and detach handlers in progress, closed
// once the library exits) keeps its lock to itself. Attach and detach run on the USB layer's thread; host
// threads call Dispatch at any time.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/wdu/os.h"
#include "platform/wdu/wdu.h"
#include "quillon/dmx_device.h"
#include "quillon/free_list.h"
#include "quillon/low_texts.h"
#include "quillon/user_gate.h"

namespace quillon {

class Connection_watch {
 public:
  static constexpr uint16_t kDefaultVendorId = 0x11BE;
  static constexpr uint16_t kDefaultProductId = 0xF0A9;
  static constexpr size_t kTableSize = 256;  // entry 0 is never used
  static constexpr size_t kFilterNameSize = 16;
  static constexpr size_t kFilterNameChars = kFilterNameSize - 1;

  Connection_watch();
  // Shuts down what the host left running (threads joined) before the library's code goes away.
  ~Connection_watch();
  Connection_watch(const Connection_watch&) = delete;
  Connection_watch& operator=(const Connection_watch&) = delete;

  uint32_t Dispatch(uint32_t command, uint8_t device, int32_t value, void* data);

 private:
  using FilterName = std::array<char, kFilterNameSize>;

  uint32_t Initialise(uint8_t maximum, int32_t value, void* data);
  uint32_t Shutdown();
  uint32_t SetSerialFilter(uint8_t count, void* data);
  uint32_t FilterCount() const;
  std::shared_ptr<DmxDevice> FindDevice(uint8_t id) const;  // under the devices mutex
  uint32_t StatusText(uint32_t status);
  void SetExiting();
  // Closes and destroys every device and ends the registration (api mutex held, handlers gated).
  void ReleaseDriver();

  uint32_t Close(uint8_t id);
  uint32_t Open(uint8_t id);  // under the devices mutex
  uint32_t OpenNext(uint8_t* id);
  uint32_t ListFree(uint8_t* out);

  bool DeviceAttach(wdu::DeviceHandle handle, const wdu::DeviceInfo& info);
  void DeviceDetach(wdu::DeviceHandle handle);
  bool TakeBox(wdu::DeviceHandle handle, const wdu::DeviceInfo& info);
  // The id a box of this name gets now (under the devices mutex); 0 when none.
  uint8_t ChooseId(std::span<const uint8_t, kFilterNameSize> name) const;

  uint16_t vendorId_ = kDefaultVendorId;
  uint16_t wantedProductId_ = kDefaultProductId;
  uint16_t lastProductId_ = 0;
  uint32_t deviceCount_ = 0;
  uint32_t maxDevices_ = 0;

  wdu::OsMutex apiMutex_;
  mutable wdu::OsMutex devicesMutex_;

  std::array<std::shared_ptr<DmxDevice>, kTableSize> devices_;
  FreeList freeList_;
  std::vector<FilterName> filter_;  // at most 255 names
  // Attach and detach handlers in progress; closed while the registration is released, for good once
  // the library exits.
  UserGate handlers_;
  std::atomic<bool> exiting_{false};
  wdu::DriverHandle driver_ = 0;

  LowTexts texts_;
};

}  // namespace quillon
