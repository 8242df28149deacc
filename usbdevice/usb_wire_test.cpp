#include "usbdevice/usb_wire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

TEST(SetupPacket, FieldsGoOutLowByteFirstInWireOrder) {
  SetupPacket p(0x40, 0xA0, 0xE600, 0x0000, 0x0001);
  EXPECT_THAT(p.bytes(), ElementsAre(0x40, 0xA0, 0x00, 0xE6, 0x00, 0x00, 0x01, 0x00));
  p.SetRequest(0xC0, 0xA2);
  p.SetValue(0x017C);
  p.SetIndex(0x24C0);
  p.SetLength(0x1234);
  EXPECT_THAT(p.bytes(), ElementsAre(0xC0, 0xA2, 0x7C, 0x01, 0xC0, 0x24, 0x34, 0x12));
  EXPECT_EQ(p.Value(), 0x017C);
  EXPECT_EQ(p.Index(), 0x24C0);
  EXPECT_EQ(p.Length(), 0x1234);
  EXPECT_TRUE(p.IsIn());
}

TEST(SetupPacket, FromBytesReadsWhatWasWritten) {
  SetupPacket sent(0x80, 0x06, 0x0302, 0x0409, 0x00FF);
  SetupPacket got = SetupPacket::FromBytes(sent.bytes());
  EXPECT_EQ(got.RequestType(), 0x80);
  EXPECT_EQ(got.Request(), 0x06);
  EXPECT_EQ(got.Value(), 0x0302);
  EXPECT_EQ(got.Index(), 0x0409);
  EXPECT_EQ(got.Length(), 0x00FF);
  EXPECT_FALSE(SetupPacket(0x40, 0, 0, 0, 0).IsIn());
}

TEST(DeviceConfigBlock, ConfiguredOnlyWithBothMarkers) {
  std::array<uint8_t, 16> raw{};
  raw[2] = 0xA4;
  raw[3] = 0x5B;
  EXPECT_TRUE(DeviceConfigBlock(raw).IsConfigured());
  raw[3] = 0x00;
  EXPECT_FALSE(DeviceConfigBlock(raw).IsConfigured());
  raw[2] = 0x5B;
  raw[3] = 0xA4;
  EXPECT_FALSE(DeviceConfigBlock(raw).IsConfigured());
}

TEST(DeviceConfigBlock, ConfigureAndClearKeepTheFirmwareBytes) {
  std::array<uint8_t, 16> raw;
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(0xE0 + i);
  DeviceConfigBlock block(raw);
  block.Configure(7, 32, true, false);
  EXPECT_THAT(block.bytes(), ElementsAre(0xE0, 0xE1, 0xA4, 0x5B, 7, 32, 1, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC,
                                         0xED, 0xEE, 0xEF));
  EXPECT_TRUE(block.IsConfigured());
  EXPECT_EQ(block.UniverseA(), 7);
  EXPECT_EQ(block.UniverseB(), 32);
  EXPECT_TRUE(block.InputA());
  EXPECT_FALSE(block.InputB());
  block.Clear();
  EXPECT_THAT(block.bytes(),
              ElementsAre(0xE0, 0xE1, 0, 0, 1, 2, 0, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF));
  EXPECT_FALSE(block.IsConfigured());
}
