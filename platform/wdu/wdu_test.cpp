// The USB layer's promises, against the simulated bus.
#include "platform/wdu/wdu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/wdu/sim_testing.h"
#include "platform/wdu/wdu_names.h"
#include "platform/wdu/wdu_test_support.h"
#include "sim/usb/sim_dmx_box.h"

namespace {

using namespace std::chrono_literals;
using simusb::Reply;
using wdu::DeviceHandle;
using wdu::Status;
using wdu::testing::VirtualBusTime;
using namespace wdu::testing;

class UsbLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus = wdu::testing::useSimulatedBus(SIM_USB_LIB);
    ASSERT_NE(bus, nullptr) << wdu::BackendError();
  }
  void TearDown() override {
    plain_.reset();
    bus->reset();
  }
  // Plugs the device in and takes it with a plain registration; answers its handle.
  DeviceHandle attachOne(std::shared_ptr<simusb::Device> device) {
    address = bus->plug(std::move(device));
    plain_ = std::make_unique<Registration>(plainRecorder_);
    EXPECT_TRUE(plainRecorder_.waitFor('A', 1));
    const auto handles = plainRecorder_.handles('A');
    return handles.empty() ? 0 : handles[0];
  }
  // The USB-DMX box's port status request.
  static Status readStatus(DeviceHandle h) {
    const uint8_t setup[8] = {0xC0, 0x18, 0, 0, 0, 0, 4, 0};
    uint8_t buf[4] = {};
    return wdu::Transfer(h, 0, true, 0, buf, sizeof(buf), nullptr, setup, 1000);
  }
  static Status readControl(DeviceHandle h, uint32_t* done = nullptr) {
    uint8_t buf[4] = {};
    return wdu::Transfer(h, 0, true, 0, buf, sizeof(buf), done, kReadSetup, 1000);
  }

  simusb::Control* bus = nullptr;
  uint32_t address = 0;  // of the device attachOne plugged in

 private:
  Recorder plainRecorder_;
  std::unique_ptr<Registration> plain_;
};

TEST(UsbStatusText, KnownCodesHaveTheirTextAndOthersAGenericOne) {
  EXPECT_STREQ(wdu::StatusText(wdu::kSuccess), "Success");
  EXPECT_STREQ(wdu::StatusText(wdu::kTimeout), "Time-out expired");
  EXPECT_STREQ(wdu::StatusText(wdu::kDeviceRemoved), "Device removed");
  EXPECT_STREQ(wdu::StatusText(wdu::kStall), "Request stalled by the device");
  EXPECT_STREQ(Stat2Str(0x12345678), "Unrecognized status");
  EXPECT_EQ(wdu::kTimeout, 0x20000015u);
}

TEST_F(UsbLayerTest, UnloadableBackendAnswersNoBackendWithAReason) {
  EXPECT_EQ(wdu::SelectBackendLibrary("/nonexistent/libnothing.so"), wdu::kNoBackend);
  EXPECT_NE(wdu::BackendError().find("/nonexistent/libnothing.so"), std::string::npos);
  EXPECT_EQ(wdu::BackendLibrary(), "/nonexistent/libnothing.so");
  Recorder rec;
  wdu::DriverHandle d = 7;
  const wdu::MatchRow rows[] = {{kVendor, 0}};
  EXPECT_EQ(wdu::Init(d, rows, rec.events(), wdu::kAcknowledge), wdu::kNoBackend);
  EXPECT_EQ(d, 0u);
  ASSERT_EQ(wdu::SelectBackendLibrary(SIM_USB_LIB), wdu::kSuccess);
  EXPECT_EQ(wdu::BackendError(), "");
}

TEST_F(UsbLayerTest, InitRefusesEmptyRowsAndAMissingAttachCallback) {
  wdu::DriverHandle d = 0;
  EXPECT_EQ(wdu::Init(d, {}, Recorder().events(), 0), wdu::kInvalidParameter);
  const wdu::MatchRow rows[] = {{kVendor, 0}};
  EXPECT_EQ(wdu::Init(d, rows, wdu::Events{}, 0), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::Uninit(12345), wdu::kInvalidHandle);
}

