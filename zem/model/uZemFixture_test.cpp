#include "zem/model/uZemFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "zem/model/fake_device.h"

namespace {

using zemtest::FakeDevice;

// A model the way the model classes use the base: page 100, enter function 111.
class TestModel : public TZemFixture {
 public:
  using TZemFixture::appendAddressRange;
  using TZemFixture::eepromAreaWord;
  using TZemFixture::ErrorFlag;
  using TZemFixture::fillAddressesExcept;
  using TZemFixture::fillErrorList;
  using TZemFixture::readEepromWords;
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

TEST_F(FixtureTest, SerialTextDropsLeadingBlanksAndEndsAtAZeroByte) {
  const uint8_t serial[] = {' ', ' ', 'A', 'B', 0, 'Z'};
  std::memcpy(&FixtureData[fd::kSerial], serial, sizeof serial);
  EXPECT_EQ(model.GetSerialNumberText(), "AB");
}

TEST_F(FixtureTest, SerialTextShowsUnprintableBytesByValue) {
  const uint8_t serial[] = {'A', 200, 31, 127, 128, 32};
  std::memcpy(&FixtureData[fd::kSerial], serial, sizeof serial);
  EXPECT_EQ(model.GetSerialNumberText(), "A(200)(31)\x7f(128) ");
}

TEST_F(FixtureTest, SerialStartingWithAZeroByteGivesNoText) {
  const uint8_t serial[] = {0, 'A', 'B'};
  std::memcpy(&FixtureData[fd::kSerial], serial, sizeof serial);
  EXPECT_EQ(model.GetSerialNumberText(), "");
}

TEST_F(FixtureTest, AllBlankSerialGivesNoText) {
  std::memset(&FixtureData[fd::kSerial], ' ', 15);
  EXPECT_EQ(model.GetSerialNumberText(), "");
}

TEST_F(FixtureTest, SerialTextHoldsFifteenCharactersAtMost) {
  std::memset(&FixtureData[fd::kSerial], 'S', 15);
  FixtureData[fd::kFixtureInfo] = 'B';  // the type code follows the serial
  EXPECT_EQ(model.GetSerialNumberText(), std::string(15, 'S'));
}

TEST_F(FixtureTest, TypeCodeEndsAtAZeroFifthByte) {
  setInfo("BV20", 2, 3, 0);
  EXPECT_EQ(model.GetTypeCode(), "BV20");
  setInfo("BV20L", 2, 3, 0);
  FixtureData[fd::kFixtureInfo + 5] = 'X';  // the sub-type is not part of it
  EXPECT_EQ(model.GetTypeCode(), "BV20L");
  EXPECT_EQ(model.GetSubType(), 'X');
}

TEST_F(FixtureTest, VersionTextWithoutBuildOrDisplay) {
  setInfo("BV20", 2, 3, 0);
  FixtureData[fd::kFixtureInfo + 8] = 1;
  FixtureData[fd::kFixtureInfo + 14] = 9;
  EXPECT_EQ(model.GetVersionText(), "Main CPU: Version 2.3");
}

TEST_F(FixtureTest, VersionTextWithBuildAndDisplay) {
  setInfo("BV20", 2, 3, 7);
  FixtureData[fd::kFixtureInfo + 8] = 1;
  FixtureData[fd::kFixtureInfo + 9] = 4;
  FixtureData[fd::kFixtureInfo + 14] = 9;
  model.setDisplay(true);
  EXPECT_EQ(model.GetVersionText(), "Main CPU: Version 2.3 build 7,  Display: Version 1.4 build 9");
  FixtureData[fd::kFixtureInfo + 14] = 0;
  EXPECT_EQ(model.GetVersionText(), "Main CPU: Version 2.3 build 7,  Display: Version 1.4");
}

TEST_F(FixtureTest, FirmwareVersionPacksMajorMinorBuild) {
  setInfo("BV20", 2, 3, 7);
  EXPECT_EQ(model.GetFirmwareVersion(), 0x020307u);
  EXPECT_EQ(model.GetFirmwareVersionText(), "2.3 build 7");
  setInfo("BV20", 2, 3, 0);
  EXPECT_EQ(model.GetFirmwareVersionText(), "2.3");
}

TEST_F(FixtureTest, GenericModelSupportsNoFirmware) {
  setInfo("BV200", 0xFF, 0xFF, 0xFF);
  EXPECT_FALSE(model.IsFirmwareSupported());  // the generic model's -1 is met by nothing
  EXPECT_EQ(model.GetRequiredFirmwareVersionText(), "255.255 build 255");
}

TEST_F(FixtureTest, FirmwareAtOrAboveTheRequiredVersionIsSupported) {
  model.setRequired(0x020000);
  setInfo("BV200", 0xFF, 0xFF, 0xFF);
  EXPECT_TRUE(model.IsFirmwareSupported());
  setInfo("BV200", 2, 0, 0);
  EXPECT_TRUE(model.IsFirmwareSupported());
  setInfo("BV200", 1, 9, 9);
  EXPECT_FALSE(model.IsFirmwareSupported());
}

struct ProgramVersionRow {
  uint8_t major, minor, build;
  bool supported;
  const char* text;
};

// Parameterised tests print a row by its name, a version by its text.
void PrintTo(const ProgramVersionRow& row, std::ostream* os) {
  *os << row.text;
}

class ProgramVersionTest : public FixtureTest, public ::testing::WithParamInterface<ProgramVersionRow> {};

TEST_P(ProgramVersionTest, FixtureMayNeedAtMostThisProgramsVersion) {
  FixtureData[fd::kZemVersion] = GetParam().major;
  FixtureData[fd::kZemVersion + 1] = GetParam().minor;
  FixtureData[fd::kZemVersion + 2] = GetParam().build;
  EXPECT_EQ(model.IsZemVersionSupported(), GetParam().supported);
  EXPECT_EQ(model.GetZemVersionText(), GetParam().text);
  EXPECT_EQ(model.GetRequiredZemVersion(),
            (uint32_t{GetParam().major} << 16) | (uint32_t{GetParam().minor} << 8) | GetParam().build);
}

INSTANTIATE_TEST_SUITE_P(Versions, ProgramVersionTest,
                         ::testing::Values(ProgramVersionRow{1, 8, 0, true, "1.8"},
                                           ProgramVersionRow{1, 7, 255, true, "1.7 build 255"},
                                           ProgramVersionRow{0, 0, 0, true, "0.0"},
                                           ProgramVersionRow{1, 8, 1, false, "1.8 build 1"},
                                           ProgramVersionRow{1, 9, 0, false, "1.9"},
                                           ProgramVersionRow{2, 0, 0, false, "2.0"}));

TEST_F(FixtureTest, GenericModelCannotBeOpened) {
  TZemFixture generic;
  int progressCalls = 0;
  EXPECT_FALSE(generic.ReadAllFixtureData([&](int, int) { ++progressCalls; }));
  EXPECT_FALSE(generic.ReadBasicFixtureData());
  EXPECT_EQ(progressCalls, 0);
  EXPECT_TRUE(dev.calls.empty());
}

TEST_F(FixtureTest, GenericModelHasNoLogAndNoMemoryImage) {
  TZemFixture generic;
  EXPECT_EQ(generic.LogTextList(), TStringList{"ZEM does not support the log feature for this fixture."});
  EXPECT_EQ(generic.GetMaxMemoryAddress(), -1);
  EXPECT_EQ(generic.GetEepromSettleTime(), 150);
  EXPECT_EQ(generic.GetResetOKDelay(), 0);
  EXPECT_EQ(generic.DecodeLogText(), "Unknown");
}

TEST_F(FixtureTest, GenericModelNamesItselfGeneric) {
  TZemFixture generic;
  EXPECT_EQ(generic.GetFixtureName(), "Generic ZEM Fixture");
  EXPECT_EQ(generic.GetFixtureSubTypeName(), "Generic ZEM Fixture");
  EXPECT_EQ(generic.GetDmxChannelCount(), 1);
}

TEST_F(FixtureTest, GenericModelFieldDefaults) {
  TZemFixture generic;
  EXPECT_EQ(generic.RequiredFirmwareVersion(), -1);
  EXPECT_EQ(generic.EepromWriteChunk(), 4);
  EXPECT_FALSE(generic.LongLog());
  EXPECT_FALSE(generic.HasDisplay());
  EXPECT_EQ(generic.StandAloneRequestCode(), 13);
  EXPECT_EQ(generic.PersonalityWritePause(), 0);
  EXPECT_EQ(generic.MonitorPage(), 0);
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

TEST_F(FixtureTest, LampStateTexts) {
  const char* expected[] = {"Lamp is OFF", "Lamp is ON", "Lamp is OFF"};
  for (uint8_t s = 0; s < 3; ++s) {
    FixtureData[fd::kLampStatus] = s;
    EXPECT_EQ(model.GetLampStateText(), expected[s]);
  }
}

TEST_F(FixtureTest, LampStateOutOfRangeGivesATextNotAnException) {
  FixtureData[fd::kLampStatus] = 3;
  EXPECT_EQ(model.GetLampStateText(), "Lamp state unknown (3)");
}

TEST_F(FixtureTest, StepValuesToListIndex) {
  for (int v = 0; v <= 10; ++v) EXPECT_EQ(model.StepValueToIndex(v), v);
  for (int k = 0; k < 22; ++k) EXPECT_EQ(model.StepValueToIndex(15 + 5 * k), 11 + k) << 15 + 5 * k;
  for (int v : {11, 12, 14, 16, 119, 121, 125, -1}) EXPECT_EQ(model.StepValueToIndex(v), -1) << v;
}

TEST_F(FixtureTest, SecondsToListIndex) {
  for (int v = 0; v <= 20; ++v) EXPECT_EQ(model.SecondsToIndex(v), v);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(model.SecondsToIndex(25 + 5 * k), 21 + k) << 25 + 5 * k;
  const int longer[] = {90,   120,  180,  300,  600,   900,   1200,  1800, 2400,
                        3000, 3600, 5400, 7200, 10800, 14400, 21600, 43200};
  for (int k = 0; k < 17; ++k) EXPECT_EQ(model.SecondsToIndex(longer[k]), 29 + k) << longer[k];
  for (int v : {-1, 21, 24, 61, 65, 89, 91, 43201}) EXPECT_EQ(model.SecondsToIndex(v), -1) << v;
}

// ---- setter rule ----

TEST_F(FixtureTest, FailedReadWritesNothing) {
  dev.failing.insert("GetTimerSettings");
  EXPECT_FALSE(model.SetTimer1StartHour(7));
  EXPECT_FALSE(dev.writes());
}

TEST_F(FixtureTest, WithoutDeviceSettersAnswerFalseAndLeaveTheRecord) {
  Device = nullptr;
  EXPECT_FALSE(model.SetTimerMode(1));
  EXPECT_FALSE(model.SetDmxAddress(3));
  EXPECT_EQ(FixtureData[fd::kTimerSettings + 1], 0);
}

TEST_F(FixtureTest, OutOfRangeValuesRaiseBeforeAnythingIsSent) {
  EXPECT_THROW((void)model.SetDmxProtocol(256), ERangeError);
  EXPECT_THROW((void)model.SetDmxAddress(65536), ERangeError);
  EXPECT_THROW((void)model.SetSensorTriggerWord(-1), ERangeError);
  EXPECT_THROW((void)model.SetPanInvert(2), ERangeError);  // would spill into the next bit
  EXPECT_THROW((void)model.SetClockMinute(300), ERangeError);
  EXPECT_THROW((void)model.SendServiceCommand(256, 0, 0), ERangeError);
  EXPECT_THROW((void)model.SendServiceCommandOnce(1, 65536, 0), ERangeError);
  EXPECT_THROW((void)model.SendServiceCommand237(1, 0, 44, -1), ERangeError);
  EXPECT_THROW((void)model.WriteEeprom(0, 70000), ERangeError);
  EXPECT_THROW((void)model.GetMonitorWordA(0), ERangeError);
  EXPECT_THROW((void)model.GetMonitorValueC(8), ERangeError);
  EXPECT_TRUE(dev.calls.empty());
}

TEST_F(FixtureTest, RangeErrorNamesTheValue) {
  EXPECT_THAT([&] { (void)model.SetDmxProtocol(256); },
              ::testing::ThrowsMessage<ERangeError>(::testing::HasSubstr("256")));
}

class SegmentAutoConfigureTest : public FixtureTest {
 protected:
  void SetUp() override {
    FixtureTest::SetUp();
    FixtureData[fd::kPersonality + 9] = 0x10;  // the record says the bit is set
    dev.remote[fd::kPersonality + 9] = 0x81;   // the fixture says it is clear
  }
};

TEST_F(SegmentAutoConfigureTest, FixtureNotTheStaleRecordDecides) {
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_EQ(dev.calls,
            (std::vector<std::string>{"GetPersonalities", "SetPersonalities(0)", "GetPersonalities"}));
  EXPECT_EQ(dev.remote[fd::kPersonality + 9], 0x91);
  EXPECT_EQ(model.GetSegmentAutoConfigure(), 1);
}

TEST_F(SegmentAutoConfigureTest, BitAlreadySetWritesNothing) {
  ASSERT_TRUE(model.EnableSegmentAutoConfigure());
  dev.calls.clear();
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_FALSE(dev.writes());
}

TEST_F(SegmentAutoConfigureTest, DisableClearsOnlyBitFour) {
  ASSERT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_TRUE(model.DisableSegmentAutoConfigure());
  EXPECT_EQ(dev.remote[fd::kPersonality + 9], 0x81);
}

TEST_F(SegmentAutoConfigureTest, FailedReadWritesNothing) {
  dev.failing.insert("GetPersonalities");
  EXPECT_FALSE(model.EnableSegmentAutoConfigure());
  EXPECT_FALSE(dev.writes());
}

TEST_F(FixtureTest, SensorSettersWriteWithTriggerZero) {
  EXPECT_TRUE(model.SetSensorTriggerWord(500));
  EXPECT_EQ(dev.count("SetSensorTriggerSettings(0)"), 1);
  EXPECT_EQ(model.GetSensorTriggerWord(), 500);
}

TEST_F(FixtureTest, RearmSendsTrigger255ThenReadsTheTrigger) {
  EXPECT_TRUE(model.RearmSensorTrigger());
  EXPECT_EQ(dev.calls,
            (std::vector<std::string>{"SetSensorTriggerSettings(255)", "GetSensorTriggerSettings"}));
}

// ---- the settings accessors, one entry per setting ----

// Personality flags: byte and bit.
struct FlagRow {
  const char* name;
  int (TZemFixture::*get)();
  bool (TZemFixture::*set)(int);
  int byte;
  int bit;
};

void PrintTo(const FlagRow& row, std::ostream* os) {
  *os << row.name;
}

class FlagSettingTest : public FixtureTest, public ::testing::WithParamInterface<FlagRow> {
 protected:
  uint8_t mask() const { return static_cast<uint8_t>(1u << GetParam().bit); }
  uint8_t& remote() { return dev.remote[fd::kPersonality + static_cast<size_t>(GetParam().byte)]; }
};

TEST_P(FlagSettingTest, SettingTheFlagKeepsTheOtherBitsTheFixtureReported) {
  remote() = static_cast<uint8_t>(~mask());
  EXPECT_TRUE((model.*GetParam().set)(1));
  EXPECT_EQ(remote(), 0xFF);
  EXPECT_EQ((model.*GetParam().get)(), 1);
  EXPECT_EQ(dev.count("SetPersonalities(0)"), 1);
}

TEST_P(FlagSettingTest, ClearingTheFlagKeepsTheOtherBits) {
  remote() = 0xFF;
  EXPECT_TRUE((model.*GetParam().set)(0));
  EXPECT_EQ(remote(), static_cast<uint8_t>(~mask()));
  EXPECT_EQ((model.*GetParam().get)(), 0);
}

TEST_P(FlagSettingTest, FlagAlreadyHeldWritesNothing) {
  remote() = mask();
  EXPECT_TRUE((model.*GetParam().set)(1));
  EXPECT_EQ(dev.calls, std::vector<std::string>{"GetPersonalities"});
}

using F = TZemFixture;
INSTANTIATE_TEST_SUITE_P(
    Personality, FlagSettingTest,
    ::testing::Values(FlagRow{"EffectSpeed", &F::GetEffectSpeed, &F::SetEffectSpeed, 3, 1},
                      FlagRow{"EffectShortcut", &F::GetEffectShortcut, &F::SetEffectShortcut, 3, 4},
                      FlagRow{"AutoShutter", &F::GetAutoShutter, &F::SetAutoShutter, 3, 5},
                      FlagRow{"DisplayErrors", &F::GetDisplayErrors, &F::SetDisplayErrors, 4, 5},
                      FlagRow{"InvertDisplay", &F::GetInvertDisplay, &F::SetInvertDisplay, 4, 6},
                      FlagRow{"DisplayEnable", &F::GetDisplayEnable, &F::SetDisplayEnable, 4, 7},
                      FlagRow{"EffectFeedback", &F::GetEffectFeedback, &F::SetEffectFeedback, 5, 1},
                      FlagRow{"DMXLampOff", &F::GetDMXLampOff, &F::SetDMXLampOff, 6, 0},
                      FlagRow{"DMXReset", &F::GetDMXReset, &F::SetDMXReset, 6, 1},
                      FlagRow{"AutoLampOn", &F::GetAutoLampOn, &F::SetAutoLampOn, 6, 4},
                      FlagRow{"QZLLampOff", &F::GetQZLLampOff, &F::SetQZLLampOff, 6, 5},
                      FlagRow{"PanTiltSwap", &F::GetPanTiltSwap, &F::SetPanTiltSwap, 8, 0},
                      FlagRow{"PanInvert", &F::GetPanInvert, &F::SetPanInvert, 8, 1},
                      FlagRow{"TiltInvert", &F::GetTiltInvert, &F::SetTiltInvert, 8, 2},
                      FlagRow{"LampFanReg", &F::GetLampFanReg, &F::SetLampFanReg, 9, 0},
                      FlagRow{"GoboFanReg", &F::GetGoboFanReg, &F::SetGoboFanReg, 9, 1},
                      FlagRow{"LampErrorTest", &F::GetLampErrorTest, &F::SetLampErrorTest, 9, 3},
                      FlagRow{"LampWarningOn", &F::GetLampWarningOn, &F::SetLampWarningOn, 9, 7}),
    [](const auto& info) { return std::string(info.param.name); });

// Whole values: where they lie in the record and which records carry them.
struct ValueRow {
  const char* name;
  int (TZemFixture::*get)();
  bool (TZemFixture::*set)(int);
  size_t at;  // record byte
  bool word;  // 16-bit, low byte first
  const char* read;
  const char* write;
};

void PrintTo(const ValueRow& row, std::ostream* os) {
  *os << row.name;
}

class ValueSettingTest : public FixtureTest, public ::testing::WithParamInterface<ValueRow> {
 protected:
  int value() const { return GetParam().word ? 0x1234 : 0x5A; }
};

TEST_P(ValueSettingTest, NewValueIsWrittenWhereTheFixtureKeepsIt) {
  const ValueRow& r = GetParam();
  EXPECT_TRUE((model.*r.set)(value()));
  EXPECT_EQ(dev.calls.front(), r.read);
  EXPECT_EQ(dev.count(r.write), 1);
  EXPECT_EQ(dev.remote[r.at], value() & 0xFF);
  if (r.word) {
    EXPECT_EQ(dev.remote[r.at + 1], value() >> 8);
  }
}

TEST_P(ValueSettingTest, GetterReadsTheSamePlace) {
  const ValueRow& r = GetParam();
  FixtureData[r.at] = static_cast<uint8_t>(value() & 0xFF);
  if (r.word) FixtureData[r.at + 1] = static_cast<uint8_t>(value() >> 8);
  EXPECT_EQ((model.*r.get)(), value());
}

TEST_P(ValueSettingTest, ValueAlreadyHeldWritesNothing) {
  const ValueRow& r = GetParam();
  dev.remote[r.at] = static_cast<uint8_t>(value() & 0xFF);
  if (r.word) dev.remote[r.at + 1] = static_cast<uint8_t>(value() >> 8);
  EXPECT_TRUE((model.*r.set)(value()));
  EXPECT_EQ(dev.calls, std::vector<std::string>{r.read});
}

const size_t P = fd::kPersonality, C = fd::kSystemCalibration, E = fd::kEffectCalibration,
             S = fd::kStandAloneSettings, T = fd::kTimerSettings, R = fd::kSensorTrigger;
INSTANTIATE_TEST_SUITE_P(
    Records, ValueSettingTest,
    ::testing::Values(ValueRow{"DmxAddress", &F::GetDmxAddress, &F::SetDmxAddress, P + 0, true,
                               "GetPersonalities", "SetPersonalities(0)"},
                      ValueRow{"DmxProtocol", &F::GetDmxProtocol, &F::SetDmxProtocol, P + 2, false,
                               "GetPersonalities", "SetPersonalities(0)"},
                      ValueRow{"WarningLevel", &F::GetWarningLevel, &F::SetWarningLevel, P + 10, true,
                               "GetPersonalities", "SetPersonalities(0)"},
                      ValueRow{"ColorGamut", &F::GetColorGamut, &F::SetColorGamut, P + 13, false,
                               "GetPersonalities", "SetPersonalities(0)"},
                      ValueRow{"ClockYear", &F::GetClockYear, &F::SetClockYear, C + 1, false,
                               "GetSystemCalibration", "SetSystemCalibration"},
                      ValueRow{"ClockMonth", &F::GetClockMonth, &F::SetClockMonth, C + 2, false,
                               "GetSystemCalibration", "SetSystemCalibration"},
                      ValueRow{"ClockDate", &F::GetClockDate, &F::SetClockDate, C + 3, false,
                               "GetSystemCalibration", "SetSystemCalibration"},
                      ValueRow{"ClockHour", &F::GetClockHour, &F::SetClockHour, C + 5, false,
                               "GetSystemCalibration", "SetSystemCalibration"},
                      ValueRow{"ClockMinute", &F::GetClockMinute, &F::SetClockMinute, C + 6, false,
                               "GetSystemCalibration", "SetSystemCalibration"},
                      ValueRow{"CyanCalibration", &F::GetCyanCalibration, &F::SetCyanCalibration, E + 1,
                               false, "GetEffectCalibration(0)", "SetEffectCalibration(0)"},
                      ValueRow{"YellowCalibration", &F::GetYellowCalibration, &F::SetYellowCalibration, E + 2,
                               false, "GetEffectCalibration(0)", "SetEffectCalibration(0)"},
                      ValueRow{"MagentaCalibration", &F::GetMagentaCalibration, &F::SetMagentaCalibration,
                               E + 3, false, "GetEffectCalibration(0)", "SetEffectCalibration(0)"},
                      ValueRow{"DimmerCalibration", &F::GetDimmerCalibration, &F::SetDimmerCalibration, E + 4,
                               false, "GetEffectCalibration(0)", "SetEffectCalibration(0)"},
                      ValueRow{"StandAloneMode", &F::GetStandAloneMode, &F::SetStandAloneMode, S + 0, false,
                               "GetStandAloneSettings", "SetStandAloneSettings"},
                      ValueRow{"MasterSlave", &F::GetMasterSlaveSetting, &F::SetMasterSlaveSetting, S + 1,
                               false, "GetStandAloneSettings", "SetStandAloneSettings"},
                      ValueRow{"AutoProgramOn", &F::GetAutoProgramOn, &F::SetAutoProgramOn, S + 2, false,
                               "GetStandAloneSettings", "SetStandAloneSettings"},
                      ValueRow{"StandAloneSequence", &F::GetStandAloneSequence, &F::SetStandAloneSequence,
                               S + 3, false, "GetStandAloneSettings", "SetStandAloneSettings"},
                      ValueRow{"TimerMode", &F::GetTimerMode, &F::SetTimerMode, T + 1, false,
                               "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer1StartHour", &F::GetTimer1StartHour, &F::SetTimer1StartHour, T + 2,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer1StartMinute", &F::GetTimer1StartMinute, &F::SetTimer1StartMinute, T + 3,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer1StopHour", &F::GetTimer1StopHour, &F::SetTimer1StopHour, T + 4, false,
                               "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer1StopMinute", &F::GetTimer1StopMinute, &F::SetTimer1StopMinute, T + 5,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer2StartHour", &F::GetTimer2StartHour, &F::SetTimer2StartHour, T + 6,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer2StartMinute", &F::GetTimer2StartMinute, &F::SetTimer2StartMinute, T + 7,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer2StopHour", &F::GetTimer2StopHour, &F::SetTimer2StopHour, T + 8, false,
                               "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"Timer2StopMinute", &F::GetTimer2StopMinute, &F::SetTimer2StopMinute, T + 9,
                               false, "GetTimerSettings", "SetTimerSettings"},
                      ValueRow{"SensorTriggerLevel", &F::GetSensorTriggerLevel, &F::SetSensorTriggerLevel,
                               R + 0, false, "GetSensorTriggerSettings", "SetSensorTriggerSettings(0)"},
                      ValueRow{"SensorTriggerWord", &F::GetSensorTriggerWord, &F::SetSensorTriggerWord, R + 1,
                               true, "GetSensorTriggerSettings", "SetSensorTriggerSettings(0)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixtureTest, DmxPixelsAreWrittenToPersonalityByte12) {
  model.SetDmxPixels(77);
  EXPECT_EQ(dev.remote[fd::kPersonality + 12], 77);
  EXPECT_EQ(dev.count("SetPersonalities(0)"), 1);
}

TEST_F(FixtureTest, NewClockMinuteClearsByteSevenAndANewHourDoesNot) {
  dev.remote[fd::kSystemCalibration + 7] = 33;
  EXPECT_TRUE(model.SetClockHour(11));
  EXPECT_EQ(dev.remote[fd::kSystemCalibration + 7], 33);
  EXPECT_TRUE(model.SetClockMinute(45));
  EXPECT_EQ(dev.remote[fd::kSystemCalibration + 7], 0);
}

// Lamp counters (16-bit, low byte first) and the resets of the resettable ones.
struct CounterRow {
  const char* name;
  int (TZemFixture::*get)();
  size_t at;  // byte in the lamp-status area
};

void PrintTo(const CounterRow& row, std::ostream* os) {
  *os << row.name;
}

class LampCounterTest : public FixtureTest, public ::testing::WithParamInterface<CounterRow> {};

TEST_P(LampCounterTest, GetterReadsItsBytes) {
  FixtureData[fd::kLampStatus + GetParam().at] = 0x34;
  FixtureData[fd::kLampStatus + GetParam().at + 1] = 0x12;
  EXPECT_EQ((model.*GetParam().get)(), 0x1234);
}

INSTANTIATE_TEST_SUITE_P(
    Lamp, LampCounterTest,
    ::testing::Values(CounterRow{"TotalPowerOnHours", &F::GetTotalPowerOnHours, 1},
                      CounterRow{"TotalLampOnHours", &F::GetTotalLampOnHours, 3},
                      CounterRow{"TotalLampStrikes", &F::GetTotalLampStrikes, 5},
                      CounterRow{"ResettablePowerOnHours", &F::GetResettablePowerOnHours, 7},
                      CounterRow{"ResettableLampOnHours", &F::GetResettableLampOnHours, 9},
                      CounterRow{"ResettableLampStrikes", &F::GetResettableLampStrikes, 11},
                      CounterRow{"LightSensorValue", &F::GetLightSensorValue, 13}),
    [](const auto& info) { return std::string(info.param.name); });

struct ResetRow {
  const char* name;
  bool (TZemFixture::*reset)();
  size_t at;
};

void PrintTo(const ResetRow& row, std::ostream* os) {
  *os << row.name;
}

class CounterResetTest : public FixtureTest, public ::testing::WithParamInterface<ResetRow> {};

TEST_P(CounterResetTest, ClearsOnlyItsOwnCounter) {
  for (size_t k = 0; k < 15; ++k) dev.remote[fd::kLampStatus + k] = 9;
  EXPECT_TRUE((model.*GetParam().reset)());
  for (size_t k = 0; k < 15; ++k) {
    const bool own = k == GetParam().at || k == GetParam().at + 1;
    EXPECT_EQ(dev.remote[fd::kLampStatus + k], own ? 0 : 9) << k;
  }
  EXPECT_EQ(dev.count("SetLampStatus"), 1);
}

INSTANTIATE_TEST_SUITE_P(Lamp, CounterResetTest,
                         ::testing::Values(ResetRow{"PowerOnHours", &F::ResetResettablePowerOnHours, 7},
                                           ResetRow{"LampOnHours", &F::ResetResettableLampOnHours, 9},
                                           ResetRow{"LampStrikes", &F::ResetResettableLampStrikes, 11}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixtureTest, ResettingACounterThatIsZeroWritesNothing) {
  EXPECT_TRUE(model.ResetResettableLampOnHours());
  EXPECT_FALSE(dev.writes());
}

// ---- a failed read names its record, for the message after a full read stops ----

struct ReadFailureRow {
  const char* name;
  std::function<bool(TZemFixture&)> read;
  const char* deviceOperation;  // made to fail
  const char* record;
};

void PrintTo(const ReadFailureRow& row, std::ostream* os) {
  *os << row.name;
}

class ReadFailureTest : public FixtureTest, public ::testing::WithParamInterface<ReadFailureRow> {};

TEST_P(ReadFailureTest, NamesTheRecord) {
  dev.failing.insert(GetParam().deviceOperation);
  EXPECT_FALSE(GetParam().read(model));
  EXPECT_EQ(model.ReadFailure(), GetParam().record);
}

TEST_P(ReadFailureTest, SuccessfulReadKeepsTheEarlierName) {
  model.ClearReadFailure();
  EXPECT_TRUE(GetParam().read(model));
  EXPECT_EQ(model.ReadFailure(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Reads, ReadFailureTest,
    ::testing::Values(ReadFailureRow{"Serial", [](F& f) { return f.ReadSerialNumber(); }, "GetSerialNumber",
                                     "serial number"},
                      ReadFailureRow{"Info", [](F& f) { return f.ReadFixtureInfo(); }, "GetFixtureInfo",
                                     "fixture information"},
                      ReadFailureRow{"ZemVersion", [](F& f) { return f.ReadZemVersion(); },
                                     "GetFixtureZemVersion", "required program version"},
                      ReadFailureRow{"Errors", [](F& f) { return f.ReadErrorStatus(); },
                                     "GetDuplexErrorStatus", "error status"},
                      ReadFailureRow{"Temperatures", [](F& f) { return f.ReadTemperatures(); },
                                     "GetDuplexTempValues", "temperatures"},
                      ReadFailureRow{"Lamp", [](F& f) { return f.ReadLampStatus(); }, "GetLampStatus",
                                     "lamp status and counters"},
                      ReadFailureRow{"Clock", [](F& f) { return f.ReadClock(); }, "GetSystemCalibration",
                                     "real-time clock"},
                      ReadFailureRow{"Personality", [](F& f) { return f.ReadPersonality(); },
                                     "GetPersonalities", "DMX and other settings"},
                      ReadFailureRow{"Calibration", [](F& f) { return f.ReadEffectCalibration(); },
                                     "GetEffectCalibration", "effect calibration"},
                      ReadFailureRow{"StandAlone", [](F& f) { return f.ReadStandAloneSettings(); },
                                     "GetStandAloneSettings", "stand-alone settings"},
                      ReadFailureRow{"Timers", [](F& f) { return f.ReadTimerSettings(); }, "GetTimerSettings",
                                     "timer settings"},
                      ReadFailureRow{"Sensor", [](F& f) { return f.ReadSensorTrigger(); },
                                     "GetSensorTriggerSettings", "light-sensor settings"},
                      ReadFailureRow{"Program", [](F& f) { return f.ReadStandAloneProgram(); },
                                     "GetStandAlone", "stand-alone program"},
                      ReadFailureRow{"BoardSerial", [](F& f) { return f.ReadPcbSerialNumber(); },
                                     "GetPCBSerialNumber", "board serial number"},
                      ReadFailureRow{"Led", [](F& f) { return f.ReadLedDescription(2); }, "GetLEDDescription",
                                     "LED 3 description"},
                      ReadFailureRow{"LedData", [](F& f) { return f.ReadLedDescription2(2); },
                                     "GetLEDDescriptionData", "LED 3 description data"},
                      ReadFailureRow{"Monitor", [](F& f) { return f.ReadNextMonitorPage(); },
                                     "GetHardwareMonitorValues", "hardware monitor values"},
                      ReadFailureRow{"MainUnit", [](F& f) { return f.SetSubDevice(0, true); }, "SetSubdevice",
                                     "main unit"},
                      ReadFailureRow{"SubDevice", [](F& f) { return f.SetSubDevice(4, true); },
                                     "SetSubdevice", "sub-device 4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixtureTest, LogCountReadInNeitherFormNamesTheLog) {
  EXPECT_FALSE(model.ReadLogCount());
  EXPECT_EQ(model.ReadFailure(), "system log");
}

// ---- monitor ----

struct MonitorRow {
  const char* name;
  int page;
  std::function<double(TZemFixture&, int)> get;
  double expected;  // of the raw value 65436
};

void PrintTo(const MonitorRow& row, std::ostream* os) {
  *os << row.name;
}

class MonitorValueTest : public FixtureTest, public ::testing::WithParamInterface<MonitorRow> {};

TEST_P(MonitorValueTest, ChannelNLiesAtBytes2NMinus1And2NOfItsPage) {
  for (int channel = 1; channel <= 7; ++channel) {
    const size_t at = fd::kHardwareMonitor + 15 * static_cast<size_t>(GetParam().page) + 2 * channel - 1;
    FixtureData[at] = 0x9C;  // 65436, low byte first
    FixtureData[at + 1] = 0xFF;
    EXPECT_DOUBLE_EQ(GetParam().get(model, channel), GetParam().expected) << channel;
    FixtureData[at] = FixtureData[at + 1] = 0;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, MonitorValueTest,
    ::testing::Values(
        MonitorRow{"WordA", 0, [](TZemFixture& f, int n) { return f.GetMonitorWordA(n); }, 65436},
        MonitorRow{"ValueB", 1, [](TZemFixture& f, int n) { return f.GetMonitorValueB(n); }, 654.36},
        MonitorRow{"ValueC", 2, [](TZemFixture& f, int n) { return f.GetMonitorValueC(n); }, -1.0},
        MonitorRow{"WordD", 3, [](TZemFixture& f, int n) { return f.GetMonitorWordD(n); }, 65436}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixtureTest, MonitorPagesStepOneTwoThreeZero) {
  for (int expected : {1, 2, 3, 0, 1}) {
    EXPECT_TRUE(model.ReadNextMonitorPage());
    EXPECT_EQ(model.MonitorPage(), expected);
  }
  EXPECT_EQ(dev.calls.back(), "GetHardwareMonitorValues(1)");
}

TEST_F(FixtureTest, MonitorPageAdvancesWithoutADevice) {
  Device = nullptr;
  EXPECT_FALSE(model.ReadNextMonitorPage());
  EXPECT_EQ(model.MonitorPage(), 1);
}

// ---- EEPROM and address lists ----

TEST_F(FixtureTest, BlockWriteIsLimitedByTheChunk) {
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 4);
  EXPECT_EQ(dev.calls.back(), "WriteEEPromWords(100,4,150)");
  EXPECT_EQ(model.WriteEepromBlock(100, 3, 5), 3);
  model.setChunk(1);
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 1);
}

TEST_F(FixtureTest, BlockWriteMayCheckWithoutAPause) {
  EXPECT_EQ(model.WriteEepromBlock(100, 2, 0), 2);
  EXPECT_EQ(dev.calls.back(), "WriteEEPromWords(100,2,0)");
  EXPECT_THROW(model.WriteEepromBlock(100, 2, -1), ERangeError);
}

TEST_F(FixtureTest, EepromReadsOneToFourWords) {
  EXPECT_EQ(model.readEepromWords(8, 4), 4);
  EXPECT_THROW(model.readEepromWords(8, 5), ERangeError);
  EXPECT_THROW(model.readEepromWords(8, 0), ERangeError);
}

TEST_F(FixtureTest, WordsAreaHoldsFourWordsLowByteFirst) {
  for (size_t k = 0; k < 8; ++k) FixtureData[fd::kEEPromWords + k] = static_cast<uint8_t>(0x10 + k);
  EXPECT_EQ(TestModel::eepromAreaWord(0), 0x1110);
  EXPECT_EQ(TestModel::eepromAreaWord(1), 0x1312);
  EXPECT_EQ(TestModel::eepromAreaWord(3), 0x1716);
  EXPECT_THROW(TestModel::eepromAreaWord(4), ERangeError);
  EXPECT_THROW(TestModel::eepromAreaWord(-1), ERangeError);
}

TEST_F(FixtureTest, FailedBlockWriteWritesNone) {
  dev.failing.insert("WriteEEPromWords");
  EXPECT_EQ(model.WriteEepromBlock(100, 10, 150), 0);
  EXPECT_THROW((void)model.WriteEepromBlock(100, 0, 150), ERangeError);
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

TEST_F(FixtureTest, SingleWordWriteGoesToTheDevice) {
  EXPECT_TRUE(model.WriteEeprom(12, 0x1234));
  EXPECT_EQ(dev.calls, std::vector<std::string>{"WriteEEPromWord(12,4660)"});
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
}

TEST_F(FixtureTest, AddressRangeAppendsBothEnds) {
  TAddressList list;
  TestModel::appendAddressRange(list, 300, 545);
  EXPECT_EQ(list.size(), 246u);
  EXPECT_EQ(list.front(), 300);
  EXPECT_EQ(list.back(), 545);
}

// ---- sub-devices ----

TEST_F(FixtureTest, SubDeviceBytesFollowTheSelectionAndTheCount) {
  FixtureData[fd::kSubdevice] = 3;
  FixtureData[fd::kSubdevice + 1] = 5;
  EXPECT_EQ(model.GetCurrentSegment(), 3);
  EXPECT_EQ(model.GetSegmentCount(), 5);
  EXPECT_TRUE(model.SetSubDevice(2, true));
  EXPECT_EQ(dev.calls, std::vector<std::string>{"SetSubdevice(2,1)"});
}

// ---- error lists ----

class ErrorListFormTest : public FixtureTest {
 protected:
  static constexpr TestModel::ErrorFlag kTable[] = {{1, 0, "(%d) LERR - Lamp Error"},
                                                    {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
                                                    {5, 4, "(%d) ZOER - Zoom Reset Error"}};
  void SetUp() override {
    FixtureTest::SetUp();
    FixtureData[fd::kErrorStatus + 1] = 0x01;
    FixtureData[fd::kErrorStatus + 5] = 0x10;
  }
};

TEST_F(ErrorListFormTest, ByteZeroClearMeansNoErrors) {
  EXPECT_EQ(model.fillErrorList(kTable), TStringList{"Fixture reports no errors"});
}

TEST_F(ErrorListFormTest, SetFlagsAreNumberedUnderTheCount) {
  FixtureData[fd::kErrorStatus] = 1;
  EXPECT_EQ(model.fillErrorList(kTable), (TStringList{"Fixture reports 2 errors", "(1) LERR - Lamp Error",
                                                      "(2) ZOER - Zoom Reset Error"}));
}

TEST_F(ErrorListFormTest, OneErrorIsSingular) {
  FixtureData[fd::kErrorStatus] = 1;
  FixtureData[fd::kErrorStatus + 5] = 0;
  EXPECT_EQ(model.fillErrorList(kTable), (TStringList{"Fixture reports 1 error", "(1) LERR - Lamp Error"}));
}

TEST_F(ErrorListFormTest, NoKnownFlagCountsZero) {
  FixtureData[fd::kErrorStatus] = 1;
  FixtureData[fd::kErrorStatus + 1] = 0;
  FixtureData[fd::kErrorStatus + 5] = 0;
  EXPECT_EQ(model.fillErrorList(kTable), TStringList{"Fixture reports 0 errors"});
}

TEST_F(ErrorListFormTest, RowsOutsideTheErrorFlagsAreIgnored) {
  static constexpr TestModel::ErrorFlag kOutside[] = {
      {0, 0, "(%d) byte 0"}, {15, 0, "(%d) byte 15"}, {1, -1, "(%d) bit -1"}, {1, 8, "(%d) bit 8"}};
  FixtureData[fd::kErrorStatus] = 1;
  FixtureData[fd::kErrorStatus + 15] = 0xFF;  // the record after the error flags
  EXPECT_EQ(model.fillErrorList(kOutside), TStringList{"Fixture reports 0 errors"});
}

// ---- system log ----

// A long log reply: count 3, time stamp 12, 24, 18, 5, the type and the text.
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

struct LongLogRow {
  const char* name;
  uint16_t type;
  const char* entryText;
  uint8_t valid;
  bool result;
  const char* line;
};

void PrintTo(const LongLogRow& row, std::ostream* os) {
  *os << row.name;
}

class LongLogTest : public FixtureTest, public ::testing::WithParamInterface<LongLogRow> {};

TEST_P(LongLogTest, EntryFormsItsLine) {
  model.setLongLog(true);
  dev.longEntries[0] = longEntry(GetParam().type, GetParam().entryText, GetParam().valid);
  std::string text;
  EXPECT_EQ(model.FormatLogEntry(0, text), GetParam().result);
  EXPECT_EQ(text, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, LongLogTest,
    ::testing::Values(LongLogRow{"Warning", 0xE123, "Overheat", 1, true, "24/12-18:05 - WARNING - Overheat"},
                      LongLogRow{"DebugStart", 0x0800, "x", 1, true, "24/12-18:05 - DEBUG.START - x"},
                      LongLogRow{"DebugStop", 0x0000, "y", 1, true, "24/12-18:05 - DEBUG.STOP - y"},
                      LongLogRow{"DebugStopLowBits", 0x07FF, "y", 1, true, "24/12-18:05 - DEBUG.STOP - y"},
                      LongLogRow{"ErrorStartNotValid", 0xF800, "z", 0, false,
                                 "24/12-18:05 - ERROR.START - z"},
                      LongLogRow{"ErrorStop", 0xF000, "z", 1, true, "24/12-18:05 - ERROR.STOP - z"},
                      LongLogRow{"OtherKind", 0xA000, "w", 1, true, "24/12-18:05 - w"},
                      LongLogRow{"MarkerTwoIsNotValid", 0xD000, "v", 2, false, "24/12-18:05 - INFO - v"},
                      LongLogRow{"TextCutAt32", 0xD000, "0123456789012345678901234567890123456789", 1, true,
                                 "24/12-18:05 - INFO - 01234567890123456789012345678901"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixtureTest, FailedLogReadLeavesTheText) {
  model.setLongLog(true);
  std::string text = "before";
  EXPECT_FALSE(model.FormatLogEntry(9, text));
  EXPECT_EQ(text, "before");
}

TEST_F(FixtureTest, ShortLogEntryUsesTheModelsDecoder) {
  std::array<uint8_t, kFixtureDataSize> e{};
  e[fd::kSystemLogEntry + 4] = 1;
  const uint8_t ts[] = {1, 2, 3, 45};
  std::memcpy(&e[fd::kSystemLogEntry + 5], ts, 4);
  dev.logEntries[0] = e;
  std::string text;
  EXPECT_TRUE(model.FormatLogEntry(0, text));
  EXPECT_EQ(text, "2/1-3:45 - payload");
  e[fd::kSystemLogEntry + 4] = 2;
  dev.logEntries[0] = e;
  EXPECT_FALSE(model.FormatLogEntry(0, text));
}

TEST_F(FixtureTest, CountFallsBackToTheLongRead) {
  dev.longEntries[0] = longEntry(0, "");
  dev.longEntries[0][11] = 2;  // 515 entries
  EXPECT_TRUE(model.ReadLogCount());
  EXPECT_EQ(FixtureData[fd::kSystemLogEntry + 2], 3);
  EXPECT_EQ(FixtureData[fd::kSystemLogEntry + 3], 2);
  dev.longEntries.clear();
  EXPECT_FALSE(model.ReadLogCount());
}

TEST_F(FixtureTest, ClearingTheLogGoesToTheDevice) {
  EXPECT_TRUE(model.ClearSystemLog());
  EXPECT_EQ(dev.calls, std::vector<std::string>{"ClearSystemLog"});
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
}

TEST_F(FixtureTest, ExtendedFrameCarriesTheExtraValueHighByteFirst) {
  EXPECT_TRUE(model.SendServiceCommand237(101, 20, 44, 0x0102));
  ASSERT_EQ(dev.frames.size(), 1u);
  EXPECT_EQ(dev.frames[0][0], 0xED);
  EXPECT_EQ(dev.frames[0][16], 1);
  EXPECT_EQ(dev.frames[0][17], 2);
}

TEST_F(FixtureTest, ServiceCommandFiveIsOneFrame) {
  EXPECT_TRUE(model.SendServiceCommand5());
  ASSERT_EQ(dev.frames.size(), 1u);
  EXPECT_EQ(dev.frames[0][11], 5);
  EXPECT_EQ(dev.frames[0][13], 1);
  EXPECT_EQ(dev.frames[0][15], 44);
}

TEST_F(FixtureTest, ServiceCommandSendsTwoFramesDifferingOnlyInTheArgument) {
  EXPECT_TRUE(model.SendServiceCommand(81, 0, 44));
  ASSERT_EQ(dev.frames.size(), 2u);
  EXPECT_EQ(dev.frames[0][15], 0);
  EXPECT_EQ(dev.frames[1][15], 44);
  auto a = dev.frames[0], b = dev.frames[1];
  a[15] = b[15] = 0;
  EXPECT_EQ(a, b);
}

TEST_F(FixtureTest, FailedFirstSendSuppressesTheClosingFrame) {
  dev.sendFailuresLeft = 1;
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
  EXPECT_TRUE(dev.frames.empty());
  EXPECT_EQ(dev.count("SendMP2Command"), 1);
}

TEST_F(FixtureTest, WithoutDeviceNoFrame) {
  Device = nullptr;
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
}

TEST_F(FixtureTest, LiveValueOutOfRangeSendsNoEnterPrefix) {
  EXPECT_THROW((void)model.sendLive(111, 100, 65536), ERangeError);
  EXPECT_THROW((void)model.sendLive(256, 100, 1), ERangeError);
  EXPECT_THROW((void)model.sendScene(111, 300, 0), ERangeError);
  EXPECT_TRUE(dev.calls.empty());
}

TEST_F(FixtureTest, FunctionZeroIsAnEnterFunctionToo) {
  EXPECT_TRUE(model.sendLive(0, 100, 5));
  ASSERT_EQ(dev.frames.size(), 6u);
  EXPECT_EQ(dev.frames[0][11], 0);
  EXPECT_EQ(dev.frames[2][11], 100);
}

TEST_F(FixtureTest, LiveValueGoesOutAfterTheEnterPrefix) {
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
}

TEST_F(FixtureTest, SceneOperationWithoutDeviceFails) {
  Device = nullptr;
  EXPECT_FALSE(model.sendScene(111, 113, 0));
}

}  // namespace
