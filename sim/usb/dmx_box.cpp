#include "sim/usb/dmx_box.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

namespace simusb::detail {

namespace {

constexpr uint8_t kReqName = 0x00;
constexpr uint8_t kReqConfig = 0x01;
constexpr uint8_t kReqIdentify = 0x02;
constexpr uint8_t kReqInEndpoint = 0x11;
constexpr uint8_t kReqOutEndpoint = 0x12;
constexpr uint8_t kReqPortMode = 0x17;
constexpr uint8_t kReqPortStatus = 0x18;
constexpr uint8_t kReqPage = 0x1F;
constexpr uint8_t kReqMessage = 0x30;
constexpr uint8_t kReqStatus3 = 0x31;
constexpr uint8_t kReqE0 = 0xE0;
constexpr uint8_t kReqE2 = 0xE2;
constexpr uint32_t kMessageMax = 15;
constexpr uint32_t kPortStatusSize = 4;
constexpr uint32_t kOutputTrailerOffset = kOutputFrameSize - 2;         // the trailing 512
constexpr uint32_t kLastPacketSlots = kDmxSlots - 8 * kSlotsPerPacket;  // 16

const char* const kManufacturer = "Lighting Service";
const char* const kProduct = "USB-DMX interface";

std::string cutName(const std::string& name) {
  const std::string s = name.substr(0, std::min(name.find('\0'), name.size()));
  return s.substr(0, kNameSize - 1);
}

// Milliseconds until `us` microseconds from now have passed; at least 1.
uint32_t msUntil(uint64_t us) {
  return static_cast<uint32_t>(std::max<uint64_t>(1, (us + 999) / 1000));
}

class DmxBox final : public SimDmxBox {
 public:
  explicit DmxBox(const DmxBoxConfig& c)
      : productId_(c.productId),
        bcdDevice_(c.bcdDevice),
        name_(cutName(c.name)),
        config_(c.configBlock),
        alt_(static_cast<uint8_t>(c.alternateSetting & 3)),
        pacing_(c.pacing) {}

 private:
  // Runs f under the box's lock (the accessors tests call from their own thread).
  template <typename F>
  auto locked(F&& f) const {
    std::lock_guard<std::mutex> lock(m_);
    return f();
  }

 public:
  // ---- Device ----

  wdu::DeviceInfo info() override {
    std::lock_guard<std::mutex> lock(m_);
    return infoLocked();
  }

