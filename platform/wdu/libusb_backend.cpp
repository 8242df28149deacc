#include "platform/wdu/libusb_backend.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/sys/system.h"

namespace wdu {

namespace libusb_detail {

Status statusFromError(int libusbError) {
  switch (libusbError) {
    case LIBUSB_SUCCESS:
      return kSuccess;
    case LIBUSB_ERROR_TIMEOUT:
      return kTimeout;
    case LIBUSB_ERROR_PIPE:
      return kStall;
    case LIBUSB_ERROR_NO_DEVICE:
      return kDeviceRemoved;
    case LIBUSB_ERROR_ACCESS:
      return kAccessDenied;
    case LIBUSB_ERROR_BUSY:
      return kBusy;
    case LIBUSB_ERROR_OVERFLOW:
      return kOverflow;
    case LIBUSB_ERROR_NO_MEM:
      return kNoResources;
    case LIBUSB_ERROR_INVALID_PARAM:
    case LIBUSB_ERROR_NOT_FOUND:
      return kInvalidParameter;
    default:  // I/O, interrupted, not supported, other
      return kDeviceError;
  }
}

Status statusFromTransfer(int transferStatus, bool gone) {
  switch (transferStatus) {
    case LIBUSB_TRANSFER_COMPLETED:
      return kSuccess;
    case LIBUSB_TRANSFER_TIMED_OUT:
      return kTimeout;
    case LIBUSB_TRANSFER_STALL:
      return kStall;
    case LIBUSB_TRANSFER_NO_DEVICE:
      return kDeviceRemoved;
    case LIBUSB_TRANSFER_OVERFLOW:
      return kOverflow;
    default:  // an error or a cancel: after an unplug that is the unplug
      return gone ? kDeviceRemoved : kDeviceError;
  }
}

std::string accessDeniedMessage(uint16_t vendorId, uint16_t productId, int bus, int address) {
  char text[640];
  std::snprintf(
      text, sizeof text,
      "USB device %04x:%04x (bus %03d, device %03d: /dev/bus/usb/%03d/%03d) cannot be opened: "
      "permission denied.\n"
      "  Allow access with a udev rule: copy 70-lighting-usb.rules (udev/ in the sources, share/doc/zem/"
      "examples/ where the tools are installed) to /etc/udev/rules.d/, or add there the line\n"
      "    SUBSYSTEM==\"usb\", ATTR{idVendor}==\"%04x\", MODE=\"0660\", TAG+=\"uaccess\"\n"
      "  then run 'sudo udevadm control --reload-rules && sudo udevadm trigger' and plug the device "
      "in again.\n",
      vendorId, productId, bus, address, bus, address, vendorId);
  return text;
}

}  // namespace libusb_detail

namespace {

using libusb_detail::statusFromError;
using libusb_detail::statusFromTransfer;

constexpr auto kScanInterval = std::chrono::milliseconds(500);  // without hot-plug callbacks
constexpr uint8_t kEndpointTypeMask = 0x03;
constexpr uint8_t kEndpointTypeInterrupt = 0x03;
constexpr uint32_t kSetupSize = 8;

bool describe(libusb_device* device, DeviceInfo& info) {
  libusb_device_descriptor dd{};
  if (libusb_get_device_descriptor(device, &dd) != LIBUSB_SUCCESS) return false;
  info = DeviceInfo{};
  info.vendorId = dd.idVendor;
  info.productId = dd.idProduct;
  info.bcdDevice = dd.bcdDevice;
  info.bcdUsb = dd.bcdUSB;
  info.deviceClass = dd.bDeviceClass;
  info.deviceSubClass = dd.bDeviceSubClass;
  info.deviceProtocol = dd.bDeviceProtocol;
  info.maxPacketSize0 = dd.bMaxPacketSize0;
  info.iManufacturer = dd.iManufacturer;
  info.iProduct = dd.iProduct;
  info.iSerialNumber = dd.iSerialNumber;

  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS) {
    config = nullptr;  // not configured: describe its first configuration
    if (dd.bNumConfigurations == 0 || libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS) {
      return true;
    }
  }
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface& iface = config->interface[i];
    InterfaceInfo out;
    for (int a = 0; a < iface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = iface.altsetting[a];
      out.number = alt.bInterfaceNumber;
      AltSettingInfo setting;
      setting.alternateSetting = alt.bAlternateSetting;
      setting.interfaceClass = alt.bInterfaceClass;
      setting.interfaceSubClass = alt.bInterfaceSubClass;
      setting.interfaceProtocol = alt.bInterfaceProtocol;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        setting.endpoints.push_back({ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize, ep.bInterval});
      }
      out.alts.push_back(std::move(setting));
    }
    info.interfaces.push_back(std::move(out));
  }
  libusb_free_config_descriptor(config);
  return true;
}

