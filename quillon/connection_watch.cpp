#include "quillon/connection_watch.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/sys/priority.h"
#include "platform/wdu/wdu_names.h"
#include "quillon/box_requests.h"
#include "quillon/debug_print.h"
#include "quillon/quillon.h"

namespace quillon {

namespace {

constexpr uint16_t kBoxProductIds[] = {0xF028, 0xF0A8, 0xF0A9, 0xF0AA};
constexpr uint8_t kMaxId = 255;
constexpr uint32_t kOwnCodes = 0xD0000000;

sys::PriorityClass priorityFor(int32_t value) {
  if (value == 0) return sys::PriorityClass::Normal;
  if (value == 2) return sys::PriorityClass::Realtime;
  return sys::PriorityClass::High;
}

const char* ownStatusText(uint32_t status) {
  switch (status) {
    case DMX_ST_NO_DEVICE:
      return "NO DEVICE";
    case DMX_ST_OUT_OF_DEVICES:
      return "OUT OF DEVICES";
    case DMX_ST_FORCED_EXIT:
      return "FORCED EXIT";
    case DMX_ST_UNKNOWN_COMMAND:
      return "UNKNOWN COMMAND";
    case DMX_ST_ALREADY_OPEN:
      return "ALREADY OPEN";
    case DMX_ST_ALREADY_CLOSED:
      return "ALREADY CLOSED";
    case DMX_ST_MAX_DEVCNT_REACHED:
      return "MAX DEVCNT REACHED";
    case DMX_ST_DMX_DATA_READY:
      return "DMX DATA READY";
    case DMX_ST_NULL_POINTER:
      return "NULL POINTER";
    case DMX_ST_SHORT_ANSWER:
      return "SHORT ANSWER";
    default:
      return "UNKNOWN CODE";
  }
}

}  // namespace

Connection_watch::Connection_watch() {
  DebugPrint("hallo");
  (void)sys::setPriorityClass(sys::PriorityClass::High);  // without the privilege the host keeps its class
}

Connection_watch::~Connection_watch() {
  {
    std::lock_guard<wdu::OsMutex> api(apiMutex_);
    if (driver_ != 0) {
      SetExiting();
      ReleaseDriver();
    }
  }
  DebugPrint("Connection_watch:Exit destructor");
}

uint32_t Connection_watch::Dispatch(uint32_t command, uint8_t device, int32_t value, void* data) {
  if (exiting_) return DMX_ST_NO_DEVICE;
  switch (command) {
    case DMX_CMD_INIT:
      return device == 0 ? Shutdown() : Initialise(device, value, data);
    case DMX_CMD_SET_SERIAL_FILTER:
      return SetSerialFilter(device, data);
    case DMX_CMD_GET_VERSION: {
      if (!data) return DMX_ST_NULL_POINTER;
      const uint32_t version = kInterfaceVersion;
      std::memcpy(data, &version, sizeof(version));
      return 0;
    }
    case DMX_CMD_DEVICE_EXISTS: {
      std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
      return FindDevice(device) ? 0 : DMX_ST_NO_DEVICE;
    }
    case DMX_CMD_STATUS_TEXT:
      return StatusText(static_cast<uint32_t>(value));
    case DMX_CMD_SET_PRIORITY: {
      std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
      (void)sys::setPriorityClass(priorityFor(value));  // missing privileges are no error
      return 0;
    }
    case DMX_CMD_CLOSE:
      return Close(device);
    case DMX_CMD_OPEN: {
      std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
      return Open(device);
    }
    case DMX_CMD_LIST_FREE:
      return data ? ListFree(static_cast<uint8_t*>(data)) : DMX_ST_NULL_POINTER;
    case DMX_CMD_OPEN_NEXT:
      return data ? OpenNext(static_cast<uint8_t*>(data)) : DMX_ST_NULL_POINTER;
    default:
      break;
  }
  std::shared_ptr<DmxDevice> dev;
  {
    std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
    dev = FindDevice(device);
    if (!dev || !dev->open) return DMX_ST_NO_DEVICE;
  }
  // Runs without the devices mutex; the reference keeps the device alive through a detach meanwhile.
  return dev->DeviceCommand(command, value, data);
}

// ---- Library commands ----

uint32_t Connection_watch::Initialise(uint8_t maximum, int32_t value, void* data) {
  std::lock_guard<wdu::OsMutex> api(apiMutex_);
  if (driver_ != 0) {
    // A second initialise: the first registration's devices and threads go first.
    handlers_.close();
    ReleaseDriver();
    handlers_.open();
  }
  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  vendorId_ = static_cast<uint16_t>(value);
  wantedProductId_ = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(data));
  maxDevices_ = filter_.empty() ? maximum : FilterCount();
  freeList_.clear();
  driver_ = 0;
  for (auto& dev : devices_) dev.reset();
  deviceCount_ = 0;