  Reply control(const Setup& s, uint8_t* data) override {
    std::lock_guard<std::mutex> lock(m_);
    if (s.standard()) return standardRequest(s, data);
    if (!s.vendor()) return Reply::stall();
    const uint8_t port = static_cast<uint8_t>(s.index & 0xFF);
    switch (s.request) {
      case kReqName:
        if (s.in()) {
          uint8_t block[kNameSize] = {};
          std::memcpy(block, name_.data(), name_.size());
          return answer(s, data, block, sizeof(block));
        }
        name_ =
            cutName(std::string(reinterpret_cast<const char*>(data), std::min<size_t>(s.length, kNameSize)));
        return Reply::ok();
      case kReqConfig:
        if (s.in()) return answer(s, data, config_.data(), config_.size());
        if (s.length > kConfigBlockSize) return Reply::stall();
        std::copy(data, data + s.length, config_.begin());
        return Reply::ok();
      case kReqIdentify:
        if (s.in()) return Reply::stall();
        identify_.on = (s.index & 0xFF) != 0;
        identify_.brightness = static_cast<uint8_t>(s.index >> 8);
        ++identify_.requests;
        return Reply::ok();
      case kReqInEndpoint:
      case kReqOutEndpoint: {
        if (!s.in() || port > 1) return Reply::stall();
        const uint8_t ep = s.request == kReqInEndpoint ? kPortInEndpoint[port] : kPortOutEndpoint[port];
        return answer(s, data, &ep, 1);
      }
      case kReqPortMode: {
        if (s.in() || port > 1) return Reply::stall();
        auto& mode = ports_[port].mode;
        mode.mode = static_cast<uint8_t>(s.index >> 8);
        mode.value = s.value;
        ++mode.requests;
        return Reply::ok();
      }
      case kReqPortStatus: {
        if (!s.in() || port > 1) return Reply::stall();
        produce(port);
        uint8_t status[kPortStatusSize] = {};
        const uint16_t counter =
            isInput(port) ? ports_[port].inCounter : static_cast<uint16_t>(ports_[port].outFrames);
        putLe16(status + 2, counter);
        return answer(s, data, status, sizeof(status));
      }
      case kReqPage: {
        auto& page = pages_[s.value];
        if (s.in()) return answer(s, data, page.data(), page.size());
        if (s.length > kPageSize) return Reply::stall();
        std::copy(data, data + s.length, page.begin());
        return Reply::ok();
      }
      case kReqMessage:
        if (s.in()) return answer(s, data, message_);
        if (s.length > kMessageMax) return Reply::stall();
        message_.assign(data, data + s.length);
        return Reply::ok();
      case kReqStatus3:
        if (!s.in()) return Reply::stall();
        return answer(s, data, status3_.data(), status3_.size());
      default:
        break;
    }
    if (s.request >= kReqE0 && s.request <= kReqE2) {
      auto& stored = eData_[{s.request, s.value}];
      if (!s.in()) {
        stored.assign(data, data + s.length);
        return Reply::ok();
      }
      std::fill(data, data + s.length, 0);
      std::copy(stored.begin(), stored.begin() + std::min<size_t>(stored.size(), s.length), data);
      return Reply::ok(s.length);
    }
    return Reply::stall();
  }

  uint32_t setInterface(uint8_t /*interfaceNumber*/, uint8_t alternateSetting) override {
    std::lock_guard<std::mutex> lock(m_);
    alt_ = static_cast<uint8_t>(alternateSetting & 3);
    return wdu::kSuccess;
  }

  Reply bulkOut(uint8_t endpoint, const uint8_t* data, uint32_t len) override {
    std::lock_guard<std::mutex> lock(m_);
    const int port = endpoint == kPortOutEndpoint[0] ? 0 : endpoint == kPortOutEndpoint[1] ? 1 : -1;
    if (port < 0 || isInput(port)) return Reply::stall();
    Port& p = ports_[port];
    if (p.outHeld) return Reply::pending();
    if (pacing_ && host_ != nullptr) {
      if (!p.outScheduled) {
        p.outScheduled = true;
        p.outBase = host_->tick();
        p.outNextFreeUs = 0;
      }
      const uint64_t now = elapsedUs(p.outBase);
      if (now < p.outNextFreeUs) return Reply::pending(msUntil(p.outNextFreeUs - now));
      // Keep the schedule (no drift) unless the host fell more than a frame behind it.
      p.outNextFreeUs = now - p.outNextFreeUs < kFrameIntervalUs ? p.outNextFreeUs + kFrameIntervalUs
                                                                 : now + kFrameIntervalUs;
    }
    if (validOutputFrame(data, len)) {
      for (uint32_t k = 0; k < 8; ++k) {
        std::memcpy(&p.lastOut[k * kSlotsPerPacket], data + 2 + k * kDmxPacketSize, kSlotsPerPacket);
      }
      std::memcpy(&p.lastOut[8 * kSlotsPerPacket], data + 2 + 8 * kDmxPacketSize, kLastPacketSlots);
      ++p.outFrames;
    } else {
      ++p.badOut;
    }
    return Reply::ok(len);
  }

