#include "platform/wdu/wdu.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/sys/dynlib.h"
#include "platform/wdu/backend.h"
#include "platform/wdu/libusb_backend.h"

namespace wdu {

const char* StatusText(Status status) {
  switch (status) {
    case kSuccess:
      return "Success";
    case kTimeout:
      return "Time-out expired";
    case kInvalidHandle:
      return "Invalid handle";
    case kInvalidParameter:
      return "Invalid parameter";
    case kDeviceRemoved:
      return "Device removed";
    case kStall:
      return "Request stalled by the device";
    case kNoBackend:
      return "No USB backend";
    case kWrongContext:
      return "Not allowed from this thread";
    case kOverflow:
      return "Device sent more data than requested";
    case kDeviceError:
      return "Device error";
    case kNoResources:
      return "Insufficient resources";
    case kBusy:
      return "Busy";
    case kAccessDenied:
      return "Permission denied: the device cannot be opened";
    default:
      return "Unrecognized status";
  }
}

namespace {

inline constexpr uint8_t kSetupDirectionIn = 0x80;

bool rowMatches(const MatchRow& row, const DeviceInfo& info) {
  if (row.vendorId != 0 && row.vendorId != info.vendorId) return false;
  if (row.productId != 0 && row.productId != info.productId) return false;
  if (row.deviceClass != 0 && row.deviceClass != info.deviceClass) return false;
  if (row.deviceSubClass != 0 && row.deviceSubClass != info.deviceSubClass) return false;
  if (row.interfaceClass == 0 && row.interfaceSubClass == 0 && row.interfaceProtocol == 0) return true;
  for (const auto& iface : info.interfaces) {
    for (const auto& alt : iface.alts) {
      if ((row.interfaceClass == 0 || row.interfaceClass == alt.interfaceClass) &&
          (row.interfaceSubClass == 0 || row.interfaceSubClass == alt.interfaceSubClass) &&
          (row.interfaceProtocol == 0 || row.interfaceProtocol == alt.interfaceProtocol)) {
        return true;
      }
    }
  }
  return false;
}

bool matchesAny(const std::vector<MatchRow>& rows, const DeviceInfo& info) {
  for (const auto& row : rows) {
    if (rowMatches(row, info)) return true;
  }
  return false;
}

struct DeviceRecord {
  BackendDeviceId id = 0;
  DeviceInfo info;  // as it arrived; used for matching
  bool present = true;
  DriverHandle owner = 0;
  DeviceHandle ownerHandle = 0;
  DeviceHandle offerHandle = 0;  // an offer queued or running
  std::set<DriverHandle> refusedBy;
  uint32_t inflight = 0;  // calls inside the backend now
  // Nobody holds it: the backend gives it back to the system (now, or once inflight is 0).
  bool releasing = false;   // the backend is giving it back: no offer meanwhile
  bool releaseDue = false;  // to be given back when the calls in flight have returned

  // Present, and neither held, offered nor being given back: free for the next registration.
  bool unclaimed() const { return present && owner == 0 && offerHandle == 0 && !releasing; }
};

struct HandleRecord {
  std::shared_ptr<DeviceRecord> device;
  DriverHandle driver = 0;
};

struct Event {
  enum class Kind { Attach, Detach };
  Kind kind = Kind::Attach;
  DeviceHandle handle = 0;
  std::shared_ptr<DeviceRecord> device;
};

struct Registration {
  DriverHandle id = 0;
  std::vector<MatchRow> rows;
  Events events;
  uint32_t options = 0;
  std::deque<Event> queue;
  std::condition_variable wake;
  bool stopping = false;
  std::thread thread;
  std::thread::id threadId;
};

class Layer final : public BackendListener {
 public:
  Status init(DriverHandle& driver, std::span<const MatchRow> rows, Events events, uint32_t options);
  Status uninit(DriverHandle driver);
  Status selectLibrary(const std::string& path);
  std::string backendError();
  std::string backendLibrary();

  // Runs fn(backend, id) for a valid handle of a present device, counting it in flight.
  template <typename Fn>
  Status withDevice(DeviceHandle handle, Fn&& fn);

  void deviceArrived(BackendDeviceId id, const DeviceInfo& info) override;
  void deviceLeft(BackendDeviceId id) override;

 private:
  Status ensureBackend();                                       // under loadMutex_
  void useBackend(Backend* backend, const std::string& path);   // under loadMutex_
  void offerNext(const std::shared_ptr<DeviceRecord>& device);  // under m_
  // Offers each device to the next registration; one that nobody takes goes back to the system through
  // the backend, so that another program may claim it. Unlocks lock while the backend works.
  void passOn(std::unique_lock<std::mutex>& lock, const std::vector<std::shared_ptr<DeviceRecord>>& devices);
  void release(std::unique_lock<std::mutex>& lock, std::vector<std::shared_ptr<DeviceRecord>> devices);
  void run(const std::shared_ptr<Registration>& reg);

