// The USB layer's promises over its libusb backend, with simulated devices behind umockdev's usbfs.
#include <gtest/gtest.h>
#include <libusb.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include "platform/wdu/wdu.h"
#include "platform/wdu/wdu_test_support.h"
#include "sim/usbfs/usbfs_test_support.h"

namespace {

using namespace wdu::testing;
using simusb::testing::waitUntil;
using wdu::DeviceHandle;
using wdu::Status;

// The fake device, with a bulk OUT that stalls on a first byte of 0xEE.
class StallingDevice : public FakeDevice {
 public:
  using FakeDevice::FakeDevice;
  Reply bulkOut(uint8_t endpoint, const uint8_t* data, uint32_t len) override {
    if (len > 0 && data[0] == 0xEE) return Reply::stall();
    return FakeDevice::bulkOut(endpoint, data, len);
  }
};

// The fake device, noting when its bulk IN is first asked: a transfer on it is then in flight.
class AskedDevice : public FakeDevice {
 public:
  using FakeDevice::FakeDevice;
  Reply bulkIn(uint8_t endpoint, uint8_t* packet, uint32_t maxPacket, bool first) override {
    {
      std::lock_guard<std::mutex> lock(askedMutex_);
      asked_ = true;
    }
    askedCv_.notify_all();
    return FakeDevice::bulkIn(endpoint, packet, maxPacket, first);
  }
  bool waitUntilAsked() {
    std::unique_lock<std::mutex> lock(askedMutex_);
    return askedCv_.wait_for(lock, 5s, [&] { return asked_; });
  }

 private:
  std::mutex askedMutex_;
  std::condition_variable askedCv_;
  bool asked_ = false;
};

// Another program on the same machine: its own libusb, opening the fake device's node itself.
class OtherProgram {
 public:
  OtherProgram() { EXPECT_EQ(libusb_init(&ctx_), LIBUSB_SUCCESS); }
  ~OtherProgram() {
    if (handle_) libusb_close(handle_);
    if (ctx_) libusb_exit(ctx_);
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  // libusb's answer to claiming the fake device's interface (opening it first).
  int claim() {
    if (handle_ == nullptr) {
      libusb_device** list = nullptr;
      const ssize_t n = libusb_get_device_list(ctx_, &list);
      for (ssize_t i = 0; i < n && handle_ == nullptr; ++i) {
        libusb_device_descriptor dd{};
        if (libusb_get_device_descriptor(list[i], &dd) == LIBUSB_SUCCESS && dd.idVendor == kVendor) {
          if (libusb_open(list[i], &handle_) != LIBUSB_SUCCESS) handle_ = nullptr;
        }
      }
      if (list) libusb_free_device_list(list, 1);
      if (handle_ == nullptr) return LIBUSB_ERROR_NOT_FOUND;
    }
    return libusb_claim_interface(handle_, 0);
  }
  // Lets the device go, as a program ends.
  void exit() {
    if (handle_ == nullptr) return;
    (void)libusb_release_interface(handle_, 0);  // not claimed after a refused claim: nothing to undo
    libusb_close(handle_);
    handle_ = nullptr;
  }

 private:
  libusb_context* ctx_ = nullptr;
  libusb_device_handle* handle_ = nullptr;
};

class LibusbLayer : public simusb::testing::EmulatedUsbTest {
 protected:
  void TearDown() override {
    if (emu) emu->holdCompletions(false);
    registration.reset();
    EmulatedUsbTest::TearDown();
  }
  // Plugs the device in and takes it; answers its handle.
  DeviceHandle attachOne(std::shared_ptr<simusb::Device> device) {
    plug(std::move(device));
    registration = std::make_unique<Registration>(recorder);
    EXPECT_TRUE(recorder.waitFor('A', 1));
    const auto handles = recorder.handles('A');
    return handles.empty() ? 0 : handles.back();
  }

