#include "mendaro/QUILLON.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/usb/sim_dmx_box.h"
#include "usbdevice/usb_sim_test_support.h"

namespace mendaro {
namespace {

using ::testing::ElementsAre;

class QuillonBoxTest : public SimBusTest {
 protected:
  void SetUp() override {
    SimBusTest::SetUp();
    dev = std::make_unique<QUILLON>();
  }
  void TearDown() override {
    dev.reset();
    SimBusTest::TearDown();
  }
  // Plugs a box and answers its handle once the device list has it.
  wdu::DeviceHandle attach(const simusb::DmxBoxConfig& config = {}) {
    box = bus->newDmxBox(config);
    address = bus->plug(box);
    EXPECT_TRUE(waitUntil([&] { return dev->GetDeviceCount() > 0; }));
    bus->clearTransfers();
    return dev->GetDeviceHandle(0);
  }
  // The setup packets of the control transfers the bus carried.
  std::vector<std::array<uint8_t, 8>> setups() const {
    std::vector<std::array<uint8_t, 8>> out;
    for (const auto& t : bus->transfers()) out.push_back(t.setup);
    return out;
  }
  static simusb::ConfigBlock raw(std::initializer_list<uint8_t> bytes) {
    simusb::ConfigBlock b{};
    std::copy(bytes.begin(), bytes.end(), b.begin());
    return b;
  }

  std::unique_ptr<QUILLON> dev;
  std::shared_ptr<simusb::SimDmxBox> box;
  uint32_t address = 0;
};

TEST_F(QuillonBoxTest, IdentifyOnAndOffAtFullBrightness) {
  auto h = attach();
  ASSERT_TRUE(dev->Identify(h, true, 255));
  EXPECT_TRUE(box->identify().on);
  EXPECT_EQ(box->identify().brightness, 0xFF);
  ASSERT_TRUE(dev->Identify(h, false, 255));
  EXPECT_FALSE(box->identify().on);
  EXPECT_THAT(setups(), ElementsAre(ElementsAre(0x40, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00, 0x00),
                                    ElementsAre(0x40, 0x02, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00)));
}

TEST_F(QuillonBoxTest, IdentifyLevelBecomesTheBrightnessByte) {
  auto h = attach();
  for (auto [level, brightness] : std::vector<std::pair<uint8_t, uint8_t>>{
           {0x40, 0x80}, {0x7F, 0xFE}, {0x80, 0xFF}, {0x00, 0x00}, {0x01, 0x02}}) {
    ASSERT_TRUE(dev->Identify(h, true, level));
    EXPECT_EQ(box->identify().brightness, brightness) << "level " << int(level);
  }
}

TEST_F(QuillonBoxTest, ReadAndWriteTheWholeBlock) {
  auto h = attach({.configBlock = raw({0xE0, 0xE1, 0xA4, 0x5B, 5, 6, 1, 0, 8, 9, 10, 11, 12, 13, 14, 15})});
  DeviceConfigBlock block;
  ASSERT_TRUE(dev->ReadConfig(h, block));
  EXPECT_TRUE(block.IsConfigured());
  EXPECT_EQ(block.UniverseA(), 5);
  EXPECT_TRUE(block.InputA());
  block.Configure(7, 8, false, true);
  ASSERT_TRUE(dev->WriteConfig(h, block));
  EXPECT_THAT(box->configBlock(),
              ElementsAre(0xE0, 0xE1, 0xA4, 0x5B, 7, 8, 0, 1, 8, 9, 10, 11, 12, 13, 14, 15));
  EXPECT_THAT(setups(), ElementsAre(ElementsAre(0xC0, 0x01, 0, 0, 0, 0, 16, 0),
                                    ElementsAre(0x40, 0x01, 0, 0, 0, 0, 16, 0)));
}

TEST_F(QuillonBoxTest, OneMarkerAloneIsNotConfigured) {
  auto h = attach({.configBlock = raw({0, 0, 0xA4, 0x00, 5, 6})});
  DeviceConfigBlock block;
  ASSERT_TRUE(dev->ReadConfig(h, block));
  EXPECT_FALSE(block.IsConfigured());
}

// A short answer would leave the rest of the block as it was, and an Update would write that back.
TEST_F(QuillonBoxTest, AShortReadIsAFailureAndLeavesTheBlockAlone) {
  auto h = attach({.configBlock = raw({1, 2, 0xA4, 0x5B, 3, 4})});
  bus->injectFault(address,
                   {.kind = simusb::FaultKind::ShortRead, .pipe = simusb::kControlPipe, .shortBytes = 8});
  DeviceConfigBlock block;
  block.bytes().fill(0x77);
  EXPECT_FALSE(dev->ReadConfig(h, block));
  EXPECT_THAT(block.bytes(), ::testing::Each(0x77));
}

TEST_F(QuillonBoxTest, AnUnpluggedBoxFailsEveryRequest) {
  auto h = attach();
  bus->unplug(address);
  ASSERT_TRUE(waitUntil([&] { return dev->GetDeviceCount() == 0; }));
  DeviceConfigBlock block;
  block.bytes().fill(0x55);
  EXPECT_FALSE(dev->ReadConfig(h, block));
  EXPECT_THAT(block.bytes(), ::testing::Each(0x55));
  EXPECT_FALSE(dev->WriteConfig(h, block));
  EXPECT_FALSE(dev->Identify(h, true, 255));
}

TEST_F(QuillonBoxTest, TimeOutsOfTheRequests) {
  auto h = attach();
  bus->injectFault(address, {.kind = simusb::FaultKind::Timeout, .pipe = simusb::kControlPipe, .count = 3});
  uint32_t start = time->tick();
  EXPECT_FALSE(dev->Identify(h, true, 255));
  EXPECT_EQ(time->tick() - start, QUILLON::kIdentifyTimeoutMs);
  DeviceConfigBlock block;
  start = time->tick();
  EXPECT_FALSE(dev->ReadConfig(h, block));
  EXPECT_EQ(time->tick() - start, QUILLON::kConfigTimeoutMs);
  start = time->tick();
  EXPECT_FALSE(dev->WriteConfig(h, block));
  EXPECT_EQ(time->tick() - start, QUILLON::kConfigTimeoutMs);
}

}  // namespace
}  // namespace mendaro
