#include "sim/usbfs/usbfs_emulator.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace simusb {

namespace {

constexpr uint8_t kDescriptorConfig = 2;
constexpr uint8_t kDescriptorInterface = 4;
constexpr uint8_t kDescriptorEndpoint = 5;
constexpr uint32_t kSetupSize = 8;

// The device descriptor and one configuration with every interface and setting, as sysfs shows them.
std::vector<uint8_t> descriptorsOf(const wdu::DeviceInfo& info) {
  std::vector<uint8_t> out = deviceDescriptor(info);
  std::vector<uint8_t> config = {
      9, kDescriptorConfig, 0, 0, static_cast<uint8_t>(info.interfaces.size()), 1, 0, 0x80, 50};
  for (const auto& iface : info.interfaces) {
    for (const auto& alt : iface.alts) {
      config.insert(config.end(), {9, kDescriptorInterface, iface.number, alt.alternateSetting,
                                   static_cast<uint8_t>(alt.endpoints.size()), alt.interfaceClass,
                                   alt.interfaceSubClass, alt.interfaceProtocol, 0});
      for (const auto& ep : alt.endpoints) {
        config.insert(config.end(), {7, kDescriptorEndpoint, ep.address, ep.attributes,
                                     static_cast<uint8_t>(ep.maxPacketSize & 0xFF),
                                     static_cast<uint8_t>(ep.maxPacketSize >> 8), ep.interval});
      }
    }
  }
  putLe16(&config[2], static_cast<uint16_t>(config.size()));
  out.insert(out.end(), config.begin(), config.end());
  return out;
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    text += digits;
  }
  return text;
}

// A failed answer as the kernel reports it in an URB's status.
int urbStatusOf(uint32_t status) {
  switch (status) {
    case wdu::kStall:
      return -EPIPE;
    case wdu::kDeviceRemoved:
      return -ENODEV;
    case wdu::kTimeout:
      return -ETIMEDOUT;
    case wdu::kOverflow:
      return -EOVERFLOW;
    default:
      return -EPROTO;
  }
}

// What the emulator's devices share: the test's hold on completions, the discard requests seen.
struct Shared {
  std::atomic<bool> completionsHeld{false};
  std::atomic<uint32_t> discardRequests{0};
};

struct Urb {
  UMockdevIoctlData* data = nullptr;  // the client's struct usbdevfs_urb; touched on umockdev's thread only
  unsigned long clientAddress = 0;
  uint8_t type = 0;
  uint8_t endpoint = 0;
  std::vector<uint8_t> buffer;  // our copy: the worker fills it, the reap hands it over
  int status = 0;
  uint32_t actual = 0;
  bool discarded = false;  // guarded by the device's mutex m_
};

