// The DMX library's scenarios over the USB layer's libusb backend: simulated boxes behind umockdev's
// usbfs, the library loaded and driven through Quillon only.
#include <array>

#include "platform/wdu/wdu.h"
#include "quillon/quillon_test_support.h"
#include "sim/usbfs/usbfs_test_support.h"

namespace quillon::testing {
namespace {

class EmulatedQuillon : public QuillonHost {
 protected:
  void SetUp() override {
    std::string why;
    emu = simusb::testing::emulator(&why);
    if (emu == nullptr) GTEST_SKIP() << "no emulated usbfs here: " << why;
    QuillonHost::SetUp();
  }
  void TearDown() override {
    if (emu == nullptr) return;
    // Shut down as a host does before unloading: the port threads end before the loader's lock is held
    // (the sanitizers' runtime may start up in one of them and need that lock).
    (void)Q(DMX_CMD_INIT, 0);
    QuillonHost::TearDown();
    for (uint32_t address : plugged) emu->unplug(address);
    EXPECT_TRUE(simusb::testing::waitUntilUnplugged());
  }
  simusb::Control* selectBackend() override {
    if (wdu::SelectBackendLibrary("") != wdu::kSuccess) return nullptr;
    return simusb::testing::deviceMaker();
  }
  uint32_t plugDevice(std::shared_ptr<simusb::Device> device) override {
    const uint32_t address = emu->plug(std::move(device));
    plugged.push_back(address);
    return address;
  }

  simusb::UsbfsEmulator* emu = nullptr;
  std::vector<uint32_t> plugged;
};

TEST_F(EmulatedQuillon, ABoxIsFoundOpenedAndItsConfigurationBlockPassesThrough) {
  init();
  openBox(1, {.name = "Stage left"});
  auto box = boxes.back();
  std::array<uint8_t, 16> block = {0xC1, 0xC2, 0xA4, 0x5B, 7, 9, 1, 0, 8, 9, 10, 11, 12, 13, 14, 0xFF};
  EXPECT_EQ(Q(DMX_CMD_WRITE_CONFIG, 1, 0, block.data()), 0u);
  EXPECT_EQ(box->configBlock(), block);
  box->setConfigBlock({1, 2, 3});
  std::array<uint8_t, 16> back{};
  EXPECT_EQ(Q(DMX_CMD_READ_CONFIG, 1, 0, back.data()), 0u);
  EXPECT_EQ(back, box->configBlock());
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 1), 0u);
}

TEST_F(EmulatedQuillon, AnOutputFrameIsPackedSentAndReported) {
  init();
  openBox(1);
  auto box = boxes.back();
  ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "starts the writer";
  const auto slots = pattern(2);
  EXPECT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, const_cast<uint8_t*>(slots.data())), 0u);
  ASSERT_TRUE(waitForNotification(kNotifyOutputTaken, 0));
  EXPECT_TRUE(waitUntil([&] { return box->lastOutput(0) == slots; }));
  EXPECT_EQ(box->badOutputFrames(0), 0u);
}

TEST_F(EmulatedQuillon, AnInputFrameReachesTheHostWhole) {
  init();
  openBox(1);
  auto box = boxes.back();
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "starts the reader";
  // The reader may not be watching yet: the box goes on receiving the frame until the host has it.
  ASSERT_TRUE(waitUntil([&] {
    box->receiveFrame(0, pattern(1));
    return count(kNotifyInputFrame, 0) > 0;
  }));
  simusb::DmxSlots s{};
  EXPECT_EQ(Q(DMX_CMD_READ_FRAME, 1, 0, s.data()), 0u);
  EXPECT_EQ(s, pattern(1));
}

TEST_F(EmulatedQuillon, UnpluggingAnOpenBoxStopsItsThreadsAndTellsTheHost) {
  init();
  openBox(1);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);
  emu->unplug(plugged.back());
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_NO_DEVICE);
}

}  // namespace
}  // namespace quillon::testing
