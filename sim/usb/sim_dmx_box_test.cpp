// The simulated USB-DMX box, driven through the USB layer as the DMX library and the configurator
// drive it.
#include "sim/usb/sim_dmx_box.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/wdu/sim_testing.h"

namespace {

using namespace std::chrono_literals;
using wdu::DeviceHandle;
using wdu::Status;

std::array<uint8_t, 8> setup(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length) {
  return {type,
          request,
          static_cast<uint8_t>(value & 0xFF),
          static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(index & 0xFF),
          static_cast<uint8_t>(index >> 8),
          static_cast<uint8_t>(length & 0xFF),
          static_cast<uint8_t>(length >> 8)};
}

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

simusb::DmxSlots pattern(uint8_t seed) {
  simusb::DmxSlots s{};
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i * 7 + seed);
  return s;
}

// The 532-byte output frame as the DMX library packs it.
std::vector<uint8_t> packOutput(const simusb::DmxSlots& slots) {
  std::vector<uint8_t> f(simusb::kOutputFrameSize, 0);
  for (uint32_t k = 0; k < 8; ++k) {
    std::copy_n(&slots[62 * k], 62, &f[2 + 64 * k]);
    f[64 + 64 * k] = static_cast<uint8_t>(62 * (k + 1));
    f[65 + 64 * k] = static_cast<uint8_t>((62 * (k + 1)) >> 8);
  }
  std::copy_n(&slots[496], 16, &f[514]);
  f[530] = 0x00;
  f[531] = 0x02;
  return f;
}

class DmxBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus = wdu::testing::useSimulatedBus(SIM_USB_LIB);
    ASSERT_NE(bus, nullptr) << wdu::BackendError();
  }
  void TearDown() override {
    if (driver_) wdu::Uninit(driver_);
    if (bus) bus->reset();
  }

  // Plugs a box in and takes it; answers its handle.
  DeviceHandle attach(const simusb::DmxBoxConfig& config = {}) {
    box = bus->newDmxBox(config);
    address = bus->plug(box);
    wdu::Events ev;
    ev.attach = [this](DeviceHandle h, const wdu::DeviceInfo& info) {
      std::lock_guard<std::mutex> lock(m_);
      handle_ = h;
      info_ = info;
      cv_.notify_all();
      return true;
    };
    const wdu::MatchRow rows[] = {{simusb::kDmxVendorId, 0}};
    EXPECT_EQ(wdu::Init(driver_, rows, ev, wdu::kAcknowledge), wdu::kSuccess);
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait_for(lock, 5s, [&] { return handle_ != 0; });
    return handle_;
  }
  wdu::DeviceInfo attachedInfo() {
    std::lock_guard<std::mutex> lock(m_);
    return info_;
  }

  Status standardIn(uint16_t value, std::vector<uint8_t>& data) {
    auto s = setup(0x80, 0x06, value, 0, static_cast<uint16_t>(data.size()));
    uint32_t done = 0;
    const Status st = wdu::Transfer(handle_, 0, true, 0, data.data(), static_cast<uint32_t>(data.size()),
                                    &done, s.data(), 1000);
    data.resize(done);
    return st;
  }
  Status in(uint8_t request, uint16_t value, uint16_t index, std::vector<uint8_t>& data) {
    auto s = setup(0xC0, request, value, index, static_cast<uint16_t>(data.size()));
    uint32_t done = 0;
    const Status st = wdu::Transfer(handle_, 0, true, 0, data.data(), static_cast<uint32_t>(data.size()),
                                    &done, s.data(), 1000);
    data.resize(done);
    return st;
  }
  Status out(uint8_t request, uint16_t value, uint16_t index, std::vector<uint8_t> data = {}) {
    auto s = setup(0x40, request, value, index, static_cast<uint16_t>(data.size()));
    return wdu::Transfer(handle_, 0, false, 0, data.data(), static_cast<uint32_t>(data.size()), nullptr,
                         s.data(), 1000);
  }
  uint8_t endpoint(uint8_t request, uint16_t port) {
    std::vector<uint8_t> b(1);
    EXPECT_EQ(in(request, 0, port, b), wdu::kSuccess);
    return b.empty() ? 0 : b[0];
  }
  uint16_t counter(uint16_t port) {
    std::vector<uint8_t> b(4);
    EXPECT_EQ(in(0x18, 0, port, b), wdu::kSuccess);
    return b.size() == 4 ? le16(&b[2]) : 0xFFFF;
  }
  Status writeBulk(uint8_t ep, const std::vector<uint8_t>& data, uint32_t* done = nullptr) {
    auto copy = data;
    return wdu::TransferBulk(handle_, ep, false, 0, copy.data(), static_cast<uint32_t>(copy.size()), done,
                             1000);
  }
  Status readBulk(uint8_t ep, std::vector<uint8_t>& data, uint32_t timeoutMs = 1000) {
    uint32_t done = 0;
    const Status st = wdu::TransferBulk(handle_, ep, true, 0, data.data(), static_cast<uint32_t>(data.size()),
                                        &done, timeoutMs);
    data.resize(done);
    return st;
  }

  simusb::Control* bus = nullptr;
  std::shared_ptr<simusb::SimDmxBox> box;
  uint32_t address = 0;

 private:
  std::mutex m_;
  std::condition_variable cv_;
  DeviceHandle handle_ = 0;
  wdu::DeviceInfo info_;
  wdu::DriverHandle driver_ = 0;
};

