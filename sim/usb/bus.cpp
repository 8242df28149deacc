#include "sim/usb/bus.h"

#include <algorithm>
#include <cstring>

#include "sim/usb/dmx_box.h"
#include "sim/usb/sim_ezusb.h"

namespace simusb::detail {

namespace {

constexpr uint32_t kSetInterfaceTimeoutMs = 1000;
constexpr uint8_t kRequestSetInterface = 0x0B;
constexpr int kNoRequest = -2;  // a bulk transfer: no fault that names a request hits it

using SteadyClock = std::chrono::steady_clock;

uint32_t realTick() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now().time_since_epoch()).count());
}

}  // namespace

struct Bus::Slot final : DeviceHost {
  Bus* bus = nullptr;
  uint32_t address = 0;
  std::shared_ptr<Device> device;
  wdu::DeviceInfo arrivalInfo;
  std::mutex deviceMutex;  // one device call at a time
  // Guarded by the bus's mutex:
  bool present = true;
  std::condition_variable changed;  // woken by the device, by unplug
  uint64_t wakeSeq = 0;
  uint32_t waiting = 0;
  std::deque<FaultSpec> faults;

  void wake() override { bus->wakeSlot(*this); }
  uint32_t tick() override { return bus->now(); }
};

// A transfer's time-out: in bus time, and in real time for waits on a device's wake.
class Bus::Deadline {
 public:
  Deadline(uint32_t startTick, uint32_t timeoutMs)
      : start_(startTick),
        timeout_(timeoutMs),
        realEnd_(SteadyClock::now() + std::chrono::milliseconds(timeoutMs)) {}
  bool infinite() const { return timeout_ == 0; }
  uint32_t remaining(uint32_t now) const {
    const uint32_t elapsed = now - start_;
    return elapsed >= timeout_ ? 0 : timeout_ - elapsed;
  }
  bool passed(uint32_t now) const {
    return !infinite() && (remaining(now) == 0 || SteadyClock::now() >= realEnd_);
  }
  SteadyClock::time_point realEnd() const { return realEnd_; }

 private:
  uint32_t start_;
  uint32_t timeout_;
  SteadyClock::time_point realEnd_;
};

uint32_t Bus::now() const {
  TimeSource* ts = time_.load(std::memory_order_acquire);
  return ts ? ts->tick() : realTick();
}

std::shared_ptr<Bus::Slot> Bus::find(wdu::BackendDeviceId id) const {
  if (id > UINT32_MAX) return nullptr;
  std::lock_guard<std::mutex> lock(m_);
  auto it = slots_.find(static_cast<uint32_t>(id));
  if (it == slots_.end()) return nullptr;
  return it->second;
}

void Bus::wakeSlot(Slot& slot) {
  std::lock_guard<std::mutex> lock(m_);
  ++slot.wakeSeq;
  slot.changed.notify_all();
}

bool Bus::pause(Slot& slot, uint32_t ms) {
  std::unique_lock<std::mutex> lock(m_);
  if (!slot.present) return false;
  ++slot.waiting;
  waitingChanged_.notify_all();
  if (TimeSource* ts = time_.load(std::memory_order_acquire)) {
    lock.unlock();
    ts->sleep(ms);
    lock.lock();
  } else {
    slot.changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !slot.present; });
  }
  --slot.waiting;
  waitingChanged_.notify_all();
  return slot.present;
}

void Bus::waitUnplugged(Slot& slot) {
  std::unique_lock<std::mutex> lock(m_);
  ++slot.waiting;
  waitingChanged_.notify_all();
  slot.changed.wait(lock, [&] { return !slot.present; });
  --slot.waiting;
  waitingChanged_.notify_all();
}

Bus::Wait Bus::waitAfterPending(Slot& slot, const Reply& reply, uint64_t wakeSeq, const Deadline& deadline) {
  const uint32_t t = now();
  if (deadline.passed(t)) return Wait::TimedOut;
  if (reply.retryInMs == kNever) {
    if (deadline.infinite()) {
      waitUnplugged(slot);
      return Wait::Unplugged;
    }
    return pause(slot, deadline.remaining(t)) ? Wait::TimedOut : Wait::Unplugged;
  }
  if (reply.retryInMs > 0) {
    const uint32_t ms =
        deadline.infinite() ? reply.retryInMs : std::min(reply.retryInMs, deadline.remaining(t));
    return pause(slot, ms) ? Wait::Again : Wait::Unplugged;
  }
  std::unique_lock<std::mutex> lock(m_);
  if (!slot.present) return Wait::Unplugged;
  ++slot.waiting;
  waitingChanged_.notify_all();
  const auto woken = [&] { return !slot.present || slot.wakeSeq != wakeSeq; };
  bool woke = true;
  if (deadline.infinite()) {
    slot.changed.wait(lock, woken);
  } else {
    woke = slot.changed.wait_until(lock, deadline.realEnd(), woken);
  }
  --slot.waiting;
  waitingChanged_.notify_all();
  if (!slot.present) return Wait::Unplugged;
  return woke ? Wait::Again : Wait::TimedOut;
}

