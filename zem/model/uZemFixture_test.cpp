#include "zem/model/uZemFixture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/ui/message_box.h"
#include "zem/model/fake_device.h"

namespace {

using zemtest::FakeDevice;

// A model the way the model classes use the base: page 100, enter function 111.
class TestModel : public TZemFixture {
 public:
  using TZemFixture::appendAddressRange;
  using TZemFixture::ErrorFlag;
  using TZemFixture::fillAddressesExcept;
  using TZemFixture::fillErrorList;
  using TZemFixture::sendIdle;
  using TZemFixture::sendLive;
  using TZemFixture::sendPair;
  using TZemFixture::sendScene;
  int GetServiceCommandPage() override { return 100; }
  std::string DecodeLogText() override { return "payload"; }
  void setLongLog(bool on) { longLog_ = on; }
  void setDisplay(bool on) { hasDisplay_ = on; }
  void setChunk(int n) { eepromWriteChunk_ = static_cast<uint8_t>(n); }
  void setRequired(int32_t v) { requiredFirmwareVersion_ = v; }
};

class FixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitZemData();
    ui::clearShownMessageBoxes();
    Device = &dev;
  }
  void TearDown() override { Device = nullptr; }
  void setInfo(const char* type, uint8_t major, uint8_t minor, uint8_t build) {
    std::memcpy(&FixtureData[fd::kFixtureInfo], type, std::strlen(type));
    FixtureData[fd::kFixtureInfo + 6] = major;
    FixtureData[fd::kFixtureInfo + 7] = minor;
    FixtureData[fd::kFixtureInfo + 13] = build;
  }
  FakeDevice dev;
  TestModel model;
};

// ---- identity and versions ----

TEST_F(FixtureTest, SerialTextDropsLeadingBlanksAndShowsUnprintableBytes) {
  const uint8_t serial[] = {' ', ' ', 'A', 'B', 0, 'Z'};
  std::memcpy(&FixtureData[fd::kSerial], serial, sizeof serial);
  EXPECT_EQ(model.GetSerialNumberText(), "AB");
  FixtureData[fd::kSerial + 3] = 200;
  EXPECT_EQ(model.GetSerialNumberText(), "A(200)");
  std::memset(&FixtureData[fd::kSerial], ' ', 15);
  EXPECT_EQ(model.GetSerialNumberText(), "");
}

TEST_F(FixtureTest, VersionTextAndTypeCode) {
  setInfo("BV20", 2, 3, 0);
  FixtureData[fd::kFixtureInfo + 8] = 1;
  FixtureData[fd::kFixtureInfo + 14] = 9;
  EXPECT_EQ(model.GetTypeCode(), "BV20");  // ends at the zero fifth byte
  EXPECT_EQ(model.GetVersionText(), "Main CPU: Version 2.3");
  FixtureData[fd::kFixtureInfo + 13] = 7;
  model.setDisplay(true);
  EXPECT_EQ(model.GetVersionText(), "Main CPU: Version 2.3 build 7,  Display: Version 1.0 build 9");
  EXPECT_EQ(model.GetFirmwareVersion(), 0x020307u);
  EXPECT_EQ(model.GetFirmwareVersionText(), "2.3 build 7");
}

TEST_F(FixtureTest, FirmwareAndProgramVersionChecks) {
  setInfo("BV200", 0xFF, 0xFF, 0xFF);
  EXPECT_FALSE(model.IsFirmwareSupported());  // the generic model's -1 is met by nothing
  EXPECT_EQ(model.GetRequiredFirmwareVersionText(), "255.255 build 255");
  model.setRequired(0x020000);
  EXPECT_TRUE(model.IsFirmwareSupported());
  setInfo("BV200", 1, 9, 9);
  EXPECT_FALSE(model.IsFirmwareSupported());

  const auto need = [](uint8_t a, uint8_t b, uint8_t c) {
    FixtureData[fd::kZemVersion] = a;
    FixtureData[fd::kZemVersion + 1] = b;
    FixtureData[fd::kZemVersion + 2] = c;
  };
  need(1, 8, 0);
  EXPECT_TRUE(model.IsZemVersionSupported());
  EXPECT_EQ(model.GetZemVersionText(), "1.8");
  need(1, 8, 1);
  EXPECT_FALSE(model.IsZemVersionSupported());
  need(1, 9, 0);
  EXPECT_FALSE(model.IsZemVersionSupported());
}