TEST_F(DmxBoxTest, IdentifiesAsTheConfiguredProduct) {
  attach({.productId = 0xF0AA, .bcdDevice = 0x0210});
  const auto info = attachedInfo();
  EXPECT_EQ(info.vendorId, 0x11BE);
  EXPECT_EQ(info.productId, 0xF0AA);
  EXPECT_EQ(info.bcdDevice, 0x0210);
  ASSERT_EQ(info.interfaces.size(), 1u);
  EXPECT_EQ(info.interfaces[0].alts.size(), 4u);
}

TEST_F(DmxBoxTest, EndpointTablesAgreeWithTheBoxsAnswersInEverySetting) {
  const DeviceHandle h = attach();
  for (uint8_t alt = 0; alt < 4; ++alt) {
    ASSERT_EQ(wdu::SetInterface(h, 0, alt), wdu::kSuccess);
    EXPECT_EQ(box->alternateSetting(), alt);
    wdu::DeviceInfo info;
    ASSERT_EQ(wdu::GetDeviceInfo(h, info), wdu::kSuccess);
    const auto& eps = info.interfaces[0].active()->endpoints;
    ASSERT_EQ(eps.size(), 2u);
    // Port 0 is an input when bit 1 is set, port 1 when bit 0 is set.
    EXPECT_EQ(eps[0].address, endpoint((alt & 2) ? 0x11 : 0x12, 0)) << int(alt);
    EXPECT_EQ(eps[1].address, endpoint((alt & 1) ? 0x11 : 0x12, 1)) << int(alt);
  }
  EXPECT_EQ(endpoint(0x11, 0) & 0x80, 0x80);
  EXPECT_EQ(endpoint(0x12, 1) & 0x80, 0);
  std::vector<uint8_t> b(1);
  EXPECT_EQ(in(0x11, 0, 2, b), wdu::kStall);  // no port 2
}

TEST_F(DmxBoxTest, NameAndConfigurationBlockReadBackAsWritten) {
  attach({.name = "Stage left"});
  std::vector<uint8_t> name(16);
  ASSERT_EQ(in(0x00, 0, 0, name), wdu::kSuccess);
  EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "Stage left");
  std::vector<uint8_t> newName(16, 0);
  const std::string longName = "A very long box name";
  std::copy_n(longName.begin(), 16, newName.begin());
  ASSERT_EQ(out(0x00, 0, 0, newName), wdu::kSuccess);
  EXPECT_EQ(box->name(), "A very long box");  // 15 characters and a NUL

  std::vector<uint8_t> block = {1, 2, 0xA4, 0x5B, 7, 9, 1, 0, 8, 9, 10, 11, 12, 13, 14, 15};
  ASSERT_EQ(out(0x01, 0, 0, block), wdu::kSuccess);
  std::vector<uint8_t> back(16);
  ASSERT_EQ(in(0x01, 0, 0, back), wdu::kSuccess);
  EXPECT_EQ(back, block);
}