struct Dev {
  BackendDeviceId id = 0;
  libusb_device* device = nullptr;  // one reference, ours
  DeviceInfo info;                  // as described at arrival
  // Guarded by the backend's mutex:
  bool gone = false;
  std::map<uint8_t, uint8_t> activeAlt;  // interface -> setting selected through us
  // Opening, claiming and selecting settings, one at a time:
  std::mutex openMutex;
  libusb_device_handle* handle = nullptr;  // open while a program uses the device
  std::set<uint8_t> claimed;
  bool accessReported = false;

  Dev() = default;
  Dev(const Dev&) = delete;
  Dev& operator=(const Dev&) = delete;
  // The last reference goes after every transfer on the device has finished (each holds one).
  ~Dev() {
    if (handle) libusb_close(handle);
    libusb_unref_device(device);
  }
};

class LibusbBackend;

// One transfer, shared by the thread that waits for it and libusb's completion callback; its buffer
// stays valid until both are done with it, so a waiter that leaves on unplug leaves nothing behind.
struct Pending {
  LibusbBackend* backend = nullptr;
  std::shared_ptr<Dev> dev;
  std::vector<uint8_t> buffer;
  libusb_transfer* transfer = nullptr;  // valid while !done (guarded by the backend's mutex)
  bool done = false;
  int status = 0;
  int actual = 0;
};

class LibusbBackend final : public Backend {
 public:
  bool start(std::string& why);
  bool hasContext() const { return ctx_ != nullptr; }

  void addListener(BackendListener* listener) override;
  void removeListener(BackendListener* listener) override;
  Status deviceInfo(BackendDeviceId id, DeviceInfo& info) override;
  Status setInterface(BackendDeviceId id, uint8_t interfaceNumber, uint8_t alternateSetting) override;
  Status control(BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                 uint32_t timeoutMs) override;
  Status bulk(BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
              uint32_t timeoutMs) override;
  void release(BackendDeviceId id) override;

  void queueEvent(libusb_device* device, bool arrived);
  // From the completion callback, inside libusb's event handling; takes the callback's reference.
  void finished(std::shared_ptr<Pending> pending, int status, int actual);

 private:
  struct Event {
    libusb_device* device;  // one reference, dropped once handled
    bool arrived;
  };

  void loop();
  void cancelAbandoned();      // on the event thread, between rounds of libusb's event handling
  void dropFinished();         // likewise
  void scan();                 // without hot-plug: compares libusb's list with ours
  void processEventsLocked();  // under listenerMutex_
  std::shared_ptr<Dev> find(BackendDeviceId id);
  // The device's open handle: opens it on first use (under dev.openMutex).
  Status openLocked(Dev& dev, libusb_device_handle*& handle);
  Status handleOf(Dev& dev, libusb_device_handle*& handle);
  // Submits the filled transfer and waits for its end or the device's unplug. actual gets the bytes
  // moved, or -1 when the wait ended on an unplug (libusb may still use the buffer then).
  Status submitAndWait(const std::shared_ptr<Pending>& pending, libusb_transfer* transfer, int& actual);

  libusb_context* ctx_ = nullptr;
  bool hotplug_ = false;

  std::mutex queueMutex_;
  std::vector<Event> queue_;

  // Lock order: listenerMutex_, then m_. No listener is called with m_ held.
  std::mutex listenerMutex_;
  std::vector<BackendListener*> listeners_;