  Reply bulkIn(uint8_t endpoint, uint8_t* packet, uint32_t maxPacket, bool firstPacket) override {
    std::lock_guard<std::mutex> lock(m_);
    const int port = endpoint == kPortInEndpoint[0] ? 0 : endpoint == kPortInEndpoint[1] ? 1 : -1;
    if (port < 0 || !isInput(port)) return Reply::stall();
    Port& p = ports_[port];
    if (firstPacket) {
      p.timingOut = p.timeouts > 0;
      if (p.timingOut) --p.timeouts;
    }
    if (p.timingOut) return Reply::pending(kNever);
    produce(port);
    while (!p.queue.empty() && p.queue.front().next >= p.queue.front().packets.size()) p.queue.pop_front();
    if (p.queue.empty()) {
      if (p.stream && pacing_ && host_ != nullptr) {
        return Reply::pending(msUntil((p.produced + 1) * kFrameIntervalUs - elapsedUs(p.streamStart)));
      }
      return Reply::pending();
    }
    InFrame& f = p.queue.front();
    const auto& bytes = f.packets[f.next++];
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(bytes.size()), maxPacket);
    if (n > 0) std::memcpy(packet, bytes.data(), n);
    if (f.next >= f.packets.size()) p.queue.pop_front();
    return Reply::ok(n);
  }

  void plugged(DeviceHost* host) override {
    std::lock_guard<std::mutex> lock(m_);
    host_ = host;
    for (auto& p : ports_) {
      p.streamStarted = false;
      p.outScheduled = false;
    }
  }

  void unplugged() override {
    std::lock_guard<std::mutex> lock(m_);
    host_ = nullptr;
  }

  // ---- SimDmxBox ----

  std::string name() const override {
    return locked([&] { return name_; });
  }
  void setName(const std::string& name) override {
    std::lock_guard<std::mutex> lock(m_);
    name_ = cutName(name);
  }
  ConfigBlock configBlock() const override {
    return locked([&] { return config_; });
  }
  void setConfigBlock(const ConfigBlock& block) override {
    std::lock_guard<std::mutex> lock(m_);
    config_ = block;
  }
  uint8_t alternateSetting() const override {
    return locked([&] { return alt_; });
  }
  IdentifyState identify() const override {
    return locked([&] { return identify_; });
  }
  PortModeState portMode(int port) const override {
    return locked([&] { return ports_[port & 1].mode; });
  }
  std::array<uint8_t, kPageSize> page(uint16_t page) const override {
    std::lock_guard<std::mutex> lock(m_);
    auto it = pages_.find(page);
    return it == pages_.end() ? std::array<uint8_t, kPageSize>{} : it->second;
  }
  std::vector<uint8_t> message() const override {
    return locked([&] { return message_; });
  }
  void setStatus3(const std::array<uint8_t, 3>& bytes) override {
    std::lock_guard<std::mutex> lock(m_);
    status3_ = bytes;
  }
  std::vector<uint8_t> eData(uint8_t request, uint16_t value) const override {
    std::lock_guard<std::mutex> lock(m_);
    auto it = eData_.find({request, value});
    return it == eData_.end() ? std::vector<uint8_t>{} : it->second;
  }
  void setPacing(bool on) override {
    std::lock_guard<std::mutex> lock(m_);
    pacing_ = on;
    for (auto& p : ports_) {
      p.streamStarted = false;
      p.outScheduled = false;
    }
  }
  uint32_t outputFrames(int port) const override {
    return locked([&] { return ports_[port & 1].outFrames; });
  }
  uint32_t badOutputFrames(int port) const override {
    return locked([&] { return ports_[port & 1].badOut; });
  }
  DmxSlots lastOutput(int port) const override {
    return locked([&] { return ports_[port & 1].lastOut; });
  }
  void receiveFrame(int port, const DmxSlots& slots) override {
    std::lock_guard<std::mutex> lock(m_);
    enqueue(port & 1, slots);
    if (host_ != nullptr) host_->wake();
  }
  void setInputStream(int port, bool on, const DmxSlots& slots) override {
    std::lock_guard<std::mutex> lock(m_);
    Port& p = ports_[port & 1];
    p.stream = on;
    p.streamSlots = slots;
    p.streamStarted = false;
  }
  uint16_t frameCounter(int port) const override {
    return locked([&] { return ports_[port & 1].inCounter; });
  }
  uint32_t queuedInputPackets(int port) const override {
    std::lock_guard<std::mutex> lock(m_);
    uint32_t n = 0;
    for (const auto& f : ports_[port & 1].queue) n += static_cast<uint32_t>(f.packets.size() - f.next);
    return n;
  }
  void injectMisalignedStart(int port, uint32_t packets) override {
    std::lock_guard<std::mutex> lock(m_);
    ports_[port & 1].dropLeading = packets;
  }
  void injectShortFrame(int port, uint32_t packets) override {
    std::lock_guard<std::mutex> lock(m_);
    ports_[port & 1].cutAfter = static_cast<int32_t>(std::min(packets, kInputFramePackets));
  }
  void injectInputTimeouts(int port, uint32_t count) override {
    std::lock_guard<std::mutex> lock(m_);
    ports_[port & 1].timeouts += count;
  }
  void holdOutput(int port, bool hold) override {
    std::lock_guard<std::mutex> lock(m_);
    ports_[port & 1].outHeld = hold;
    if (!hold && host_ != nullptr) host_->wake();
  }