TEST_F(DmxBoxTest, AFaultThatNamesARequestHitsOnlyThatRequest) {
  const DeviceHandle h = attach({.name = "Stage left"});
  simusb::FaultSpec fault{simusb::FaultKind::Stall, simusb::kAnyPipe};
  fault.request = 0x00;
  bus->injectFault(address, fault);
  EXPECT_EQ(wdu::SetInterface(h, 0, 3), wdu::kSuccess);
  EXPECT_EQ(endpoint(0x11, 0), 0x81);
  std::vector<uint8_t> in1(1);
  EXPECT_EQ(readBulk(0x81, in1, 10), wdu::kTimeout);  // no frame waiting; the fault does not hit it
  std::vector<uint8_t> name(16);
  EXPECT_EQ(in(0x00, 0, 0, name), wdu::kStall);
  name.resize(16);
  EXPECT_EQ(in(0x00, 0, 0, name), wdu::kSuccess);  // it hit once

  simusb::FaultSpec setInterface{simusb::FaultKind::Status, simusb::kControlPipe, 1, wdu::kDeviceError};
  setInterface.request = 0x0B;
  bus->injectFault(address, setInterface);
  EXPECT_EQ(endpoint(0x12, 1), 0x02);
  EXPECT_EQ(wdu::SetInterface(h, 0, 0), wdu::kDeviceError);
  EXPECT_EQ(box->alternateSetting(), 3);
}

TEST_F(DmxBoxTest, IdentifyPortModeAndStoredRequests) {
  attach();
  ASSERT_EQ(out(0x02, 0, 0xFF01), wdu::kSuccess);
  EXPECT_TRUE(box->identify().on);
  EXPECT_EQ(box->identify().brightness, 0xFF);
  ASSERT_EQ(out(0x02, 0, 0x0000), wdu::kSuccess);
  EXPECT_FALSE(box->identify().on);

  ASSERT_EQ(out(0x17, 65536 - 1000, 0x0401), wdu::kSuccess);
  EXPECT_EQ(box->portMode(1).mode, 4);
  EXPECT_EQ(box->portMode(1).value, 65536 - 1000);
  EXPECT_EQ(box->portMode(0).requests, 0u);

  std::vector<uint8_t> page(64, 0x5A);
  ASSERT_EQ(out(0x1F, 0x107, 0, page), wdu::kSuccess);
  std::vector<uint8_t> back(64);
  ASSERT_EQ(in(0x1F, 0x107, 0, back), wdu::kSuccess);
  EXPECT_EQ(back, page);

  ASSERT_EQ(out(0x30, 0, 0, {1, 2, 3}), wdu::kSuccess);
  std::vector<uint8_t> msg(4);
  ASSERT_EQ(in(0x30, 0, 0, msg), wdu::kSuccess);
  EXPECT_EQ(msg, std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(out(0x30, 0, 0, std::vector<uint8_t>(16)), wdu::kStall);

  box->setStatus3({4, 5, 6});
  std::vector<uint8_t> st3(3);
  ASSERT_EQ(in(0x31, 0, 0, st3), wdu::kSuccess);
  EXPECT_EQ(st3, std::vector<uint8_t>({4, 5, 6}));

  ASSERT_EQ(out(0xE1, 0x1234, 0, {7, 8}), wdu::kSuccess);
  std::vector<uint8_t> e(4);
  ASSERT_EQ(in(0xE1, 0x1234, 0, e), wdu::kSuccess);
  EXPECT_EQ(e, std::vector<uint8_t>({7, 8, 0, 0}));

  std::vector<uint8_t> none(1);
  EXPECT_EQ(in(0x55, 0, 0, none), wdu::kStall);
  EXPECT_EQ(in(0x02, 0, 0, none), wdu::kStall);  // identify is OUT only
}

TEST_F(DmxBoxTest, DescriptorsHonourTheRequestedLength) {
  attach({.name = "Box 7"});
  std::vector<uint8_t> head(1);
  ASSERT_EQ(standardIn(0x0303, head), wdu::kSuccess);
  EXPECT_EQ(head, std::vector<uint8_t>({12}));  // 2 + 2 x 5 characters
  std::vector<uint8_t> name(255);
  ASSERT_EQ(standardIn(0x0303, name), wdu::kSuccess);
  ASSERT_EQ(name.size(), 12u);
  EXPECT_EQ(name[1], 3);
  EXPECT_EQ(name[2], 'B');
  EXPECT_EQ(name[10], '7');
  std::vector<uint8_t> lang(255);
  ASSERT_EQ(standardIn(0x0300, lang), wdu::kSuccess);
  EXPECT_EQ(lang, std::vector<uint8_t>({4, 3, 0x09, 0x04}));
  std::vector<uint8_t> dev(18);
  ASSERT_EQ(standardIn(0x0100, dev), wdu::kSuccess);
  EXPECT_EQ(le16(&dev[8]), 0x11BE);
  std::vector<uint8_t> missing(8);
  EXPECT_EQ(standardIn(0x0309, missing), wdu::kStall);
}

TEST_F(DmxBoxTest, OutputPortTakesWellFormedFramesAndCountsBadOnes) {
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 0), wdu::kSuccess);  // both ports output
  uint32_t done = 0;
  ASSERT_EQ(writeBulk(0x01, packOutput(pattern(3)), &done), wdu::kSuccess);
  EXPECT_EQ(done, 532u);
  EXPECT_EQ(box->outputFrames(0), 1u);
  EXPECT_EQ(box->lastOutput(0), pattern(3));
  EXPECT_EQ(counter(0), 1);

  auto badIndex = packOutput(pattern(4));
  badIndex[64 * 3] ^= 1;
  EXPECT_EQ(writeBulk(0x01, badIndex), wdu::kSuccess);
  auto shortFrame = packOutput(pattern(4));
  shortFrame.pop_back();
  EXPECT_EQ(writeBulk(0x01, shortFrame), wdu::kSuccess);
  EXPECT_EQ(box->badOutputFrames(0), 2u);
  EXPECT_EQ(box->outputFrames(0), 1u);
  EXPECT_EQ(box->lastOutput(0), pattern(3));

  ASSERT_EQ(writeBulk(0x02, packOutput(pattern(5))), wdu::kSuccess);
  EXPECT_EQ(box->lastOutput(1), pattern(5));
  std::vector<uint8_t> none(64);
  EXPECT_EQ(readBulk(0x81, none), wdu::kInvalidParameter);  // no IN endpoint in setting 0
}

