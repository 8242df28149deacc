// The list of attached USB devices that a program's match table selects, kept by the USB layer's attach
// and detach callbacks: the base of the programs' USB device classes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/wdu/wdu_names.h"

// Match rows of the firmware tool: every device of its three vendors.
inline constexpr wdu::MatchRow kOrvaneMatchTable[] = {{0x11BE, 0}, {0x04B4, 0}, {0x0547, 0}};
// Match rows of the configuration tool: the four USB-DMX box products.
inline constexpr wdu::MatchRow kMendaroMatchTable[] = {
    {0x11BE, 0xF028}, {0x11BE, 0xF0A8}, {0x11BE, 0xF0A9}, {0x11BE, 0xF0AA}};

class WD_USB {
 public:
  // Opens the USB layer for these rows and accepts each matching device whose interface 0 can be selected.
  // A failure is only kept as the last status: the list then stays empty.
  explicit WD_USB(std::span<const wdu::MatchRow> matchTable);
  virtual ~WD_USB();
  WD_USB(const WD_USB&) = delete;
  WD_USB& operator=(const WD_USB&) = delete;

  uint32_t GetDeviceCount();
  // Counts every change of the list (each attach and each detach), so that a caller sees a device
  // replaced by another between two looks even when the count stayed the same.
  uint32_t GetListGeneration();
  // The handle of the index-th attached device (0 = oldest), or 0 when there is none. A handle stays
  // valid until that device's detach; a stale one makes every operation fail, never reach another device.
  wdu::DeviceHandle GetDeviceHandle(uint32_t index);
  // The list lock (re-entrant): held around several calls, it keeps attach and detach waiting.
  wdu::OsMutex* GetMutex() { return listLock_; }

  wdu::Status GetLastStatus() const { return lastStatus_; }
  // When the layer had no USB backend to open (last status kNoBackend): what failed and how to mend it, in
  // one line for the program's log and stderr. Empty otherwise.
  std::string NoBackendNote() const;
  // The last string descriptor read (CYDevice::ReadProductString, ReadManufacturerString), or the text a
  // caller stored for a device without one.
  const std::string& GetDescriptorText() const { return descriptorText_; }
  void SetDescriptorText(std::string text) { descriptorText_ = std::move(text); }

 protected:
  void SetLastStatus(wdu::Status status) { lastStatus_ = status; }

 private:
  struct DeviceListNode {
    wdu::DeviceHandle handle;
    uint16_t vendorId;
    uint16_t productId;
  };

  bool OnDeviceAttach(wdu::DeviceHandle device, const wdu::DeviceInfo& info);
  void OnDeviceDetach(wdu::DeviceHandle device);

  std::string descriptorText_;
  wdu::DriverHandle driver_ = 0;
  wdu::OsEvent* event_ = nullptr;
  wdu::OsMutex* listLock_ = nullptr;
  std::vector<DeviceListNode> list_;  // attach order, oldest first; guarded by listLock_
  uint32_t generation_ = 0;           // guarded by listLock_
  wdu::Status lastStatus_ = wdu::kSuccess;
};