TEST_F(UsbLayerTest, AttachesComeInPlugOrderOnTheLayerThread) {
  bus->plug(std::make_shared<FakeDevice>(1));
  bus->plug(std::make_shared<FakeDevice>(2));
  Recorder rec;
  Registration reg1(rec);
  bus->plug(std::make_shared<FakeDevice>(3));
  ASSERT_TRUE(rec.waitFor('A', 3));
  auto e = rec.entries();
  EXPECT_EQ(e[0].product, 1);
  EXPECT_EQ(e[1].product, 2);
  EXPECT_EQ(e[2].product, 3);
  EXPECT_LT(e[0].handle, e[1].handle);
  EXPECT_EQ(rec.threads().size(), 1u);
  EXPECT_EQ(rec.threads().count(std::this_thread::get_id()), 0u);
}

TEST_F(UsbLayerTest, NoCallbackRunsInsideInit) {
  bus->plug(std::make_shared<FakeDevice>(1));
  std::mutex m;
  std::condition_variable cv;
  bool initDone = false;
  bool callbackSawInitDone = false;
  Recorder rec;
  rec.decide = [&](DeviceHandle, const wdu::DeviceInfo&) {
    std::unique_lock<std::mutex> lock(m);
    // Inside Init this would wait for ever; the layer thread waits for Init's caller instead.
    callbackSawInitDone = cv.wait_for(lock, 5s, [&] { return initDone; });
    return true;
  };
  Registration reg1(rec);
  {
    std::lock_guard<std::mutex> lock(m);
    initDone = true;
  }
  cv.notify_all();
  ASSERT_TRUE(rec.waitFor('A', 1));
  EXPECT_TRUE(callbackSawInitDone);
}

TEST_F(UsbLayerTest, OnlyMatchingDevicesAreOffered) {
  bus->plug(std::make_shared<FakeDevice>(1, 0xFF));
  bus->plug(std::make_shared<FakeDevice>(2, 0x03));
  bus->plug(std::make_shared<FakeDevice>(3, 0xFF));
  Recorder byProduct;
  Recorder byClass;
  Registration reg1(byProduct, {{kVendor, 3}});
  wdu::MatchRow classRow;
  classRow.interfaceClass = 0x03;
  Registration reg2(byClass, {classRow}, 0);
  ASSERT_TRUE(byProduct.waitFor('A', 1));
  ASSERT_TRUE(byClass.waitFor('A', 1));
  EXPECT_EQ(byProduct.entries()[0].product, 3);
  EXPECT_EQ(byClass.entries()[0].product, 2);
  bus->plug(std::make_shared<FakeDevice>(3, 0xFF));
  ASSERT_TRUE(byProduct.waitFor('A', 2));
  EXPECT_EQ(byClass.entries().size(), 1u);
}

TEST_F(UsbLayerTest, DetachFollowsUnplugAndTheHandleThenGoesStale) {
  const uint32_t a = bus->plug(std::make_shared<FakeDevice>(1));
  const uint32_t b = bus->plug(std::make_shared<FakeDevice>(2));
  Recorder rec;
  Registration reg1(rec);
  ASSERT_TRUE(rec.waitFor('A', 2));
  const auto handles = rec.handles('A');
  EXPECT_EQ(readControl(handles[0]), wdu::kSuccess);
  bus->unplug(a);
  ASSERT_TRUE(rec.waitFor('D', 1));
  EXPECT_EQ(rec.handles('D')[0], handles[0]);
  bus->clearTransfers();
  EXPECT_TRUE(gone(readControl(handles[0])));
  wdu::DeviceInfo info;
  EXPECT_TRUE(gone(wdu::GetDeviceInfo(handles[0], info)));
  EXPECT_TRUE(bus->transfers().empty()) << "a stale handle must reach no device";
  EXPECT_EQ(readControl(handles[1]), wdu::kSuccess);
  bus->unplug(b);
  ASSERT_TRUE(rec.waitFor('D', 2));
}

TEST_F(UsbLayerTest, HandlesAreNeverReused) {
  Recorder rec;
  Registration reg1(rec);
  auto dev = std::make_shared<FakeDevice>(1);
  for (int i = 0; i < 5; ++i) {
    const uint32_t address = bus->plug(dev);
    ASSERT_TRUE(rec.waitFor('A', static_cast<size_t>(i + 1)));
    bus->unplug(address);
    ASSERT_TRUE(rec.waitFor('D', static_cast<size_t>(i + 1)));
  }
  auto handles = rec.handles('A');
  std::set<DeviceHandle> distinct(handles.begin(), handles.end());
  EXPECT_EQ(distinct.size(), handles.size());
  EXPECT_EQ(distinct.count(0), 0u);
}