TEST_F(FixtureTest, GenericModelCannotBeOpenedAndAnswersWithoutTheFixture) {
  TZemFixture generic;
  int progressCalls = 0;
  EXPECT_FALSE(generic.ReadAllFixtureData([&](int, int) { ++progressCalls; }));
  EXPECT_FALSE(generic.ReadBasicFixtureData());
  EXPECT_EQ(progressCalls, 0);
  EXPECT_TRUE(dev.calls.empty());
  EXPECT_EQ(generic.LogTextList(), TStringList{"ZEM does not support the log feature for this fixture."});
  EXPECT_EQ(generic.GetMaxMemoryAddress(), -1);
  EXPECT_EQ(generic.GetEepromSettleTime(), 150);
}

TEST_F(FixtureTest, GenericErrorListIsOneLineHoweverOftenItIsAsked) {
  TZemFixture generic;
  generic.GetErrorList();
  generic.GetErrorList();
  EXPECT_EQ(generic.GetErrorList(), TStringList{"Generic fixture - NO Errorparsing"});
}

TEST_F(FixtureTest, GenericServicePageShowsNotAvailable) {
  TZemFixture generic;
  EXPECT_EQ(generic.GetServiceCommandPage(), 0);
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "N/A");
}

TEST_F(FixtureTest, LampStateOutOfRangeGivesATextNotAnException) {
  const char* expected[] = {"Lamp is OFF", "Lamp is ON", "Lamp is OFF"};
  for (uint8_t s = 0; s < 3; ++s) {
    FixtureData[fd::kLampStatus] = s;
    EXPECT_EQ(model.GetLampStateText(), expected[s]);
  }
  FixtureData[fd::kLampStatus] = 3;
  EXPECT_EQ(model.GetLampStateText(), "Lamp state unknown (3)");
}

TEST_F(FixtureTest, ListIndexConversions) {
  EXPECT_EQ(model.StepValueToIndex(10), 10);
  EXPECT_EQ(model.StepValueToIndex(15), 11);
  EXPECT_EQ(model.StepValueToIndex(120), 32);
  EXPECT_EQ(model.StepValueToIndex(12), -1);
  EXPECT_EQ(model.StepValueToIndex(125), -1);
  EXPECT_EQ(model.SecondsToIndex(20), 20);
  EXPECT_EQ(model.SecondsToIndex(25), 21);
  EXPECT_EQ(model.SecondsToIndex(60), 28);
  EXPECT_EQ(model.SecondsToIndex(61), -1);
  EXPECT_EQ(model.SecondsToIndex(65), -1);
  EXPECT_EQ(model.SecondsToIndex(90), 29);
  EXPECT_EQ(model.SecondsToIndex(43200), 45);
  EXPECT_EQ(model.SecondsToIndex(-1), -1);
}

// ---- setter rule ----

TEST_F(FixtureTest, FailedReadWritesNothingAndNoDeviceIsFalse) {
  dev.failing.insert("GetTimerSettings");
  EXPECT_FALSE(model.SetTimer1StartHour(7));
  EXPECT_FALSE(dev.writes());
  Device = nullptr;
  EXPECT_FALSE(model.SetTimerMode(1));
  EXPECT_FALSE(model.SetDmxAddress(3));
  EXPECT_EQ(FixtureData[fd::kTimerSettings + 1], 0);
}

TEST_F(FixtureTest, OutOfRangeValuesRaiseBeforeAnythingIsSent) {
  EXPECT_THROW(model.SetDmxProtocol(256), ERangeError);
  EXPECT_THROW(model.SetDmxAddress(65536), ERangeError);
  EXPECT_THROW(model.SetSensorTriggerWord(-1), ERangeError);
  EXPECT_THROW(model.SetPanInvert(2), ERangeError);  // would spill into the next bit
  EXPECT_THROW(model.SetClockMinute(300), ERangeError);
  EXPECT_THROW(model.SendServiceCommand(256, 0, 0), ERangeError);
  EXPECT_THROW(model.SendServiceCommandOnce(1, 65536, 0), ERangeError);
  EXPECT_THROW(model.SendServiceCommand237(1, 0, 44, -1), ERangeError);
  EXPECT_THROW(model.WriteEeprom(0, 70000), ERangeError);
  EXPECT_THROW(model.GetMonitorWordA(0), ERangeError);
  EXPECT_THROW(model.GetMonitorValueC(8), ERangeError);
  EXPECT_TRUE(dev.calls.empty());
}