// One plugged device: URBs queue per endpoint, each endpoint has a worker thread that asks the
// simulated device (which may answer "pending") and moves the finished URB to the reap list.
class EmulatedDevice final : public DeviceHost {
 public:
  EmulatedDevice(std::shared_ptr<Device> device, Shared& shared)
      : device_(std::move(device)), shared_(shared) {}
  ~EmulatedDevice() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stopping_ = true;
      cv_.notify_all();
    }
    for (auto& [ep, worker] : workers_) worker.join();
    auto drop = [](std::deque<std::shared_ptr<Urb>>& urbs) {
      for (auto& urb : urbs) umockdev_ioctl_data_unref(urb->data);
      urbs.clear();
    };
    for (auto& [ep, queue] : queues_) drop(queue);
    drop(completed_);
    for (auto& [ep, urb] : active_) umockdev_ioctl_data_unref(urb->data);
  }

  void wake() override {
    std::lock_guard<std::mutex> lock(m_);
    ++wakeSeq_;
    cv_.notify_all();
  }
  uint32_t tick() override {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }

  wdu::DeviceInfo info() {
    std::lock_guard<std::mutex> device(deviceMutex_);
    return device_->info();
  }
  void plugged() {
    std::lock_guard<std::mutex> device(deviceMutex_);
    device_->plugged(this);
  }
  // URBs in flight end with ENODEV; the device hears nothing more from us.
  void unplug() {
    std::lock_guard<std::mutex> device(deviceMutex_);
    {
      std::lock_guard<std::mutex> lock(m_);
      gone_ = true;
      for (auto& [ep, queue] : queues_) {
        for (auto& urb : queue) {
          urb->status = -ENODEV;
          completed_.push_back(urb);
        }
        queue.clear();
      }
      cv_.notify_all();
    }
    device_->unplugged();
  }

  gboolean handleIoctl(UMockdevIoctlClient* client);

 private:
  void work(uint8_t endpoint);
  void process(Urb& urb);
  // Asks the device until it answers; nullopt when the URB ended meanwhile (discard, unplug).
  template <typename Ask>
  std::optional<Reply> ask(Urb& urb, Ask&& fn);
  void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  void reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  void discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  void setInterface(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  // Claims and releases are one open node's each: another one's claim answers EBUSY, as the kernel does.
  // (umockdev does not tell of a node's closing, so a claim lasts until its release.)
  void claim(UMockdevIoctlClient* client, UMockdevIoctlData* arg, bool claiming);

  std::shared_ptr<Device> device_;
  Shared& shared_;          // the emulator's
  std::mutex deviceMutex_;  // one device call at a time (taken before m_)

  std::mutex m_;
  std::condition_variable cv_;
  bool gone_ = false;
  bool stopping_ = false;
  uint64_t wakeSeq_ = 0;
  std::map<uint8_t, std::deque<std::shared_ptr<Urb>>> queues_;
  std::map<uint8_t, std::shared_ptr<Urb>> active_;
  std::deque<std::shared_ptr<Urb>> completed_;
  std::map<unsigned, UMockdevIoctlClient*> claims_;  // interface -> the client (open node) holding it
  std::map<uint8_t, std::thread> workers_;  // created and joined on umockdev's thread and the destructor
};

template <typename Ask>
std::optional<Reply> EmulatedDevice::ask(Urb& urb, Ask&& fn) {
  for (;;) {
    Reply reply;
    uint64_t seq = 0;
    {
      std::lock_guard<std::mutex> device(deviceMutex_);
      {
        std::lock_guard<std::mutex> lock(m_);
        if (gone_ || stopping_ || urb.discarded) return std::nullopt;
        seq = wakeSeq_;
      }
      reply = fn();
    }
    if (!reply.isPending()) return reply;
    std::unique_lock<std::mutex> lock(m_);
    const auto ended = [&] { return gone_ || stopping_ || urb.discarded; };
    const auto woken = [&] { return ended() || wakeSeq_ != seq; };
    if (reply.retryInMs == kNever) {
      cv_.wait(lock, ended);  // nothing comes: the host's time-out discards it
    } else if (reply.retryInMs > 0) {
      cv_.wait_for(lock, std::chrono::milliseconds(reply.retryInMs), ended);
    } else {
      cv_.wait(lock, woken);
    }
  }
}

