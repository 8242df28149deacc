// Test support for the USB layer's promises, whichever backend carries the devices: a scriptable fake
// device, a recorder of one registration's callbacks, and the registration itself.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/wdu/wdu.h"
#include "sim/usb/sim_device.h"

namespace wdu::testing {

using namespace std::chrono_literals;
using simusb::Reply;

constexpr uint16_t kVendor = 0x1234;
constexpr uint8_t kBulkIn = 0x81;
constexpr uint8_t kBulkOut = 0x02;
constexpr uint8_t kAltBulkIn = 0x83;  // only in alternate setting 1
constexpr uint8_t kReqRead = 0x42;    // vendor IN: answers 0, 1, 2, ...
constexpr uint8_t kReqWrite = 0x43;   // vendor OUT: kept
const uint8_t kReadSetup[8] = {0xC0, kReqRead, 0, 0, 0, 0, 4, 0};

// A scriptable device: one interface, a bulk IN and OUT endpoint, two vendor requests.
class FakeDevice : public simusb::Device {
 public:
  explicit FakeDevice(uint16_t product = 1, uint8_t interfaceClass = 0xFF)
      : product_(product), interfaceClass_(interfaceClass) {}

  wdu::DeviceInfo info() override {
    std::lock_guard<std::mutex> lock(m_);
    wdu::DeviceInfo info;
    info.vendorId = kVendor;
    info.productId = product_;
    info.bcdDevice = 0x0101;
    wdu::InterfaceInfo iface;
    iface.activeAlt = alt_;
    wdu::AltSettingInfo alt0{0, interfaceClass_, 0, 0, {{kBulkIn, 2, 64, 0}, {kBulkOut, 2, 64, 0}}};
    wdu::AltSettingInfo alt1{1, interfaceClass_, 0, 0, {{kAltBulkIn, 2, 64, 0}}};
    iface.alts = {alt0, alt1};
    info.interfaces.push_back(iface);
    return info;
  }
  Reply control(const simusb::Setup& s, uint8_t* data) override {
    std::lock_guard<std::mutex> lock(m_);
    if (s.vendor() && s.in() && s.request == kReqRead) {
      for (uint32_t i = 0; i < s.length; ++i) data[i] = static_cast<uint8_t>(i);
      return Reply::ok(s.length);
    }
    if (s.vendor() && !s.in() && s.request == kReqWrite) {
      written_.assign(data, data + s.length);
      return Reply::ok();
    }
    return Reply::stall();
  }
  uint32_t setInterface(uint8_t, uint8_t alt) override {
    std::lock_guard<std::mutex> lock(m_);
    alt_ = alt;
    return wdu::kSuccess;
  }
  Reply bulkOut(uint8_t, const uint8_t* data, uint32_t len) override {
    std::lock_guard<std::mutex> lock(m_);
    written_.assign(data, data + len);
    return Reply::ok(len);
  }
  Reply bulkIn(uint8_t, uint8_t* packet, uint32_t maxPacket, bool) override {
    std::lock_guard<std::mutex> lock(m_);
    if (packets_.empty()) return Reply::pending(emptyRetry_);
    auto p = packets_.front();
    packets_.pop_front();
    const auto n = std::min<uint32_t>(static_cast<uint32_t>(p.size()), maxPacket);
    std::copy(p.begin(), p.begin() + n, packet);
    return Reply::ok(n);
  }
  void plugged(simusb::DeviceHost* host) override {
    std::lock_guard<std::mutex> lock(m_);
    host_ = host;
  }
  void unplugged() override {
    std::lock_guard<std::mutex> lock(m_);
    host_ = nullptr;
  }
  void released() override { ++releases_; }

  void push(std::vector<uint8_t> packet) {
    std::lock_guard<std::mutex> lock(m_);
    packets_.push_back(std::move(packet));
    if (host_) host_->wake();
  }
  // What an empty IN endpoint answers: 0 = wait for data, kNever = nothing before the time-out.
  void setEmptyRetry(uint32_t ms) {
    std::lock_guard<std::mutex> lock(m_);
    emptyRetry_ = ms;
  }
  std::vector<uint8_t> written() {
    std::lock_guard<std::mutex> lock(m_);
    return written_;
  }
  // How often the layer has given the device back to the system.
  int releases() const { return releases_; }

