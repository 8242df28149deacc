#include "usbdevice/WD_USB.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "sim/usb/sim_dmx_box.h"
#include "usbdevice/usb_sim_test_support.h"

using simusb::ChipKind;

namespace {

// A device whose interface cannot be selected.
class NoInterfaceDevice : public simusb::Device {
 public:
  wdu::DeviceInfo info() override {
    wdu::DeviceInfo d;
    d.vendorId = 0x04B4;
    d.productId = 0x1234;
    d.interfaces.push_back({0, 0, {wdu::AltSettingInfo{}}});
    return d;
  }
  simusb::Reply control(const simusb::Setup&, uint8_t*) override { return simusb::Reply::stall(); }
  uint32_t setInterface(uint8_t, uint8_t) override { return wdu::kStall; }
};

bool lockIsFreeForAnotherThread(wdu::OsMutex* mutex) {
  return std::async(std::launch::async,
                    [mutex] {
                      if (!mutex->try_lock()) return false;
                      mutex->unlock();
                      return true;
                    })
      .get();
}

simusb::EzUsbConfig programmed(uint16_t product) {
  return simusb::programmedEzUsb(ChipKind::FX2, product, 0x0100, "Board");
}

}  // namespace

class WdUsbTest : public SimBusTest {};

TEST_F(WdUsbTest, NoDeviceNoHandle) {
  WD_USB usb(kOrvaneMatchTable);
  EXPECT_EQ(usb.GetLastStatus(), wdu::kSuccess);
  EXPECT_EQ(usb.GetDeviceCount(), 0u);
  EXPECT_EQ(usb.GetDeviceHandle(0), 0u);
}

TEST_F(WdUsbTest, DevicesAreListedInAttachOrderAndLeaveOnDetach) {
  WD_USB usb(kOrvaneMatchTable);
  uint32_t first = 0;
  plugChip(programmed(0x1001), &first);
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  plugChip(simusb::blankEzUsb(ChipKind::AN21xx));
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 2; }));
  const wdu::DeviceHandle firstHandle = usb.GetDeviceHandle(0);
  const wdu::DeviceHandle secondHandle = usb.GetDeviceHandle(1);
  EXPECT_NE(firstHandle, 0u);
  EXPECT_NE(secondHandle, 0u);
  EXPECT_NE(firstHandle, secondHandle);

  bus->unplug(first);
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  EXPECT_EQ(usb.GetDeviceHandle(0), secondHandle);
}

TEST_F(WdUsbTest, GenerationCountsEveryAttachAndDetachEvenWhenTheCountStays) {
  WD_USB usb(kOrvaneMatchTable);
  EXPECT_EQ(usb.GetListGeneration(), 0u);
  uint32_t first = 0;
  plugChip(programmed(0x1001), &first);
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  const uint32_t seen = usb.GetListGeneration();
  EXPECT_EQ(seen, 1u);
  // Swapped between two looks: the count is 1 again, the generation tells the difference.
  bus->unplug(first);
  plugChip(programmed(0x1002));
  ASSERT_TRUE(waitUntil([&] { return usb.GetListGeneration() == seen + 2; }));
  EXPECT_EQ(usb.GetDeviceCount(), 1u);
}

// The programs show the note in their log and on stderr: it names what failed and what to change.
TEST_F(WdUsbTest, WithoutABackendTheNoteSaysWhatFailedAndHowToMendIt) {
  EXPECT_EQ(WD_USB(kOrvaneMatchTable).NoBackendNote(), "") << "a backend in use: nothing to tell";
  ASSERT_EQ(wdu::SelectBackendLibrary("/nonexistent/libnothing.so"), wdu::kNoBackend);
  WD_USB usb(kOrvaneMatchTable);
  EXPECT_EQ(usb.GetLastStatus(), wdu::kNoBackend);
  const std::string note = usb.NoBackendNote();
  EXPECT_EQ(note.rfind("No USB devices can be listed: cannot load USB backend /nonexistent/libnothing.so: ", 0),
            0u)
      << note;
  EXPECT_NE(note.find("Check ZEM_USB_LIBRARY: it must name a USB backend library"), std::string::npos) << note;
  EXPECT_EQ(note.find('\n'), std::string::npos) << "one line";
}