void EmulatedDevice::process(Urb& urb) {
  const bool in =
      (urb.endpoint & 0x80) != 0 || (urb.type == USBDEVFS_URB_TYPE_CONTROL &&
                                     urb.buffer.size() >= kSetupSize && (urb.buffer[0] & 0x80) != 0);
  std::optional<Reply> reply;
  if (urb.type == USBDEVFS_URB_TYPE_CONTROL) {
    if (urb.buffer.size() < kSetupSize) {
      urb.status = -EINVAL;
      return;
    }
    const Setup setup = Setup::decode(urb.buffer.data());
    if (urb.buffer.size() < kSetupSize + setup.length) {
      urb.status = -EINVAL;
      return;
    }
    reply = ask(urb, [&] { return device_->control(setup, urb.buffer.data() + kSetupSize); });
    if (reply && reply->status == wdu::kSuccess) {
      urb.actual = in ? std::min<uint32_t>(reply->bytes, setup.length) : setup.length;
    }
  } else if (!in) {
    const auto len = static_cast<uint32_t>(urb.buffer.size());
    reply = ask(urb, [&] { return device_->bulkOut(urb.endpoint, urb.buffer.data(), len); });
    if (reply && reply->status == wdu::kSuccess) urb.actual = std::min(reply->bytes, len);
  } else {
    const wdu::EndpointInfo* ep = nullptr;
    const wdu::DeviceInfo described = info();
    ep = described.findEndpoint(urb.endpoint);
    if (ep == nullptr) {
      urb.status = -EPIPE;
      return;
    }
    const uint32_t maxPacket = ep->maxPacketSize;
    const auto len = static_cast<uint32_t>(urb.buffer.size());
    std::vector<uint8_t> packet(maxPacket);
    bool first = true;
    reply = Reply::ok();
    while (urb.actual < len) {
      reply = ask(urb, [&] { return device_->bulkIn(urb.endpoint, packet.data(), maxPacket, first); });
      if (!reply || reply->status != wdu::kSuccess) break;
      first = false;
      const uint32_t n = std::min(reply->bytes, maxPacket);
      const uint32_t room = len - urb.actual;
      std::memcpy(urb.buffer.data() + urb.actual, packet.data(), std::min(n, room));
      urb.actual += std::min(n, room);
      if (n > room) {
        reply = Reply::fail(wdu::kOverflow);
        break;
      }
      if (n < maxPacket) break;  // a short packet ends the transfer
    }
  }
  std::lock_guard<std::mutex> lock(m_);
  if (!reply) {
    urb.status = urb.discarded ? -ENOENT : -ENODEV;
  } else {
    urb.status = reply->status == wdu::kSuccess ? 0 : urbStatusOf(reply->status);
  }
}

void EmulatedDevice::work(uint8_t endpoint) {
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    cv_.wait(lock, [&] { return stopping_ || !queues_[endpoint].empty(); });
    if (stopping_) return;
    auto urb = queues_[endpoint].front();
    queues_[endpoint].pop_front();
    active_[endpoint] = urb;
    lock.unlock();
    process(*urb);
    lock.lock();
    active_.erase(endpoint);
    completed_.push_back(urb);
  }
}

void EmulatedDevice::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
  if (data == nullptr) {
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  auto* raw = reinterpret_cast<usbdevfs_urb*>(data->data);
  auto urb = std::make_shared<Urb>();
  urb->data = data;
  urb->clientAddress = data->client_addr;
  urb->type = raw->type;
  urb->endpoint = raw->type == USBDEVFS_URB_TYPE_CONTROL ? 0 : raw->endpoint;
  const int length = std::max(raw->buffer_length, 0);
  if (length > 0) {
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(data, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                                            static_cast<gsize>(length), nullptr);
    if (buffer == nullptr) {
      umockdev_ioctl_data_unref(data);
      umockdev_ioctl_client_complete(client, -1, EFAULT);
      return;
    }
    urb->buffer.assign(buffer->data, buffer->data + length);
    umockdev_ioctl_data_unref(buffer);  // the URB's data keeps it
  }
  std::lock_guard<std::mutex> lock(m_);
  if (gone_) {
    umockdev_ioctl_data_unref(data);
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return;
  }
  queues_[urb->endpoint].push_back(urb);
  if (workers_.count(urb->endpoint) == 0) {
    const uint8_t ep = urb->endpoint;
    workers_.emplace(ep, std::thread([this, ep] { work(ep); }));
  }
  cv_.notify_all();
  umockdev_ioctl_client_complete(client, 0, 0);
}

