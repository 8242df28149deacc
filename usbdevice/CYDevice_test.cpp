#include "usbdevice/CYDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/sys/system.h"
#include "usbdevice/CHexResource.h"
#include "usbdevice/loader_images.h"
#include "usbdevice/usb_sim_test_support.h"

using simusb::ChipKind;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// One transfer as the bus carried it.
struct Sent {
  std::array<uint8_t, 8> setup;
  std::vector<uint8_t> data;
  uint32_t status;
};

}  // namespace

class CYDeviceTest : public SimBusTest {
 protected:
  void SetUp() override {
    SimBusTest::SetUp();
    dev_ = std::make_unique<CYDevice>(kOrvaneMatchTable);
    sys::setDebugSink([this](std::string_view line) { trace.emplace_back(line); });
  }
  void TearDown() override {
    sys::setDebugSink(nullptr);
    dev_.reset();
    SimBusTest::TearDown();
  }

  // Plugs a chip and waits until the device list has it; answers its handle.
  wdu::DeviceHandle attach(const simusb::EzUsbConfig& config) {
    chip = plugChip(config, &address);
    EXPECT_TRUE(waitUntil([&] { return dev().GetDeviceCount() > 0; }));
    bus->clearTransfers();
    trace.clear();
    return dev().GetDeviceHandle(dev().GetDeviceCount() - 1);
  }
  wdu::DeviceHandle attachProgrammed() {
    return attach(simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0102, "Front panel"));
  }

  // The control transfers the chip saw, with the virtual time each began at.
  std::vector<Sent> sent() const {
    std::vector<Sent> out;
    for (const auto& t : bus->transfers())
      if (t.address == address && t.pipe == 0) out.push_back({t.setup, t.data, t.status});
    return out;
  }

  std::unique_ptr<CYDevice> dev_;
  CYDevice& dev() { return *dev_; }
  std::shared_ptr<simusb::SimEzUsb> chip;
  uint32_t address = 0;
  std::vector<std::string> trace;
};

TEST_F(CYDeviceTest, DeviceInformation) {
  auto h = attachProgrammed();
  EXPECT_EQ(dev().GetVendorId(h), 0x11BE);
  EXPECT_EQ(dev().GetProductId(h), 0x1001);
  EXPECT_EQ(dev().GetDeviceVersion(h), 0x0102);
  EXPECT_EQ(dev().GetProductId(0), 0);
}

TEST_F(CYDeviceTest, StringDescriptorsAndTheDipByte) {
  auto config = simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0102, "Front panel");
  config.dipSwitches = 9;
  auto h = attach(config);
  ASSERT_TRUE(dev().ReadProductString(h));
  EXPECT_EQ(dev().GetDescriptorText(), "Front panel");
  ASSERT_TRUE(dev().ReadManufacturerString(h));
  EXPECT_EQ(dev().GetDescriptorText(), "Console");
  EXPECT_EQ(dev().ReadDipSwitches(h), 9);
  // The descriptor reads go out untraced; the DIP request is traced.
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_EQ(trace[0], "#OV#CYDevice::WDU_Transfer_Logged:C0 00 00 00 00 00 01 00 - 09\n");
}

TEST_F(CYDeviceTest, DeviceWithoutTheStringGivesAnEmptyTextNotTheLanguageTable) {
  auto h = attach(simusb::blankEzUsb(ChipKind::FX2));
  dev().SetDescriptorText("before");
  ASSERT_TRUE(dev().ReadProductString(h));
  EXPECT_EQ(dev().GetDescriptorText(), "");
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(dev().ReadDipSwitches(h), 0);  // no firmware: stalls
}

struct MalformedString {
  const char* name;
  std::vector<uint8_t> raw;
  bool ok;
  const char* text;
};

// Parameterised tests print a case by its name.
void PrintTo(const MalformedString& row, std::ostream* os) {
  *os << row.name;
}

class CYDeviceMalformedString : public CYDeviceTest, public ::testing::WithParamInterface<MalformedString> {};