template <typename Attempt>
wdu::Status Bus::exchange(Slot& slot, const Deadline& deadline, Attempt&& attempt, Reply& reply) {
  for (;;) {
    uint64_t seq = 0;
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!slot.present) return wdu::kDeviceRemoved;
      seq = slot.wakeSeq;
    }
    Reply r;
    {
      std::lock_guard<std::mutex> device(slot.deviceMutex);
      r = attempt();
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!slot.present) return wdu::kDeviceRemoved;
    }
    if (!r.isPending()) {
      reply = r;
      return r.status;
    }
    switch (waitAfterPending(slot, r, seq, deadline)) {
      case Wait::Again:
        break;
      case Wait::Unplugged:
        return wdu::kDeviceRemoved;
      case Wait::TimedOut:
        return wdu::kTimeout;
    }
  }
}

bool Bus::beforeDevice(Slot& slot, uint8_t pipe, int request, bool in, const Deadline& deadline,
                       wdu::Status& status, uint32_t& shortCap) {
  uint32_t latency = 0;
  {
    std::lock_guard<std::mutex> lock(m_);
    latency = latencyMs_;
  }
  if (latency > 0 && !pause(slot, latency)) {
    status = wdu::kDeviceRemoved;
    return true;
  }
  FaultSpec fault;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = std::find_if(slot.faults.begin(), slot.faults.end(), [&](const FaultSpec& f) {
      return (f.pipe == kAnyPipe || f.pipe == pipe) && (f.request == kAnyRequest || f.request == request) &&
             (f.kind != FaultKind::ShortRead || in);
    });
    if (it == slot.faults.end()) return false;
    fault = *it;
    if (it->count > 0 && --it->count == 0) slot.faults.erase(it);
  }
  switch (fault.kind) {
    case FaultKind::Status:
      status = fault.status;
      return true;
    case FaultKind::Stall:
      status = wdu::kStall;
      return true;
    case FaultKind::Timeout:
      if (deadline.infinite()) {
        waitUnplugged(slot);
        status = wdu::kDeviceRemoved;
      } else {
        status = pause(slot, deadline.remaining(now())) ? wdu::kTimeout : wdu::kDeviceRemoved;
      }
      return true;
    case FaultKind::ShortRead:
      shortCap = fault.shortBytes;
      return false;
  }
  return false;
}

void Bus::log(TransferRecord record) {
  std::lock_guard<std::mutex> lock(m_);
  if (!logEnabled_) return;
  log_.push_back(std::move(record));
  while (log_.size() > logLimit_) log_.pop_front();
}

// ---- Backend ----

void Bus::addListener(wdu::BackendListener* listener) {
  std::lock_guard<std::mutex> notify(listenerMutex_);
  listeners_.push_back(listener);
  std::vector<std::pair<uint32_t, wdu::DeviceInfo>> present;
  {
    std::lock_guard<std::mutex> lock(m_);
    for (auto& [address, slot] : slots_) present.emplace_back(address, slot->arrivalInfo);
  }
  for (auto& [address, info] : present) listener->deviceArrived(address, info);
}

void Bus::removeListener(wdu::BackendListener* listener) {
  std::lock_guard<std::mutex> notify(listenerMutex_);
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

wdu::Status Bus::deviceInfo(wdu::BackendDeviceId id, wdu::DeviceInfo& info) {
  auto slot = find(id);
  if (!slot) return wdu::kDeviceRemoved;
  wdu::DeviceInfo current;
  {
    std::lock_guard<std::mutex> device(slot->deviceMutex);
    current = slot->device->info();
  }
  std::lock_guard<std::mutex> lock(m_);
  if (!slot->present) return wdu::kDeviceRemoved;
  info = std::move(current);
  return wdu::kSuccess;
}

void Bus::release(wdu::BackendDeviceId id) {
  auto slot = find(id);
  if (!slot) return;
  std::lock_guard<std::mutex> device(slot->deviceMutex);
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!slot->present) return;
  }
  slot->device->released();
}

