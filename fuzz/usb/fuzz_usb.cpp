#include "fuzz/usb/fuzz_usb.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/wdu/backend.h"

#define FUZZ_USB_EXPORT __attribute__((visibility("default")))

namespace fuzzusb {

wdu::Status StatusOf(uint8_t code) {
  switch (code & 7) {
    case 4:
      return wdu::kTimeout;
    case 5:
      return wdu::kStall;
    case 6:
      return wdu::kDeviceError;
    case 7:
      return wdu::kDeviceRemoved;
    default:
      return wdu::kSuccess;
  }
}

uint8_t CodeOf(wdu::Status status) {
  switch (status) {
    case wdu::kSuccess:
      return 0;
    case wdu::kTimeout:
      return 4;
    case wdu::kStall:
      return 5;
    case wdu::kDeviceRemoved:
      return 7;
    default:
      return 6;
  }
}

}  // namespace fuzzusb

namespace {

class FuzzBackend : public wdu::Backend, public fuzzusb::Control {
 public:
  // ---- Control ----
  void replay(const uint8_t* data, size_t size, const wdu::DeviceInfo& info) override {
    std::lock_guard<std::mutex> lock(m_);
    stream_.assign(data, data + size);
    pos_ = 0;
    info_ = info;
    transfers_.clear();
  }

  void replug(const uint8_t* data, size_t size, const wdu::DeviceInfo& info) override {
    wdu::BackendListener* listener = nullptr;
    wdu::BackendDeviceId old = 0;
    wdu::BackendDeviceId fresh = 0;
    {
      std::lock_guard<std::mutex> lock(m_);
      stream_.assign(data, data + size);
      pos_ = 0;
      info_ = info;
      transfers_.clear();
      old = device_++;
      fresh = device_;
      listener = listener_;
    }
    if (listener == nullptr) return;
    listener->deviceLeft(old);
    listener->deviceArrived(fresh, info);
  }

  bool record(const char* libraryPath) override {
    void* library = dlopen(libraryPath, RTLD_NOW | RTLD_LOCAL);
    auto entry =
        library ? reinterpret_cast<wdu::BackendEntryFn>(dlsym(library, wdu::kBackendEntryPoint)) : nullptr;
    wdu::Backend* inner = entry ? entry() : nullptr;
    if (inner == nullptr) return false;
    std::lock_guard<std::mutex> lock(m_);
    inner_ = inner;
    recorded_.clear();
    transfers_.clear();
    return true;
  }

  std::vector<uint8_t> takeRecorded() override {
    std::lock_guard<std::mutex> lock(m_);
    std::vector<uint8_t> out;
    out.swap(recorded_);
    transfers_.clear();
    return out;
  }

  std::vector<fuzzusb::Transfer> transfers() override {
    std::lock_guard<std::mutex> lock(m_);
    return transfers_;
  }

  // ---- Backend ----
  void addListener(wdu::BackendListener* listener) override {
    if (inner_ != nullptr) return inner_->addListener(listener);
    wdu::DeviceInfo info;
    wdu::BackendDeviceId id = 0;
    {
      std::lock_guard<std::mutex> lock(m_);
      listener_ = listener;
      info = info_;
      id = device_;
    }
    listener->deviceArrived(id, info);  // the one device is always plugged in
  }

  void removeListener(wdu::BackendListener* listener) override {
    if (inner_ != nullptr) return inner_->removeListener(listener);
    std::lock_guard<std::mutex> lock(m_);
    if (listener_ == listener) listener_ = nullptr;
  }

  wdu::Status deviceInfo(wdu::BackendDeviceId id, wdu::DeviceInfo& info) override {
    if (inner_ != nullptr) return inner_->deviceInfo(id, info);
    std::lock_guard<std::mutex> lock(m_);
    if (id != device_) return wdu::kDeviceRemoved;
    info = info_;
    return wdu::kSuccess;
  }