void EmulatedDevice::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  std::shared_ptr<Urb> urb;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (shared_.completionsHeld.load()) {
      umockdev_ioctl_client_complete(client, -1, EAGAIN);
      return;
    }
    if (completed_.empty()) {
      umockdev_ioctl_client_complete(client, -1, gone_ ? ENODEV : EAGAIN);
      return;
    }
    urb = completed_.front();
    completed_.pop_front();
  }
  auto* raw = reinterpret_cast<usbdevfs_urb*>(urb->data->data);
  raw->status = urb->status;
  raw->actual_length = static_cast<int>(urb->actual);
  const bool in = urb->type == USBDEVFS_URB_TYPE_CONTROL
                      ? (urb->buffer.size() >= kSetupSize && (urb->buffer[0] & 0x80) != 0)
                      : (urb->endpoint & 0x80) != 0;
  if (in && !urb->buffer.empty()) {
    std::memcpy(raw->buffer, urb->buffer.data(), urb->buffer.size());
  }
  UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
  umockdev_ioctl_data_set_ptr(pointer, 0, urb->data);
  umockdev_ioctl_data_unref(pointer);
  umockdev_ioctl_data_unref(urb->data);
  urb->data = nullptr;
  umockdev_ioctl_client_complete(client, 0, 0);
}

void EmulatedDevice::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  const auto address = reinterpret_cast<unsigned long>(*reinterpret_cast<void**>(arg->data));
  ++shared_.discardRequests;
  std::lock_guard<std::mutex> lock(m_);
  for (auto& [ep, queue] : queues_) {
    auto it = std::find_if(queue.begin(), queue.end(), [&](auto& u) { return u->clientAddress == address; });
    if (it != queue.end()) {
      (*it)->status = -ENOENT;
      completed_.push_back(*it);
      queue.erase(it);
      umockdev_ioctl_client_complete(client, 0, 0);
      return;
    }
  }
  for (auto& [ep, urb] : active_) {
    if (urb->clientAddress == address) {
      urb->discarded = true;
      cv_.notify_all();
      umockdev_ioctl_client_complete(client, 0, 0);
      return;
    }
  }
  umockdev_ioctl_client_complete(client, -1, EINVAL);
}

void EmulatedDevice::setInterface(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_setinterface), nullptr);
  if (data == nullptr) {
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  const auto request = *reinterpret_cast<usbdevfs_setinterface*>(data->data);
  umockdev_ioctl_data_unref(data);
  uint32_t st = wdu::kStall;
  {
    std::lock_guard<std::mutex> device(deviceMutex_);
    if (gone_) {
      st = wdu::kDeviceRemoved;
    } else if (request.interface <= 0xFF && request.altsetting <= 0xFF &&
               device_->info().hasSetting(static_cast<uint8_t>(request.interface),
                                          static_cast<uint8_t>(request.altsetting))) {
      st = device_->setInterface(static_cast<uint8_t>(request.interface),
                                 static_cast<uint8_t>(request.altsetting));
    }
  }
  if (st == wdu::kSuccess) {
    umockdev_ioctl_client_complete(client, 0, 0);
  } else {
    umockdev_ioctl_client_complete(client, -1, st == wdu::kStall ? EINVAL : -urbStatusOf(st));
  }
}

void EmulatedDevice::claim(UMockdevIoctlClient* client, UMockdevIoctlData* arg, bool claiming) {
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned int), nullptr);
  if (data == nullptr) {
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  const unsigned int interfaceNumber = *reinterpret_cast<unsigned int*>(data->data);
  umockdev_ioctl_data_unref(data);
  int error = 0;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = claims_.find(interfaceNumber);
    if (gone_) {
      error = ENODEV;
    } else if (claiming) {
      if (it == claims_.end()) {
        claims_[interfaceNumber] = client;
      } else if (it->second != client) {
        error = EBUSY;
      }
    } else if (it == claims_.end() || it->second != client) {
      error = EINVAL;
    } else {
      claims_.erase(it);
    }
  }
  umockdev_ioctl_client_complete(client, error != 0 ? -1 : 0, error);
}