  const wdu::MatchRow row{vendorId_, 0};
  wdu::Events events;
  events.attach = [this](wdu::DeviceHandle h, const wdu::DeviceInfo& info) { return DeviceAttach(h, info); };
  events.detach = [this](wdu::DeviceHandle h) { DeviceDetach(h); };
  // The layer never calls the handlers inside Init: they wait for the devices mutex held here.
  const wdu::Status st = WDU_Init(&driver_, &row, 1, events, wdu::kAcknowledge);
  if (st != wdu::kSuccess) {
    // The host must tell "USB unusable" from "no box plugged in": it gets the status, and command 53
    // names the cause.
    DebugPrint("WDU_Init failed st=%lX %s", static_cast<unsigned long>(st), wdu::BackendError().c_str());
    driver_ = 0;
  }
  return st;
}

uint32_t Connection_watch::Shutdown() {
  std::lock_guard<wdu::OsMutex> api(apiMutex_);
  SetExiting();
  if (driver_ != 0) ReleaseDriver();
  return 0;
}

void Connection_watch::SetExiting() {
  exiting_ = true;
  handlers_.close();
}

void Connection_watch::ReleaseDriver() {
  handlers_.waitIdle();  // handlers that came later found the gate closed
  {
    std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
    for (auto& dev : devices_) {
      if (!dev) continue;
      dev->Close();
      dev->Destroy();
      dev.reset();
    }
    freeList_.clear();
    deviceCount_ = 0;
  }
  (void)WDU_Uninit(driver_);  // fails only for a handle it does not know: nothing is held then
  driver_ = 0;
}

uint32_t Connection_watch::SetSerialFilter(uint8_t count, void* data) {
  std::lock_guard<wdu::OsMutex> api(apiMutex_);
  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  if (driver_ != 0) return DMX_ST_FILTER_LOCKED;
  filter_.clear();
  if (data == nullptr) return 0;
  const auto* names = static_cast<const char* const*>(data);
  for (size_t i = 0; i < kMaxId && i < count && names[i] != nullptr; ++i) {
    FilterName name{};
    for (size_t c = 0; c < kFilterNameChars && names[i][c] != '\0'; ++c) name[c] = names[i][c];
    filter_.push_back(name);
  }
  return 0;
}

uint32_t Connection_watch::FilterCount() const {
  return static_cast<uint32_t>(std::min<size_t>(filter_.size(), kMaxId));
}

std::shared_ptr<DmxDevice> Connection_watch::FindDevice(uint8_t id) const {
  return id == 0 ? nullptr : devices_[id];
}

uint32_t Connection_watch::StatusText(uint32_t status) {
  std::string text = status < kOwnCodes ? Stat2Str(status) : ownStatusText(status);
  if (status == wdu::kNoBackend) {
    // Why the layer has no backend (the library it could not load, libusb failing to start).
    if (std::string why = wdu::BackendError(); !why.empty()) text = why;
  }
  const char* low = texts_.Intern(text);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(low));  // below 4 GiB (0 if none could be had)
}

uint32_t Connection_watch::Close(uint8_t id) {
  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  const auto dev = FindDevice(id);
  if (!dev) return DMX_ST_NO_DEVICE;
  if (!dev->open) return DMX_ST_ALREADY_CLOSED;
  dev->Close();
  freeList_.append(id);
  return 0;
}

uint32_t Connection_watch::Open(uint8_t id) {
  const auto dev = FindDevice(id);
  if (!dev) return DMX_ST_NO_DEVICE;
  if (dev->open) return DMX_ST_ALREADY_OPEN;
  for (uint32_t port = 0; port < 2; ++port) {
    const wdu::Status st = dev->SetPortMode(port, 0, DmxDevice::kPortModeOpen);
    if (st != wdu::kSuccess) return st;  // stays closed and free
  }
  dev->open = true;
  freeList_.remove(id);
  return 0;
}

