// The model classes over a scripted device: log decoding and log reads, the Brevidor 600's word
// settings, range checks before the first frame, the 400 LED Series' board serial and LEDs, the chain scans
// of the tube and the strip, and the strip's one-shot commands. The per-model tables (frames, error lists,
// memory maps, constants) have their own files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zem/model/model_support.h"
#include "zem/model/model_test_support.h"

namespace {

using namespace modeltest;

// ---------------------------------------------------------------------------
// Grobel system log: one decoded text per event

struct LogEventRow {
  const char* name;
  uint16_t code, w1, w2;
  const char* text;
};

// Parameterised tests print a row by its name.
void PrintTo(const LogEventRow& row, std::ostream* os) {
  *os << row.name;
}

// Short log entry: event code at bytes 9-10, data words at 11-12 and 13-14 (low byte first).
void setLogEvent(uint16_t code, uint16_t w1, uint16_t w2) {
  const uint16_t words[] = {code, w1, w2};
  for (size_t k = 0; k < 3; ++k) {
    FixtureData[fd::kSystemLogEntry + 9 + 2 * k] = static_cast<uint8_t>(words[k] & 0xFF);
    FixtureData[fd::kSystemLogEntry + 10 + 2 * k] = static_cast<uint8_t>(words[k] >> 8);
  }
}

class GrobelLogEventTest : public ModelFixture, public ::testing::WithParamInterface<LogEventRow> {};

TEST_P(GrobelLogEventTest, DecodesToText) {
  auto grobel = makeModel(model("Grobel"));
  setLogEvent(GetParam().code, GetParam().w1, GetParam().w2);
  EXPECT_EQ(grobel->DecodeLogText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Events, GrobelLogEventTest,
    ::testing::Values(
        LogEventRow{"VoltageStart", 0xF800 | 133, 2360, 0, "ERROR.START - Voltage6 23.6 V."},
        LogEventRow{"VoltageStop", 0xF000 | 133, 2360, 0, "ERROR.STOP - Voltage6 23.6 V."},
        LogEventRow{"FirstVoltage", 0xF000 | 128, 1200, 0, "ERROR.STOP - Voltage1 12.0 V."},
        LogEventRow{"LastVoltage", 0xF000 | 143, 1200, 0, "ERROR.STOP - Voltage16 12.0 V."},
        LogEventRow{"DebugStart", 0x0FFF, 0, 0, "DEBUG.START - "},
        LogEventRow{"DebugStop", 0x07FF, 0, 0, "DEBUG.STOP - "}, LogEventRow{"OtherKind", 0x3000, 1, 2, ""},
        LogEventRow{"Software", 0xD000, 123, 0, "INFO - Software V.1.2.3."},
        LogEventRow{"Bootloader", 0xD001, 205, 0, "INFO - Bootloader V.2.0.5."},
        LogEventRow{"SoftwareHundred", 0xD000, 100, 0, "INFO - Software V.1.0.0."},
        LogEventRow{"BootloaderTwoHundredOne", 0xD001, 201, 0, "INFO - Bootloader V.2.0.1."},
        LogEventRow{"FactoryDefault", 0xD002, 0, 0, "INFO - Factory default restored."},
        LogEventRow{"OtherInfo", 0xD003, 0, 0, "INFO - "}, LogEventRow{"Warning", 0xE805, 9, 9, "WARNING - "},
        LogEventRow{"TimerLightSensor", 0x0000, 0x0107, 0, "DEBUG.STOP - Timer/LS 7."},
        LogEventRow{"Temperatures", 0x0801, 2550, 3012,
                    "DEBUG.START - PCB Temp 25.50 DegC, Sensor1 Temp 30.12 DegC"},
        LogEventRow{"OtherDebug", 0x0002, 1, 1, "DEBUG.STOP - "},
        LogEventRow{"FirstMotor", 0xF000, 0, 0, "ERROR.STOP - Motor 1."},
        LogEventRow{"LastMotor", 0xF07F, 0, 0, "ERROR.STOP - Motor 128."},
        LogEventRow{"Fan", 0xF000 | 144, 1500, 0, "ERROR.STOP - Fan1 1500 RPM."},
        LogEventRow{"FanWithVoltage", 0xF000 | 159, 1500, 2400,
                    "ERROR.STOP - Fan16 1500 RPM, Voltage1 24.0 V."},
        LogEventRow{"FanWithTheLeastVoltage", 0xF000 | 150, 10, 1,
                    "ERROR.STOP - Fan7 10 RPM, Voltage1 0.0 V."},
        LogEventRow{"Temperature", 0xF000 | 160, 4512, 0, "ERROR.STOP - Temperature1 45.12 DegC."},
        LogEventRow{"TemperatureWithVoltage", 0xF000 | 175, 4512, 1180,
                    "ERROR.STOP - Temperature16 45.12 DegC, Voltage1 11.8 V."},
        LogEventRow{"LightSensor", 0xF000 | 176, 1, 1, "ERROR.STOP - LightSensor1 65537 Lux."},
        LogEventRow{"LastLightSensor", 0xF000 | 191, 7, 0, "ERROR.STOP - LightSensor16 7 Lux."},
        LogEventRow{"AfterLightSensors", 0xF000 | 192, 7, 0, "ERROR.STOP - "},
        LogEventRow{"Clock", 0xF000 | 256, 0, 0, "ERROR.STOP - Real Time Clock."},
        LogEventRow{"Eeprom", 0xF000 | 257, 0, 0, "ERROR.STOP - Eeprom."},
        LogEventRow{"Ram", 0xF800 | 258, 0, 0, "ERROR.START - Ram."},
        LogEventRow{"IllegalWordAccess", 0xF000 | 513, 0xBEEF, 0xDEAD,
                    "ERROR.STOP - Illegal word access: DEADBEEF"},
        LogEventRow{"ProtectionFault", 0xF000 | 514, 1, 0, "ERROR.STOP - Protection fault: 00000001"},
        LogEventRow{"ProgramMemory", 0xF000 | 515, 2, 0, "ERROR.STOP - Program memory access: 00000002"},
        LogEventRow{"UndefinedOpcode", 0xF000 | 516, 3, 0, "ERROR.STOP - Undefined opcode: 00000003"},
        LogEventRow{"SoftwareBreak", 0xF000 | 517, 4, 0, "ERROR.STOP - Software break: 00000004"},
        LogEventRow{"StackUnderflow", 0xF000 | 518, 0x0010, 0x0000, "ERROR.STOP - Stack underflow: 00000010"},
        LogEventRow{"StackOverflow", 0xF000 | 519, 5, 0, "ERROR.STOP - Stack overflow: 00000005"},
        LogEventRow{"Nmi", 0xF000 | 520, 0xBEEF, 0xDEAD, "ERROR.STOP - NMI: DEADBEEF"},
        LogEventRow{"AfterNmi", 0xF000 | 521, 0, 0, "ERROR.STOP - "},
        LogEventRow{"OtherError", 0xF000 | 300, 0, 0, "ERROR.STOP - "}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Grobel system log read with the fixture

// A log entry as the fixture answers it: `count` entries in the log, valid or not, time stamp 12, 24, 18, 5.
std::array<uint8_t, kFixtureDataSize> logEntry(uint16_t count, bool valid, uint16_t code, uint16_t w1) {
  std::array<uint8_t, kFixtureDataSize> e{};
  uint8_t* a = e.data() + fd::kSystemLogEntry;
  a[2] = static_cast<uint8_t>(count);
  a[3] = static_cast<uint8_t>(count >> 8);
  a[4] = valid ? 1 : 0;
  a[5] = 12;
  a[6] = 24;
  a[7] = 18;
  a[8] = 5;
  a[9] = static_cast<uint8_t>(code);
  a[10] = static_cast<uint8_t>(code >> 8);
  a[11] = static_cast<uint8_t>(w1);
  a[12] = static_cast<uint8_t>(w1 >> 8);
  return e;
}

class GrobelLogTest : public OneModelTest {
 protected:
  GrobelLogTest() : OneModelTest("Grobel") {}
  // Three valid entries and a fourth that is not.
  void threeEntries() {
    for (int i = 0; i < 3; ++i) dev.logEntries[i] = logEntry(3, true, 0xD000, static_cast<uint16_t>(120 + i));
    dev.logEntries[3] = logEntry(3, false, 0xD000, 0);
  }
  ProgressLog progress;
};

TEST_F(GrobelLogTest, FullReadKeepsOneLineForEachValidEntry) {
  threeEntries();
  ASSERT_TRUE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_EQ(f->LogTextList(),
            (TStringList{"24/12-18:05 - INFO - Software V.1.2.0.", "24/12-18:05 - INFO - Software V.1.2.1.",
                         "24/12-18:05 - INFO - Software V.1.2.2."}));
}

TEST_F(GrobelLogTest, ProgressRangeHoldsTheEntryCount) {
  threeEntries();
  ASSERT_TRUE(f->ReadAllFixtureData(progress.callback()));
  std::vector<std::pair<int, int>> expected;
  for (int k = 1; k <= 13; ++k) expected.emplace_back(k, 14);
  expected.emplace_back(11, 11);
  EXPECT_EQ(progress.calls, expected);
}

TEST_F(GrobelLogTest, RecordsAreReadOnceThenTheEntriesInOrder) {
  threeEntries();
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(dev.count("GetStandAlone(13)"), 1);
  EXPECT_EQ(dev.count("GetSystemLogEntry"), 1 + 4);  // the count read, then entries 0..3
}

TEST_F(GrobelLogTest, LoopEndsAfterEveryEntryNumberEvenWhenAllAnswerValid) {
  // A fixture that answers every index with a valid entry and claims a count of 2.
  class EndlessLog : public zemtest::FakeDevice {
   public:
    bool GetSystemLogEntry(int entry) override {
      ++reads;
      const auto e = logEntry(2, true, 0xE000, 0);
      std::copy_n(e.begin() + fd::kSystemLogEntry, 15, FixtureData.begin() + fd::kSystemLogEntry);
      return entry >= 0 && entry <= 0xFFFF;
    }
    int reads = 0;
  } endless;
  Device = &endless;
  int calls = 0;
  bool withinRange = true;
  ASSERT_TRUE(f->ReadAllFixtureData([&](int p, int m) {
    ++calls;
    withinRange = withinRange && p >= 0 && p <= m;
  }));
  // Entry numbers are 16-bit: 65536 entries at most.
  EXPECT_EQ(f->LogTextList().size(), 65536u);
  EXPECT_EQ(endless.reads, 1 + 65536);
  EXPECT_TRUE(withinRange);
  EXPECT_EQ(calls, 10 + 65536 + 1);
}

TEST_F(GrobelLogTest, FailedReadDropsTheGenericLineAndStops) {
  dev.logEntries[0] = logEntry(0, false, 0, 0);
  dev.failing.insert("GetSystemCalibration");
  EXPECT_FALSE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_TRUE(f->LogTextList().empty());  // the generic line is gone, no entry was read
  ASSERT_EQ(progress.calls.size(), 3u);   // steps 1-3; the clock read failed in step 3
  EXPECT_EQ(dev.count("GetDuplexErrorStatus"), 0);
}

TEST_F(GrobelLogTest, WithoutDeviceReadsNothing) {
  Device = nullptr;
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
}

// ---------------------------------------------------------------------------
// Brevidor 600: a word no byte setting can hold

class Brv600ReadTest : public OneModelTest {
 protected:
  Brv600ReadTest() : OneModelTest("Brv600") {}
  void SetUp() override {
    OneModelTest::SetUp();
    for (int a : {28, 78, 38, 77, 62, 63, 64, 65, 66, 94, 95, 96, 97, 60})
      dev.eeprom[a] = static_cast<uint16_t>(a / 2);
    dev.eeprom[61] = 40000;
  }
  ProgressLog progress;
};

TEST_F(Brv600ReadTest, FullReadCopiesEverySetting) {
  ASSERT_TRUE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_EQ(progress.calls.size(), 23u);
  EXPECT_EQ(progress.calls.back(), std::make_pair(23, 23));
  EXPECT_EQ(f->GetTimer1StartHour(), 31);
  EXPECT_EQ(f->GetSensorTriggerWord(), 40000);  // the word setting is copied whole
  EXPECT_EQ(f->GetQZLLampOff(), 14);            // the whole byte, not a bit
}

TEST_F(Brv600ReadTest, WordAboveAByteFailsTheReadAndKeepsTheCopy) {
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  dev.eeprom[63] = 300;
  bool result = true;
  EXPECT_NO_THROW(result = f->ReadAllFixtureData(progress.callback()));
  EXPECT_FALSE(result);
  EXPECT_EQ(f->GetTimer1StartHour(), 31);
  EXPECT_EQ(progress.calls.back(), std::make_pair(12, 23));  // address 63 is the twelfth step
  EXPECT_EQ(dev.count("GetStandAlone"), 1);                  // only the first, complete read got there
}

TEST_F(Brv600ReadTest, WordAboveAByteIsNamedAsTheFailedRead) {
  dev.eeprom[63] = 300;
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->ReadFailure(), "setting at EEPROM address 63 (300 is no byte value)");
}

TEST_F(Brv600ReadTest, UnreadableWordIsNamedByItsAddress) {
  dev.failing.insert("ReadEEProm");
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->ReadFailure(), "setting at EEPROM address 28");
}

TEST_F(Brv600ReadTest, ByteSettingTakesWordsUpTo255) {
  dev.eeprom[63] = 255;
  ASSERT_TRUE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetTimer1StartHour(), 255);
  dev.eeprom[63] = 256;
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetTimer1StartHour(), 255);
}