TEST_F(WdUsbTest, IndexAtOrPastTheCountGivesNoHandleAndLeavesTheLockFree) {
  WD_USB usb(kOrvaneMatchTable);
  plugChip(programmed(0x1001));
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  EXPECT_EQ(usb.GetDeviceHandle(1), 0u);
  EXPECT_EQ(usb.GetDeviceHandle(0xFFFFFFFF), 0u);
  EXPECT_TRUE(lockIsFreeForAnotherThread(usb.GetMutex()));
}

TEST_F(WdUsbTest, DeviceWhoseInterfaceCannotBeSelectedIsNeverCounted) {
  WD_USB usb(kOrvaneMatchTable);
  bus->plug(std::make_shared<NoInterfaceDevice>());
  plugChip(programmed(0x1001));
  ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  EXPECT_EQ(usb.GetDeviceCount(), 1u);
}

TEST_F(WdUsbTest, OnlyTheMatchTablesDevicesAreListed) {
  WD_USB boxes(kMendaroMatchTable);
  WD_USB chips(kOrvaneMatchTable);
  auto box = bus->newDmxBox({.productId = 0xF0A8});
  bus->plug(box);
  auto other = bus->newDmxBox({.productId = 0xF0AB});
  bus->plug(other);
  plugChip(simusb::blankEzUsb(ChipKind::FX2));
  // The firmware tool's rows take every device of vendor 11BE; the configuration tool refuses nothing it
  // matches, so each device goes to the first registration that takes it.
  ASSERT_TRUE(waitUntil([&] { return boxes.GetDeviceCount() + chips.GetDeviceCount() == 3; }));
  EXPECT_EQ(boxes.GetDeviceCount(), 1u);
  EXPECT_EQ(chips.GetDeviceCount(), 2u);
}

TEST_F(WdUsbTest, HeldLockKeepsAttachWaitingUntilTheRefreshEnds) {
  WD_USB usb(kOrvaneMatchTable);
  usb.GetMutex()->lock();
  uint32_t address = 0;
  plugChip(programmed(0x1001), &address);
  // The attach callback selects the interface first, then waits for the list lock.
  ASSERT_TRUE(waitUntil([&] {
    for (const auto& t : bus->transfers())
      if (t.address == address && t.setup[1] == 0x0B) return true;  // SET_INTERFACE
    return false;
  }));
  EXPECT_EQ(usb.GetDeviceCount(), 0u);  // re-entrant for its owner
  usb.GetMutex()->unlock();
  EXPECT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
}

TEST_F(WdUsbTest, DestructionReleasesTheDevicesForTheNextProgram) {
  uint32_t address = 0;
  plugChip(programmed(0x1001), &address);
  {
    WD_USB usb(kOrvaneMatchTable);
    ASSERT_TRUE(waitUntil([&] { return usb.GetDeviceCount() == 1; }));
  }
  bus->unplug(address);  // no callback reaches the destroyed list
  plugChip(programmed(0x1002));
  WD_USB next(kOrvaneMatchTable);
  EXPECT_TRUE(waitUntil([&] { return next.GetDeviceCount() == 1; }));
}

// The list goes while devices come and go: the layer is closed before the list and its lock, so no late
// callback meets freed memory (the sanitizer build catches it if it did).
TEST_F(WdUsbTest, DestructionDuringAttachAndDetachChurn) {
  std::atomic<bool> stop{false};
  std::thread churn([&] {
    while (!stop) {
      uint32_t address = bus->plug(bus->newEzUsb(programmed(0x1001)));
      std::this_thread::yield();
      bus->unplug(address);
    }
  });
  for (int i = 0; i < 50; ++i) {
    auto usb = std::make_unique<WD_USB>(kOrvaneMatchTable);
    waitUntil([&] { return usb->GetDeviceCount() > 0; }, 5);
    usb.reset();
  }
  stop = true;
  churn.join();
}