TEST_F(FixtureTest, SegmentAutoConfigureReadsBeforeItDecides) {
  // Record says the bit is set, the fixture says it is clear: the fixture wins.
  FixtureData[fd::kPersonality + 9] = 0x10;
  dev.remote[fd::kPersonality + 9] = 0x81;
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_EQ(dev.calls,
            (std::vector<std::string>{"GetPersonalities", "SetPersonalities(0)", "GetPersonalities"}));
  EXPECT_EQ(dev.remote[fd::kPersonality + 9], 0x91);
  dev.calls.clear();
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_FALSE(dev.writes());
  EXPECT_TRUE(model.DisableSegmentAutoConfigure());
  EXPECT_EQ(dev.remote[fd::kPersonality + 9], 0x81);
  dev.failing.insert("GetPersonalities");
  dev.calls.clear();
  EXPECT_FALSE(model.EnableSegmentAutoConfigure());
  EXPECT_FALSE(dev.writes());
}

TEST_F(FixtureTest, PersonalityWriteUsesTheModelsPauseAndSensorWritesTriggerZero) {
  EXPECT_TRUE(model.SetSensorTriggerWord(500));
  EXPECT_EQ(dev.count("SetSensorTriggerSettings(0)"), 1);
  EXPECT_EQ(model.GetSensorTriggerWord(), 500);
  dev.calls.clear();
  EXPECT_TRUE(model.RearmSensorTrigger());
  EXPECT_EQ(dev.calls,
            (std::vector<std::string>{"SetSensorTriggerSettings(255)", "GetSensorTriggerSettings"}));
}

// ---- monitor ----

TEST_F(FixtureTest, MonitorValuesAndPageStepping) {
  const size_t b = fd::kHardwareMonitor + 15 * 1 + 1;
  const size_t c = fd::kHardwareMonitor + 15 * 2 + 13;
  FixtureData[b] = 0x9C;  // 65436
  FixtureData[b + 1] = 0xFF;
  FixtureData[c] = 0x9C;
  FixtureData[c + 1] = 0xFF;
  EXPECT_DOUBLE_EQ(model.GetMonitorValueB(1), 654.36);
  EXPECT_DOUBLE_EQ(model.GetMonitorValueC(7), -1.0);

  for (int expected : {1, 2, 3, 0, 1}) {
    EXPECT_TRUE(model.ReadNextMonitorPage());
    EXPECT_EQ(model.MonitorPage(), expected);
  }
  EXPECT_EQ(dev.calls.back(), "GetHardwareMonitorValues(1)");
  Device = nullptr;
  EXPECT_FALSE(model.ReadNextMonitorPage());
  EXPECT_EQ(model.MonitorPage(), 2);  // advances without a device
}

// ---- EEPROM and address lists ----

TEST_F(FixtureTest, BlockWriteIsLimitedByTheChunk) {
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 4);
  EXPECT_EQ(dev.calls.back(), "WriteEEPromWords(100,4,150)");
  EXPECT_EQ(model.WriteEepromBlock(100, 3, 5), 3);
  model.setChunk(1);
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 1);
  dev.failing.insert("WriteEEPromWords");
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 0);
  EXPECT_THROW(model.WriteEepromBlock(100, 0, 150), ERangeError);
  Device = nullptr;
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 0);
  EXPECT_EQ(model.ReadEepromChunk(0), 0);
}

TEST_F(FixtureTest, ChunkReadFillsTheWordsArea) {
  dev.eeprom[7] = 0xBEEF;
  EXPECT_EQ(model.ReadEepromChunk(7), 1);
  EXPECT_EQ(dev.calls.back(), "ReadEEProm(7,1)");
  EXPECT_EQ(FixtureData[fd::kEEPromWords], 0xEF);
  EXPECT_EQ(FixtureData[fd::kEEPromWords + 1], 0xBE);
}