TEST_F(Brv600ReadTest, SetterWithoutDeviceStillWaitsAndReportsFailure) {
  Device = nullptr;
  const uint32_t before = sys::tickCount();
  EXPECT_FALSE(f->SetTimer2StopMinute(5));
  EXPECT_GE(sys::tickCount() - before, 100u);
  EXPECT_EQ(f->GetTimer2StopMinute(), 0);
}

TEST_F(Brv600ReadTest, SettersRefuseValuesTheirWordCannotHold) {
  EXPECT_THROW((void)f->SetTimerMode(256), ERangeError);
  EXPECT_THROW((void)f->SetSensorTriggerWord(65536), ERangeError);
  EXPECT_TRUE(dev.calls.empty());
}

// ---------------------------------------------------------------------------
// Values are checked before the first frame

struct RangeRow {
  const char* name;
  const char* model;
  std::function<void(TZemFixture&)> call;
};

void PrintTo(const RangeRow& row, std::ostream* os) {
  *os << row.name;
}

class OutOfRangeTest : public ModelFixture, public ::testing::WithParamInterface<RangeRow> {};

TEST_P(OutOfRangeTest, RaisesAndSendsNothing) {
  auto f = makeModel(model(GetParam().model));
  EXPECT_THROW(GetParam().call(*f), ERangeError);
  EXPECT_TRUE(dev.frames.empty());
}