  // Lock order: loadMutex_, then the backend's listener lock, then m_. Nothing calls into the
  // backend while holding m_.
  std::mutex loadMutex_;
  std::string selectedPath_;
  std::string triedPath_;  // the library the last load used or tried; empty for libusb
  bool pathSelected_ = false;
  std::string loadedPath_;
  std::string error_;
  std::vector<std::unique_ptr<sys::DynamicLibrary>> libraries_;  // never unloaded

  std::mutex m_;
  std::condition_variable inflightDone_;
  Backend* backend_ = nullptr;
  std::map<BackendDeviceId, std::shared_ptr<DeviceRecord>> devices_;
  std::unordered_map<DeviceHandle, HandleRecord> handles_;
  std::map<DriverHandle, std::shared_ptr<Registration>> registrations_;  // in Init order
  DeviceHandle nextDevice_ = 1;
  DriverHandle nextDriver_ = 1;
};

// Lives for the whole process: registrations left open at exit must not meet a destroyed layer.
Layer& layer() {
  static Layer* instance = new Layer;
  return *instance;
}

Status Layer::ensureBackend() {
  if (backend_ != nullptr) return kSuccess;
  std::string path = selectedPath_;
  if (!pathSelected_) {
    const char* env = std::getenv(kLibraryEnvVar);
    path = env ? env : "";
  }
  triedPath_ = path;
  std::string why;
  if (path.empty()) {
    Backend* backend = libusbBackend(why);
    if (backend == nullptr) {
      error_ = "no USB backend: " + why;
      return kNoBackend;
    }
    useBackend(backend, path);
    return kSuccess;
  }
  // A name without a folder is looked for beside this library first (the program's library folder).
  auto library =
      sys::DynamicLibrary::open(path, &why, sys::folderOfCodeAt(reinterpret_cast<const void*>(&layer)));
  if (!library) {
    error_ = "cannot load USB backend " + path + ": " + why;
    return kNoBackend;
  }
  auto entry = reinterpret_cast<BackendEntryFn>(library->symbol(kBackendEntryPoint));
  Backend* backend = entry ? entry() : nullptr;
  if (backend == nullptr) {
    error_ = "USB backend " + path + " lacks " + kBackendEntryPoint;
    return kNoBackend;
  }
  libraries_.push_back(std::move(library));
  useBackend(backend, path);
  return kSuccess;
}

void Layer::useBackend(Backend* backend, const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(m_);
    backend_ = backend;
  }
  loadedPath_ = path;
  error_.clear();
  backend->addListener(this);
}

Status Layer::selectLibrary(const std::string& path) {
  std::lock_guard<std::mutex> load(loadMutex_);
  Backend* old = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!registrations_.empty()) return kBusy;
    old = backend_;
  }
  if (old != nullptr && path == loadedPath_) return kSuccess;
  if (old != nullptr) {
    old->removeListener(this);
    std::lock_guard<std::mutex> lock(m_);
    backend_ = nullptr;
    devices_.clear();
    handles_.clear();
  }
  selectedPath_ = path;
  pathSelected_ = true;
  return ensureBackend();
}

std::string Layer::backendError() {
  std::lock_guard<std::mutex> load(loadMutex_);
  return error_;
}

std::string Layer::backendLibrary() {
  std::lock_guard<std::mutex> load(loadMutex_);
  return triedPath_;
}

Status Layer::init(DriverHandle& driver, std::span<const MatchRow> rows, Events events, uint32_t options) {
  driver = 0;
  if (rows.empty() || !events.attach) return kInvalidParameter;
  std::lock_guard<std::mutex> load(loadMutex_);
  if (Status st = ensureBackend(); st != kSuccess) return st;

  auto reg = std::make_shared<Registration>();
  reg->rows.assign(rows.begin(), rows.end());
  reg->events = std::move(events);
  reg->options = options;

  std::lock_guard<std::mutex> lock(m_);
  reg->id = nextDriver_++;
  if (nextDriver_ == 0) nextDriver_ = 1;
  try {
    reg->thread = std::thread([this, reg] { run(reg); });
  } catch (const std::system_error&) {
    return kNoResources;
  }
  reg->threadId = reg->thread.get_id();
  registrations_[reg->id] = reg;
  // Offers go to the new thread's queue: no callback runs inside Init.
  for (auto& [id, device] : devices_) offerNext(device);
  driver = reg->id;
  return kSuccess;
}

