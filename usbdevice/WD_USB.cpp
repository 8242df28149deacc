#include "usbdevice/WD_USB.h"

#include <algorithm>
#include <mutex>

WD_USB::WD_USB(std::span<const wdu::MatchRow> matchTable) {
  lastStatus_ = OsEventCreate(&event_);
  if (lastStatus_ != wdu::kSuccess) return;
  lastStatus_ = OsMutexCreate(&listLock_);
  if (lastStatus_ != wdu::kSuccess) return;
  wdu::Events events;
  events.attach = [this](wdu::DeviceHandle device, const wdu::DeviceInfo& info) {
    return OnDeviceAttach(device, info);
  };
  events.detach = [this](wdu::DeviceHandle device) { OnDeviceDetach(device); };
  wdu::DriverHandle driver = 0;
  lastStatus_ = WDU_Init(&driver, matchTable.data(), static_cast<uint32_t>(matchTable.size()), events,
                         wdu::kAcknowledge);
  if (lastStatus_ == wdu::kSuccess) driver_ = driver;
}

// The layer goes first, without the list lock: Uninit waits for a callback in progress and lets no other
// come, so no callback can meet a freed list or lock afterwards.
WD_USB::~WD_USB() {
  if (driver_ != 0) (void)WDU_Uninit(driver_);  // nothing to do about a failure while going away
  if (listLock_) {
    std::lock_guard lock(*listLock_);
    list_.clear();
  }
  if (event_) OsEventClose(event_);
  if (listLock_) OsMutexClose(listLock_);
}

bool WD_USB::OnDeviceAttach(wdu::DeviceHandle device, const wdu::DeviceInfo& info) {
  if (WDU_SetInterface(device, 0, 0) != wdu::kSuccess) return false;
  std::lock_guard lock(*listLock_);
  try {
    list_.push_back({device, info.vendorId, info.productId});
    ++generation_;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void WD_USB::OnDeviceDetach(wdu::DeviceHandle device) {
  std::lock_guard lock(*listLock_);
  auto node =
      std::find_if(list_.begin(), list_.end(), [device](const auto& n) { return n.handle == device; });
  if (node == list_.end()) return;
  list_.erase(node);
  ++generation_;
}

std::string WD_USB::NoBackendNote() const {
  if (lastStatus_ != wdu::kNoBackend) return {};
  std::string note = "No USB devices can be listed: " + wdu::BackendError() + ". ";
  if (!wdu::BackendLibrary().empty()) {
    note += std::string("Check ") + wdu::kLibraryEnvVar +
            ": it must name a USB backend library (libsim_usb.so is the simulated bus), or be unset for the "
            "system's USB devices.";
  } else {
    note += std::string(
                "The system's USB devices are reached through /dev/bus/usb: check that it is there "
                "(in a container, pass it in), or set ") +
            wdu::kLibraryEnvVar + " to a USB backend library (libsim_usb.so is the simulated bus).";
  }
  return note;
}

uint32_t WD_USB::GetDeviceCount() {
  if (!listLock_) return 0;
  std::lock_guard lock(*listLock_);
  return static_cast<uint32_t>(list_.size());
}

uint32_t WD_USB::GetListGeneration() {
  if (!listLock_) return 0;
  std::lock_guard lock(*listLock_);
  return generation_;
}

wdu::DeviceHandle WD_USB::GetDeviceHandle(uint32_t index) {
  if (!listLock_) return 0;
  std::lock_guard lock(*listLock_);
  return index < list_.size() ? list_[index].handle : 0;
}
