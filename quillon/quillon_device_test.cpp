// Device commands of an open box and the control requests they send, driven through Quillon only.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/wdu/wdu.h"
#include "quillon/quillon_test_support.h"

namespace quillon::testing {
namespace {

class Device : public QuillonHost {
 protected:
  void SetUp() override {
    QuillonHost::SetUp();
    init();
    openBox(1, {.bcdDevice = 0x0210, .name = "Stage left"});
    box = boxes.back();
    address = bus->addresses().at(0);
  }
  std::shared_ptr<simusb::SimDmxBox> box;
  uint32_t address = 0;
};

struct PortModeCase {
  unsigned command;
  int value;  // the port in bit 0
  uintptr_t data;
  uint8_t mode;
  uint16_t wValue;
};

// Parameterised tests print a case by its command, port and data.
void PrintTo(const PortModeCase& row, std::ostream* os) {
  *os << "command " << row.command << " port " << (row.value & 1) << " data " << row.data;
}

class PortModes : public Device, public ::testing::WithParamInterface<PortModeCase> {};

TEST_P(PortModes, SendTheModeAndItsValue) {
  const auto& c = GetParam();
  bus->clearTransfers();
  ASSERT_EQ(Q(c.command, 1, c.value, asData(c.data)), 0u);
  const auto sent = requests(0x17);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(wIndex(sent[0]), (c.mode << 8) | (c.value & 1));
  EXPECT_EQ(wValue(sent[0]), c.wValue);
  EXPECT_EQ(box->portMode(c.value & 1).mode, c.mode);
}

INSTANTIATE_TEST_SUITE_P(Commands, PortModes,
                         ::testing::Values(PortModeCase{DMX_CMD_SET_MODE4_PERIOD, 0, 1000, 4, 64536},
                                           PortModeCase{DMX_CMD_SET_MODE4_PERIOD, 3, 0, 4, 0},
                                           PortModeCase{DMX_CMD_SET_MODE0_VALUE, 1, 0x1234, 0, 0x1234},
                                           PortModeCase{DMX_CMD_SET_MODE1_PERIOD, 0, 1, 1, 65535},
                                           PortModeCase{DMX_CMD_SET_MODE2_PERIOD, 1, 40000, 2, 25536},
                                           PortModeCase{DMX_CMD_SET_MODE3_PERIOD, 0, 65536, 3, 0},
                                           PortModeCase{DMX_CMD_SET_MODE16, 1, 0, 0x10, 0},
                                           PortModeCase{DMX_CMD_SET_MODE17, 0, 0, 0x11, 0},
                                           PortModeCase{DMX_CMD_SET_MODE32, 1, 0, 0x20, 0},
                                           PortModeCase{DMX_CMD_SET_MODE33, 0, 0, 0x21, 0}),
                         [](const auto& info) {
                           return "command" + std::to_string(info.param.command) + "_port" +
                                  std::to_string(info.param.value & 1) + "_" + std::to_string(info.index);
                         });

TEST_F(Device, IdentifyLevelsBecomeOnAndBrightness) {
  const std::pair<int, uint16_t> table[] = {{0, 0x0000},   {1, 0x0201},   {100, 0xC801},   {127, 0xFE01},
                                            {128, 0xFF01}, {255, 0xFF01}, {0x140, 0x8001}, {0x100, 0x0000}};
  for (const auto& [level, index] : table) {
    bus->clearTransfers();
    ASSERT_EQ(Q(DMX_CMD_IDENTIFY, 1, level), 0u);
    const auto sent = requests(0x02);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(wIndex(sent[0]), index) << "level " << level;
    EXPECT_EQ(wValue(sent[0]), 0);
  }
}

TEST_F(Device, DirectionsSelectTheAlternateSettingWithItsBitsExchanged) {
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 1), 0u);  // port 0 an input
  EXPECT_EQ(box->alternateSetting(), 2);
  uint32_t alt = 99;
  EXPECT_EQ(Q(DMX_CMD_GET_DIRECTIONS, 1, 0, &alt), 0u);
  EXPECT_EQ(alt, 2u);
  const auto in = requests(0x11);
  const auto other = requests(0x12);
  ASSERT_EQ(in.size(), 1u);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(wIndex(in[0]), 0) << "port 0 asks for its input endpoint";
  EXPECT_EQ(wIndex(other[0]), 1) << "port 1 for its output endpoint";

  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 2), 0u);
  EXPECT_EQ(box->alternateSetting(), 1);
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 3), 0u);
  EXPECT_EQ(box->alternateSetting(), 3);
}