TEST_F(UsbLayerTest, ARefusedDeviceGoesToTheNextRegistrationAndBackOnRelease) {
  bus->plug(std::make_shared<FakeDevice>(1));
  Recorder first;
  std::atomic<bool> firstTakes{false};
  first.decide = [&](DeviceHandle, const wdu::DeviceInfo&) { return firstTakes.load(); };
  Recorder second;
  Registration reg1(first);
  ASSERT_TRUE(first.waitFor('R', 1));
  Registration reg2(second);
  ASSERT_TRUE(second.waitFor('A', 1));
  // The refused offer's handle is dead.
  EXPECT_EQ(readControl(first.handles('R')[0]), wdu::kInvalidHandle);
  EXPECT_EQ(readControl(second.handles('A')[0]), wdu::kSuccess);

  firstTakes = true;
  reg2.close();
  ASSERT_TRUE(first.waitFor('A', 1));
  EXPECT_EQ(readControl(second.handles('A')[0]), wdu::kInvalidHandle);
  EXPECT_NE(first.handles('A')[0], second.handles('A')[0]);
  EXPECT_EQ(readControl(first.handles('A')[0]), wdu::kSuccess);
}

TEST_F(UsbLayerTest, ADeviceRefusedByAllWaitsForTheNextRegistration) {
  Recorder refuser;
  refuser.decide = [](DeviceHandle, const wdu::DeviceInfo&) { return false; };
  Registration reg1(refuser);
  bus->plug(std::make_shared<FakeDevice>(1));
  ASSERT_TRUE(refuser.waitFor('R', 1));
  Recorder taker;
  Registration reg2(taker);
  ASSERT_TRUE(taker.waitFor('A', 1));
  EXPECT_EQ(refuser.count('R'), 1u);
}

// A device nobody holds goes back to the system (for another program to claim); one that passes to
// another registration stays with the process.
TEST_F(UsbLayerTest, ADeviceIsGivenBackWhenNoRegistrationTakesItOver) {
  auto dev = std::make_shared<FakeDevice>(1);
  bus->plug(dev);
  Recorder first;
  Recorder second;
  auto reg1 = std::make_unique<Registration>(first);
  ASSERT_TRUE(first.waitFor('A', 1));
  Registration reg2(second);
  reg1->close();
  ASSERT_TRUE(second.waitFor('A', 1));
  EXPECT_EQ(dev->releases(), 0) << "handed over inside the process";
  reg2.close();
  EXPECT_EQ(dev->releases(), 1);

  Recorder refuser;
  refuser.decide = [](DeviceHandle, const wdu::DeviceInfo&) { return false; };
  Registration reg3(refuser);
  ASSERT_TRUE(refuser.waitFor('R', 1));
  reg3.close();  // its thread has finished with the refusal
  EXPECT_EQ(dev->releases(), 2) << "refused by every registration";
  Recorder taker;
  Registration reg4(taker);
  EXPECT_TRUE(taker.waitFor('A', 1)) << "a released device is offered to the next registration";
}

TEST_F(UsbLayerTest, ADeviceIsGivenBackOnlyWhenItsLastTransferHasReturned) {
  auto dev = std::make_shared<FakeDevice>(1);
  Recorder rec;
  auto reg = std::make_unique<Registration>(rec);
  const uint32_t address = bus->plug(dev);
  ASSERT_TRUE(rec.waitFor('A', 1));
  const DeviceHandle h = rec.handles('A')[0];
  Status st = wdu::kDeviceError;
  std::thread reader([&] {
    uint8_t buf[64];
    st = wdu::TransferBulk(h, kBulkIn, true, 0, buf, sizeof(buf), nullptr, 0);
  });
  ASSERT_TRUE(bus->waitForWaitingTransfers(address, 1, 5000));
  reg->close();
  EXPECT_EQ(dev->releases(), 0) << "the read still runs on it";
  dev->push({1});
  reader.join();
  EXPECT_EQ(st, wdu::kSuccess);
  EXPECT_EQ(dev->releases(), 1);
}