// Every call raises before it can answer: its result is never there to check.
INSTANTIATE_TEST_SUITE_P(
    Models, OutOfRangeTest,
    ::testing::Values(
        RangeRow{"Brv200Live", "Brv200", [](TZemFixture& f) { (void)f.SetLiveIntensity(65536); }},
        RangeRow{"Brv200WaitIndex", "Brv200", [](TZemFixture& f) { (void)f.SetWaitTimeIndex(256); }},
        RangeRow{"Brv600Colour", "Brv600", [](TZemFixture& f) { (void)f.SetLiveColor(-1); }},
        RangeRow{"GrobelWait", "Grobel", [](TZemFixture& f) { (void)f.SetWaitTimeSeconds(65536); }},
        RangeRow{"GrobelFade", "Grobel", [](TZemFixture& f) { (void)f.SetFadeTimeSeconds(-5); }},
        RangeRow{"RastelGoboPlus4", "Rastel", [](TZemFixture& f) { (void)f.SetControlValue79(65532, 1); }},
        RangeRow{"RastelPosition", "Rastel", [](TZemFixture& f) { (void)f.SetControlValue78(1, 65536); }},
        RangeRow{"RastelTilt", "Rastel", [](TZemFixture& f) { (void)f.SetLivePanTilt(10, 256); }},
        RangeRow{"IPGoboPlus4", "IP", [](TZemFixture& f) { (void)f.SetControlValue79(65535, 0); }},
        RangeRow{"IPSpeed", "IP", [](TZemFixture& f) { (void)f.SetControlValue79(1, 70000); }},
        RangeRow{"IPAnimation", "IP", [](TZemFixture& f) { (void)f.SetControlValue80(65536, 1); }},
        RangeRow{"WashZoom", "Wash", [](TZemFixture& f) { (void)f.SetLiveZoom(65536); }},
        RangeRow{"LedLevel", "BV20L", [](TZemFixture& f) { (void)f.SetLiveRed(65536); }},
        RangeRow{"LedTime", "BV40L", [](TZemFixture& f) { (void)f.SetWaitTimeSeconds(70000); }},
        RangeRow{"BralinColour", "Bralin", [](TZemFixture& f) { (void)f.SendLedData(1, 2, 3, 4, 256); }},
        RangeRow{"BralinAddress0", "Bralin", [](TZemFixture& f) { (void)f.SendLedData(1, 2, 3, 4, 5); }}),
    [](const auto& info) { return std::string(info.param.name); });