TEST_F(Device, DirectionValueAboveThreeOnlyRestartsAfterAStop) {
  EXPECT_EQ(Q(DMX_CMD_STOP_IO, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_FORCED_EXIT);
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 4), 0u);
  EXPECT_TRUE(requests(0x11).empty());
  EXPECT_EQ(box->alternateSetting(), 3);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
}

TEST_F(Device, AFailedDirectionChangeAnswersItsStatusAndStaysStopped) {
  simusb::FaultSpec fault{simusb::FaultKind::Stall, simusb::kControlPipe};
  fault.request = 0x0B;
  bus->injectFault(address, fault);
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), wdu::kStall);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_FORCED_EXIT);
  uint32_t alt = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_DIRECTIONS, 1, 0, &alt), 0u);
  EXPECT_EQ(alt, 3u) << "the setting the box still has";

  fault.request = 0x12;
  bus->injectFault(address, fault);
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), wdu::kStall);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_FORCED_EXIT);

  simusb::FaultSpec noByte{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 0};
  noByte.request = 0x11;
  bus->injectFault(address, noByte);
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 3), DMX_ST_SHORT_ANSWER) << "an endpoint answer without its byte";
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_FORCED_EXIT);
  EXPECT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
}

TEST_F(Device, TheBoxNameChangesOnlyWhenTheBoxTakesIt) {
  const char* name = nullptr;
  ASSERT_EQ(Q(DMX_CMD_GET_NAME, 1, 0, &name), 0u);
  EXPECT_STREQ(name, "Stage left");

  char longName[] = "A name of twenty chars";
  EXPECT_EQ(Q(DMX_CMD_SET_NAME, 1, 0, longName), 0u);
  EXPECT_EQ(box->name(), "A name of twent");
  EXPECT_STREQ(name, "A name of twent") << "the same storage, 15 characters and a NUL";
  const auto sent = requests(0x00);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(wLength(sent.back()), 16);
  EXPECT_EQ(sent.back().data.size(), 16u);

  simusb::FaultSpec fault{simusb::FaultKind::Stall, simusb::kControlPipe};
  fault.request = 0x00;
  bus->injectFault(address, fault);
  char refused[] = "Refused";
  EXPECT_EQ(Q(DMX_CMD_SET_NAME, 1, 0, refused), wdu::kStall);
  EXPECT_STREQ(name, "A name of twent");
  EXPECT_EQ(box->name(), "A name of twent");
}

