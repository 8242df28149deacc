// Console chips and boards named by text, as a program run against the bus gets them.
#include <gtest/gtest.h>

#include "sim/usb/sim_ezusb.h"
#include "sim/usb/sim_usb_loader.h"

namespace {

class DeviceSpecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus = simusb::openSimUsb(SIM_USB_LIB);
    ASSERT_NE(bus, nullptr);
    bus->reset();
  }
  void TearDown() override { bus->reset(); }
  std::shared_ptr<simusb::SimEzUsb> chip(size_t index) {
    return std::dynamic_pointer_cast<simusb::SimEzUsb>(bus->device(bus->addresses().at(index)));
  }
  simusb::Control* bus = nullptr;
};

TEST_F(DeviceSpecTest, ChipsWithTheirBoards) {
  const auto errors = bus->plugFromSpec(
      "fx2:1001:0102:Front panel;board:24:F080:30:05:0102;board:26:F010:B0:21:0200:boot;an21;fx2:6473");
  EXPECT_TRUE(errors.empty());
  ASSERT_EQ(bus->addresses().size(), 3u);
  auto front = chip(0);
  ASSERT_NE(front, nullptr);
  EXPECT_TRUE(front->config().firmware);
  EXPECT_EQ(front->config().productId, 0x1001);
  EXPECT_EQ(front->config().bcdDevice, 0x0102);
  EXPECT_EQ(front->config().product, "Front panel");
  ASSERT_NE(front->board(0x24), nullptr);
  EXPECT_EQ(front->board(0x24)->identity(), (simusb::IicBoardIdentity{0xF080, 0x30, 0x05, 0x0102}));
  EXPECT_FALSE(front->board(0x24)->inBootState());
  EXPECT_TRUE(front->board(0x26)->inBootState());
  EXPECT_FALSE(chip(1)->config().firmware);
  EXPECT_EQ(chip(1)->config().productId, simusb::kEzUsbBlankAn21);
  EXPECT_FALSE(chip(2)->config().firmware);
  EXPECT_EQ(chip(2)->config().productId, 0x6473);
}

TEST_F(DeviceSpecTest, BadEntriesAreReportedAndSkipped) {
  const auto errors = bus->plugFromSpec(
      "board:24:F080:30:05:0102;fx2:XYZ;fx2:1001:12345;fx2;board:24:F080:30;board:124:F080:30:05:0102;"
      "board:24:F080:30:05:0102:sleepy");
  EXPECT_EQ(errors.size(), 6u);
  ASSERT_EQ(bus->addresses().size(), 1u);
  EXPECT_EQ(chip(0)->board(0x24), nullptr);
}

}  // namespace
