// The library commands, attach and detach, and the library's life: driven through Quillon only.
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "platform/wdu/wdu.h"
#include "quillon/quillon_test_support.h"

namespace quillon::testing {
namespace {

using Lib = QuillonHost;

std::string nameOf(Lib& host, unsigned char id) {
  const char* name = nullptr;
  if (host.Q(DMX_CMD_GET_NAME, id, 0, &name) != 0 || name == nullptr) return "<none>";
  return name;
}

std::vector<uint8_t> freeList(Lib& host) {
  uint8_t buf[256];
  std::memset(buf, 0xEE, sizeof(buf));
  const unsigned n = host.Q(DMX_CMD_LIST_FREE, 0, 0, buf);
  EXPECT_EQ(buf[n], 0) << "the list ends with a NUL";
  return std::vector<uint8_t>(buf, buf + n);
}

TEST_F(Lib, CommandsBeforeInitialise) {
  uint32_t version = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_VERSION, 0, 0, &version), 0u);
  EXPECT_EQ(version, 0x103u);
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 0), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 7), DMX_ST_NO_DEVICE);

  uint8_t buf[256];
  std::memset(buf, 0xEE, sizeof(buf));
  EXPECT_EQ(Q(DMX_CMD_LIST_FREE, 0, 0, buf), 0u);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], 0xEE) << "one NUL copied, nothing more";
  uint8_t id = 99;
  EXPECT_EQ(Q(DMX_CMD_OPEN_NEXT, 0, 0, &id), DMX_ST_NO_DEVICE);
  EXPECT_EQ(id, 99);
  EXPECT_EQ(Q(DMX_CMD_OPEN, 0), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 0), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_POLL, 0), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(200, 5), DMX_ST_NO_DEVICE) << "the device check comes before the command check";
}

TEST_F(Lib, ANullPointerWhereACommandNeedsOneIsAnswered) {
  EXPECT_EQ(Q(DMX_CMD_GET_VERSION, 0, 0, nullptr), DMX_ST_NULL_POINTER);
  EXPECT_EQ(Q(DMX_CMD_LIST_FREE, 0, 0, nullptr), DMX_ST_NULL_POINTER);
  EXPECT_EQ(Q(DMX_CMD_OPEN_NEXT, 0, 0, nullptr), DMX_ST_NULL_POINTER);
  init();
  openBox(1);
  for (unsigned command : {DMX_CMD_WRITE_FRAME, DMX_CMD_READ_FRAME, DMX_CMD_GET_FRAME_TIME, DMX_CMD_SET_NAME,
                           DMX_CMD_GET_DIRECTIONS, DMX_CMD_WRITE_PAGE, DMX_CMD_READ_PAGE, DMX_CMD_WRITE_BLOCK,
                           DMX_CMD_READ_BLOCK, DMX_CMD_READ_STATUS3, DMX_CMD_GET_NAME, DMX_CMD_GET_NOTIFY,
                           DMX_CMD_GET_FIRMWARE_VERSION, DMX_CMD_WRITE_CONFIG, DMX_CMD_READ_CONFIG}) {
    EXPECT_EQ(Q(command, 1, 0, nullptr), DMX_ST_NULL_POINTER) << "command " << command;
  }
  EXPECT_EQ(Q(DMX_CMD_RAW_BULK, 1, 10, nullptr), DMX_ST_NULL_POINTER);
  EXPECT_EQ(Q(DMX_CMD_READ_MESSAGE, 1, 5, nullptr), DMX_ST_NULL_POINTER);
  EXPECT_EQ(Q(DMX_CMD_WRITE_E1, 1, (3 << 16) | 8, nullptr), DMX_ST_NULL_POINTER);
  EXPECT_EQ(Q(DMX_CMD_WRITE_MESSAGE, 1, 0, nullptr), 0u) << "no data to move: none needed";
}