TEST_F(UsbLayerTest, WithoutAcknowledgeTheDeviceIsTakenWhateverTheCallbackSays) {
  const uint32_t address = bus->plug(std::make_shared<FakeDevice>(1));
  Recorder rec;
  rec.decide = [](DeviceHandle, const wdu::DeviceInfo&) { return false; };
  Recorder other;
  Registration reg1(rec, {{kVendor, 0}}, 0);
  Registration reg2(other);
  ASSERT_TRUE(rec.waitFor('R', 1));
  EXPECT_EQ(readControl(rec.handles('R')[0]), wdu::kSuccess);
  bus->unplug(address);
  ASSERT_TRUE(rec.waitFor('D', 1));
  EXPECT_EQ(other.entries().size(), 0u);
}

TEST_F(UsbLayerTest, UnplugEndsATransferInFlightThenDetaches) {
  auto dev = std::make_shared<FakeDevice>(1);
  const uint32_t address = bus->plug(dev);
  Recorder rec;
  bool failedTransferLoggedBeforeDetach = false;
  rec.onDetach = [&](DeviceHandle) {
    for (auto& t : bus->transfers()) {
      if (t.pipe == kBulkIn && t.status == wdu::kDeviceRemoved) failedTransferLoggedBeforeDetach = true;
    }
  };
  Registration reg1(rec);
  ASSERT_TRUE(rec.waitFor('A', 1));
  const DeviceHandle h = rec.handles('A')[0];
  Status st = wdu::kSuccess;
  uint32_t done = 99;
  std::thread reader([&] {
    uint8_t buf[64];
    st = wdu::TransferBulk(h, kBulkIn, true, 0, buf, sizeof(buf), &done, 0);  // no time-out
  });
  ASSERT_TRUE(bus->waitForWaitingTransfers(address, 1, 5000));
  bus->unplug(address);
  reader.join();
  EXPECT_EQ(st, wdu::kDeviceRemoved);
  EXPECT_EQ(done, 0u);
  ASSERT_TRUE(rec.waitFor('D', 1));
  EXPECT_TRUE(failedTransferLoggedBeforeDetach);
  EXPECT_TRUE(gone(readControl(h)));
}

TEST_F(UsbLayerTest, CallsBetweenUnplugAndDetachAnswerDeviceRemoved) {
  const uint32_t address = bus->plug(std::make_shared<FakeDevice>(1));
  Recorder rec;
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  Status duringDetach = wdu::kSuccess;
  rec.onDetach = [&](DeviceHandle h) {
    duringDetach = readControl(h);
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, 5s, [&] { return release; });
  };
  Registration reg1(rec);
  ASSERT_TRUE(rec.waitFor('A', 1));
  const DeviceHandle h = rec.handles('A')[0];
  bus->unplug(address);
  EXPECT_EQ(readControl(h), wdu::kDeviceRemoved);  // detach may not have run yet: still no device
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  ASSERT_TRUE(rec.waitFor('D', 1));
  EXPECT_EQ(duringDetach, wdu::kDeviceRemoved);
}

TEST_F(UsbLayerTest, ADeviceThatLeavesDuringItsAttachIsDetachedAfterwards) {
  const uint32_t address = bus->plug(std::make_shared<FakeDevice>(1));
  Recorder rec;
  Status inAttach = wdu::kSuccess;
  rec.decide = [&](DeviceHandle h, const wdu::DeviceInfo&) {
    bus->unplug(address);
    inAttach = readControl(h);
    return true;
  };
  Registration reg1(rec);
  ASSERT_TRUE(rec.waitFor('D', 1));
  EXPECT_EQ(inAttach, wdu::kDeviceRemoved);
  EXPECT_EQ(rec.handles('D')[0], rec.handles('A')[0]);
}

TEST_F(UsbLayerTest, BulkTimeOutAnswersTheBytesMovedSoFar) {
  VirtualBusTime clock(bus, 1000);
  auto dev = std::make_shared<FakeDevice>(1);
  dev->setEmptyRetry(simusb::kNever);
  const DeviceHandle h = attachOne(dev);
  dev->push(std::vector<uint8_t>(64, 0xAB));
  uint8_t buf[128] = {};
  uint32_t done = 0;
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, buf, sizeof(buf), &done, 250), wdu::kTimeout);
  EXPECT_EQ(done, 64u);
  EXPECT_EQ(buf[63], 0xAB);
  EXPECT_EQ(clock.tick(), 1250u);
}