 private:
  std::mutex m_;
  uint16_t product_;
  uint8_t interfaceClass_;
  uint8_t alt_ = 0;
  simusb::DeviceHost* host_ = nullptr;
  std::deque<std::vector<uint8_t>> packets_;
  std::vector<uint8_t> written_;
  uint32_t emptyRetry_ = 0;
  std::atomic<int> releases_{0};
};

// Records one registration's callbacks.
class Recorder {
 public:
  struct Entry {
    char kind;  // 'A' taken, 'R' refused, 'D' detached
    DeviceHandle handle;
    uint16_t product;
  };
  std::function<bool(DeviceHandle, const wdu::DeviceInfo&)> decide;
  std::function<void(DeviceHandle)> onDetach;

  wdu::Events events() {
    wdu::Events ev;
    ev.attach = [this](DeviceHandle h, const wdu::DeviceInfo& info) {
      enter();
      const bool taken = decide ? decide(h, info) : true;
      add({taken ? 'A' : 'R', h, info.productId});
      leave();
      return taken;
    };
    ev.detach = [this](DeviceHandle h) {
      enter();
      if (onDetach) onDetach(h);
      add({'D', h, 0});
      leave();
    };
    return ev;
  }
  bool waitFor(char kind, size_t n, std::chrono::milliseconds within = 5s) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, within, [&] { return countLocked(kind) >= n; });
  }
  size_t count(char kind) {
    std::lock_guard<std::mutex> lock(m_);
    return countLocked(kind);
  }
  std::vector<Entry> entries() {
    std::lock_guard<std::mutex> lock(m_);
    return entries_;
  }
  std::vector<DeviceHandle> handles(char kind) {
    std::vector<DeviceHandle> out;
    for (auto& e : entries())
      if (e.kind == kind) out.push_back(e.handle);
    return out;
  }
  std::set<std::thread::id> threads() {
    std::lock_guard<std::mutex> lock(m_);
    return threads_;
  }
  int maxConcurrent() const { return maxInside_; }

 private:
  void enter() {
    const int n = ++inside_;
    int prev = maxInside_;
    while (n > prev && !maxInside_.compare_exchange_weak(prev, n)) {
    }
  }
  void leave() { --inside_; }
  void add(Entry e) {
    {
      std::lock_guard<std::mutex> lock(m_);
      entries_.push_back(e);
      threads_.insert(std::this_thread::get_id());
    }
    cv_.notify_all();
  }
  size_t countLocked(char kind) const {
    return static_cast<size_t>(
        std::count_if(entries_.begin(), entries_.end(), [&](auto& e) { return e.kind == kind; }));
  }
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<Entry> entries_;
  std::set<std::thread::id> threads_;
  std::atomic<int> inside_{0};
  std::atomic<int> maxInside_{0};
};

// What calls with a handle of an unplugged device answer: kDeviceRemoved until its detach callback
// has returned, kInvalidHandle afterwards.
inline bool gone(Status st) {
  return st == wdu::kDeviceRemoved || st == wdu::kInvalidHandle;
}

// One registration for the recorder; declared after what its callbacks use, so that it closes first.
// (The rows default to the fake device's vendor.)
class Registration {
 public:
  explicit Registration(Recorder& rec, std::vector<wdu::MatchRow> rows = {{kVendor, 0}},
                        uint32_t options = wdu::kAcknowledge) {
    EXPECT_EQ(wdu::Init(driver_, rows, rec.events(), options), wdu::kSuccess);
  }
  ~Registration() {
    if (driver_) wdu::Uninit(driver_);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  void close() {
    EXPECT_EQ(wdu::Uninit(driver_), wdu::kSuccess);
    driver_ = 0;
  }
  wdu::DriverHandle handle() const { return driver_; }

 private:
  wdu::DriverHandle driver_ = 0;
};

}  // namespace wdu::testing