TEST_F(DmxBoxTest, AHeldOutputTakesNothingUntilReleased) {
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 0), wdu::kSuccess);
  box->holdOutput(0, true);
  auto frame = packOutput(pattern(6));
  EXPECT_EQ(wdu::TransferBulk(h, 0x01, false, 0, frame.data(), 532, nullptr, 20), wdu::kTimeout);
  EXPECT_EQ(box->outputFrames(0), 0u);
  Status st = wdu::kDeviceError;
  std::thread writer([&] { st = wdu::TransferBulk(h, 0x01, false, 0, frame.data(), 532, nullptr, 5000); });
  ASSERT_TRUE(bus->waitForWaitingTransfers(address, 1, 5000));
  box->holdOutput(0, false);
  writer.join();
  EXPECT_EQ(st, wdu::kSuccess);
  EXPECT_EQ(box->lastOutput(0), pattern(6));
}

TEST_F(DmxBoxTest, InputFramesArriveAsNineIndexedPackets) {
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 3), wdu::kSuccess);  // both ports input
  EXPECT_EQ(counter(1), 0);
  box->receiveFrame(1, pattern(1));
  EXPECT_EQ(counter(1), 1);
  EXPECT_EQ(counter(0), 0);
  std::vector<uint8_t> frame(576);
  ASSERT_EQ(readBulk(0x82, frame), wdu::kSuccess);
  ASSERT_EQ(frame.size(), 576u);
  simusb::DmxSlots slots{};
  for (uint32_t k = 0; k < 9; ++k) {
    EXPECT_EQ(le16(&frame[64 * k]), 62 * k);
    std::copy_n(&frame[64 * k + 2], k < 8 ? 62 : 16, &slots[62 * k]);
  }
  EXPECT_EQ(slots, pattern(1));
  EXPECT_EQ(box->queuedInputPackets(1), 0u);
}