  Recorder recorder;
  std::unique_ptr<Registration> registration;
};

TEST_F(LibusbLayer, InitAndUninitWithNoMatchingDevice) {
  plug(std::make_shared<FakeDevice>(1));
  Recorder other;
  wdu::DriverHandle driver = 0;
  const wdu::MatchRow rows[] = {{0x4321, 0}};
  ASSERT_EQ(wdu::Init(driver, rows, other.events(), wdu::kAcknowledge), wdu::kSuccess);
  EXPECT_FALSE(other.waitFor('A', 1, 200ms)) << "the plugged device has another vendor";
  EXPECT_EQ(wdu::Uninit(driver), wdu::kSuccess);
  EXPECT_EQ(wdu::Uninit(driver), wdu::kInvalidHandle);
}

TEST_F(LibusbLayer, TheAttachCarriesTheDescriptorsOnTheLayersThread) {
  plug(std::make_shared<FakeDevice>(7));
  wdu::DeviceInfo seen;
  recorder.decide = [&](DeviceHandle, const wdu::DeviceInfo& info) {
    seen = info;
    return true;
  };
  registration = std::make_unique<Registration>(recorder);
  ASSERT_TRUE(recorder.waitFor('A', 1));
  EXPECT_EQ(recorder.threads().count(std::this_thread::get_id()), 0u);
  EXPECT_EQ(seen.vendorId, kVendor);
  EXPECT_EQ(seen.productId, 7);
  EXPECT_EQ(seen.bcdDevice, 0x0101);
  ASSERT_EQ(seen.interfaces.size(), 1u);
  const auto& iface = seen.interfaces[0];
  EXPECT_EQ(iface.activeAlt, 0);
  ASSERT_EQ(iface.alts.size(), 2u);
  ASSERT_EQ(iface.alts[0].endpoints.size(), 2u);
  EXPECT_EQ(iface.alts[0].interfaceClass, 0xFF);
  EXPECT_EQ(iface.alts[0].endpoints[0].address, kBulkIn);
  EXPECT_EQ(iface.alts[0].endpoints[0].attributes, 2);
  EXPECT_EQ(iface.alts[0].endpoints[0].maxPacketSize, 64);
  EXPECT_EQ(iface.alts[0].endpoints[1].address, kBulkOut);
  ASSERT_EQ(iface.alts[1].endpoints.size(), 1u);
  EXPECT_EQ(iface.alts[1].endpoints[0].address, kAltBulkIn);
}

TEST_F(LibusbLayer, SetInterfaceSelectsTheSettingWhoseEndpointsThenServe) {
  auto device = std::make_shared<FakeDevice>();
  const DeviceHandle h = attachOne(device);
  ASSERT_EQ(wdu::SetInterface(h, 0, 1), wdu::kSuccess);
  wdu::DeviceInfo info;
  ASSERT_EQ(wdu::GetDeviceInfo(h, info), wdu::kSuccess);
  EXPECT_EQ(info.interfaces.at(0).activeAlt, 1);
  uint8_t buf[64] = {};
  uint32_t done = 0;
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, buf, 64, &done, 100), wdu::kInvalidParameter)
      << "setting 0's endpoint is not active";
  device->push({1, 2, 3});
  EXPECT_EQ(wdu::TransferBulk(h, kAltBulkIn, true, 0, buf, 64, &done, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(wdu::SetInterface(h, 0, 5), wdu::kStall) << "no such setting";
  EXPECT_EQ(wdu::SetInterface(h, 0, 0), wdu::kSuccess);
}

TEST_F(LibusbLayer, ControlTransfersBothWaysAndAStallThatPasses) {
  auto device = std::make_shared<FakeDevice>();
  const DeviceHandle h = attachOne(device);
  uint8_t in[4] = {};
  uint32_t done = 0;
  ASSERT_EQ(wdu::Transfer(h, 0, true, 0, in, 4, &done, kReadSetup, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 4u);
  EXPECT_EQ(std::vector<uint8_t>(in, in + 4), (std::vector<uint8_t>{0, 1, 2, 3}));
  uint8_t out[3] = {7, 8, 9};
  const uint8_t writeSetup[8] = {0x40, kReqWrite, 0, 0, 0, 0, 3, 0};
  ASSERT_EQ(wdu::Transfer(h, 0, false, 0, out, 3, &done, writeSetup, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(device->written(), (std::vector<uint8_t>{7, 8, 9}));
  const uint8_t unknown[8] = {0xC0, 0x77, 0, 0, 0, 0, 4, 0};
  EXPECT_EQ(wdu::Transfer(h, 0, true, 0, in, 4, &done, unknown, 1000), wdu::kStall);
  EXPECT_EQ(wdu::Transfer(h, 0, true, 0, in, 4, &done, kReadSetup, 1000), wdu::kSuccess) << "pipe 0 recovers";
}

TEST_F(LibusbLayer, BulkBothWaysAStallAndTheEndpointAfterIt) {
  auto device = std::make_shared<StallingDevice>();
  const DeviceHandle h = attachOne(device);
  uint8_t out[5] = {1, 2, 3, 4, 5};
  uint32_t done = 0;
  ASSERT_EQ(wdu::TransferBulk(h, kBulkOut, false, 0, out, 5, &done, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 5u);
  EXPECT_EQ(device->written(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  uint8_t stall[2] = {0xEE, 0};
  EXPECT_EQ(wdu::TransferBulk(h, kBulkOut, false, 0, stall, 2, &done, 1000), wdu::kStall);
  EXPECT_EQ(wdu::TransferBulk(h, kBulkOut, false, 0, out, 5, &done, 1000), wdu::kSuccess) << "halt cleared";

  device->push(std::vector<uint8_t>(10, 0x5A));
  uint8_t in[64] = {};
  ASSERT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, in, 64, &done, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 10u) << "a short packet ends the transfer";
  EXPECT_EQ(in[9], 0x5A);
}

TEST_F(LibusbLayer, ATimeOutAnswersWithTheBytesMoved) {
  auto device = std::make_shared<FakeDevice>();
  const DeviceHandle h = attachOne(device);
  device->push(std::vector<uint8_t>(64, 1));  // a full packet: the transfer goes on waiting
  uint8_t in[128] = {};
  uint32_t done = 0;
  // The time-out runs in real time from the submit: it must leave the emulator's endpoint thread (started
  // by this first transfer) time to move the packet even on a loaded machine.
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, in, 128, &done, 1000), wdu::kTimeout);
  EXPECT_EQ(done, 64u);
  EXPECT_EQ(in[63], 1);
}

TEST_F(LibusbLayer, TimeOutZeroWaitsUntilTheDataComes) {
  auto device = std::make_shared<FakeDevice>();
  const DeviceHandle h = attachOne(device);
  uint32_t done = 0;
  uint8_t in[64] = {};
  auto read = std::async(std::launch::async,
                         [&] { return wdu::TransferBulk(h, kBulkIn, true, 0, in, 64, &done, 0); });
  EXPECT_EQ(read.wait_for(200ms), std::future_status::timeout);
  device->push({4, 5});
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), wdu::kSuccess);
  EXPECT_EQ(done, 2u);
}

TEST_F(LibusbLayer, UnplugEndsATransferInFlightThenDetachesAndTheHandleIsNeverReused) {
  auto device = std::make_shared<AskedDevice>();
  const DeviceHandle h = attachOne(device);
  Status duringDetach = wdu::kSuccess;
  uint8_t probe[4] = {};
  recorder.onDetach = [&](DeviceHandle d) {
    duringDetach = wdu::Transfer(d, 0, true, 0, probe, 4, nullptr, kReadSetup, 100);
  };
  uint8_t in[64] = {};
  auto read = std::async(std::launch::async,
                         [&] { return wdu::TransferBulk(h, kBulkIn, true, 0, in, 64, nullptr, 0); });
  EXPECT_EQ(read.wait_for(200ms), std::future_status::timeout);
  ASSERT_TRUE(device->waitUntilAsked());
  emu->unplug(plugged.back());
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), wdu::kDeviceRemoved);
  ASSERT_TRUE(recorder.waitFor('D', 1));
  EXPECT_EQ(duringDetach, wdu::kDeviceRemoved) << "the handle fails safely until its detach has returned";
  // The detach is recorded just before it returns; from then on the handle names nothing.
  uint32_t done = 0;
  EXPECT_TRUE(waitUntil(
      [&] { return wdu::Transfer(h, 0, true, 0, in, 4, &done, kReadSetup, 100) == wdu::kInvalidHandle; }));

  plug(std::make_shared<FakeDevice>());
  ASSERT_TRUE(recorder.waitFor('A', 2));
  const DeviceHandle again = recorder.handles('A').back();
  EXPECT_NE(again, h);
  EXPECT_EQ(wdu::Transfer(again, 0, true, 0, in, 4, &done, kReadSetup, 1000), wdu::kSuccess);
}

// A transfer may end after its device has left and its waiter has gone: freeing it then closes the
// device, inside libusb's event handling, and the layer must go on handling events.
TEST_F(LibusbLayer, ATransferEndingAfterItsDeviceLeftLeavesTheEventThreadRunning) {
  auto device = std::make_shared<AskedDevice>();
  const DeviceHandle h = attachOne(device);
  uint8_t in[64] = {};
  auto read = std::async(std::launch::async,
                         [&] { return wdu::TransferBulk(h, kBulkIn, true, 0, in, 64, nullptr, 0); });
  ASSERT_TRUE(device->waitUntilAsked());
  const uint32_t discards = emu->discardRequests();
  emu->holdCompletions(true);
  emu->unplug(plugged.back());
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), wdu::kDeviceRemoved) << "the waiter leaves before its transfer has ended";
  ASSERT_TRUE(recorder.waitFor('D', 1));
  // The layer cancels the transfer its waiter left; only its end is left to come.
  ASSERT_TRUE(waitUntil([&] { return emu->discardRequests() > discards; }));
  emu->holdCompletions(false);
  plug(std::make_shared<FakeDevice>());
  EXPECT_TRUE(recorder.waitFor('A', 2)) << "the next arrival is handled";
}