wdu::Status Bus::setInterface(wdu::BackendDeviceId id, uint8_t interfaceNumber, uint8_t alternateSetting) {
  auto slot = find(id);
  if (!slot) return wdu::kDeviceRemoved;
  TransferRecord rec;
  rec.tick = now();
  rec.address = slot->address;
  rec.setup = {0x01, kRequestSetInterface, alternateSetting, 0, interfaceNumber, 0, 0, 0};
  const Deadline deadline(rec.tick, kSetInterfaceTimeoutMs);
  wdu::Status st = wdu::kSuccess;
  uint32_t unusedCap = 0;
  if (!beforeDevice(*slot, 0, kRequestSetInterface, false, deadline, st, unusedCap)) {
    std::lock_guard<std::mutex> device(slot->deviceMutex);
    st = slot->device->info().hasSetting(interfaceNumber, alternateSetting)
             ? slot->device->setInterface(interfaceNumber, alternateSetting)
             : wdu::kStall;
  }
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!slot->present) st = wdu::kDeviceRemoved;
  }
  rec.status = st;
  log(std::move(rec));
  return st;
}

wdu::Status Bus::control(wdu::BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                         uint32_t timeoutMs) {
  done = 0;
  auto slot = find(id);
  if (!slot) return wdu::kDeviceRemoved;
  const Setup su = Setup::decode(setup);
  TransferRecord rec;
  rec.tick = now();
  rec.address = slot->address;
  rec.in = su.in();
  std::copy(setup, setup + 8, rec.setup.begin());
  rec.requested = su.length;
  const Deadline deadline(rec.tick, timeoutMs);

  wdu::Status st = wdu::kSuccess;
  uint32_t cap = UINT32_MAX;
  if (!beforeDevice(*slot, 0, su.request, su.in(), deadline, st, cap)) {
    Setup asked = su;
    if (su.in() && cap < su.length) asked.length = static_cast<uint16_t>(cap);
    Reply reply;
    st = exchange(
        *slot, deadline, [&] { return slot->device->control(asked, data); }, reply);
    // A control OUT moves its whole data stage or fails.
    if (st == wdu::kSuccess) done = su.in() ? std::min<uint32_t>(reply.bytes, asked.length) : su.length;
  }
  if (su.in()) {
    rec.data.assign(data, data + done);
  } else if (su.length > 0) {
    rec.data.assign(data, data + su.length);
  }
  rec.status = st;
  log(std::move(rec));
  return st;
}

wdu::Status Bus::bulk(wdu::BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
                      uint32_t timeoutMs) {
  done = 0;
  auto slot = find(id);
  if (!slot) return wdu::kDeviceRemoved;
  const bool in = (endpoint & 0x80) != 0;
  TransferRecord rec;
  rec.tick = now();
  rec.address = slot->address;
  rec.pipe = endpoint;
  rec.in = in;
  rec.requested = len;
  const Deadline deadline(rec.tick, timeoutMs);

  uint32_t maxPacket = 0;
  {
    std::lock_guard<std::mutex> device(slot->deviceMutex);
    const wdu::DeviceInfo info = slot->device->info();
    if (const wdu::EndpointInfo* ep = info.findEndpoint(endpoint)) maxPacket = ep->maxPacketSize;
  }
  wdu::Status st = wdu::kSuccess;
  uint32_t cap = UINT32_MAX;
  if (maxPacket == 0) {
    st = wdu::kInvalidParameter;  // no such endpoint in the active settings
  } else if (!beforeDevice(*slot, endpoint, kNoRequest, in, deadline, st, cap)) {
    Reply reply;
    if (!in) {
      st = exchange(
          *slot, deadline, [&] { return slot->device->bulkOut(endpoint, data, len); }, reply);
      if (st == wdu::kSuccess) done = std::min(reply.bytes, len);
    } else {
      const uint32_t want = std::min(len, cap);
      std::vector<uint8_t> packet(maxPacket);
      bool first = true;
      while (done < want) {
        st = exchange(
            *slot, deadline, [&] { return slot->device->bulkIn(endpoint, packet.data(), maxPacket, first); },
            reply);
        if (st != wdu::kSuccess) break;
        first = false;
        const uint32_t n = std::min(reply.bytes, maxPacket);
        const uint32_t room = want - done;
        std::memcpy(data + done, packet.data(), std::min(n, room));
        done += std::min(n, room);
        if (n > room) {
          if (want == len) st = wdu::kOverflow;
          break;
        }
        if (n < maxPacket) break;  // a short packet ends the transfer
      }
    }
  }
  if (in) {
    rec.data.assign(data, data + done);
  } else if (len > 0) {
    rec.data.assign(data, data + len);
  }
  rec.status = st;
  log(std::move(rec));
  return st;
}