Status Layer::uninit(DriverHandle driver) {
  std::shared_ptr<Registration> reg;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = registrations_.find(driver);
    if (it == registrations_.end()) return kInvalidHandle;
    if (it->second->threadId == std::this_thread::get_id()) return kWrongContext;
    reg = it->second;
    registrations_.erase(it);  // from now on nothing is offered to it
    reg->stopping = true;
    reg->wake.notify_all();
  }
  reg->thread.join();  // a callback in progress ends first

  std::unique_lock<std::mutex> lock(m_);
  std::vector<std::shared_ptr<DeviceRecord>> released;
  for (auto& ev : reg->queue) {
    handles_.erase(ev.handle);
    if (ev.kind == Event::Kind::Attach) {
      ev.device->offerHandle = 0;
      released.push_back(ev.device);
    }
  }
  reg->queue.clear();
  for (auto it = handles_.begin(); it != handles_.end();) {
    if (it->second.driver != driver) {
      ++it;
      continue;
    }
    auto device = it->second.device;
    if (device->owner == driver) {
      device->owner = 0;
      device->ownerHandle = 0;
      device->refusedBy.clear();
      released.push_back(device);
    }
    it = handles_.erase(it);
  }
  passOn(lock, released);
  return kSuccess;
}

void Layer::offerNext(const std::shared_ptr<DeviceRecord>& device) {
  if (!device->unclaimed()) return;
  for (auto& [id, reg] : registrations_) {
    if (reg->stopping || device->refusedBy.count(id) != 0 || !matchesAny(reg->rows, device->info)) continue;
    const DeviceHandle handle = nextDevice_++;
    if (nextDevice_ == 0) nextDevice_ = 1;  // 0 means "no device", even after 2^32 offers
    handles_[handle] = HandleRecord{device, id};
    device->offerHandle = handle;
    reg->queue.push_back(Event{Event::Kind::Attach, handle, device});
    reg->wake.notify_one();
    return;
  }
}

void Layer::passOn(std::unique_lock<std::mutex>& lock,
                   const std::vector<std::shared_ptr<DeviceRecord>>& devices) {
  std::vector<std::shared_ptr<DeviceRecord>> unheld;
  for (const auto& device : devices) {
    offerNext(device);
    if (!device->unclaimed()) continue;  // taken up by the offer, gone or being given back
    if (device->inflight > 0) {
      device->releaseDue = true;  // the last call to return gives it back
    } else {
      unheld.push_back(device);
    }
  }
  release(lock, std::move(unheld));
}

void Layer::release(std::unique_lock<std::mutex>& lock, std::vector<std::shared_ptr<DeviceRecord>> devices) {
  if (devices.empty()) return;
  for (auto& device : devices) {
    device->releaseDue = false;
    device->releasing = true;
  }
  Backend* backend = backend_;
  lock.unlock();
  for (auto& device : devices) backend->release(device->id);
  lock.lock();
  for (auto& device : devices) {
    device->releasing = false;
    offerNext(device);  // a registration that came meanwhile takes it up again
  }
}

void Layer::run(const std::shared_ptr<Registration>& reg) {
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    reg->wake.wait(lock, [&] { return reg->stopping || !reg->queue.empty(); });
    if (reg->stopping) return;
    Event ev = std::move(reg->queue.front());
    reg->queue.pop_front();
    const auto& device = ev.device;

    if (ev.kind == Event::Kind::Detach) {
      // Every transfer on the device has answered (unplug ends them at once) before detach runs.
      inflightDone_.wait(lock, [&] { return device->inflight == 0; });
      lock.unlock();
      if (reg->events.detach) reg->events.detach(ev.handle);
      lock.lock();
      handles_.erase(ev.handle);
      continue;
    }

    if (!device->present) {  // left before its offer came up
      device->offerHandle = 0;
      handles_.erase(ev.handle);
      continue;
    }
    Backend* backend = backend_;
    ++device->inflight;
    lock.unlock();
    DeviceInfo info;
    if (backend->deviceInfo(device->id, info) != kSuccess) info = device->info;
    lock.lock();
    if (--device->inflight == 0 && !device->present) inflightDone_.notify_all();
    lock.unlock();
    const bool taken = reg->events.attach(ev.handle, info);
    lock.lock();
    device->offerHandle = 0;
    if (taken || (reg->options & kAcknowledge) == 0) {
      device->owner = reg->id;
      device->ownerHandle = ev.handle;
      device->refusedBy.clear();
      device->releaseDue = false;
      // It left while the callback ran: deviceLeft found no owner to tell.
      if (!device->present) reg->queue.push_back(Event{Event::Kind::Detach, ev.handle, device});
    } else {
      handles_.erase(ev.handle);
      device->refusedBy.insert(reg->id);
      passOn(lock, {device});
    }
  }
}