using QuodraTest = ModelFixture;

TEST_F(QuodraTest, ColourOutOfRangeIsNeitherStoredNorSent) {
  auto quodra = makeModel(model("Kandrel"));
  EXPECT_THROW((void)quodra->SendLedData(1, 2, 3, 256, 5), ERangeError);
  EXPECT_EQ(FixtureData[fd::kLedData], 0);  // nothing stored either
  EXPECT_EQ(dev.count("SendLedData"), 0);
}

// ---------------------------------------------------------------------------
// Brevidor 400 LED Series: board serial and LEDs

// One LED's description may fail.
class LedDevice : public zemtest::FakeDevice {
 public:
  bool GetLEDDescription(int led) override {
    FakeDevice::GetLEDDescription(led);
    return led != failingLed;
  }
  int failingLed = -1;
};

class Bv40lTest : public OneModelTest {
 protected:
  Bv40lTest() : OneModelTest("BV40L") {}
  void SetUp() override {
    OneModelTest::SetUp();
    Device = &leds;
  }
  LedDevice leds;
  ProgressLog progress;
};

TEST_F(Bv40lTest, ReadsEveryLed) {
  ASSERT_TRUE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_EQ(progress.calls.size(), 16u);
  EXPECT_EQ(progress.calls.back(), std::make_pair(15, 15));
  EXPECT_EQ(leds.count("GetLEDDescriptionData"), 5);
}