 private:
  struct InFrame {
    std::vector<std::vector<uint8_t>> packets;
    size_t next = 0;
  };
  struct Port {
    PortModeState mode;
    uint32_t outFrames = 0;
    uint32_t badOut = 0;
    DmxSlots lastOut{};
    bool outHeld = false;
    bool outScheduled = false;
    uint32_t outBase = 0;
    uint64_t outNextFreeUs = 0;

    uint16_t inCounter = 0;
    std::deque<InFrame> queue;
    uint32_t dropLeading = 0;
    int32_t cutAfter = -1;
    uint32_t timeouts = 0;
    bool timingOut = false;
    bool stream = false;
    DmxSlots streamSlots{};
    bool streamStarted = false;
    uint32_t streamStart = 0;
    uint64_t produced = 0;
  };

  // Port 0 is an input in settings 2 and 3, port 1 in settings 1 and 3.
  bool isInput(int port) const { return (alt_ & (port == 0 ? 2 : 1)) != 0; }

  uint64_t elapsedUs(uint32_t since) const {
    return host_ ? static_cast<uint64_t>(static_cast<uint32_t>(host_->tick() - since)) * 1000 : 0;
  }

  wdu::DeviceInfo infoLocked() const {
    wdu::DeviceInfo info;
    info.vendorId = kDmxVendorId;
    info.productId = productId_;
    info.bcdDevice = bcdDevice_;
    info.iManufacturer = 1;
    info.iProduct = 2;
    info.iSerialNumber = 3;
    wdu::InterfaceInfo iface;
    iface.number = kDmxInterface;
    iface.activeAlt = alt_;
    for (uint8_t a = 0; a < 4; ++a) {
      wdu::AltSettingInfo setting;
      setting.alternateSetting = a;
      setting.endpoints.push_back({(a & 2) ? kPortInEndpoint[0] : kPortOutEndpoint[0], 2, kDmxPacketSize, 0});
      setting.endpoints.push_back({(a & 1) ? kPortInEndpoint[1] : kPortOutEndpoint[1], 2, kDmxPacketSize, 0});
      iface.alts.push_back(std::move(setting));
    }
    info.interfaces.push_back(std::move(iface));
    return info;
  }

  Reply standardRequest(const Setup& s, uint8_t* data) const {
    if (!s.in() || s.request != kRequestGetDescriptor) return Reply::stall();
    const uint8_t type = static_cast<uint8_t>(s.value >> 8);
    const uint8_t index = static_cast<uint8_t>(s.value & 0xFF);
    if (type == kDescriptorDevice) return answer(s, data, deviceDescriptor(infoLocked()));
    if (type != kDescriptorString) return Reply::stall();
    switch (index) {
      case 0:
        return answer(s, data, languageDescriptor());
      case 1:
        return answer(s, data, stringDescriptor(kManufacturer));
      case 2:
        return answer(s, data, stringDescriptor(kProduct));
      case 3:
        return answer(s, data, stringDescriptor(name_));
      default:
        return Reply::stall();
    }
  }