TEST_F(Device, PagesAndBlocksAddressTheBoxsPageMemory) {
  std::array<uint8_t, 64> page{};
  for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i + 1);
  EXPECT_EQ(Q(DMX_CMD_WRITE_PAGE, 1, 0x141, page.data()), 0u);
  EXPECT_EQ(box->page(0x101), page) << "only bits 0-5 and 8 reach the box";
  std::array<uint8_t, 64> back{};
  EXPECT_EQ(Q(DMX_CMD_READ_PAGE, 1, 0x101, back.data()), 0u);
  EXPECT_EQ(back, page);

  std::vector<uint8_t> block(512);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i / 64 + 0x30);
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_WRITE_BLOCK, 1, 8, block.data()), 0u);  // pages 64-71, sent as 0-7
  auto pages = requests(0x1F);
  ASSERT_EQ(pages.size(), 8u);
  for (uint16_t i = 0; i < 8; ++i) EXPECT_EQ(wValue(pages[i]), i);
  EXPECT_EQ(box->page(7)[0], 0x37);

  const std::pair<int, uint16_t> firstPages[] = {{41, 8}, {8, 0}, {-1, 0x138}};
  for (const auto& [value, first] : firstPages) {
    bus->clearTransfers();
    std::vector<uint8_t> read(512);
    EXPECT_EQ(Q(DMX_CMD_READ_BLOCK, 1, value, read.data()), 0u);
    pages = requests(0x1F);
    ASSERT_EQ(pages.size(), 8u);
    for (uint16_t i = 0; i < 8; ++i) EXPECT_EQ(wValue(pages[i]), first + i) << "block " << value;
    if (value == 8) {
      EXPECT_EQ(read, block);
    }
  }
}

TEST_F(Device, AFailingPageEndsTheBlockWithItsStatus) {
  simusb::FaultSpec fault{simusb::FaultKind::Status, simusb::kControlPipe, 1, 0x20000042};
  fault.request = 0x1F;
  std::vector<uint8_t> read(512);
  EXPECT_EQ(Q(DMX_CMD_READ_PAGE, 1, 0, read.data()), 0u);
  bus->injectFault(address, fault);
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_READ_BLOCK, 1, 0, read.data()), 0x20000042u);
  EXPECT_EQ(requests(0x1F).size(), 1u);
}

TEST_F(Device, MessagesStatusAndTheE0ToE2Requests) {
  uint8_t message[4] = {9, 8, 7, 6};
  EXPECT_EQ(Q(DMX_CMD_WRITE_MESSAGE, 1, 20, message), 0u);  // 20 & 15: 4 bytes
  EXPECT_EQ(box->message(), (std::vector<uint8_t>{9, 8, 7, 6}));
  uint8_t answer[4] = {};
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_READ_MESSAGE, 1, 20, answer), 0u);
  ASSERT_EQ(requests(0x30).size(), 1u);
  EXPECT_EQ(wLength(requests(0x30)[0]), 4);
  EXPECT_EQ(std::vector<uint8_t>(answer, answer + 4), box->message());
  // The host gives the length of a message: a shorter answer is no failure, and what did not come stays
  // the host's.
  simusb::FaultSpec shortMessage{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 2};
  shortMessage.request = 0x30;
  bus->injectFault(address, shortMessage);
  std::fill(std::begin(answer), std::end(answer), 0xEE);
  EXPECT_EQ(Q(DMX_CMD_READ_MESSAGE, 1, 4, answer), 0u);
  EXPECT_EQ(std::vector<uint8_t>(answer, answer + 4), (std::vector<uint8_t>{9, 8, 0xEE, 0xEE}));

  box->setStatus3({1, 2, 3});
  uint8_t status[3] = {};
  EXPECT_EQ(Q(DMX_CMD_READ_STATUS3, 1, 0, status), 0u);
  EXPECT_EQ(status[2], 3);

  uint8_t e[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(Q(DMX_CMD_WRITE_E0, 1, static_cast<int>(0xAB12u << 16 | 5), e), 0u);
  EXPECT_EQ(box->eData(0xE0, 0x12), std::vector<uint8_t>(e, e + 5)) << "wValue bits 16-23";
  EXPECT_EQ(Q(DMX_CMD_WRITE_E1, 1, static_cast<int>(0xAB12u << 16 | 3), e), 0u);
  EXPECT_EQ(box->eData(0xE1, 0xAB12), std::vector<uint8_t>(e, e + 3)) << "wValue bits 16-31";
  EXPECT_EQ(Q(DMX_CMD_WRITE_E2, 1, 0x7 << 16 | 2, e), 0u);
  EXPECT_EQ(box->eData(0xE2, 7), std::vector<uint8_t>(e, e + 2));
  uint8_t in[5] = {};
  EXPECT_EQ(Q(DMX_CMD_READ_E1, 1, static_cast<int>(0xAB12u << 16 | 5), in), 0u);
  EXPECT_EQ(std::vector<uint8_t>(in, in + 5), (std::vector<uint8_t>{1, 2, 3, 0, 0}));
  EXPECT_EQ(Q(DMX_CMD_READ_E0, 1, 0x12 << 16 | 2, in), 0u);
  EXPECT_EQ(Q(DMX_CMD_READ_E2, 1, 0x7 << 16 | 2, in), 0u);
}