TEST_F(UsbLayerTest, BulkWithoutTimeOutWaitsUntilDataComes) {
  auto dev = std::make_shared<FakeDevice>(1);
  const DeviceHandle h = attachOne(dev);
  Status st = wdu::kDeviceError;
  uint32_t done = 0;
  uint8_t buf[100] = {};
  std::thread reader([&] { st = wdu::TransferBulk(h, kBulkIn, true, 0, buf, 100, &done, 0); });
  ASSERT_TRUE(bus->waitForWaitingTransfers(address, 1, 5000));
  dev->push(std::vector<uint8_t>(64, 1));
  dev->push(std::vector<uint8_t>(10, 2));  // a short packet ends the transfer
  reader.join();
  EXPECT_EQ(st, wdu::kSuccess);
  EXPECT_EQ(done, 74u);
  EXPECT_EQ(buf[73], 2);
}

TEST_F(UsbLayerTest, APacketLargerThanTheRoomLeftIsAnOverflow) {
  auto dev = std::make_shared<FakeDevice>(1);
  const DeviceHandle h = attachOne(dev);
  dev->push(std::vector<uint8_t>(64, 7));
  uint8_t buf[32];
  uint32_t done = 0;
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, buf, sizeof(buf), &done, 1000), wdu::kOverflow);
  EXPECT_EQ(done, 32u);
}

TEST_F(UsbLayerTest, TransfersCheckTheirArguments) {
  const DeviceHandle h = attachOne(std::make_shared<FakeDevice>(1));
  uint8_t buf[8] = {};
  uint32_t done = 5;
  EXPECT_EQ(wdu::Transfer(h, 0, false, 0, buf, 8, &done, kReadSetup, 1000),
            wdu::kInvalidParameter);  // direction
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(wdu::Transfer(h, 0, true, 0, buf, 3, &done, kReadSetup, 1000), wdu::kInvalidParameter);  // room
  EXPECT_EQ(wdu::Transfer(h, 0, true, 0, nullptr, 4, &done, kReadSetup, 1000), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::Transfer(h, 0, true, 0, buf, 8, &done, nullptr, 1000), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::TransferBulk(h, 0x80, true, 0, buf, 8, &done, 1000), wdu::kInvalidParameter);  // endpoint 0
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, false, 0, buf, 8, &done, 1000), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::TransferBulk(h, 0x100 | kBulkIn, true, 0, buf, 8, &done, 1000), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::TransferBulk(h, kAltBulkIn, true, 0, buf, 8, &done, 1000),
            wdu::kInvalidParameter);  // not active
  EXPECT_EQ(wdu::TransferBulk(0, kBulkIn, true, 0, buf, 8, &done, 1000), wdu::kInvalidHandle);
  EXPECT_EQ(wdu::SetInterface(h, 0, 256), wdu::kInvalidParameter);
  EXPECT_EQ(wdu::SetInterface(h, 0, 5), wdu::kStall);  // no such setting
}