TEST_F(Lib, StatusTextsAreReadThroughTheReturnedAddress) {
  const std::pair<uint32_t, const char*> table[] = {
      {0, wdu::StatusText(0)},
      {wdu::kDeviceRemoved, wdu::StatusText(wdu::kDeviceRemoved)},
      {0x1234, wdu::StatusText(0x1234)},
      {DMX_ST_NO_DEVICE, "NO DEVICE"},
      {DMX_ST_OUT_OF_DEVICES, "OUT OF DEVICES"},
      {0xD0000002, "UNKNOWN CODE"},
      {DMX_ST_FORCED_EXIT, "FORCED EXIT"},
      {DMX_ST_UNKNOWN_COMMAND, "UNKNOWN COMMAND"},
      {DMX_ST_ALREADY_OPEN, "ALREADY OPEN"},
      {DMX_ST_ALREADY_CLOSED, "ALREADY CLOSED"},
      {DMX_ST_MAX_DEVCNT_REACHED, "MAX DEVCNT REACHED"},
      {DMX_ST_NOT_IN_FILTER, "UNKNOWN CODE"},
      {DMX_ST_FILTER_LOCKED, "UNKNOWN CODE"},
      {DMX_ST_DMX_DATA_READY, "DMX DATA READY"},
      {DMX_ST_NULL_POINTER, "NULL POINTER"},
      {DMX_ST_SHORT_ANSWER, "SHORT ANSWER"},
      {0xD000000D, "UNKNOWN CODE"},
      {0xFFFFFFFF, "UNKNOWN CODE"},
  };
  for (const auto& [code, text] : table) {
    const unsigned address = Q(DMX_CMD_STATUS_TEXT, 0, static_cast<int>(code));
    ASSERT_NE(address, 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(address)), text) << std::hex << code;
    EXPECT_EQ(Q(DMX_CMD_STATUS_TEXT, 0, static_cast<int>(code)), address) << "one copy per text";
  }
  EXPECT_STREQ(wdu::StatusText(0), "Success");
}

// A host must tell "USB unusable" from "no box plugged in".
TEST_F(Lib, InitialiseTellsWhyTheUsbLayerCannotStart) {
  ASSERT_EQ(wdu::SelectBackendLibrary("/nonexistent/libnothing.so"), wdu::kNoBackend);
  EXPECT_EQ(Q(DMX_CMD_INIT, 255, 0x11BE, asData(0xF0A9)), wdu::kNoBackend);
  const unsigned text = Q(DMX_CMD_STATUS_TEXT, 0, static_cast<int>(wdu::kNoBackend));
  ASSERT_NE(text, 0u);
  const std::string why = reinterpret_cast<const char*>(static_cast<uintptr_t>(text));
  EXPECT_NE(why.find("/nonexistent/libnothing.so"), std::string::npos) << why;
  EXPECT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 0), 0u) << "no registration was left to lock the filter";

  bus = wdu::testing::useSimulatedBus(SIM_USB_LIB);
  ASSERT_NE(bus, nullptr);
  init();  // the layer starts; no box yet is no failure
  plug();
  EXPECT_TRUE(waitAttached(1));
}

TEST_F(Lib, ShutdownAsTheFirstCallAnswersNoDeviceToEverythingAfter) {
  EXPECT_EQ(Q(DMX_CMD_INIT, 0), 0u);
  uint32_t version = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_VERSION, 0, 0, &version), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 0), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_INIT, 255, 0x11BE, asData(0xF0A9)), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_STATUS_TEXT, 0, 0), DMX_ST_NO_DEVICE);
}

TEST_F(Lib, TheFilterIsLockedWhileTheLibraryIsInitialised) {
  const char* names[] = {"A", nullptr};
  EXPECT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 1, 0, names), 0u);
  init();
  EXPECT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 1, 0, names), DMX_ST_FILTER_LOCKED);
  EXPECT_EQ(Q(DMX_CMD_INIT, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 1, 0, names), DMX_ST_NO_DEVICE);
}