// Whatever the descriptor claims, the text comes only from bytes that arrived (the sanitizer build checks
// that nothing past them is read).
TEST_P(CYDeviceMalformedString, NeverReadsPastTheReply) {
  auto h = attachProgrammed();
  chip->setRawStringDescriptor(2, GetParam().raw);
  dev().SetDescriptorText("before");
  EXPECT_EQ(dev().ReadProductString(h), GetParam().ok);
  EXPECT_EQ(dev().GetDescriptorText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, CYDeviceMalformedString,
    ::testing::Values(MalformedString{"LengthZero", {0, 3, 'A', 0}, false, "before"},
                      MalformedString{"LengthOne", {1, 3, 'A', 0}, false, "before"},
                      MalformedString{"HeaderOnly", {2, 3}, true, ""},
                      MalformedString{"OddLength", {5, 3, 'A', 0, 'B'}, true, "A"},
                      MalformedString{"LongerThanTheReply", {0xFF, 3, 'A', 0, 'B', 0}, true, "AB"},
                      MalformedString{"OneByteReply", {0x10}, false, "before"},
                      MalformedString{"NoNulInside", {6, 3, 'x', 0, 'y', 0}, true, "xy"},
                      MalformedString{
                          "NonAscii", {6, 3, 0xE9, 0x00, 0x3D, 0xD8}, true, "\xC3\xA9\xEF\xBF\xBD"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CYDeviceTest, HoldInResetFx2SendsTheRegisterWriteAndTracesIt) {
  auto h = attachProgrammed();
  EXPECT_EQ(dev().HoldInResetFx2(h, true), 0);
  auto s = sent();
  ASSERT_EQ(s.size(), 1u);
  EXPECT_THAT(s[0].setup, ElementsAre(0x40, 0xA0, 0x00, 0xE6, 0x00, 0x00, 0x01, 0x00));
  EXPECT_THAT(s[0].data, ElementsAre(0x01));
  EXPECT_TRUE(chip->cpuHeldInReset());
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_EQ(trace[0], "#OV#CYDevice::WDU_Transfer_Logged:40 A0 00 E6 00 00 01 00 - 01\n");

  EXPECT_EQ(dev().HoldInResetAn21(h, false), 0);
  EXPECT_THAT(sent()[1].setup, ElementsAre(0x40, 0xA0, 0x92, 0x7F, 0x00, 0x00, 0x01, 0x00));
  EXPECT_THAT(sent()[1].data, ElementsAre(0x00));
}

TEST_F(CYDeviceTest, FailedTransferIsTracedWithoutData) {
  auto h = attachProgrammed();
  bus->injectFault(address, {simusb::FaultKind::Stall, simusb::kControlPipe});
  EXPECT_EQ(dev().HoldInResetFx2(h, true), -1);
  EXPECT_EQ(dev().GetLastStatus(), wdu::kStall);
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_EQ(trace[0], "#OV#CYDevice::WDU_Transfer_Logged:40 A0 00 E6 00 00 01 00\n");
}

TEST_F(CYDeviceTest, IicWriteVersionSendsTheVersionWordsAndMarks) {
  auto h = attachProgrammed();
  chip->addBoard(0x24, {0xF080, 0x30, 0x05, 0x0101});
  const uint32_t start = sys::tickCount();
  ASSERT_TRUE(dev().IicSelectDevice(h, 0x24));
  ASSERT_TRUE(dev().IicWriteVersion(h, 0x24, 0x0102));
  EXPECT_EQ(sys::tickCount() - start, 3 * 100u);  // 100 ms after each transfer
  auto s = sent();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_THAT(s[0].setup, ElementsAre(0x40, 0xA2, 0x00, 0x00, 0xCC, 0x24, 0x00, 0x00));
  EXPECT_THAT(s[1].setup, ElementsAre(0x40, 0xA2, 0xAA, 0xFF, 0xC0, 0x24, 0x02, 0x00));
  EXPECT_THAT(s[1].data, ElementsAre(0, 0));
  EXPECT_THAT(s[2].setup, ElementsAre(0x40, 0xA2, 0x7C, 0x01, 0xC0, 0x24, 0x08, 0x00));
  EXPECT_THAT(s[2].data, ElementsAre(0x01, 0x00, 0x02, 0x00, 0xA5, 0x00, 0x5A, 0x00));
  ASSERT_TRUE(dev().IicCommandCE(h, 0x24));
  EXPECT_EQ(chip->board(0x24)->identity().version, 0x0102);
}

TEST_F(CYDeviceTest, IicCommandsAndBlocks) {
  auto h = attachProgrammed();
  chip->addBoard(0x24, {0xF080, 0x30, 0x21, 0x0101});
  std::array<uint8_t, 32> block;
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x40 + i);
  ASSERT_TRUE(dev().IicCommand55(h));
  ASSERT_TRUE(dev().IicSelectDevice(h, 0x24));
  ASSERT_TRUE(dev().IicWriteVersionBlock32(h, 0x24, block));
  ASSERT_TRUE(dev().IicClearVersionBlock(h, 0x24));
  ASSERT_TRUE(dev().IicWriteHeaderBlock32(h, 0x24, block));
  ASSERT_TRUE(dev().IicCommandCF(h, 0x24));
  ASSERT_TRUE(dev().IicCommandCD(h, 0x24));
  ASSERT_TRUE(dev().IicCommandAA(h));
  auto s = sent();
  ASSERT_EQ(s.size(), 9u);
  EXPECT_THAT(s[0].setup, ElementsAre(0x40, 0xA2, 0, 0, 0x55, 0x00, 0, 0));
  EXPECT_THAT(s[3].setup, ElementsAre(0x40, 0xA2, 0x7C, 0x01, 0xC0, 0x24, 32, 0));
  EXPECT_THAT(s[3].data, ElementsAreArray(block));
  EXPECT_THAT(s[4].data, ElementsAre(0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_THAT(s[5].setup, ElementsAre(0x40, 0xA2, 0x70, 0x01, 0xC0, 0x24, 32, 0));
  EXPECT_THAT(s[6].setup, ElementsAre(0x40, 0xA2, 0, 0, 0xCF, 0x24, 0, 0));
  EXPECT_THAT(s[7].setup, ElementsAre(0x40, 0xA2, 0, 0, 0xCD, 0x24, 0, 0));
  EXPECT_THAT(s[8].setup, ElementsAre(0x40, 0xA2, 0, 0, 0xAA, 0x00, 0, 0));
  auto memory = chip->board(0x24)->memory();
  std::vector<uint8_t> header(memory.begin() + 0x2E0, memory.begin() + 0x300);
  EXPECT_THAT(header, ElementsAreArray(block));
}

TEST_F(CYDeviceTest, SelectStopsWhenItsFirstStepFails) {
  auto h = attachProgrammed();  // no board at 0x30: the chip stalls CC
  const uint32_t before = sys::tickCount();
  EXPECT_FALSE(dev().IicSelectDevice(h, 0x30));
  EXPECT_EQ(sent().size(), 1u);
  EXPECT_EQ(sys::tickCount(), before);  // no pause after a failure
}

TEST_F(CYDeviceTest, RamWriteSplitsInto64BytePacketsAtTheirAddresses) {
  auto h = attach(simusb::blankEzUsb(ChipKind::FX2));
  std::vector<uint8_t> data(100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(dev().RamWrite(h, 0x1000, std::span(data).first(16)), 16);
  EXPECT_EQ(dev().RamWrite(h, 0x2000, data), 100);
  auto s = sent();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_THAT(s[0].setup, ElementsAre(0x40, 0xA0, 0x00, 0x10, 0, 0, 16, 0));
  EXPECT_THAT(s[1].setup, ElementsAre(0x40, 0xA0, 0x00, 0x20, 0, 0, 64, 0));
  EXPECT_THAT(s[2].setup, ElementsAre(0x40, 0xA0, 0x40, 0x20, 0, 0, 36, 0));
  EXPECT_THAT(chip->ram(0x2000, 100), ElementsAreArray(data));
  EXPECT_EQ(dev().RamWrite(h, 0x3000, {}), 0);
  EXPECT_EQ(sent().size(), 3u);
}

TEST_F(CYDeviceTest, RangesPastThe16BitAddressSpaceAreRefusedBeforeSending) {
  auto h = attachProgrammed();
  std::vector<uint8_t> data(0x10001, 0x11);
  EXPECT_EQ(dev().RamWrite(h, 0xFFC0, std::span(data).first(0x41)), -1);
  EXPECT_EQ(dev().EepromWrite(h, 0x0000, data), -1);  // more than 16 bits of length
  EXPECT_EQ(dev().EepromRead(h, 0xFFFF, std::span(data).first(2)), -1);
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(dev().RamWrite(h, 0xFFC0, std::span(data).first(0x40)), 0x40);  // up to the last address is fine
}

TEST_F(CYDeviceTest, EepromPacketsPauseAfterEachPacket) {
  auto config = simusb::programmedEzUsb(ChipKind::FX2, 0x1001, 0x0102, "Front panel");
  auto h = attach(config);
  std::vector<uint8_t> image(130);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 3);
  uint32_t start = sys::tickCount();
  EXPECT_EQ(dev().EepromWrite(h, 0x0100, image), 130);
  EXPECT_EQ(sys::tickCount() - start, 3 * 50u);
  std::vector<uint8_t> back(130);
  start = sys::tickCount();
  EXPECT_EQ(dev().EepromRead(h, 0x0100, back), 130);
  EXPECT_EQ(sys::tickCount() - start, 3 * 25u);
  EXPECT_EQ(back, image);
  auto s = sent();
  ASSERT_EQ(s.size(), 6u);
  EXPECT_THAT(s[3].setup, ElementsAre(0xC0, 0xA2, 0x00, 0x01, 0, 0, 64, 0));
  EXPECT_THAT(s[4].setup, ElementsAre(0xC0, 0xA2, 0x40, 0x01, 0, 0, 64, 0));
  EXPECT_THAT(s[5].setup, ElementsAre(0xC0, 0xA2, 0x80, 0x01, 0, 0, 2, 0));
  auto eeprom = chip->eeprom();
  EXPECT_THAT(std::vector<uint8_t>(eeprom.begin() + 0x100, eeprom.begin() + 0x100 + 130),
              ElementsAreArray(image));
}

TEST_F(CYDeviceTest, FirstFailingPacketEndsTheTransfer) {
  auto h = attachProgrammed();
  std::vector<uint8_t> back(200);
  bus->injectFault(address, {simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 10});
  EXPECT_EQ(dev().EepromRead(h, 0, back), -1);  // a short packet is a failed packet
  EXPECT_EQ(sent().size(), 1u);
  bus->clearTransfers();
  chip->setEeprom(0, std::vector<uint8_t>(64, 0));
  bus->injectFault(address, {simusb::FaultKind::Stall, simusb::kControlPipe});
  EXPECT_EQ(dev().EepromWrite(h, 0, back), -1);
  EXPECT_EQ(sent().size(), 1u);
}

// Loading a loader the way the firmware tool does: CPU held, every data record into RAM, CPU released.
class CYDeviceLoader : public CYDeviceTest,
                       public ::testing::WithParamInterface<std::tuple<ChipKind, int, bool>> {};

TEST_P(CYDeviceLoader, EmbeddedLoaderRunsOnlyInItsOwnChipKind) {
  const auto [kind, resource, runs] = GetParam();
  const ChipKind chipKind = kind;  // a lambda may not capture a structured binding before clang 16
  auto h = attach(simusb::blankEzUsb(kind));
  auto hold = [&](bool on) {
    return chipKind == ChipKind::FX2 ? dev().HoldInResetFx2(h, on) : dev().HoldInResetAn21(h, on);
  };
  ASSERT_EQ(hold(true), 0);
  CHexResource hex(resource);
  int type = 0;
  while ((type = hex.ReadRecord()) == intelhex::kDataRecord) {
    ASSERT_EQ(dev().RamWrite(h, hex.Record().address(), hex.Record().bytes()), hex.Record().count);
  }
  EXPECT_EQ(type, intelhex::kEndOfFileRecord);
  ASSERT_EQ(hold(false), 0);
  EXPECT_EQ(chip->loaderRunning(), runs);
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(dev().EepromWrite(h, 0, bytes), runs ? 3 : -1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CYDeviceLoader,
                         ::testing::Values(std::tuple{ChipKind::FX2, kLoaderFx2ResourceId, true},
                                           std::tuple{ChipKind::AN21xx, kLoaderAn21ResourceId, true},
                                           std::tuple{ChipKind::AN21xx, kLoaderFx2ResourceId, false},
                                           std::tuple{ChipKind::FX2, kLoaderAn21ResourceId, false}));

// A handle kept after its device left fails every operation and reaches no other device.
TEST_F(CYDeviceTest, StaleHandleFailsSafely) {
  auto stale = attachProgrammed();
  const uint32_t oldAddress = address;
  bus->unplug(oldAddress);
  ASSERT_TRUE(waitUntil([&] { return dev().GetDeviceCount() == 0; }));
  auto fresh = attachProgrammed();
  ASSERT_NE(fresh, stale);

  std::vector<uint8_t> data(100, 7);
  EXPECT_EQ(dev().GetProductId(stale), 0);
  EXPECT_FALSE(dev().ReadProductString(stale));
  EXPECT_EQ(dev().ReadDipSwitches(stale), 0);
  EXPECT_FALSE(dev().IicCommand55(stale));
  EXPECT_EQ(dev().RamWrite(stale, 0, data), -1);
  EXPECT_EQ(dev().EepromRead(stale, 0, data), -1);
  EXPECT_EQ(dev().HoldInResetFx2(stale, true), -1);
  EXPECT_NE(dev().GetLastStatus(), wdu::kSuccess);
  EXPECT_TRUE(sent().empty());
  EXPECT_FALSE(chip->cpuHeldInReset());
}