TEST_F(Device, TheConfigurationBlockPassesThroughUnchanged) {
  std::array<uint8_t, 16> block = {0xC1, 0xC2, 0xA4, 0x5B, 7, 9, 1, 0, 8, 9, 10, 11, 12, 13, 14, 0xFF};
  EXPECT_EQ(Q(DMX_CMD_WRITE_CONFIG, 1, 0, block.data()), 0u);
  EXPECT_EQ(box->configBlock(), block);
  box->setConfigBlock({1, 2, 3});
  std::array<uint8_t, 16> back{};
  back.fill(0xEE);
  EXPECT_EQ(Q(DMX_CMD_READ_CONFIG, 1, 0, back.data()), 0u);
  EXPECT_EQ(back, box->configBlock());
}

// Hosts write the configuration block back as they read it: a short answer must fail and leave the
// host's bytes alone, never pass off the host's stale bytes as the box's.
TEST_F(Device, AShortAnswerToAReadOfFixedSizeFailsAndLeavesTheHostsBufferAsItWas) {
  box->setConfigBlock({0xC1, 0xC2, 0xA4, 0x5B, 7, 9, 1, 0, 8, 9, 10, 11, 12, 13, 14, 0xFF});
  box->setStatus3({1, 2, 3});
  struct Read {
    unsigned command;
    uint8_t request;
    size_t size;
    uint32_t shortBytes;
    int skip;  // full answers before the short one
  };
  const Read reads[] = {{DMX_CMD_READ_CONFIG, 0x01, 16, 10, 0},
                        {DMX_CMD_READ_PAGE, 0x1F, 64, 63, 0},
                        {DMX_CMD_READ_BLOCK, 0x1F, 512, 0, 3},
                        {DMX_CMD_READ_STATUS3, 0x31, 3, 2, 0}};
  for (const auto& r : reads) {
    for (int i = 0; i < r.skip; ++i) {
      simusb::FaultSpec full{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 64};
      full.request = r.request;
      bus->injectFault(address, full);
    }
    simusb::FaultSpec cut{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, r.shortBytes};
    cut.request = r.request;
    bus->injectFault(address, cut);
    std::vector<uint8_t> host(r.size, 0xEE);
    EXPECT_EQ(Q(r.command, 1, 0, host.data()), DMX_ST_SHORT_ANSWER) << "command " << r.command;
    EXPECT_EQ(host, std::vector<uint8_t>(r.size, 0xEE)) << "command " << r.command;

    EXPECT_EQ(Q(r.command, 1, 0, host.data()), 0u) << "a whole answer is taken again";
    EXPECT_NE(host, std::vector<uint8_t>(r.size, 0xEE)) << "command " << r.command;
  }
  const unsigned text = Q(DMX_CMD_STATUS_TEXT, 0, static_cast<int>(DMX_ST_SHORT_ANSWER));
  EXPECT_STREQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(text)), "SHORT ANSWER");
}