TEST_F(Lib, OpenCloseAndTheFreeList) {
  init();
  for (int i = 0; i < 3; ++i) plug();
  ASSERT_TRUE(waitAttached(3));
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{1, 2, 3}));

  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  auto modes = requests(0x17);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(wIndex(modes[0]), 0x2000) << "port 0 first, mode 0x20";
  EXPECT_EQ(wIndex(modes[1]), 0x2001);
  EXPECT_EQ(wValue(modes[1]), 0);
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{2, 3}));

  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_OPEN, 1), DMX_ST_ALREADY_OPEN);
  EXPECT_TRUE(bus->transfers().empty()) << "a second open sends nothing";
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 1), 0u);
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 1), DMX_ST_ALREADY_CLOSED);
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 9), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1), DMX_ST_NO_DEVICE) << "a closed device takes no device command";
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{2, 3, 1}));

  EXPECT_EQ(Q(DMX_CMD_OPEN, 3), 0u);
  EXPECT_EQ(Q(DMX_CMD_OPEN, 2), 0u);
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 3), 0u);
  EXPECT_EQ(Q(DMX_CMD_CLOSE, 2), 0u);
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{1, 3, 2}));
  uint8_t id = 0;
  EXPECT_EQ(Q(DMX_CMD_OPEN_NEXT, 0, 0, &id), 0u);
  EXPECT_EQ(id, 2) << "the id freed last";
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{1, 3}));
  uint32_t version = 0;
  EXPECT_EQ(Q(DMX_CMD_GET_VERSION, 2, 0, &version), 0u);
  EXPECT_EQ(version, 0x103u) << "answered by the library, not the device";
}

TEST_F(Lib, AFailedPortModeLeavesTheDeviceClosedAndFree) {
  init();
  const uint32_t address = plug();
  ASSERT_TRUE(waitAttached(1));
  simusb::FaultSpec fault{simusb::FaultKind::Status, simusb::kControlPipe, 1, 0x20000042};
  fault.request = 0x17;
  bus->injectFault(address, fault);
  EXPECT_EQ(Q(DMX_CMD_OPEN, 1), 0x20000042u);
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{1}));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1), DMX_ST_NO_DEVICE);
  EXPECT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
}

TEST_F(Lib, ASecondInitialiseShutsTheFirstDownFirst) {
  init();
  openBox(1);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1), 0u);  // starts port 0's reader
  EXPECT_EQ(Q(DMX_CMD_IDENTIFY, 1, 255), 0u);
  init();
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0)) << "the first registration's device is destroyed";
  ASSERT_TRUE(waitAttached(1)) << "and the box attaches again";
  EXPECT_EQ(Q(DMX_CMD_POLL, 1), DMX_ST_NO_DEVICE) << "closed";
  EXPECT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  EXPECT_FALSE(boxes[0]->identify().on);
}

TEST_F(Lib, ShutdownClosesEveryDeviceAndTellsTheHost) {
  init();
  openBox(1);
  openBox(2);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 2, 1), 0u);
  EXPECT_EQ(Q(DMX_CMD_IDENTIFY, 2, 255), 0u);
  EXPECT_EQ(Q(DMX_CMD_INIT, 0), 0u);
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0, 2));
  EXPECT_FALSE(boxes[1]->identify().on) << "closing switched identify off";
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 1), DMX_ST_NO_DEVICE);
}

TEST_F(Lib, KnownProductsAreTakenWhateverInitialiseNamedOthersOnlyWhenNamed) {
  init(255, 0xF0A9);
  const uint32_t other = plug({.productId = 0x1234, .name = "other"});
  plug({.productId = 0xF0A8, .name = "known"});
  ASSERT_TRUE(waitAttached(1));
  ASSERT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  EXPECT_EQ(nameOf(*this, 1), "known");
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 2), DMX_ST_NO_DEVICE);
  for (const auto& t : bus->transfers()) EXPECT_NE(t.address, other) << "the refused box is left alone";

  init(255, 0x1234);
  ASSERT_TRUE(waitAttached(2));
}