gboolean EmulatedDevice::handleIoctl(UMockdevIoctlClient* client) {
  const gulong request = umockdev_ioctl_client_get_request(client);
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  bool gone = false;
  {
    std::lock_guard<std::mutex> lock(m_);
    gone = gone_;
  }
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
      *reinterpret_cast<guint32*>(data->data) = USBDEVFS_CAP_BULK_CONTINUATION |
                                                USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                                USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
      umockdev_ioctl_data_unref(data);
      umockdev_ioctl_client_complete(client, 0, 0);
      return TRUE;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
      claim(client, arg, request == USBDEVFS_CLAIMINTERFACE);
      return TRUE;
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
    case USBDEVFS_RESET:
      umockdev_ioctl_client_complete(client, gone ? -1 : 0, gone ? ENODEV : 0);
      return TRUE;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:  // no kernel driver is bound to the emulated interfaces
      umockdev_ioctl_client_complete(client, -1, ENODATA);
      return TRUE;
    case USBDEVFS_SETINTERFACE:
      setInterface(client, arg);
      return TRUE;
    case USBDEVFS_SUBMITURB:
      submit(client, arg);
      return TRUE;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
      reap(client, arg);
      return TRUE;
    case USBDEVFS_DISCARDURB:
      discard(client, arg);
      return TRUE;
    default:
      return FALSE;
  }
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer device) {
  return static_cast<EmulatedDevice*>(device)->handleIoctl(client);
}

// The test bed's folder must go however this process ends: a process that keeps its emulator to the
// end (as the tests do), or is killed by a time-out, never runs the destructor. A small shell waits for
// the end of a pipe that only this process can write to (no program it starts inherits it), then
// removes the folder.
struct FolderWatch {
  pid_t pid = -1;
  int fd = -1;  // the pipe's writing end: closed by the process's end, or by end()