uint32_t Connection_watch::OpenNext(uint8_t* id) {
  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  if (freeList_.empty()) return DMX_ST_NO_DEVICE;
  const uint8_t next = freeList_.last();
  if (const uint32_t st = Open(next); st != 0) return st;
  *id = next;
  return 0;
}

uint32_t Connection_watch::ListFree(uint8_t* out) {
  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  return static_cast<uint32_t>(freeList_.copyTo(out));
}

// ---- Attach and detach (the USB layer's thread) ----

bool Connection_watch::DeviceAttach(wdu::DeviceHandle handle, const wdu::DeviceInfo& info) {
  if (!handlers_.enter()) return false;
  const bool taken = TakeBox(handle, info);
  handlers_.leave();
  return taken;
}

uint8_t Connection_watch::ChooseId(std::span<const uint8_t, kFilterNameSize> name) const {
  if (filter_.empty()) {
    for (uint8_t id = 1; id != 0; ++id) {
      if (!devices_[id]) return id;
    }
    return 0;
  }
  const auto* text = reinterpret_cast<const char*>(name.data());
  for (size_t i = 0; i < filter_.size() && i < maxDevices_; ++i) {
    const auto id = static_cast<uint8_t>(i + 1);
    if (std::strncmp(filter_[i].data(), text, kFilterNameChars) == 0 && !devices_[id]) return id;
  }
  return 0;
}

bool Connection_watch::TakeBox(wdu::DeviceHandle handle, const wdu::DeviceInfo& info) {
  {
    std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
    lastProductId_ = info.productId;
    if (std::find(std::begin(kBoxProductIds), std::end(kBoxProductIds), info.productId) ==
        std::end(kBoxProductIds)) {
      DebugPrint("product id=%X real_product_id=%X", wantedProductId_, info.productId);
      if (info.productId != wantedProductId_) return false;
    }
    if (deviceCount_ >= maxDevices_) return false;
  }

  if (info.interfaces.empty()) return false;
  const uint32_t interfaceNumber = info.interfaces[0].number;
  if (WDU_SetInterface(handle, interfaceNumber, DmxDevice::kAttachAltSetting) != wdu::kSuccess) return false;
  std::array<uint8_t, kFilterNameSize> name{};  // a short answer leaves zeros, never stale bytes
  if (BoxControlIn(handle, kReqName, 0, 0, name.data(), kNameSize) != wdu::kSuccess) return false;
  name[kFilterNameChars] = 0;
  {
    std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
    if (!filter_.empty() && ChooseId(name) == 0) return false;
  }

  auto dev = std::make_shared<DmxDevice>(handle, interfaceNumber, info.bcdDevice, name);
  // The endpoints of ports 0 and 1 (request 0x11); the box is asked for its others too.
  uint8_t ep[4] = {0, 0, 0, 0};
  const uint8_t requests[4] = {kReqEndpoint, kReqEndpoint, kReqEndpointAlt, kReqEndpointAlt};
  for (uint16_t i = 0; i < 4; ++i) {
    if (BoxControlInExact(handle, requests[i], 0, i & 1, &ep[i], 1) != wdu::kSuccess) {  // no byte: refused
      dev->Destroy();
      return false;
    }
  }
  dev->SetEndpoints(ep[0], ep[1]);

  std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
  // Checked again: the table may have changed while the box was asked.
  const uint8_t id = deviceCount_ < maxDevices_ ? ChooseId(name) : 0;
  if (id == 0) {
    dev->Destroy();
    return false;
  }
  devices_[id] = std::move(dev);
  ++deviceCount_;
  freeList_.append(id);
  return true;
}

void Connection_watch::DeviceDetach(wdu::DeviceHandle handle) {
  if (!handlers_.enter()) return;
  {
    std::lock_guard<wdu::OsMutex> lock(devicesMutex_);
    for (uint32_t id = 1; id <= kMaxId; ++id) {
      auto& dev = devices_[id];
      if (!dev || dev->handle() != handle) continue;
      dev->Close();
      dev->Destroy();
      dev.reset();
      --deviceCount_;
      freeList_.remove(static_cast<uint8_t>(id));
      break;
    }
  }
  handlers_.leave();
}

}  // namespace quillon