TEST_F(LibusbLayer, CallsFromSeveralThreadsAtOnce) {
  auto device = std::make_shared<FakeDevice>();
  const DeviceHandle h = attachOne(device);
  std::vector<std::future<int>> workers;
  for (int t = 0; t < 4; ++t) {
    workers.push_back(std::async(std::launch::async, [h] {
      int ok = 0;
      for (int i = 0; i < 20; ++i) {
        uint8_t in[4] = {};
        ok += wdu::Transfer(h, 0, true, 0, in, 4, nullptr, kReadSetup, 1000) == wdu::kSuccess && in[3] == 3;
      }
      return ok;
    }));
  }
  for (auto& w : workers) EXPECT_EQ(w.get(), 20);
}

// A device no registration holds any more goes back to the system, so that another program (the DMX
// service after the configurator, a second host after the first shut the DMX library down) can claim
// it; and a device another program holds answers Busy until that program lets it go.
TEST_F(LibusbLayer, ADeviceNobodyHoldsIsGivenBackForAnotherProgramToClaim) {
  const DeviceHandle h = attachOne(std::make_shared<FakeDevice>());
  ASSERT_EQ(wdu::SetInterface(h, 0, 1), wdu::kSuccess);
  OtherProgram other;
  EXPECT_EQ(other.claim(), LIBUSB_ERROR_BUSY) << "held by this process";
  registration->close();
  EXPECT_EQ(other.claim(), LIBUSB_SUCCESS) << "given back when its registration ended";

  registration = std::make_unique<Registration>(recorder);
  ASSERT_TRUE(recorder.waitFor('A', 2));
  const DeviceHandle again = recorder.handles('A').back();
  wdu::DeviceInfo info;
  ASSERT_EQ(wdu::GetDeviceInfo(again, info), wdu::kSuccess);
  EXPECT_EQ(info.interfaces.at(0).activeAlt, 0) << "a released interface is back at its first setting";
  EXPECT_EQ(wdu::SetInterface(again, 0, 0), wdu::kBusy) << "now the other program holds it";
  other.exit();
  EXPECT_EQ(wdu::SetInterface(again, 0, 0), wdu::kSuccess);
  uint8_t in[4] = {};
  EXPECT_EQ(wdu::Transfer(again, 0, true, 0, in, 4, nullptr, kReadSetup, 1000), wdu::kSuccess);
}