  std::mutex m_;
  std::condition_variable changed_;  // a transfer finished, a device left
  std::map<BackendDeviceId, std::shared_ptr<Dev>> devices_;
  std::map<libusb_device*, BackendDeviceId> byDevice_;
  BackendDeviceId nextId_ = 1;
  std::vector<std::shared_ptr<Pending>> abandoned_;  // left by their waiters on an unplug
  // The completion callbacks' references, dropped by the event thread outside libusb's event handling:
  // the last reference to a device that has left closes it, and libusb_close there would wait for a
  // lock that libusb holds while it calls the callback.
  std::vector<std::shared_ptr<Pending>> finished_;
};

void LIBUSB_CALL transferDone(libusb_transfer* transfer) {
  auto* holder = static_cast<std::shared_ptr<Pending>*>(transfer->user_data);
  std::shared_ptr<Pending> pending = std::move(*holder);
  delete holder;
  const int status = transfer->status;
  const int actual = transfer->actual_length;
  libusb_free_transfer(transfer);
  LibusbBackend* backend = pending->backend;
  backend->finished(std::move(pending), status, actual);
}

int LIBUSB_CALL hotplugEvent(libusb_context*, libusb_device* device, libusb_hotplug_event event, void* self) {
  static_cast<LibusbBackend*>(self)->queueEvent(device, event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED);
  return 0;  // stay registered
}

bool LibusbBackend::start(std::string& why) {
  int r = libusb_init(&ctx_);
  if (r != LIBUSB_SUCCESS) {
    why = std::string("libusb cannot start: ") + libusb_error_name(r);
    ctx_ = nullptr;
    return false;
  }
  hotplug_ = libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0 &&
             libusb_hotplug_register_callback(
                 ctx_, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
                 LIBUSB_HOTPLUG_ENUMERATE, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
                 LIBUSB_HOTPLUG_MATCH_ANY, hotplugEvent, this, nullptr) == LIBUSB_SUCCESS;
  if (!hotplug_) scan();
  {
    // The devices present come in bus and address order (libusb keeps no order of its own).
    std::lock_guard<std::mutex> lock(queueMutex_);
    std::stable_sort(queue_.begin(), queue_.end(), [](const Event& a, const Event& b) {
      return std::make_pair(libusb_get_bus_number(a.device), libusb_get_device_address(a.device)) <
             std::make_pair(libusb_get_bus_number(b.device), libusb_get_device_address(b.device));
    });
  }
  {
    std::lock_guard<std::mutex> lock(listenerMutex_);
    processEventsLocked();  // the devices present now are known before the first listener comes
  }
  try {
    std::thread([this] { loop(); }).detach();
  } catch (const std::system_error&) {
    why = "libusb's event thread cannot start";
    return false;
  }
  return true;
}

void LibusbBackend::loop() {
  auto nextScan = std::chrono::steady_clock::now() + kScanInterval;
  for (;;) {
    timeval tv{0, hotplug_ ? 500000 : 100000};
    libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
    if (!hotplug_ && std::chrono::steady_clock::now() >= nextScan) {
      scan();
      nextScan = std::chrono::steady_clock::now() + kScanInterval;
    }
    {
      std::lock_guard<std::mutex> lock(listenerMutex_);
      processEventsLocked();
    }
    cancelAbandoned();
    dropFinished();
  }
}

void LibusbBackend::dropFinished() {
  std::vector<std::shared_ptr<Pending>> finished;
  {
    std::lock_guard<std::mutex> lock(m_);
    finished.swap(finished_);
  }
  // A device's record may go with them here, closing its handle: outside m_.
}

void LibusbBackend::cancelAbandoned() {
  std::vector<std::shared_ptr<Pending>> abandoned;
  {
    std::lock_guard<std::mutex> lock(m_);
    abandoned.swap(abandoned_);
  }
  for (auto& pending : abandoned) {
    libusb_transfer* transfer = nullptr;
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!pending->done) transfer = pending->transfer;
    }
    // Completions run on this thread only, inside libusb's event handling: the transfer is still there.
    if (transfer != nullptr) (void)libusb_cancel_transfer(transfer);
  }
}