TEST_F(FixtureTest, GenericAddressListsAreEmptyNotTheCallersOldList) {
  TZemFixture generic;
  TAddressList list{1, 2, 3};
  generic.GetStandAloneAddressList(list);
  EXPECT_TRUE(list.empty());
  list = {4};
  generic.GetSettingsAddressList(list);
  EXPECT_TRUE(list.empty());
  list = {5};
  generic.GetMemoryAddressList(list);
  EXPECT_TRUE(list.empty());
}

TEST_F(FixtureTest, AddressListHelpersExcludeInclusiveRanges) {
  TAddressList list{999};
  TestModel::fillAddressesExcept(list, 255, {{4, 11}, {14, 17}, {40, 43}, {98, 98}, {109, 208}, {240, 255}});
  EXPECT_EQ(list.size(), 123u);
  EXPECT_EQ(list.front(), 0);
  EXPECT_EQ(list.back(), 239);
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
  TestModel::fillAddressesExcept(list, 255, {{4, 11}, {14, 17}, {40, 43}, {98, 98}, {240, 255}});
  EXPECT_EQ(list.size(), 223u);
  list.clear();
  TestModel::appendAddressRange(list, 300, 545);
  EXPECT_EQ(list.size(), 246u);
  EXPECT_EQ(list.back(), 545);
}

// ---- error lists ----