TEST_F(DmxBoxTest, MisalignedStartsAndShortFrames) {
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 2), wdu::kSuccess);  // port 0 input
  box->injectMisalignedStart(0, 1);
  box->receiveFrame(0, pattern(1));
  box->receiveFrame(0, pattern(2));
  std::vector<uint8_t> frame(576);
  ASSERT_EQ(readBulk(0x81, frame), wdu::kSuccess);
  ASSERT_EQ(frame.size(), 576u);
  EXPECT_EQ(le16(&frame[0]), 62);  // mid-frame: packets 1-8, then the next frame's packet 0
  EXPECT_EQ(le16(&frame[512]), 0);
  for (uint32_t k = 1; k < 9; ++k) {
    std::vector<uint8_t> packet(64);
    ASSERT_EQ(readBulk(0x81, packet), wdu::kSuccess);
    EXPECT_EQ(le16(&packet[0]), 62 * k);
  }
  box->injectShortFrame(0, 1);
  box->receiveFrame(0, pattern(3));
  frame.assign(576, 0);
  ASSERT_EQ(readBulk(0x81, frame), wdu::kSuccess);
  EXPECT_EQ(frame.size(), 64u);  // one packet, then a zero-length packet ends the transfer
  EXPECT_EQ(le16(&frame[0]), 0);
}

TEST_F(DmxBoxTest, TheBoxKeepsOnlyTheNewestFramesWhenNobodyReads) {
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 2), wdu::kSuccess);
  for (uint8_t i = 0; i < 10; ++i) box->receiveFrame(0, pattern(i));
  EXPECT_EQ(counter(0), 10);
  EXPECT_EQ(box->queuedInputPackets(0), simusb::kMaxQueuedFrames * 9);
  std::vector<uint8_t> frame(576);
  ASSERT_EQ(readBulk(0x81, frame), wdu::kSuccess);
  EXPECT_EQ(frame[2], pattern(6)[0]);
}

TEST_F(DmxBoxTest, InputTimeOutsRunOnTheBusClock) {
  wdu::testing::VirtualBusTime clock(bus, 500);
  const DeviceHandle h = attach();
  ASSERT_EQ(wdu::SetInterface(h, 0, 2), wdu::kSuccess);
  box->receiveFrame(0, pattern(1));
  box->injectInputTimeouts(0, 1);
  std::vector<uint8_t> frame(576);
  EXPECT_EQ(readBulk(0x81, frame, 1000), wdu::kTimeout);
  EXPECT_TRUE(frame.empty());
  EXPECT_EQ(clock.tick(), 1500u);
  frame.assign(576, 0);
  EXPECT_EQ(readBulk(0x81, frame, 1000), wdu::kSuccess);
  EXPECT_EQ(frame.size(), 576u);
}

TEST_F(DmxBoxTest, PacingHoldsBothDirectionsToTheDmxFrameRate) {
  wdu::testing::VirtualBusTime clock(bus, 0);
  const DeviceHandle h = attach({.pacing = true});
  ASSERT_EQ(wdu::SetInterface(h, 0, 2), wdu::kSuccess);  // port 0 input, port 1 output
  const uint32_t start = clock.tick();
  for (int i = 0; i < 10; ++i) ASSERT_EQ(writeBulk(0x02, packOutput(pattern(1))), wdu::kSuccess);
  EXPECT_NEAR(clock.tick() - start, 9 * 22.7, 1.0);  // the first frame goes at once

  box->setInputStream(0, true, pattern(9));
  const uint32_t inStart = clock.tick();
  const uint16_t before = counter(0);
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> frame(576);
    ASSERT_EQ(readBulk(0x81, frame), wdu::kSuccess);
    ASSERT_EQ(frame.size(), 576u);
    EXPECT_EQ(frame[2], i);  // slot 0 carries the stream's frame number
  }
  EXPECT_NEAR(clock.tick() - inStart, 5 * 22.7, 1.0);
  EXPECT_EQ(counter(0) - before, 5);
}

TEST_F(DmxBoxTest, BoxesNamedByTextArePluggedIn) {
  const auto errors = bus->plugFromSpec("dmx:F028:Stage: left;dmx;usb:1;dmx:XYZ;dmx:12345;");
  EXPECT_EQ(errors.size(), 3u);
  const auto addresses = bus->addresses();
  ASSERT_EQ(addresses.size(), 2u);
  auto first = bus->device(addresses[0]);
  EXPECT_EQ(first->info().productId, 0xF028);
  EXPECT_EQ(bus->device(addresses[1])->info().productId, 0xF0A9);
  uint8_t name[16] = {};
  const auto nameRequest = setup(0xC0, 0x00, 0, 0, 16);
  ASSERT_EQ(first->control(simusb::Setup::decode(nameRequest.data()), name).status, wdu::kSuccess);
  EXPECT_STREQ(reinterpret_cast<const char*>(name), "Stage: left");
}

}  // namespace