void LibusbBackend::queueEvent(libusb_device* device, bool arrived) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  queue_.push_back({libusb_ref_device(device), arrived});
}

void LibusbBackend::scan() {
  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(ctx_, &list);
  if (n < 0) return;
  std::set<libusb_device*> present(list, list + n);
  std::vector<libusb_device*> known;
  {
    std::lock_guard<std::mutex> lock(m_);
    for (auto& [device, id] : byDevice_) known.push_back(device);
  }
  for (libusb_device* device : present) {
    if (std::find(known.begin(), known.end(), device) == known.end()) queueEvent(device, true);
  }
  for (libusb_device* device : known) {
    if (present.count(device) == 0) queueEvent(device, false);
  }
  libusb_free_device_list(list, 1);
}

void LibusbBackend::processEventsLocked() {
  std::vector<Event> events;
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    events.swap(queue_);
  }
  for (const Event& ev : events) {
    if (ev.arrived) {
      auto dev = std::make_shared<Dev>();
      dev->device = ev.device;                        // the event's reference becomes the record's
      if (!describe(ev.device, dev->info)) continue;  // the record drops the reference
      {
        std::lock_guard<std::mutex> lock(m_);
        if (byDevice_.count(ev.device) != 0) continue;
        dev->id = nextId_++;
        devices_[dev->id] = dev;
        byDevice_[ev.device] = dev->id;
      }
      for (BackendListener* listener : listeners_) listener->deviceArrived(dev->id, dev->info);
      continue;
    }
    BackendDeviceId id = 0;
    std::shared_ptr<Dev> left;  // released below, without m_: the last reference closes the device in libusb
    {
      std::lock_guard<std::mutex> lock(m_);
      auto it = byDevice_.find(ev.device);
      if (it != byDevice_.end()) {
        id = it->second;
        byDevice_.erase(it);
        auto dev = devices_.find(id);
        left = std::move(dev->second);
        left->gone = true;  // waiting transfers end now with kDeviceRemoved
        devices_.erase(dev);
        changed_.notify_all();
      }
    }
    left.reset();
    libusb_unref_device(ev.device);
    if (id != 0) {
      for (BackendListener* listener : listeners_) listener->deviceLeft(id);
    }
  }
}

void LibusbBackend::addListener(BackendListener* listener) {
  std::lock_guard<std::mutex> notify(listenerMutex_);
  processEventsLocked();
  listeners_.push_back(listener);
  std::vector<std::pair<BackendDeviceId, DeviceInfo>> present;
  {
    std::lock_guard<std::mutex> lock(m_);
    for (auto& [id, dev] : devices_) present.emplace_back(id, dev->info);
  }
  for (auto& [id, info] : present) listener->deviceArrived(id, info);
}