TEST_F(FixtureTest, ErrorListCommonForm) {
  static const TestModel::ErrorFlag kTable[] = {{1, 0, "(%d) LERR - Lamp Error"},
                                                {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
                                                {5, 4, "(%d) ZOER - Zoom Reset Error"}};
  FixtureData[fd::kErrorStatus + 1] = 0x01;
  FixtureData[fd::kErrorStatus + 5] = 0x10;
  EXPECT_EQ(model.fillErrorList(kTable), TStringList{"Fixture reports no errors"});  // byte 0 clear
  FixtureData[fd::kErrorStatus] = 1;
  EXPECT_EQ(model.fillErrorList(kTable), (TStringList{"Fixture reports 2 errors", "(1) LERR - Lamp Error",
                                                      "(2) ZOER - Zoom Reset Error"}));
  FixtureData[fd::kErrorStatus + 5] = 0;
  EXPECT_EQ(model.fillErrorList(kTable), (TStringList{"Fixture reports 1 error", "(1) LERR - Lamp Error"}));
  FixtureData[fd::kErrorStatus + 1] = 0;
  EXPECT_EQ(model.fillErrorList(kTable), TStringList{"Fixture reports 0 errors"});
}

// ---- system log ----

std::array<uint8_t, kLogBlockSize> longEntry(uint16_t type, const char* text, uint8_t valid = 1) {
  std::array<uint8_t, kLogBlockSize> b{};
  b[10] = 3;
  b[12] = valid;
  const uint8_t ts[] = {12, 24, 18, 5};
  std::memcpy(&b[13], ts, 4);
  b[17] = static_cast<uint8_t>(type & 0xFF);
  b[18] = static_cast<uint8_t>(type >> 8);
  std::memcpy(&b[19], text, std::min<size_t>(std::strlen(text), kLogBlockSize - 19));
  return b;
}

TEST_F(FixtureTest, LongLogEntryText) {
  model.setLongLog(true);
  dev.longEntries[0] = longEntry(0xE123, "Overheat");
  dev.longEntries[1] = longEntry(0x0800, "x");
  dev.longEntries[2] = longEntry(0x0000, "y");
  dev.longEntries[3] = longEntry(0xF800, "z", 0);
  dev.longEntries[4] = longEntry(0xD000, "0123456789012345678901234567890123456789");
  std::string text;
  EXPECT_TRUE(model.FormatLogEntry(0, text));
  EXPECT_EQ(text, "24/12-18:05 - WARNING - Overheat");
  EXPECT_TRUE(model.FormatLogEntry(1, text));
  EXPECT_EQ(text, "24/12-18:05 - DEBUG.START - x");
  EXPECT_TRUE(model.FormatLogEntry(2, text));
  EXPECT_EQ(text, "24/12-18:05 - DEBUG.STOP - y");
  EXPECT_FALSE(model.FormatLogEntry(3, text));  // not valid, still formed
  EXPECT_EQ(text, "24/12-18:05 - ERROR.START - z");
  EXPECT_TRUE(model.FormatLogEntry(4, text));
  EXPECT_EQ(text, "24/12-18:05 - INFO - 01234567890123456789012345678901");
  EXPECT_FALSE(model.FormatLogEntry(9, text));  // failed read leaves the text
  EXPECT_EQ(text, "24/12-18:05 - INFO - 01234567890123456789012345678901");
}

TEST_F(FixtureTest, ShortLogEntryUsesTheModelsDecoderAndCountFallsBackToTheLongRead) {
  std::array<uint8_t, kFixtureDataSize> e{};
  e[fd::kSystemLogEntry + 4] = 1;
  const uint8_t ts[] = {1, 2, 3, 45};
  std::memcpy(&e[fd::kSystemLogEntry + 5], ts, 4);
  dev.logEntries[0] = e;
  std::string text;
  EXPECT_TRUE(model.FormatLogEntry(0, text));
  EXPECT_EQ(text, "2/1-3:45 - payload");

  dev.logEntries.clear();
  dev.longEntries[0] = longEntry(0, "");
  EXPECT_TRUE(model.ReadLogCount());
  EXPECT_EQ(FixtureData[fd::kSystemLogEntry + 2], 3);
  dev.longEntries.clear();
  EXPECT_FALSE(model.ReadLogCount());
}

// ---- service frames (frame layout; the end-to-end counts are in the simulator tests) ----

TEST_F(FixtureTest, ServiceFrameLayout) {
  setInfo("GRB_E", 1, 0, 0);
  EXPECT_TRUE(model.SendServiceCommandOnce(81, 300, 44));
  ASSERT_EQ(dev.frames.size(), 1u);
  const auto& f = dev.frames[0];
  ASSERT_EQ(f.size(), 37u);
  EXPECT_EQ(f[0], 0x8B);
  EXPECT_EQ(std::string(f.begin() + 1, f.begin() + 6), "GRB_E");
  EXPECT_EQ(f[11], 81);
  EXPECT_EQ(f[12], 1);  // 300 = 1 * 256 + 44, high byte first
  EXPECT_EQ(f[13], 44);
  EXPECT_EQ(f[14], 100);
  EXPECT_EQ(f[15], 44);
  for (size_t k : {6u, 7u, 8u, 9u, 10u, 16u, 17u, 36u}) EXPECT_EQ(f[k], 0) << k;

  EXPECT_TRUE(model.SendServiceCommand237(101, 20, 44, 0x0102));
  EXPECT_EQ(dev.frames[1][0], 0xED);
  EXPECT_EQ(dev.frames[1][16], 1);
  EXPECT_EQ(dev.frames[1][17], 2);
}

TEST_F(FixtureTest, FailedFirstSendSuppressesTheClosingFrame) {
  dev.sendFailuresLeft = 1;
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
  EXPECT_TRUE(dev.frames.empty());
  EXPECT_EQ(dev.count("SendMP2Command"), 1);
  Device = nullptr;
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
}

TEST_F(FixtureTest, LiveValueOutOfRangeSendsNoEnterPrefix) {
  EXPECT_THROW(model.sendLive(111, 100, 65536), ERangeError);
  EXPECT_THROW(model.sendLive(256, 100, 1), ERangeError);
  EXPECT_THROW(model.sendScene(111, 300, 0), ERangeError);
  EXPECT_TRUE(dev.calls.empty());
  EXPECT_TRUE(model.sendLive(111, 100, 65535));
  EXPECT_EQ(dev.frames.size(), 6u);
}

TEST_F(FixtureTest, IdleFrameGoesOutWithMP2IdleRaised) {
  EXPECT_TRUE(model.sendIdle(111));
  ASSERT_EQ(dev.frames.size(), 1u);
  EXPECT_TRUE(dev.frameMP2Idle[0]);
  EXPECT_FALSE(MP2Idle);
  EXPECT_EQ(dev.frames[0][15], 0);
}

TEST_F(FixtureTest, SceneOperationReadsTheProgramEvenWhenFramesFail) {
  dev.sendFailuresLeft = 100;
  EXPECT_TRUE(model.sendScene(111, 113, 0));
  EXPECT_EQ(dev.calls.back(), "GetStandAlone(13)");
  Device = nullptr;
  EXPECT_FALSE(model.sendScene(111, 113, 0));
}

}  // namespace