  static FolderWatch start(const std::string& folder) {
    FolderWatch watch;
    int fds[2];
    if (folder.empty() || pipe2(fds, O_CLOEXEC) != 0) return watch;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Nothing of ours in its environment: neither umockdev's preload library nor the sanitizers.
    char path[] = "PATH=/usr/bin:/bin";
    char* env[] = {path, nullptr};
    char sh[] = "sh", opt[] = "-c", script[] = "cat >/dev/null; rm -rf -- \"$0\"";
    std::string dir = folder;
    char* args[] = {sh, opt, script, dir.data(), nullptr};
    if (posix_spawn(&watch.pid, "/bin/sh", &actions, nullptr, args, env) == 0) {
      watch.fd = fds[1];
    } else {
      watch.pid = -1;
      close(fds[1]);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    return watch;
  }
  // The folder is gone when this returns.
  void end() {
    if (fd < 0) return;
    close(fd);
    fd = -1;
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
};

class Emulator final : public UsbfsEmulator {
 public:
  explicit Emulator(UMockdevTestbed* testbed) : testbed_(testbed), watch_(FolderWatch::start(rootDir())) {}
  ~Emulator() override {
    std::lock_guard<std::mutex> lock(m_);
    for (auto& [address, entry] : entries_) {
      if (!entry.unplugged) unplugLocked(entry);
      umockdev_testbed_detach_ioctl(testbed_, entry.node.c_str(), nullptr);
      g_object_unref(entry.handler);
      entry.device.reset();
    }
    g_object_unref(testbed_);
    watch_.end();
  }

  uint32_t plug(std::shared_ptr<Device> device) override {
    if (!device) return 0;
    std::lock_guard<std::mutex> lock(m_);
    const uint32_t address = next_++;
    Entry entry;
    entry.device = std::make_shared<EmulatedDevice>(device, shared_);
    entry.device->plugged();
    const wdu::DeviceInfo info = entry.device->info();
    char node[64];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03u", address);
    entry.node = node;
    entry.sysPath = "/sys/devices/usb1/1-" + std::to_string(address);
    entry.handler = umockdev_ioctl_base_new();
    g_signal_connect(entry.handler, "handle-ioctl", G_CALLBACK(onIoctl), entry.device.get());
    // The node answers before the "add" event tells libusb to look at it.
    if (!umockdev_testbed_attach_ioctl(testbed_, node, entry.handler, nullptr)) {
      g_object_unref(entry.handler);
      return 0;
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "P: /devices/usb1/1-%u\nN: bus/usb/001/%03u\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
                  "E: DRIVER=usb\nE: BUSNUM=001\nE: DEVNUM=%03u\nE: DEVNAME=%s\n"
                  "A: busnum=1\\n\nA: devnum=%u\\n\nA: speed=480\\n\nA: bConfigurationValue=1\\n\n"
                  "A: idVendor=%04x\\n\nA: idProduct=%04x\\n\n",
                  address, address, address, node, address, info.vendorId, info.productId);
    const std::string record = text + ("H: descriptors=" + hexOf(descriptorsOf(info)) + "\n");
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), nullptr)) {
      umockdev_testbed_detach_ioctl(testbed_, node, nullptr);
      g_object_unref(entry.handler);
      return 0;
    }
    entries_.emplace(address, std::move(entry));
    return address;
  }

  bool unplug(uint32_t address) override {
    std::lock_guard<std::mutex> lock(m_);
    auto it = entries_.find(address);
    if (it == entries_.end() || it->second.unplugged) return false;
    unplugLocked(it->second);
    return true;
  }

  void holdCompletions(bool hold) override { shared_.completionsHeld = hold; }
  uint32_t discardRequests() const override { return shared_.discardRequests.load(); }

  std::string rootDir() const override {
    gchar* dir = umockdev_testbed_get_root_dir(testbed_);
    std::string text = dir ? dir : "";
    g_free(dir);
    return text;
  }

 private:
  struct Entry {
    std::shared_ptr<EmulatedDevice> device;
    UMockdevIoctlBase* handler = nullptr;
    std::string node;
    std::string sysPath;
    bool unplugged = false;
  };

  void unplugLocked(Entry& entry) {
    entry.unplugged = true;
    entry.device->unplug();
    umockdev_testbed_uevent(testbed_, entry.sysPath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, entry.sysPath.c_str());
  }

  Shared shared_;  // before entries_: their devices use it to the end
  std::mutex m_;
  UMockdevTestbed* testbed_;
  FolderWatch watch_;
  std::map<uint32_t, Entry> entries_;  // kept after unplug: libusb may still reap the node's URBs
  uint32_t next_ = 2;
};

bool preloaded() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

}  // namespace

std::unique_ptr<UsbfsEmulator> UsbfsEmulator::create(std::string& why) {
  if (!preloaded()) {
    why = "not running under umockdev's preload library (LD_PRELOAD)";
    return nullptr;
  }
  UMockdevTestbed* testbed = umockdev_testbed_new();
  if (testbed == nullptr) {
    why = "umockdev cannot create its test bed";
    return nullptr;
  }
  return std::make_unique<Emulator>(testbed);
}

const char* umockdevPreloadLibrary() {
  return UMOCKDEV_PRELOAD_LIBRARY;
}

bool reexecUnderUmockdev(char** argv, std::string& why) {
  if (preloaded()) return true;
  const std::string library = umockdevPreloadLibrary();
  if (library.empty() || access(library.c_str(), R_OK) != 0) {
    why = "umockdev's preload library is not installed (" + library + ")";
    return false;
  }
  const char* old = std::getenv("LD_PRELOAD");
  const std::string preload = old && *old ? library + ":" + old : library;
  setenv("LD_PRELOAD", preload.c_str(), 1);
  // The sanitizers' runtimes would insist on coming first; umockdev's wrappers pass calls on to them.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string asanOptions =
      std::string(asan && *asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0";
  setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
  execv("/proc/self/exe", argv);
  why = std::string("cannot start again under umockdev: ") + std::strerror(errno);
  return false;
}

}  // namespace simusb