TEST_F(LibusbLayer, ADeviceRefusedByEveryRegistrationIsGivenBack) {
  plug(std::make_shared<FakeDevice>());
  std::atomic<Status> looked{wdu::kDeviceError};
  recorder.decide = [&](DeviceHandle h, const wdu::DeviceInfo&) {
    looked = wdu::SetInterface(h, 0, 0);  // opens and claims it to look, then refuses it
    return false;
  };
  registration = std::make_unique<Registration>(recorder);
  ASSERT_TRUE(recorder.waitFor('R', 1));
  EXPECT_EQ(looked, wdu::kSuccess);
  OtherProgram other;
  EXPECT_TRUE(waitUntil([&] { return other.claim() == LIBUSB_SUCCESS; }));
}

TEST_F(LibusbLayer, ADeviceIsGivenBackOnlyWhenItsLastTransferHasReturned) {
  auto device = std::make_shared<AskedDevice>();
  const DeviceHandle h = attachOne(device);
  ASSERT_EQ(wdu::SetInterface(h, 0, 0), wdu::kSuccess);
  uint8_t in[64] = {};
  uint32_t done = 0;
  auto read = std::async(std::launch::async,
                         [&] { return wdu::TransferBulk(h, kBulkIn, true, 0, in, 64, &done, 0); });
  ASSERT_TRUE(device->waitUntilAsked());
  registration->close();  // with the read still waiting
  OtherProgram other;
  EXPECT_EQ(other.claim(), LIBUSB_ERROR_BUSY) << "closing it now would pull the node from under the read";
  device->push({9, 8});
  ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(read.get(), wdu::kSuccess);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(other.claim(), LIBUSB_SUCCESS) << "given back as the read returned";
}

}  // namespace