  // Selecting a setting always works: the programs' own choice, not an answer of the device.
  wdu::Status setInterface(wdu::BackendDeviceId id, uint8_t number, uint8_t alternate) override {
    if (inner_ != nullptr) return inner_->setInterface(id, number, alternate);
    std::lock_guard<std::mutex> lock(m_);
    return id == device_ ? wdu::kSuccess : wdu::kDeviceRemoved;
  }

  wdu::Status control(wdu::BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                      uint32_t timeoutMs) override {
    const uint32_t length = static_cast<uint32_t>(setup[6] | (setup[7] << 8));
    const bool in = (setup[0] & 0x80) != 0;
    fuzzusb::Transfer t;
    std::copy(setup, setup + 8, t.setup.begin());
    t.in = in;
    return transfer(id, t, data, length, done,
                    [&] { return inner_->control(id, setup, data, done, timeoutMs); });
  }

  wdu::Status bulk(wdu::BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
                   uint32_t timeoutMs) override {
    fuzzusb::Transfer t;
    t.setup[0] = endpoint;
    t.bulk = true;
    t.in = (endpoint & 0x80) != 0;
    return transfer(id, t, data, len, done,
                    [&] { return inner_->bulk(id, endpoint, data, len, done, timeoutMs); });
  }

 private:
  template <typename Forward>
  wdu::Status transfer(wdu::BackendDeviceId id, fuzzusb::Transfer& t, uint8_t* data, uint32_t length,
                       uint32_t& done, Forward&& forward) {
    done = 0;
    // The layer promises a buffer of the full length: touch its last byte.
    if (length > 0) {
      volatile uint8_t last = data[length - 1];
      (void)last;
    }
    if (!t.in && length > 0) t.data.assign(data, data + length);
    if (inner_ != nullptr) {
      const wdu::Status st = forward();
      std::lock_guard<std::mutex> lock(m_);
      recorded_.push_back(fuzzusb::CodeOf(st));
      if (t.in && st == wdu::kSuccess) {
        const uint32_t n = std::min<uint32_t>(done, 255);
        recorded_.push_back(static_cast<uint8_t>(n));
        recorded_.insert(recorded_.end(), data, data + n);
      }
      t.status = st;
      if (t.in) t.data.assign(data, data + std::min(done, length));
      transfers_.push_back(t);
      return st;
    }
    std::lock_guard<std::mutex> lock(m_);
    if (id != device_) return wdu::kDeviceRemoved;
    wdu::Status st = nextStatus();
    if (st == wdu::kSuccess) {
      if (t.in) {
        const size_t wanted = stream_byte();
        const size_t n = std::min<size_t>({wanted, length, stream_.size() - pos_});
        std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(pos_), n, data);
        pos_ += n;
        done = static_cast<uint32_t>(n);
        t.data.assign(data, data + n);
      } else {
        done = length;
      }
    }
    t.status = st;
    transfers_.push_back(t);
    return st;
  }

  uint8_t stream_byte() { return pos_ < stream_.size() ? stream_[pos_++] : 0; }
  wdu::Status nextStatus() {
    if (pos_ >= stream_.size()) return wdu::kDeviceRemoved;
    return fuzzusb::StatusOf(stream_byte());
  }

  std::mutex m_;
  std::vector<uint8_t> stream_;
  size_t pos_ = 0;
  wdu::DeviceInfo info_;
  wdu::BackendListener* listener_ = nullptr;
  wdu::BackendDeviceId device_ = 1;  // the device plugged in now
  std::vector<fuzzusb::Transfer> transfers_;
  wdu::Backend* inner_ = nullptr;
  std::vector<uint8_t> recorded_;
};

FuzzBackend& backend() {
  static FuzzBackend* instance = new FuzzBackend;  // lives as long as the process, as the layer expects
  return *instance;
}

}  // namespace

extern "C" {

FUZZ_USB_EXPORT wdu::Backend* ZemUsbBackend() {
  return &backend();
}

FUZZ_USB_EXPORT fuzzusb::Control* FuzzUsbControl() {
  return &backend();
}

}  // extern "C"