TEST_F(UsbLayerTest, ControlTransfersMoveTheirDataStage) {
  auto dev = std::make_shared<FakeDevice>(1);
  const DeviceHandle h = attachOne(dev);
  uint32_t done = 0;
  uint8_t in[8] = {};
  EXPECT_EQ(WDU_Transfer(h, 0, true, 0, in, sizeof(in), &done, kReadSetup, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 4u);
  EXPECT_EQ(in[3], 3);
  uint8_t out[3] = {9, 8, 7};
  const uint8_t writeSetup[8] = {0x40, kReqWrite, 0, 0, 0, 0, 3, 0};
  EXPECT_EQ(WDU_Transfer(h, 0, false, 0, out, 3, &done, writeSetup, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(dev->written(), std::vector<uint8_t>({9, 8, 7}));
  const uint8_t unknown[8] = {0x40, 0x77, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(WDU_Transfer(h, 0, false, 0, nullptr, 0, &done, unknown, 1000), wdu::kStall);
  // Pipe numbers other than 0 are bulk endpoints.
  EXPECT_EQ(WDU_Transfer(h, kBulkOut, false, 0, out, 3, &done, nullptr, 1000), wdu::kSuccess);
  EXPECT_EQ(done, 3u);
}

TEST_F(UsbLayerTest, DeviceInformationComesByValueAndFollowsTheSetting) {
  const DeviceHandle h = attachOne(std::make_shared<FakeDevice>(7));
  wdu::DeviceInfo before;
  ASSERT_EQ(WDU_GetDeviceInfo(h, before), wdu::kSuccess);
  EXPECT_EQ(before.productId, 7);
  EXPECT_EQ(before.bcdDevice, 0x0101);
  ASSERT_EQ(WDU_SetInterface(h, 0, 1), wdu::kSuccess);
  wdu::DeviceInfo after;
  ASSERT_EQ(wdu::GetDeviceInfo(h, after), wdu::kSuccess);
  EXPECT_EQ(before.interfaces[0].activeAlt, 0);
  EXPECT_EQ(after.interfaces[0].activeAlt, 1);
  EXPECT_NE(after.findEndpoint(kAltBulkIn), nullptr);
  EXPECT_EQ(after.findEndpoint(kBulkIn), nullptr);
  uint8_t buf[8];
  EXPECT_EQ(wdu::TransferBulk(h, kBulkIn, true, 0, buf, 8, nullptr, 1000), wdu::kInvalidParameter);
}

TEST_F(UsbLayerTest, InjectedFaultsReachTheCaller) {
  VirtualBusTime clock(bus, 0);
  const DeviceHandle h = attachOne(std::make_shared<FakeDevice>(1));
  uint32_t done = 0;
  bus->injectFault(address, {simusb::FaultKind::Status, simusb::kControlPipe, 1, 0x20000042});
  EXPECT_EQ(readControl(h), 0x20000042u);
  bus->injectFault(address, {simusb::FaultKind::Stall, simusb::kAnyPipe});
  EXPECT_EQ(readControl(h), wdu::kStall);
  bus->injectFault(address, {simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 2});
  EXPECT_EQ(readControl(h, &done), wdu::kSuccess);
  EXPECT_EQ(done, 2u);
  bus->injectFault(address, {simusb::FaultKind::Timeout, simusb::kControlPipe});
  const uint32_t before = clock.tick();
  EXPECT_EQ(readControl(h, &done), wdu::kTimeout);
  EXPECT_EQ(clock.tick() - before, 1000u);
  EXPECT_EQ(readControl(h, &done), wdu::kSuccess);  // every fault hit once
  bus->setLatencyMs(5);
  const uint32_t start = clock.tick();
  EXPECT_EQ(readControl(h), wdu::kSuccess);
  EXPECT_EQ(clock.tick() - start, 5u);
  auto log = bus->transfers();
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(log[0].status, 0x20000042u);
  EXPECT_EQ(log[2].data.size(), 2u);
}

TEST_F(UsbLayerTest, TransfersFromManyThreadsAtOnce) {
  std::vector<uint32_t> addresses;
  for (uint16_t p = 1; p <= 3; ++p) addresses.push_back(bus->plug(std::make_shared<FakeDevice>(p)));
  Recorder rec;
  Registration reg1(rec);
  ASSERT_TRUE(rec.waitFor('A', 3));
  const auto handles = rec.handles('A');
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (readControl(handles[static_cast<size_t>(t) % handles.size()]) != wdu::kSuccess) ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
}

TEST_F(UsbLayerTest, UninitWaitsForARunningCallbackAndNoneComesAfterIt) {
  const uint32_t address = bus->plug(std::make_shared<FakeDevice>(1));
  std::mutex m;
  std::condition_variable cv;
  bool inCallback = false;
  bool release = false;
  std::atomic<bool> callbackEnded{false};
  Recorder rec;
  rec.decide = [&](DeviceHandle, const wdu::DeviceInfo&) {
    std::unique_lock<std::mutex> lock(m);
    inCallback = true;
    cv.notify_all();
    cv.wait_for(lock, 5s, [&] { return release; });
    callbackEnded = true;
    return true;
  };
  Registration reg1(rec);
  const wdu::DriverHandle d = reg1.handle();
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, 5s, [&] { return inCallback; }));
  }
  bool endedBeforeUninitReturned = false;
  std::thread closer([&] {
    EXPECT_EQ(wdu::Uninit(d), wdu::kSuccess);
    endedBeforeUninitReturned = callbackEnded;
  });
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  closer.join();
  EXPECT_TRUE(endedBeforeUninitReturned);
  const size_t seen = rec.entries().size();
  bus->unplug(address);
  bus->plug(std::make_shared<FakeDevice>(1));
  // Another registration sees the new device; the closed one hears nothing.
  Recorder witness;
  Registration reg2(witness);
  ASSERT_TRUE(witness.waitFor('A', 1));
  EXPECT_EQ(rec.entries().size(), seen);
  EXPECT_EQ(wdu::Uninit(d), wdu::kInvalidHandle);
}

TEST_F(UsbLayerTest, UninitFromItsOwnCallbackIsRefused) {
  bus->plug(std::make_shared<FakeDevice>(1));
  Recorder rec;
  std::promise<wdu::DriverHandle> driver;
  auto driverKnown = driver.get_future().share();
  std::atomic<Status> fromCallback{wdu::kSuccess};
  rec.decide = [&](DeviceHandle, const wdu::DeviceInfo&) {
    fromCallback = wdu::Uninit(driverKnown.get());
    return true;
  };
  Registration reg1(rec);
  driver.set_value(reg1.handle());
  ASSERT_TRUE(rec.waitFor('A', 1));
  EXPECT_EQ(fromCallback.load(), wdu::kWrongContext);
}

// The DMX library serves up to 255 boxes: all attach on the one layer thread, and all detach.
TEST_F(UsbLayerTest, TwoHundredFiftyFiveBoxesAttachAndDetach) {
  std::vector<uint32_t> addresses;
  for (int i = 0; i < 255; ++i) addresses.push_back(bus->plug(bus->newDmxBox({})));
  Recorder rec;
  Registration reg1(rec, {{simusb::kDmxVendorId, 0}});
  ASSERT_TRUE(rec.waitFor('A', 255));
  for (auto h : rec.handles('A')) ASSERT_EQ(readStatus(h), wdu::kSuccess);
  for (uint32_t a : addresses) bus->unplug(a);
  ASSERT_TRUE(rec.waitFor('D', 255));
  EXPECT_EQ(rec.threads().size(), 1u);
}

// Devices come and go while registrations open and close: every callback of a registration comes
// before its Uninit returns, every detach follows its own attach, and nothing crashes or races.
TEST_F(UsbLayerTest, UninitDuringAttachDetachChurn) {
  std::atomic<bool> stop{false};
  std::thread plugger([&] {
    std::vector<uint32_t> plugged;
    uint16_t product = 1;
    while (!stop) {
      plugged.push_back(bus->plug(std::make_shared<FakeDevice>(product++)));
      if (plugged.size() > 3) {
        bus->unplug(plugged.front());
        plugged.erase(plugged.begin());
      }
    }
  });
  std::atomic<int> lateCallbacks{0};
  std::atomic<int> orphanDetaches{0};
  std::atomic<int> maxConcurrent{0};
  for (int round = 0; round < 30; ++round) {
    std::atomic<bool> closed{false};
    std::mutex m;
    std::set<DeviceHandle> taken;
    Recorder rec;
    rec.decide = [&](DeviceHandle h, const wdu::DeviceInfo&) {
      if (closed) ++lateCallbacks;
      (void)readControl(h);  // may find the device gone: that is fine
      std::lock_guard<std::mutex> lock(m);
      taken.insert(h);
      return (h % 2) == 0;  // refuse some, so offers move on
    };
    rec.onDetach = [&](DeviceHandle h) {
      if (closed) ++lateCallbacks;
      std::lock_guard<std::mutex> lock(m);
      if (!taken.count(h) || h % 2 != 0) ++orphanDetaches;
    };
    wdu::DriverHandle d = 0;
    const wdu::MatchRow rows[] = {{kVendor, 0}};
    ASSERT_EQ(wdu::Init(d, rows, rec.events(), wdu::kAcknowledge), wdu::kSuccess);
    Recorder second;
    wdu::DriverHandle d2 = 0;
    ASSERT_EQ(wdu::Init(d2, rows, second.events(), wdu::kAcknowledge), wdu::kSuccess);
    rec.waitFor('A', 1);
    ASSERT_EQ(wdu::Uninit(d), wdu::kSuccess);
    closed = true;
    ASSERT_EQ(wdu::Uninit(d2), wdu::kSuccess);
    maxConcurrent = std::max({maxConcurrent.load(), rec.maxConcurrent(), second.maxConcurrent()});
  }
  stop = true;
  plugger.join();
  EXPECT_EQ(lateCallbacks, 0);
  EXPECT_EQ(orphanDetaches, 0);
  EXPECT_LE(maxConcurrent, 1);
}

}  // namespace