TEST_F(Bv40lTest, OneFailedLedFailsTheReadButTheOthersAreStillRead) {
  leds.failingLed = 2;
  EXPECT_FALSE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_EQ(leds.count("GetLEDDescription("), 5);  // the LEDs after the failing one are still read
  EXPECT_EQ(leds.count("GetLEDDescriptionData"), 4);
  EXPECT_EQ(progress.calls.size(), 15u);  // no closing report
}

TEST_F(Bv40lTest, UnreadableBoardSerialEndsTheReadBeforeTheLeds) {
  leds.failing.insert("GetPCBSerialNumber");
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(leds.count("GetLEDDescription"), 0);
}

struct SerialNameRow {
  const char* name;
  const char* serial;
  const char* fixtureName;
};

void PrintTo(const SerialNameRow& row, std::ostream* os) {
  *os << row.name;
}

class Bv40lNameTest : public ModelFixture, public ::testing::WithParamInterface<SerialNameRow> {};

TEST_P(Bv40lNameTest, CarriesTheBoardSerialAsSent) {
  auto bv40 = makeModel(model("BV40L"));
  std::memcpy(&FixtureData[fd::kPCBSerial], GetParam().serial, std::strlen(GetParam().serial));
  EXPECT_EQ(bv40->GetFixtureName(), GetParam().fixtureName);
}

INSTANTIATE_TEST_SUITE_P(
    Serials, Bv40lNameTest,
    ::testing::Values(SerialNameRow{"Empty", "", "Brevidor 400 LED Series"},
                      SerialNameRow{"Letters", "AB", "Brevidor 400 LED Series (AB)"},
                      SerialNameRow{"Blank", "A B", "Brevidor 400 LED Series (A B)"},
                      SerialNameRow{"ParentFolders", "../../etc", "Brevidor 400 LED Series (../../etc)"},
                      SerialNameRow{"Reserved", "C:\\x*?\"<>|", "Brevidor 400 LED Series (C:\\x*?\"<>|)"},
                      // printable characters only
                      SerialNameRow{"Unprintable", "\x01tab\tend\x7f", "Brevidor 400 LED Series (tabend)"},
                      SerialNameRow{"DotsAlone", "..", "Brevidor 400 LED Series (..)"}),
    [](const auto& info) { return std::string(info.param.name); });

using Bv40lSerialTest = ModelFixture;

TEST_F(Bv40lSerialTest, SerialWithoutZeroByteEndsAfterFifteenCharacters) {
  auto bv40 = makeModel(model("BV40L"));
  std::fill_n(FixtureData.begin() + fd::kPCBSerial, 15, 'Z');  // no zero byte: 15 characters
  FixtureData[fd::kPCBSerial + 15] = 'Q';                      // the next record is not part of it
  EXPECT_EQ(bv40->GetFixtureName(), "Brevidor 400 LED Series (ZZZZZZZZZZZZZZZ)");
}

// ---------------------------------------------------------------------------
// Sub-device scans of the tube and the strip

class ScanTest : public ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    Device = &chain;
  }
  ChainDevice chain;
  ProgressLog progress;
};