void LibusbBackend::removeListener(BackendListener* listener) {
  std::lock_guard<std::mutex> notify(listenerMutex_);
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

std::shared_ptr<Dev> LibusbBackend::find(BackendDeviceId id) {
  std::lock_guard<std::mutex> lock(m_);
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : it->second;
}

Status LibusbBackend::deviceInfo(BackendDeviceId id, DeviceInfo& info) {
  auto dev = find(id);
  if (!dev) return kDeviceRemoved;
  std::lock_guard<std::mutex> lock(m_);
  if (dev->gone) return kDeviceRemoved;
  info = dev->info;
  for (auto& iface : info.interfaces) {
    auto alt = dev->activeAlt.find(iface.number);
    iface.activeAlt = alt == dev->activeAlt.end() ? 0 : alt->second;
  }
  return kSuccess;
}

Status LibusbBackend::openLocked(Dev& dev, libusb_device_handle*& handle) {
  if (dev.handle == nullptr) {
    const int r = libusb_open(dev.device, &dev.handle);
    if (r != LIBUSB_SUCCESS) {
      dev.handle = nullptr;
      if (r == LIBUSB_ERROR_ACCESS && !dev.accessReported) {
        dev.accessReported = true;
        const std::string text = libusb_detail::accessDeniedMessage(dev.info.vendorId, dev.info.productId,
                                                                    libusb_get_bus_number(dev.device),
                                                                    libusb_get_device_address(dev.device));
        std::fputs(text.c_str(), stderr);
        sys::debugOutput(text);
      }
      return statusFromError(r);
    }
    // A kernel driver bound to an interface steps aside while we hold it.
    (void)libusb_set_auto_detach_kernel_driver(dev.handle, 1);
  }
  handle = dev.handle;
  return kSuccess;
}

Status LibusbBackend::handleOf(Dev& dev, libusb_device_handle*& handle) {
  std::lock_guard<std::mutex> lock(dev.openMutex);
  return openLocked(dev, handle);
}

Status LibusbBackend::setInterface(BackendDeviceId id, uint8_t interfaceNumber, uint8_t alternateSetting) {
  auto dev = find(id);
  if (!dev) return kDeviceRemoved;
  if (!dev->info.hasSetting(interfaceNumber, alternateSetting))
    return kStall;  // as the device answers a SET_INTERFACE for a setting it lacks

  std::lock_guard<std::mutex> open(dev->openMutex);
  libusb_device_handle* handle = nullptr;
  Status st = openLocked(*dev, handle);
  if (st == kSuccess && dev->claimed.count(interfaceNumber) == 0) {
    st = statusFromError(libusb_claim_interface(handle, interfaceNumber));
    if (st == kSuccess) dev->claimed.insert(interfaceNumber);
  }
  if (st == kSuccess)
    st = statusFromError(libusb_set_interface_alt_setting(handle, interfaceNumber, alternateSetting));
  std::lock_guard<std::mutex> lock(m_);
  if (dev->gone) return kDeviceRemoved;
  if (st == kSuccess) dev->activeAlt[interfaceNumber] = alternateSetting;
  return st;
}

Status LibusbBackend::submitAndWait(const std::shared_ptr<Pending>& pending, libusb_transfer* transfer,
                                    int& actual) {
  actual = -1;
  auto* holder = new std::shared_ptr<Pending>(pending);
  transfer->user_data = holder;
  transfer->callback = transferDone;
  std::unique_lock<std::mutex> lock(m_);
  Dev& dev = *pending->dev;
  int r = LIBUSB_ERROR_NO_DEVICE;
  if (!dev.gone) {
    pending->transfer = transfer;
    r = libusb_submit_transfer(transfer);  // its callback waits for m_, so it finds the transfer set up
  }
  if (r != LIBUSB_SUCCESS) {
    pending->transfer = nullptr;
    lock.unlock();
    delete holder;
    libusb_free_transfer(transfer);
    return statusFromError(r);
  }
  changed_.wait(lock, [&] { return pending->done || dev.gone; });
  if (!pending->done) {
    // Unplugged: leave now. The event thread cancels the transfer (only there can no completion free
    // it meanwhile); libusb ends it on our buffer, and the callback frees both.
    abandoned_.push_back(pending);
    lock.unlock();
    libusb_interrupt_event_handler(ctx_);
    return kDeviceRemoved;
  }
  actual = std::max(pending->actual, 0);
  return statusFromTransfer(pending->status, dev.gone);
}

void LibusbBackend::finished(std::shared_ptr<Pending> pending, int status, int actual) {
  std::lock_guard<std::mutex> lock(m_);
  pending->done = true;
  pending->status = status;
  pending->actual = actual;
  pending->transfer = nullptr;
  finished_.push_back(std::move(pending));
  changed_.notify_all();
}

Status LibusbBackend::control(BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                              uint32_t timeoutMs) {
  done = 0;
  auto dev = find(id);
  if (!dev) return kDeviceRemoved;
  libusb_device_handle* handle = nullptr;
  if (Status st = handleOf(*dev, handle); st != kSuccess) return st;

  const uint32_t wLength = static_cast<uint32_t>(setup[6] | (setup[7] << 8));
  const bool in = (setup[0] & LIBUSB_ENDPOINT_IN) != 0;
  auto pending = std::make_shared<Pending>();
  pending->backend = this;
  pending->dev = dev;
  pending->buffer.assign(kSetupSize + wLength, 0);
  std::memcpy(pending->buffer.data(), setup, kSetupSize);
  if (!in && wLength > 0) std::memcpy(pending->buffer.data() + kSetupSize, data, wLength);
  libusb_transfer* transfer = libusb_alloc_transfer(0);
  if (transfer == nullptr) return kNoResources;
  libusb_fill_control_transfer(transfer, handle, pending->buffer.data(), nullptr, nullptr, timeoutMs);

  int actual = 0;
  const Status st = submitAndWait(pending, transfer, actual);
  if (actual < 0) return st;
  done = std::min<uint32_t>(static_cast<uint32_t>(actual), wLength);
  if (in && done > 0) std::memcpy(data, pending->buffer.data() + kSetupSize, done);
  return st;
}

Status LibusbBackend::bulk(BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
                           uint32_t timeoutMs) {
  done = 0;
  auto dev = find(id);
  if (!dev) return kDeviceRemoved;
  DeviceInfo info;
  if (Status st = deviceInfo(id, info); st != kSuccess) return st;
  const EndpointInfo* ep = info.findEndpoint(endpoint);
  if (ep == nullptr) return kInvalidParameter;  // no such endpoint in the active settings
  libusb_device_handle* handle = nullptr;
  if (Status st = handleOf(*dev, handle); st != kSuccess) return st;

  const bool in = (endpoint & LIBUSB_ENDPOINT_IN) != 0;
  auto pending = std::make_shared<Pending>();
  pending->backend = this;
  pending->dev = dev;
  pending->buffer.assign(len, 0);
  if (!in && len > 0) std::memcpy(pending->buffer.data(), data, len);
  libusb_transfer* transfer = libusb_alloc_transfer(0);
  if (transfer == nullptr) return kNoResources;
  if ((ep->attributes & kEndpointTypeMask) == kEndpointTypeInterrupt) {
    libusb_fill_interrupt_transfer(transfer, handle, endpoint, pending->buffer.data(), static_cast<int>(len),
                                   nullptr, nullptr, timeoutMs);
  } else {
    libusb_fill_bulk_transfer(transfer, handle, endpoint, pending->buffer.data(), static_cast<int>(len),
                              nullptr, nullptr, timeoutMs);
  }

  int actual = 0;
  const Status st = submitAndWait(pending, transfer, actual);
  if (actual < 0) return st;
  done = std::min<uint32_t>(static_cast<uint32_t>(actual), len);
  if (in && done > 0) std::memcpy(data, pending->buffer.data(), done);
  // A halted endpoint stays halted on this system until cleared; the stall was this transfer's answer.
  if (st == kStall) (void)libusb_clear_halt(handle, endpoint);
  return st;
}

void LibusbBackend::release(BackendDeviceId id) {
  auto dev = find(id);
  if (!dev) return;
  libusb_device_handle* handle = nullptr;
  {
    std::lock_guard<std::mutex> open(dev->openMutex);
    if (dev->handle == nullptr) return;
    // No transfer runs on it (the layer calls only then): another program may claim it now.
    for (uint8_t iface : dev->claimed) (void)libusb_release_interface(dev->handle, iface);
    dev->claimed.clear();
    handle = dev->handle;
    dev->handle = nullptr;
    std::lock_guard<std::mutex> lock(m_);
    dev->activeAlt.clear();  // the system puts a released interface back to its first setting
  }
  libusb_close(handle);
}

}  // namespace

Backend* libusbBackend(std::string& why) {
  static std::mutex startMutex;
  static LibusbBackend* instance = nullptr;  // lives for the process: threads and callbacks use it
  std::lock_guard<std::mutex> lock(startMutex);
  if (instance != nullptr) return instance;
  auto* backend = new LibusbBackend;
  if (!backend->start(why)) {
    // Once libusb has our pointer (hot-plug registration) the object stays, unused.
    if (!backend->hasContext()) delete backend;
    return nullptr;
  }
  instance = backend;
  return instance;
}

}  // namespace wdu