TEST_F(Lib, TheFilterFixesEachNamedBoxsIdAndRefusesOthers) {
  const char* names[] = {"A", "B", nullptr};
  ASSERT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 5, 0, names), 0u);
  init(255);
  const uint32_t b = plug({.name = "B"});
  ASSERT_TRUE(waitAttached(2));
  const uint32_t c = plug({.name = "C"});
  plug({.name = "A"});
  ASSERT_TRUE(waitAttached(1));
  const uint32_t secondA = plug({.name = "A"});
  bus->unplug(b);  // its detach comes after the offers before it
  ASSERT_TRUE(waitGone(2));
  for (const auto& t : bus->transfers()) {
    if (t.address == c || t.address == secondA) {
      EXPECT_NE(t.setup[1], 0x11) << "refused after its name was read";
    }
  }
  ASSERT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  EXPECT_EQ(nameOf(*this, 1), "A");
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 3), DMX_ST_NO_DEVICE) << "the maximum is the filter's two names";
}

TEST_F(Lib, FilterNamesAreComparedOverFifteenCharacters) {
  const char* names[] = {"ABCDEFGHIJKLMNOP", nullptr};
  ASSERT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 1, 0, names), 0u);
  init(255);
  plug({.name = "ABCDEFGHIJKLMNOX"});
  EXPECT_TRUE(waitAttached(1));
}

TEST_F(Lib, WithAFilterTheMaximumIsItsCount) {
  const char* names[] = {"one", "two", "three", nullptr};
  ASSERT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 3, 0, names), 0u);
  init(1);
  plug({.name = "three"});
  plug({.name = "one"});
  plug({.name = "two"});
  EXPECT_TRUE(waitAttached(1));
  EXPECT_TRUE(waitAttached(2));
  EXPECT_TRUE(waitAttached(3));
}

TEST_F(Lib, WithoutAFilterTheLowestFreeIdIsReused) {
  init();
  plug({.name = "one"});
  const uint32_t two = plug({.name = "two"});
  plug({.name = "three"});
  ASSERT_TRUE(waitAttached(3));
  bus->unplug(two);
  ASSERT_TRUE(waitGone(2));
  EXPECT_EQ(freeList(*this), (std::vector<uint8_t>{1, 3})) << "the others keep their order";
  plug({.name = "four"});
  ASSERT_TRUE(waitAttached(2));
  ASSERT_EQ(Q(DMX_CMD_OPEN, 2), 0u);
  EXPECT_EQ(nameOf(*this, 2), "four");
}

TEST_F(Lib, TheBoxWithId255IsFoundAndRemovedOnDetach) {
  std::vector<std::string> text;
  for (int i = 1; i <= 255; ++i) text.push_back(std::string(1, 'N').append(std::to_string(i)));
  std::vector<const char*> names;
  for (auto& t : text) names.push_back(t.c_str());
  names.push_back(nullptr);
  ASSERT_EQ(Q(DMX_CMD_SET_SERIAL_FILTER, 255, 0, names.data()), 0u);
  init(255);
  const uint32_t address = plug({.name = "N255"});
  ASSERT_TRUE(waitAttached(255));
  openBox(1, {.name = "N1"});
  ASSERT_EQ(Q(DMX_CMD_OPEN, 255), 0u);
  ASSERT_EQ(Q(DMX_CMD_SET_NOTIFY, 255, static_cast<int>(kMessage), asData(window)), 0u);
  bus->unplug(address);
  EXPECT_TRUE(waitGone(255));
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0));
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 1), 0u);
}