void Layer::deviceArrived(BackendDeviceId id, const DeviceInfo& info) {
  std::lock_guard<std::mutex> lock(m_);
  auto device = std::make_shared<DeviceRecord>();
  device->id = id;
  device->info = info;
  devices_[id] = device;
  offerNext(device);
}

void Layer::deviceLeft(BackendDeviceId id) {
  std::lock_guard<std::mutex> lock(m_);
  auto it = devices_.find(id);
  if (it == devices_.end()) return;
  auto device = it->second;
  devices_.erase(it);
  device->present = false;
  if (device->owner == 0) return;  // idle, or its offer notices on its own
  auto reg = registrations_.find(device->owner);
  if (reg == registrations_.end() || reg->second->stopping) return;
  reg->second->queue.push_back(Event{Event::Kind::Detach, device->ownerHandle, device});
  reg->second->wake.notify_one();
}

template <typename Fn>
Status Layer::withDevice(DeviceHandle handle, Fn&& fn) {
  std::shared_ptr<DeviceRecord> device;
  Backend* backend = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = handles_.find(handle);
    if (it == handles_.end()) return kInvalidHandle;
    device = it->second.device;
    if (!device->present) return kDeviceRemoved;
    ++device->inflight;
    backend = backend_;
  }
  const Status st = fn(*backend, device->id);
  std::unique_lock<std::mutex> lock(m_);
  if (--device->inflight == 0 && !device->present) inflightDone_.notify_all();
  if (device->inflight == 0 && device->releaseDue) passOn(lock, {device});
  return st;
}

}  // namespace

Status Init(DriverHandle& driver, std::span<const MatchRow> rows, Events events, uint32_t options) {
  return layer().init(driver, rows, std::move(events), options);
}

Status Uninit(DriverHandle driver) {
  return layer().uninit(driver);
}

Status SetInterface(DeviceHandle device, uint32_t interfaceNumber, uint32_t alternateSetting) {
  if (interfaceNumber > 0xFF || alternateSetting > 0xFF) return kInvalidParameter;
  return layer().withDevice(device, [&](Backend& b, BackendDeviceId id) {
    return b.setInterface(id, static_cast<uint8_t>(interfaceNumber), static_cast<uint8_t>(alternateSetting));
  });
}

Status GetDeviceInfo(DeviceHandle device, DeviceInfo& info) {
  return layer().withDevice(device, [&](Backend& b, BackendDeviceId id) { return b.deviceInfo(id, info); });
}

Status Transfer(DeviceHandle device, uint32_t pipe, bool read, uint32_t options, void* buffer, uint32_t len,
                uint32_t* bytesTransferred, const uint8_t* setup, uint32_t timeoutMs) {
  if (pipe != 0) {
    return TransferBulk(device, pipe, read, options, buffer, len, bytesTransferred, timeoutMs);
  }
  if (bytesTransferred) *bytesTransferred = 0;
  if (setup == nullptr) return kInvalidParameter;
  const uint32_t wLength = static_cast<uint32_t>(setup[6] | (setup[7] << 8));
  if (wLength > 0) {
    const bool in = (setup[0] & kSetupDirectionIn) != 0;
    if (in != read || buffer == nullptr || len < wLength) return kInvalidParameter;
  }
  uint32_t done = 0;
  const Status st = layer().withDevice(device, [&](Backend& b, BackendDeviceId id) {
    return b.control(id, setup, static_cast<uint8_t*>(buffer), done, timeoutMs);
  });
  if (bytesTransferred) *bytesTransferred = done;
  return st;
}

Status TransferBulk(DeviceHandle device, uint32_t endpoint, bool read, uint32_t /*options*/, void* buffer,
                    uint32_t len, uint32_t* bytesTransferred, uint32_t timeoutMs) {
  if (bytesTransferred) *bytesTransferred = 0;
  if (endpoint > 0xFF || (endpoint & 0x0F) == 0) return kInvalidParameter;
  if (((endpoint & 0x80) != 0) != read) return kInvalidParameter;
  if (buffer == nullptr && len > 0) return kInvalidParameter;
  uint32_t done = 0;
  const Status st = layer().withDevice(device, [&](Backend& b, BackendDeviceId id) {
    return b.bulk(id, static_cast<uint8_t>(endpoint), static_cast<uint8_t*>(buffer), len, done, timeoutMs);
  });
  if (bytesTransferred) *bytesTransferred = done;
  return st;
}

Status SelectBackendLibrary(const std::string& path) {
  return layer().selectLibrary(path);
}

std::string BackendError() {
  return layer().backendError();
}

std::string BackendLibrary() {
  return layer().backendLibrary();
}

}  // namespace wdu