TEST_F(ScanTest, TubeNotesEachSegmentsAutoConfigure) {
  chain.segments = 3;
  chain.autoConfigure = {0x00, 0x10, 0x00, 0x10};
  auto bralin = makeModel(model("Bralin"));
  ASSERT_TRUE(bralin->ReadAllFixtureData(progress.callback()));
  const auto& wb = bralin->WorkBuffer();
  EXPECT_EQ((std::vector<uint8_t>(wb.begin(), wb.begin() + 6)), (std::vector<uint8_t>{1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(bralin->GetSegmentCount(), 3);
  EXPECT_EQ(bralin->GetCurrentSegment(), 0);
}

TEST_F(ScanTest, TubeReportsTenStepsThenTwelveOfTwelve) {
  chain.segments = 3;
  auto bralin = makeModel(model("Bralin"));
  ASSERT_TRUE(bralin->ReadAllFixtureData(progress.callback()));
  std::vector<std::pair<int, int>> expected;
  for (int k = 1; k <= 10; ++k) expected.emplace_back(k, 12);
  expected.emplace_back(12, 12);
  EXPECT_EQ(progress.calls, expected);
}

TEST_F(ScanTest, TubeSelectsTheMainUnitThenEachSegmentUntilOneDoesNotAnswer) {
  chain.segments = 3;
  auto bralin = makeModel(model("Bralin"));
  ASSERT_TRUE(bralin->ReadAllFixtureData(nullptr));
  EXPECT_EQ(chain.count("SetSubdevice(0,0)"), 1);
  EXPECT_EQ(chain.count("SetSubdevice(4,1)"), 1);  // the first that did not answer
  EXPECT_EQ(chain.count("SetSubdevice(0,1)"), 1);
}

TEST_F(ScanTest, StripCountsItsSubDevicesAndClearsTheWorkBuffer) {
  chain.segments = 2;
  auto quodra = makeModel(model("Kandrel"));
  quodra->WorkBuffer()[5] = 9;
  ASSERT_TRUE(quodra->ReadAllFixtureData(nullptr));
  EXPECT_EQ(quodra->GetSegmentCount(), 2);
  EXPECT_TRUE(std::all_of(quodra->WorkBuffer().begin(), quodra->WorkBuffer().end(),
                          [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(chain.count("GetStandAloneSettings"), 1);
}

TEST_F(ScanTest, TubeWithoutSegmentsCountsNone) {
  auto bralin = makeModel(model("Bralin"));
  ASSERT_TRUE(bralin->ReadAllFixtureData(nullptr));
  EXPECT_EQ(bralin->GetSegmentCount(), 0);
  EXPECT_EQ(bralin->WorkBuffer()[0], 1);
  EXPECT_EQ(std::count(bralin->WorkBuffer().begin(), bralin->WorkBuffer().end(), 0), 255);
}

TEST_F(ScanTest, FailedEarlyReadLeavesTheScanAlone) {
  auto bralin = makeModel(model("Bralin"));
  chain.segments = 2;
  chain.failing.insert("GetDuplexErrorStatus");
  EXPECT_FALSE(bralin->ReadAllFixtureData(nullptr));
  EXPECT_EQ(chain.count("SetSubdevice(1"), 0);
  EXPECT_EQ(bralin->GetSegmentCount(), 0);
}

TEST_F(ScanTest, ChainEndsAtSegment253) {
  chain.segments = 400;
  auto quodra = makeModel(model("Kandrel"));
  ASSERT_TRUE(quodra->ReadAllFixtureData(nullptr));
  EXPECT_EQ(quodra->GetSegmentCount(), 253);
  EXPECT_EQ(chain.count("SetSubdevice(253,1)"), 1);
  EXPECT_EQ(chain.count("SetSubdevice(254,1)"), 0);
}

class ScanFailureTest : public ScanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ScanFailureTest, MainUnitThatCannotBeSelectedAgainFailsTheRead) {
  chain.segments = 2;
  chain.mainSelectsAllowed = 0;  // the re-select after the scan fails
  auto f = makeModel(model(GetParam()));
  EXPECT_FALSE(f->ReadAllFixtureData(progress.callback()));
  EXPECT_EQ(f->GetCurrentSegment(), 2);  // the record tells the truth: the last segment listens
  EXPECT_EQ(f->GetSegmentCount(), 2);
  EXPECT_NE(progress.calls.back().first, 12);
}

TEST_P(ScanFailureTest, MainUnitWhosePersonalityCannotBeReadAgainFailsTheRead) {
  chain.segments = 1;
  chain.failMainPersonality = true;
  auto f = makeModel(model(GetParam()));
  EXPECT_FALSE(f->ReadAllFixtureData(nullptr));
  EXPECT_EQ(f->GetSegmentCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Models, ScanFailureTest, ::testing::Values("Bralin", "Kandrel"));

// ---------------------------------------------------------------------------
// Quodra: one-shot personality bytes and dynamic times

class QuodraOneShotTest : public OneModelTest {
 protected:
  QuodraOneShotTest() : OneModelTest("Kandrel") {}
  void SetUp() override {
    OneModelTest::SetUp();
    strip = dynamic_cast<TZemFixtureKandrel*>(f.get());
    dev.remote[fd::kPersonality + 3] = 1;
  }
  TZemFixtureKandrel* strip = nullptr;
};

TEST_F(QuodraOneShotTest, ReadClearsARequestTheFixtureStillReports) {
  dev.remote[fd::kPersonality + 4] = 1;
  dev.remote[fd::kPersonality + 5] = 1;
  ASSERT_TRUE(f->ReadPersonality());
  EXPECT_EQ(FixtureData[fd::kPersonality + 4], 0);
  EXPECT_EQ(FixtureData[fd::kPersonality + 5], 0);
}

TEST_F(QuodraOneShotTest, ResetGoesOutOnceAndIsGoneFromTheRecord) {
  ASSERT_TRUE(strip->ResetDMXAddressTo1());
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 0);
  EXPECT_EQ(dev.remote[fd::kPersonality + 5], 1);   // the command went out
  EXPECT_EQ(FixtureData[fd::kPersonality + 5], 0);  // and is gone from the record after the read-back
  EXPECT_EQ(dev.count("SetPersonalities(50)"), 1);
}

TEST_F(QuodraOneShotTest, ModeChangeAfterAResetDoesNotRepeatIt) {
  ASSERT_TRUE(strip->ResetDMXAddressTo1());
  ASSERT_TRUE(strip->SetModeSettings(4));
  EXPECT_EQ(dev.remote[fd::kPersonality + 3], 4);
  EXPECT_EQ(dev.remote[fd::kPersonality + 5], 0);  // the reset was not repeated
  EXPECT_EQ(dev.count("SetPersonalities(50)"), 2);
}

TEST_F(QuodraOneShotTest, ModeAlreadySetWritesNothing) {
  dev.remote[fd::kPersonality + 3] = 4;
  EXPECT_TRUE(strip->SetModeSettings(4));
  EXPECT_EQ(dev.count("SetPersonalities"), 0);
  EXPECT_EQ(strip->GetModeSettings(), 4);
}

TEST_F(QuodraOneShotTest, AutoAddressingGoesOutOnceWithoutTheReset) {
  ASSERT_TRUE(strip->AutoAddressSequentially());
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 1);
  EXPECT_EQ(dev.remote[fd::kPersonality + 5], 0);
  EXPECT_EQ(FixtureData[fd::kPersonality + 4], 0);
}

TEST_F(QuodraOneShotTest, BaseSetterAfterwardsDoesNotCarryTheRequest) {
  ASSERT_TRUE(strip->AutoAddressSequentially());
  ASSERT_TRUE(f->SetDmxAddress(99));
  EXPECT_EQ(dev.remote[fd::kPersonality + 4], 0);
  EXPECT_EQ(dev.remote[fd::kPersonality], 99);
}

TEST_F(QuodraOneShotTest, FailedReadSendsNoCommand) {
  dev.failing.insert("GetPersonalities");
  EXPECT_FALSE(strip->ResetDMXAddressTo1());
  EXPECT_FALSE(strip->AutoAddressSequentially());
  EXPECT_FALSE(strip->SetModeSettings(1));
  EXPECT_EQ(dev.count("SetPersonalities"), 0);
}

TEST_F(QuodraOneShotTest, DynamicWaitAlreadySetWritesNothing) {
  dev.remote[fd::kStandAloneSettings + 4] = 3;
  EXPECT_TRUE(strip->SetDynamicWaitTimeIndex(3));
  EXPECT_EQ(dev.count("SetStandAloneSettings"), 0);
  EXPECT_EQ(strip->GetDynamicWaitTimeIndex(), 3);
}

TEST_F(QuodraOneShotTest, DynamicTimesAreStandAloneBytesFourAndFive) {
  EXPECT_TRUE(strip->SetDynamicWaitTimeIndex(6));
  EXPECT_TRUE(strip->SetDynamicFadeTimeIndex(7));
  EXPECT_EQ(dev.remote[fd::kStandAloneSettings + 4], 6);
  EXPECT_EQ(dev.remote[fd::kStandAloneSettings + 5], 7);
  EXPECT_EQ(strip->GetDynamicWaitTimeIndex(), 6);
  EXPECT_EQ(strip->GetDynamicFadeTimeIndex(), 7);
}

TEST_F(QuodraOneShotTest, WithoutDeviceColourIsStoredButNotSent) {
  Device = nullptr;
  EXPECT_FALSE(f->SendLedData(1, 2, 3, 4, 5));
  EXPECT_EQ(
      (std::vector<uint8_t>(FixtureData.begin() + fd::kLedData, FixtureData.begin() + fd::kLedData + 5)),
      (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(strip->SetDynamicWaitTimeIndex(1));
}

TEST_F(QuodraOneShotTest, ColourGoesToTheLedData) {
  EXPECT_TRUE(f->SendLedData(10, 20, 30, 40, 50));
  EXPECT_EQ(dev.calls, std::vector<std::string>{"SendLedData"});
  EXPECT_EQ(
      (std::vector<uint8_t>(FixtureData.begin() + fd::kLedData, FixtureData.begin() + fd::kLedData + 5)),
      (std::vector<uint8_t>{10, 20, 30, 40, 50}));
}

// ---------------------------------------------------------------------------
// Bralin: live colour as extended frames to its DMX address, PWM values straight to the device

class BralinColourTest : public OneModelTest {
 protected:
  BralinColourTest() : OneModelTest("Bralin") {}
};

TEST_F(BralinColourTest, FourExtendedFramesCarryTheDmxChannelAndSkipAmber) {
  FixtureData[fd::kPersonality] = 17;  // DMX address 17: channel 16
  EXPECT_TRUE(f->SendLedData(10, 20, 30, 40, 50));
  EXPECT_EQ(sent(), (Frames{{100, 10, 44}, {101, 20, 44}, {102, 30, 44}, {104, 50, 44}}));
  for (const auto& raw : dev.frames) expectFrameLayout(raw, 0xED, "BRALB", 100, 16);
}

TEST_F(BralinColourTest, FailedFrameEndsTheColour) {
  FixtureData[fd::kPersonality] = 1;
  // The frame for green fails.
  class FailSecond : public zemtest::FakeDevice {
   public:
    bool SendMP2Command(std::span<const uint8_t> frame) override {
      return ++n != 2 && FakeDevice::SendMP2Command(frame);
    }
    int n = 0;
  } device;
  Device = &device;
  EXPECT_FALSE(f->SendLedData(10, 20, 30, 40, 50));
  EXPECT_EQ(framesOf(device.frames), (Frames{{100, 10, 44}}));
}

TEST_F(BralinColourTest, PwmValuesGoStraightToTheDevice) {
  EXPECT_TRUE(f->LedOperation116(1, 2, 3));
  EXPECT_TRUE(f->LedOperation118(4, 5));
  EXPECT_EQ(dev.calls, (std::vector<std::string>{"SetPwmData", "LatchPwmData"}));
  Device = nullptr;
  EXPECT_FALSE(f->LedOperation116(1, 2, 3));
  EXPECT_FALSE(f->LedOperation118(4, 5));
}

// ---------------------------------------------------------------------------
// Shared helpers

TEST(LedErrorLinesTest, BytesBeyondTheGivenOnesCountAsClear) {
  const uint8_t status[] = {1, 0x04};
  EXPECT_EQ(modelsupport::ledErrorLines(status),
            (TStringList{"Fixture reports 1 error", "(1) Memory Error (on-board EEPROM)"}));
}

TEST(ReadStepRunnerTest, ReportsEachStepAndStopsAtTheFirstFailure) {
  ProgressLog progress;
  int ran = 0;
  const std::vector<modelsupport::ReadStep> steps = {[&] { return ++ran > 0; }, nullptr,
                                                     [&] {
                                                       ++ran;
                                                       return false;
                                                     },
                                                     [&] { return ++ran > 0; }};
  EXPECT_FALSE(modelsupport::runReadSteps(steps, 5, 5, progress.callback()));
  EXPECT_EQ(ran, 2);
  EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
}

TEST(ReadStepRunnerTest, ClosingPositionFollowsTheLastStep) {
  ProgressLog progress;
  EXPECT_TRUE(modelsupport::runReadSteps({[] { return true; }}, 3, 1, progress.callback()));
  EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{1, 3}, {1, 3}}));
  progress.calls.clear();
  EXPECT_TRUE(modelsupport::runReadSteps({[] { return true; }}, 3, 0, progress.callback()));
  EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST(ReadStepRunnerTest, ProgressPositionsStayWithinTheRange) {
  ProgressLog progress;
  modelsupport::reportProgress(progress.callback(), 20, 14);
  modelsupport::reportProgress(progress.callback(), -1, 14);
  modelsupport::reportProgress(nullptr, 1, 1);
  modelsupport::reportProgress(progress.callback(), 5, 0);
  EXPECT_EQ(progress.calls, (std::vector<std::pair<int, int>>{{14, 14}, {0, 14}, {0, 0}}));
}

}  // namespace