TEST_F(Device, StoredValuesAndUnknownCommands) {
  EXPECT_EQ(Q(DMX_CMD_SET_PORT_PARAM, 1, 1, asData(0x3FF)), 0u);
  EXPECT_EQ(Q(DMX_CMD_SET_AUX_FLAG, 1, 5), 0u);
  uint32_t handle = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_NOTIFY, 1, 0, &handle), 0u);
  EXPECT_EQ(handle, window);
  uint16_t firmware = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_FIRMWARE_VERSION, 1, 0, &firmware), 0u);
  EXPECT_EQ(firmware, 0x0210);
  EXPECT_EQ(Q(200, 1), DMX_ST_UNKNOWN_COMMAND);
  EXPECT_EQ(Q(0, 1), DMX_ST_UNKNOWN_COMMAND);
}

TEST_F(Device, RawBulkGoesOutOnThePortTheSignChooses) {
  ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), 0u);  // both ports outputs
  std::vector<uint8_t> data(10, 0x42);
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, -10, data.data()), 0u);
  auto log = bus->transfers();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].pipe, 0x02) << "port 1's endpoint";
  EXPECT_EQ(log[0].data, data);
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, 10, data.data()), 0u);
  EXPECT_EQ(bus->transfers().back().pipe, 0x01);

  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, INT_MIN, data.data()), wdu::kInvalidParameter);
  EXPECT_TRUE(bus->transfers().empty());

  ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 1), 0u);  // port 0 an input: no bulk OUT there
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, 10, data.data()), wdu::kInvalidParameter);
}

TEST_F(Device, RawBulkToASilentBoxEndsAtItsTimeOut) {
  ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, 0), 0u);
  wdu::testing::VirtualBusTime time(bus, 0);
  bus->injectFault(address, {simusb::FaultKind::Timeout, 0x01});
  std::vector<uint8_t> data(10, 0x42);
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, 10, data.data()), wdu::kTimeout);
}

// A box that answers endpoint 0 for port 0 (a port it does not drive); otherwise the simulated box.
class BoxWithoutPort0 : public simusb::Device {
 public:
  explicit BoxWithoutPort0(std::shared_ptr<simusb::SimDmxBox> box) : box_(std::move(box)) {}
  wdu::DeviceInfo info() override { return box_->info(); }
  simusb::Reply control(const simusb::Setup& setup, uint8_t* data) override {
    if (setup.vendor() && setup.in() && setup.request == 0x11 && setup.index == 0 && setup.length >= 1) {
      data[0] = 0;
      return simusb::Reply::ok(1);
    }
    return box_->control(setup, data);
  }
  uint32_t setInterface(uint8_t number, uint8_t setting) override {
    return box_->setInterface(number, setting);
  }
  simusb::Reply bulkOut(uint8_t endpoint, const uint8_t* data, uint32_t len) override {
    return box_->bulkOut(endpoint, data, len);
  }
  simusb::Reply bulkIn(uint8_t endpoint, uint8_t* packet, uint32_t maxPacket, bool firstPacket) override {
    return box_->bulkIn(endpoint, packet, maxPacket, firstPacket);
  }
  void plugged(simusb::DeviceHost* host) override { box_->plugged(host); }
  void unplugged() override { box_->unplugged(); }
  void released() override { box_->released(); }

 private:
  std::shared_ptr<simusb::SimDmxBox> box_;
};

class NoEndpoints : public QuillonHost {};

TEST_F(NoEndpoints, APortWithoutAnEndpointGetsNoThreadAndNoRawBulk) {
  plugDevice(std::make_shared<BoxWithoutPort0>(bus->newDmxBox({})));
  init();
  ASSERT_TRUE(waitAttached(1));
  ASSERT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  bus->clearTransfers();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  uint8_t data[4] = {};
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, 4, data), wdu::kInvalidParameter);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);  // port 1 has its endpoint: its reader asks for the status
  const auto statusOf = [&](uint16_t port) {
    size_t n = 0;
    for (const auto& t : requests(0x18)) n += wIndex(t) == port ? 1 : 0;
    return n;
  };
  ASSERT_TRUE(waitUntil([&] { return statusOf(1) >= 3; }));
  EXPECT_EQ(statusOf(0), 0u) << "port 0 never got a reader";
}

}  // namespace
}  // namespace quillon::testing