TEST_F(Lib, ABoxThatFailsItsSetUpIsRefusedAndLeavesNoEntry) {
  simusb::FaultSpec noInterface{simusb::FaultKind::Stall, simusb::kControlPipe};
  noInterface.request = 0x0B;  // SET_INTERFACE
  const uint32_t first = plug({.name = "no interface"});
  bus->injectFault(first, noInterface);
  simusb::FaultSpec noName{simusb::FaultKind::Stall, simusb::kControlPipe};
  noName.request = 0x00;
  const uint32_t second = plug({.name = "no name"});
  bus->injectFault(second, noName);
  simusb::FaultSpec noEndpoint{simusb::FaultKind::Stall, simusb::kControlPipe};
  noEndpoint.request = 0x12;
  const uint32_t third = plug({.name = "no endpoint"});
  bus->injectFault(third, noEndpoint);
  simusb::FaultSpec noEndpointByte{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 0};
  noEndpointByte.request = 0x11;  // answered, but without the byte: no port would ever move a frame
  const uint32_t fourth = plug({.name = "no endpoint byte"});
  bus->injectFault(fourth, noEndpointByte);
  plug({.name = "good"});
  init();  // the boxes are offered in the order they came, with their faults in place
  ASSERT_TRUE(waitAttached(1));
  ASSERT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  EXPECT_EQ(nameOf(*this, 1), "good");
  EXPECT_EQ(Q(DMX_CMD_DEVICE_EXISTS, 2), DMX_ST_NO_DEVICE);
  for (const auto& t : bus->transfers()) {
    if (t.address == first) {
      EXPECT_EQ(t.setup[1], 0x0B) << "nothing after the failed SET_INTERFACE";
    }
  }
}

TEST_F(Lib, AShortNameAnswerIsZeroFilled) {
  const uint32_t address = plug({.name = "ABCDEFGHIJ"});
  simusb::FaultSpec shortName{simusb::FaultKind::ShortRead, simusb::kControlPipe, 1, 0, 3};
  shortName.request = 0x00;
  bus->injectFault(address, shortName);
  init();
  ASSERT_TRUE(waitAttached(1));
  ASSERT_EQ(Q(DMX_CMD_OPEN, 1), 0u);
  EXPECT_EQ(nameOf(*this, 1), "ABC");
}

TEST_F(Lib, DetachingAnOpenBoxStopsItsThreadsAndTellsTheHost) {
  init();
  openBox(1);
  const uint32_t address = bus->addresses().at(0);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 4; })) << "both readers poll";
  bus->unplug(address);
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_NO_DEVICE);
}

TEST_F(Lib, ADetachWhileADeviceCommandRunsIsClean) {
  init();
  openBox(1);
  const uint32_t address = bus->addresses().at(0);
  std::vector<uint8_t> block(512, 0x5A);
  unsigned result = 0;
  std::thread host([&] { result = Q(DMX_CMD_WRITE_BLOCK, 1, 0, block.data()); });  // 8 pages, 100 ms apart
  EXPECT_TRUE(waitUntil([&] { return !requests(0x1F).empty(); }));
  bus->unplug(address);
  host.join();
  EXPECT_TRUE(result == wdu::kDeviceRemoved || result == wdu::kInvalidHandle) << std::hex << result;
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0));
  EXPECT_EQ(Q(DMX_CMD_WRITE_BLOCK, 1, 0, block.data()), DMX_ST_NO_DEVICE);
}

TEST_F(Lib, PriorityCommandSetsTheProcesssClass) {
  if (!sys::setPriorityClass(sys::PriorityClass::Realtime))
    GTEST_SKIP() << "no privilege to raise priorities";
  const auto nice = [] {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
  };
  EXPECT_EQ(Q(DMX_CMD_SET_PRIORITY, 0, 0), 0u);
  EXPECT_EQ(nice(), 0);
  EXPECT_EQ(Q(DMX_CMD_SET_PRIORITY, 0, 2), 0u);
  EXPECT_EQ(nice(), -20);
  EXPECT_EQ(Q(DMX_CMD_SET_PRIORITY, 0, 1), 0u);
  EXPECT_EQ(nice(), -10) << "any value but 0 and 2 is the high class";
}

}  // namespace
}  // namespace quillon::testing