// ---- Control ----

void Bus::reset() {
  for (uint32_t address : addresses()) unplug(address);
  std::lock_guard<std::mutex> lock(m_);
  latencyMs_ = 0;
  log_.clear();
  logEnabled_ = true;
  logLimit_ = 100000;
  time_.store(nullptr, std::memory_order_release);
}

void Bus::setTimeSource(TimeSource* source) {
  time_.store(source, std::memory_order_release);
}

uint32_t Bus::plug(std::shared_ptr<Device> device) {
  if (!device) return 0;
  std::lock_guard<std::mutex> notify(listenerMutex_);
  {
    std::lock_guard<std::mutex> lock(m_);
    for (auto& [address, slot] : slots_) {
      if (slot->device == device) return 0;
    }
  }
  auto slot = std::make_shared<Slot>();
  slot->bus = this;
  slot->device = device;
  {
    std::lock_guard<std::mutex> dev(slot->deviceMutex);
    device->plugged(slot.get());
    slot->arrivalInfo = device->info();
  }
  {
    std::lock_guard<std::mutex> lock(m_);
    slot->address = nextAddress_++;
    slots_[slot->address] = slot;
  }
  for (auto* listener : listeners_) listener->deviceArrived(slot->address, slot->arrivalInfo);
  return slot->address;
}

bool Bus::unplug(uint32_t address) {
  std::lock_guard<std::mutex> notify(listenerMutex_);
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = slots_.find(address);
    if (it == slots_.end()) return false;
    slot = it->second;
    slots_.erase(it);
    slot->present = false;  // transfers in flight end now
    slot->changed.notify_all();
    waitingChanged_.notify_all();
  }
  for (auto* listener : listeners_) listener->deviceLeft(address);
  std::lock_guard<std::mutex> dev(slot->deviceMutex);
  slot->device->unplugged();
  return true;
}

std::vector<uint32_t> Bus::addresses() const {
  std::lock_guard<std::mutex> lock(m_);
  std::vector<uint32_t> out;
  for (auto& [address, slot] : slots_) out.push_back(address);
  return out;
}

std::shared_ptr<Device> Bus::device(uint32_t address) const {
  auto slot = find(address);
  return slot ? slot->device : nullptr;
}

void Bus::setLatencyMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(m_);
  latencyMs_ = ms;
}

void Bus::injectFault(uint32_t address, const FaultSpec& fault) {
  if (fault.count == 0) return;
  std::lock_guard<std::mutex> lock(m_);
  auto it = slots_.find(address);
  if (it != slots_.end()) it->second->faults.push_back(fault);
}

void Bus::clearFaults(uint32_t address) {
  std::lock_guard<std::mutex> lock(m_);
  auto it = slots_.find(address);
  if (it != slots_.end()) it->second->faults.clear();
}

std::vector<TransferRecord> Bus::transfers() const {
  std::lock_guard<std::mutex> lock(m_);
  return {log_.begin(), log_.end()};
}

void Bus::clearTransfers() {
  std::lock_guard<std::mutex> lock(m_);
  log_.clear();
}

void Bus::setTransferLog(bool enabled, size_t limit) {
  std::lock_guard<std::mutex> lock(m_);
  logEnabled_ = enabled;
  logLimit_ = limit;
  while (log_.size() > logLimit_) log_.pop_front();
}

std::shared_ptr<SimDmxBox> Bus::newDmxBox(const DmxBoxConfig& config) {
  return makeDmxBox(config);
}

std::shared_ptr<SimEzUsb> Bus::newEzUsb(const EzUsbConfig& config) {
  return makeEzUsb(config);
}

uint32_t Bus::waitingTransfers(uint32_t address) const {
  std::lock_guard<std::mutex> lock(m_);
  auto it = slots_.find(address);
  return it == slots_.end() ? 0 : it->second->waiting;
}

bool Bus::waitForWaitingTransfers(uint32_t address, uint32_t count, uint32_t realTimeoutMs) {
  std::unique_lock<std::mutex> lock(m_);
  return waitingChanged_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs), [&] {
    auto it = slots_.find(address);
    return it != slots_.end() && it->second->waiting >= count;
  });
}

}  // namespace simusb::detail