  static bool validOutputFrame(const uint8_t* data, uint32_t len) {
    if (len != kOutputFrameSize || getLe16(data) != 0) return false;
    for (uint32_t k = 0; k < 8; ++k) {
      if (getLe16(data + kDmxPacketSize * (k + 1)) != kSlotsPerPacket * (k + 1)) return false;
    }
    return getLe16(data + kOutputTrailerOffset) == kDmxSlots;
  }

  // A frame arrives from the DMX line.
  void enqueue(int port, const DmxSlots& slots) {
    Port& p = ports_[port];
    InFrame f;
    for (uint32_t k = 0; k < kInputFramePackets; ++k) {
      std::vector<uint8_t> packet(kDmxPacketSize, 0);
      putLe16(packet.data(), static_cast<uint16_t>(k * kSlotsPerPacket));
      const uint32_t count = k < 8 ? kSlotsPerPacket : kLastPacketSlots;
      std::memcpy(packet.data() + 2, &slots[k * kSlotsPerPacket], count);
      f.packets.push_back(std::move(packet));
    }
    if (p.dropLeading > 0) {
      f.packets.erase(f.packets.begin(),
                      f.packets.begin() + std::min<size_t>(p.dropLeading, f.packets.size()));
      p.dropLeading = 0;
    }
    if (p.cutAfter >= 0) {
      f.packets.resize(std::min<size_t>(f.packets.size(), static_cast<size_t>(p.cutAfter)));
      f.packets.emplace_back();  // the zero-length packet that ends the host's transfer
      p.cutAfter = -1;
    }
    ++p.inCounter;
    p.queue.push_back(std::move(f));
    while (p.queue.size() > kMaxQueuedFrames) {
      // The frame the host is reading stays; the oldest untouched one goes.
      p.queue.erase(p.queue.front().next == 0 ? p.queue.begin() : p.queue.begin() + 1);
    }
  }

  // Frames of a paced input stream that are due by now.
  void produce(int port) {
    Port& p = ports_[port];
    if (!p.stream || !pacing_ || host_ == nullptr) return;
    if (!p.streamStarted) {
      p.streamStarted = true;
      p.streamStart = host_->tick();
      p.produced = 0;
    }
    const uint64_t due = elapsedUs(p.streamStart) / kFrameIntervalUs;
    if (due > p.produced + kMaxQueuedFrames) {  // frames nobody could have read in time
      p.inCounter = static_cast<uint16_t>(p.inCounter + (due - p.produced - kMaxQueuedFrames));
      p.produced = due - kMaxQueuedFrames;
    }
    while (p.produced < due) {
      DmxSlots slots = p.streamSlots;
      slots[0] = static_cast<uint8_t>(p.produced & 0xFF);
      enqueue(port, slots);
      ++p.produced;
    }
  }

  mutable std::mutex m_;
  DeviceHost* host_ = nullptr;
  uint16_t productId_;
  uint16_t bcdDevice_;
  std::string name_;
  ConfigBlock config_;
  uint8_t alt_;
  bool pacing_;
  IdentifyState identify_;
  Port ports_[2];
  std::map<uint16_t, std::array<uint8_t, kPageSize>> pages_;
  std::vector<uint8_t> message_;
  std::array<uint8_t, 3> status3_{};
  std::map<std::pair<uint8_t, uint16_t>, std::vector<uint8_t>> eData_;
};

}  // namespace

std::shared_ptr<SimDmxBox> makeDmxBox(const DmxBoxConfig& config) {
  return std::make_shared<DmxBox>(config);
}

}  // namespace simusb::detail
